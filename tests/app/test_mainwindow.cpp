// The main window in the program's own process: its initialisation, the menu enabling
// rules for every connection state and device type, the radio groups and the teardown.
#include "MainWindowFixture.h"

#include <doctest.h>

#include <algorithm>
#include <set>

namespace {
const UINT kGatedItems[] = { 40012, 40013, 40017, 40003, 40008, 40006, 40002, 40018,
                             40019, 40024, 40020, 40023, 40022, 40004, 40015 };
const UINT kUngatedItems[] = { 40005, 40007, 40009, 40010, 40011, 40016, IDCANCEL };

// Opens every popup of the menu bar as the user would and collects the greyed items.
std::set<UINT> GreyedAfterOpening(CServiceDlg& dlg)
{
    HMENU hMenu = ::GetMenu(dlg.m_hWnd);
    std::set<UINT> greyed;
    for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) {
        HMENU hPopup = ::GetSubMenu(hMenu, i);
        CHECK(dlg.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), MAKELPARAM(i, FALSE)) == 0);
        for (int pos = 0; pos < ::GetMenuItemCount(hPopup); ++pos) {
            UINT id = ::GetMenuItemID(hPopup, pos);
            if (id != 0 && (::GetMenuState(hPopup, id, MF_BYCOMMAND) & MF_GRAYED))
                greyed.insert(id);
        }
    }
    return greyed;
}

std::set<UINT> AllGatedBut(std::initializer_list<UINT> enabled)
{
    std::set<UINT> greyed(std::begin(kGatedItems), std::end(kGatedItems));
    for (UINT id : enabled)
        greyed.erase(id);
    return greyed;
}
}

TEST_CASE("the main window after its initialisation")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    REQUIRE(dlg.m_hWnd != nullptr);

    CHECK(std::string(dlg.GetWindowText()) == "Zevanto");
    CHECK(dlg.SendMessage(WM_GETICON, ICON_BIG) == reinterpret_cast<LRESULT>(dlg.m_hIcon));
    CHECK(dlg.SendMessage(WM_GETICON, ICON_SMALL) == reinterpret_cast<LRESULT>(dlg.m_hIcon));
    CHECK(dlg.m_hIcon != nullptr);
    CHECK(dlg.SendMessage(WM_QUERYDRAGICON) == reinterpret_cast<LRESULT>(dlg.m_hIcon));
    CHECK(dlg.m_nMaxLogLines > 5);
    CHECK(::GetMenu(dlg.m_hWnd) == dlg.m_Menu.GetSafeHmenu());
    CHECK(::GetMenuItemCount(::GetMenu(dlg.m_hWnd)) == 4);

    SUBCASE("the system menu ends with a separator and the about item")
    {
        HMENU hSysMenu = ::GetSystemMenu(dlg.m_hWnd, FALSE);
        int count = ::GetMenuItemCount(hSysMenu);
        REQUIRE(count >= 2);
        CHECK(::GetMenuItemID(hSysMenu, count - 1) == 16u);
        CHECK((::GetMenuState(hSysMenu, count - 2, MF_BYPOSITION) & MF_SEPARATOR) != 0);
        char szText[64] = {};
        ::GetMenuStringA(hSysMenu, 16, szText, sizeof szText, MF_BYCOMMAND);
        CHECK(std::string(szText) == "Info über &Zevanto...");
    }
    SUBCASE("the log edit writes in Courier New, 9 points")
    {
        HFONT hFont = reinterpret_cast<HFONT>(dlg.m_LogEdit.SendMessage(WM_GETFONT));
        LOGFONTA logFont = {};
        REQUIRE(::GetObjectA(hFont, sizeof logFont, &logFont) == sizeof logFont);
        CHECK(std::string(logFont.lfFaceName) == "Courier New");
        CHECK(logFont.lfHeight == -12 * ::GetDeviceCaps(dlg.m_pLogDC, LOGPIXELSY) / 96);
    }
    SUBCASE("the first log line is the start of the program")
    {
        CHECK(fixture.LogWindowLines() == std::vector<std::string>{ "Programm gestartet" });
    }
}

