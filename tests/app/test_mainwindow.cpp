// The main window in the program's own process: its initialisation, the menu enabling
// rules for every connection state and device type, the radio groups, the teardown, and
// the letters of its menus and controls in both languages.
#include "IconOffset.h"
#include "MainWindowFixture.h"
#include "UiRobot.h"

#include <doctest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

namespace {
const UINT kGatedItems[] = { 40012, 40013, 40017, 40003, 40008, 40006, 40002, 40018,
                             40019, 40024, 40020, 40023, 40022, 40004, 40015, 40030, 40031 };
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

namespace {
// The letter after a single '&' of a menu or control text, in lower case; 0 for none.
char Mnemonic(const std::string& strText)
{
    for (std::size_t i = 0; i + 1 < strText.size(); ++i) {
        if (strText[i] != '&')
            continue;
        if (strText[i + 1] != '&')
            return static_cast<char>(::tolower(static_cast<unsigned char>(strText[i + 1])));
        ++i; // "&&" is a plain '&'
    }
    return 0;
}

std::string MenuText(HMENU hMenu, int nPos)
{
    char szText[256] = {};
    ::GetMenuStringA(hMenu, nPos, szText, sizeof szText, MF_BYPOSITION);
    return szText;
}
}

TEST_CASE("every language's mnemonics reach one thing each: the menus' and the main window's controls")
{
    for (const char* pszLibrary : { "ZEV_DE.DLL", "ZEV_EN.DLL" }) {
        INFO(pszLibrary);
        HMODULE hLibrary = ::LoadLibraryA(DistPath(pszLibrary).c_str());
        REQUIRE(hLibrary != nullptr);
        HMENU hMenu = ::LoadMenuA(hLibrary, MAKEINTRESOURCEA(IDR_MAIN_MENU));
        REQUIRE(hMenu != nullptr);

        // Alt and a letter opens a popup of the menu bar; within a popup a letter
        // chooses one item.
        std::map<char, std::string> barLetters;
        for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) {
            std::string strPopup = MenuText(hMenu, i);
            CAPTURE(strPopup);
            char chBar = Mnemonic(strPopup);
            REQUIRE(chBar != 0);
            CHECK(barLetters.emplace(chBar, strPopup).second);
            HMENU hPopup = ::GetSubMenu(hMenu, i);
            std::map<char, std::string> itemLetters;
            for (int pos = 0; pos < ::GetMenuItemCount(hPopup); ++pos) {
                if (::GetMenuItemID(hPopup, pos) == 0)
                    continue; // a separator
                std::string strItem = MenuText(hPopup, pos);
                CAPTURE(strItem);
                char chItem = Mnemonic(strItem);
                CHECK(chItem != 0);
                auto inserted = itemLetters.emplace(chItem, strItem);
                CHECK_MESSAGE(inserted.second, "shares its letter with " << inserted.first->second);
            }
        }
        ::DestroyMenu(hMenu);

        // The dialog manager gives Alt and a control's letter to the control: no letter of
        // the main window's controls may be one of the menu bar's.
        HWND hDlg = ::CreateDialogParamA(hLibrary, MAKEINTRESOURCEA(IDD_SERVICE_DIALOG), nullptr,
                                         [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        REQUIRE(hDlg != nullptr);
        int nLabelled = 0;
        for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
            std::string strText = UiRobot::Text(hChild);
            char ch = Mnemonic(strText);
            if (!ch)
                continue;
            ++nLabelled;
            CAPTURE(strText);
            auto onBar = barLetters.find(ch);
            CHECK_MESSAGE(onBar == barLetters.end(), "its letter opens the menu " << onBar->second);
        }
        CHECK(nLabelled == 7); // COM1 to COM4 and the three devices
        ::DestroyWindow(hDlg);
        ::FreeLibrary(hLibrary);
    }
}
