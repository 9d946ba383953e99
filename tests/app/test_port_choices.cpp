// The COM choices of the main window: a mapped choice names where it leads in its radio
// button, cut with an ellipsis where the button is too narrow, in both languages and at
// every resolution the tests run at (app_unit at 96, app_port_choices_144dpi at 144 pixels
// per inch); the window's controls do not overlap. And where the link of a choice leads.
#include "AppTestEnvironment.h"
#include "ServiceDlg.h"

#include <doctest.h>

#include <string>
#include <vector>

namespace {

// The text as the button draws it: a mnemonic's '&' is no character.
std::string Drawn(const std::string& strText)
{
    std::string strDrawn;
    for (std::size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] == '&' && i + 1 < strText.size())
            ++i;
        strDrawn += strText[i];
    }
    return strDrawn;
}

std::string ButtonText(const CServiceDlg& dlg, int nID)
{
    char szText[512] = {};
    ::GetWindowTextA(dlg.GetDlgItem(nID), szText, sizeof szText);
    return szText;
}

bool IsGroupBox(HWND hWnd)
{
    char szClass[32] = {};
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    return std::string(szClass) == "Button" && (::GetWindowLongA(hWnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The width the button's text takes in the button's font, with the check mark before it.
int DrawnWidth(HWND hButton)
{
    HDC hDC = ::GetDC(hButton);
    HGDIOBJ hOld = ::SelectObject(hDC, reinterpret_cast<HGDIOBJ>(::SendMessageA(hButton, WM_GETFONT, 0, 0)));
    char szText[512] = {};
    ::GetWindowTextA(hButton, szText, sizeof szText);
    const std::string strDrawn = Drawn(szText);
    SIZE extent = {};
    ::GetTextExtentPoint32A(hDC, strDrawn.c_str(), static_cast<int>(strDrawn.size()), &extent);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hButton, hDC);
    return ::GetSystemMetrics(SM_CXMENUCHECK) + extent.cx;
}

} // namespace

TEST_CASE("the COM choices name where a mapped choice leads, within their buttons, in both languages")
{
    for (const char* pszLibrary : { "ZEV_DE.DLL", "ZEV_EN.DLL" }) {
        INFO(pszLibrary);
        TempFolder folder;
        UseLanguageLibrary(pszLibrary);
        CServiceDlg dlg;
        dlg.m_nComIndex = 0;
        dlg.m_nDeviceType = 0;
        REQUIRE(dlg.Create(IDD_SERVICE_DIALOG));

        // Unmapped: the template's texts.
        for (int i = 0; i < 4; ++i)
            CHECK(ButtonText(dlg, IDC_COM1 + i) == "COM&" + std::to_string(i + 1));

        const std::string astrTargets[4] = { "com7", "rfc2217://gateway-12.bench.example:4001", "", "COM4" };
        dlg.SetPortMappings(astrTargets);
        CHECK(ButtonText(dlg, IDC_COM1) == "COM&1 (COM7)");
        const std::string strLong = ButtonText(dlg, IDC_COM2);
        CHECK(strLong.rfind("COM&2 (rfc2217://", 0) == 0);
        CHECK(strLong.back() == ')');
        CHECK(strLong.find("...") != std::string::npos); // Windows' own ellipsis: the target is too long
        CHECK(ButtonText(dlg, IDC_COM3) == "COM&3");
        CHECK(ButtonText(dlg, IDC_COM4) == "COM&4"); // its own COM port is no mapping

        // Each text fits its button; no two controls overlap, and each radio button lies
        // within its group box.
        std::vector<HWND> controls;
        std::vector<HWND> groups;
        for (HWND hChild = ::GetWindow(dlg.m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
            (IsGroupBox(hChild) ? groups : controls).push_back(hChild);
        CHECK(groups.size() == 2);
        for (int i = 0; i < 4; ++i) {
            HWND hButton = dlg.GetDlgItem(IDC_COM1 + i);
            RECT client = {};
            ::GetClientRect(hButton, &client);
            CAPTURE(ButtonText(dlg, IDC_COM1 + i));
            CHECK(DrawnWidth(hButton) <= client.right);
        }
        for (std::size_t a = 0; a < controls.size(); ++a) {
            for (std::size_t b = a + 1; b < controls.size(); ++b) {
                RECT overlap = {};
                const RECT ra = RectIn(dlg.m_hWnd, controls[a]);
                const RECT rb = RectIn(dlg.m_hWnd, controls[b]);
                CAPTURE(::GetDlgCtrlID(controls[a]));
                CAPTURE(::GetDlgCtrlID(controls[b]));
                CHECK_FALSE(::IntersectRect(&overlap, &ra, &rb));
            }
        }
        for (int nID : { IDC_COM1, IDC_COM2, IDC_COM3, IDC_COM4 }) {
            const RECT box = RectIn(dlg.m_hWnd, groups[0]);
            const RECT button = RectIn(dlg.m_hWnd, dlg.GetDlgItem(nID));
            CAPTURE(nID);
            CHECK(button.left > box.left);
            CHECK(button.right < box.right);
            CHECK(button.bottom < box.bottom);
        }

        // Mapped back to their own ports: the template's texts again.
        const std::string astrNone[4];
        dlg.SetPortMappings(astrNone);
        for (int i = 0; i < 4; ++i)
            CHECK(ButtonText(dlg, IDC_COM1 + i) == "COM&" + std::to_string(i + 1));
        dlg.m_nComIndex = 199; // nothing maps COM200: the teardown's good-bye goes nowhere
        dlg.DestroyWindow();
    }
}

TEST_CASE("the link of a choice leads to its mapping, else to its own COM port")
{
    TempFolder folder;
    UseLanguageLibrary();
    CServiceDlg dlg;
    dlg.m_nComIndex = 1;
    dlg.m_nDeviceType = 0;
    REQUIRE(dlg.Create(IDD_SERVICE_DIALOG));
    CHECK(dlg.LinkTarget() == nullptr);
    CHECK(dlg.LinkTargetText() == "COM2");
    const std::string astrTargets[4] = { "COM12", "socket://127.0.0.1:4001", "", "" };
    dlg.SetPortMappings(astrTargets);
    REQUIRE(dlg.LinkTarget() != nullptr);
    CHECK(dlg.LinkTargetText() == "socket://127.0.0.1:4001");
    CHECK(PortTargetConnection(*dlg.LinkTarget(), 9600) == "ASYNC/SOCKET:127.0.0.1:4001,SPEED=9600,FLOW=XONXOFF");
    dlg.m_nComIndex = 0;
    CHECK(dlg.LinkTargetText() == "COM12");
    dlg.m_nComIndex = 2;
    CHECK(dlg.LinkTarget() == nullptr);
    CHECK(dlg.LinkTargetText() == "COM3");
    dlg.m_nComIndex = 199; // a port outside the radio group has no mapping
    CHECK(dlg.LinkTarget() == nullptr);
    CHECK(dlg.LinkTargetText() == "COM200");
    dlg.DestroyWindow();
}