TEST_CASE("menu items are offered by connection state and device type")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;

    // Each state is set after another, so both greying and enabling are seen to happen.
    dlg.m_bConnected = TRUE;
    dlg.m_nDeviceType = 1;
    CHECK(GreyedAfterOpening(dlg) == std::set<UINT>{ 40012, 40015, 40019 });

    for (int type : { 0, 1, 2, -1 }) {
        dlg.m_bConnected = FALSE;
        dlg.m_nDeviceType = type;
        CHECK(GreyedAfterOpening(dlg) == AllGatedBut({ 40012 }));
    }

    dlg.m_bConnected = TRUE;
    dlg.m_nDeviceType = 0;
    CHECK(GreyedAfterOpening(dlg) == AllGatedBut({ 40013, 40017, 40002, 40015 }));

    dlg.m_bConnected = TRUE;
    dlg.m_nDeviceType = 2;
    CHECK(GreyedAfterOpening(dlg) == AllGatedBut({ 40013, 40017 }));

    dlg.m_bConnected = TRUE;
    dlg.m_nDeviceType = 1;
    std::set<UINT> greyed = GreyedAfterOpening(dlg);
    CHECK(greyed == std::set<UINT>{ 40012, 40015, 40019 });

    for (UINT id : kUngatedItems)
        CHECK_MESSAGE(greyed.count(id) == 0, "item " << id << " keeps the state the menu gives it");
}

TEST_CASE("a popup headed by another command is left as it is")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.m_bConnected = FALSE;

    HMENU hPopup = ::CreatePopupMenu();
    ::AppendMenuA(hPopup, MF_STRING, 40013, "disconnect first");
    ::AppendMenuA(hPopup, MF_STRING | MF_GRAYED, 40012, "connect");
    dlg.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);
    CHECK((::GetMenuState(hPopup, 40013, MF_BYCOMMAND) & MF_GRAYED) == 0);
    CHECK((::GetMenuState(hPopup, 40012, MF_BYCOMMAND) & MF_GRAYED) != 0);
    CHECK(::IsMenu(hPopup)); // borrowed, not destroyed
    ::DestroyMenu(hPopup);
}

TEST_CASE("the radio groups read the selection and log the change")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.m_bConnected = TRUE;

    ::SendMessageA(dlg.GetDlgItem(IDC_DEVICE_BRENNIX), BM_CLICK, 0, 0);
    CHECK(dlg.m_nDeviceType == 2);
    CHECK(dlg.m_nComIndex == 0);
    CHECK(dlg.m_bConnected == FALSE);

    ::SendMessageA(dlg.GetDlgItem(IDC_COM4), BM_CLICK, 0, 0);
    CHECK(dlg.m_nComIndex == 3);
    CHECK(dlg.m_nDeviceType == 2);

    CHECK(fixture.LogWindowLines() == std::vector<std::string>{
        "Programm gestartet",
        "Verbindung getrennt", // a device connected is disconnected first
        "Auswahl geändert: Gerät nicht verbunden",
        "Auswahl geändert: Gerät nicht verbunden",
        "Anschluss gewechselt" });
}

TEST_CASE("the main window's destruction ends the message loop")
{
    MainWindowFixture fixture;
    AfxGetApp()->m_pMainWnd = &fixture.dlg;
    fixture.dlg.DestroyWindow();
    CHECK(AfxGetApp()->m_pMainWnd == nullptr);
    MSG msg;
    REQUIRE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    CHECK(msg.wParam == 0);
}

TEST_CASE("a minimised window centres its icon, odd remainders to the right")
{
    CHECK(CenteredIconOffset(37, 32) == 3);
    CHECK(CenteredIconOffset(36, 32) == 2);
    CHECK(CenteredIconOffset(32, 32) == 0);
    CHECK(CenteredIconOffset(31, 32) == 0);
    CHECK(CenteredIconOffset(29, 32) == -1);
}
