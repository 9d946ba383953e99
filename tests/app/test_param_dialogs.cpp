// The dialogs of the parameter cycles run modally with a user on a second thread: what
// each shows for the value it is given, and what it gives back after the user's clicks.
#include "AppTestEnvironment.h"
#include "DialogDriver.h"
#include "InterfaceDlg.h"
#include "ParamCDlg.h"
#include "ParamFDlg.h"
#include "ParamGDlg.h"
#include "ParamJDlg.h"
#include "ParamWFDlg.h"
#include "UiRobot.h"
#include "resource.h"

#include <doctest.h>

#include <string>
#include <vector>

namespace {
LRESULT CheckState(HWND hDlg, int nID)
{
    return ::SendMessageA(::GetDlgItem(hDlg, nID), BM_GETCHECK, 0, 0);
}

// The one box of a switch dialog: shown for nStart, then clicked nClicks times, then OK.
struct BoxRun {
    LRESULT nShown = -1;
    LONG nStyle = 0;
    std::string caption;
    INT_PTR nResult = 0;
    int nTaken = -99;
};

template <class TDlg>
BoxRun RunBoxDialog(int nIDC, int nStart, int nClicks, int nEndButton = IDOK)
{
    UseLanguageLibrary();
    TDlg dlg;
    dlg.m_nOn = nStart;
    BoxRun run;
    DialogDriver driver([&](HWND hDlg) {
        run.caption = UiRobot::Text(hDlg);
        run.nShown = CheckState(hDlg, nIDC);
        run.nStyle = ::GetWindowLongA(::GetDlgItem(hDlg, nIDC), GWL_STYLE);
        for (int i = 0; i < nClicks; ++i)
            UiRobot::Click(hDlg, nIDC);
        UiRobot::PostClick(hDlg, nEndButton);
    });
    run.nResult = dlg.DoModal();
    REQUIRE(driver.Join());
    run.nTaken = dlg.m_nOn;
    return run;
}

// Shown for each start value and given back after 0, 1 and 2 clicks: a two-state box
// gives 0 or 1, never 2.
template <class TDlg>
void CheckBoxBothWays(int nIDC, const char* pszCaption)
{
    CHECK(TDlg().m_nOn == 0);
    struct Case {
        int nStart;
        LRESULT nShown;
    };
    const Case cases[] = { { 0, BST_UNCHECKED }, { 1, BST_CHECKED }, { -1, BST_UNCHECKED }, { 7, BST_UNCHECKED } };
    for (const Case& c : cases) {
        for (int nClicks = 0; nClicks <= 2; ++nClicks) {
            CAPTURE(c.nStart);
            CAPTURE(nClicks);
            BoxRun run = RunBoxDialog<TDlg>(nIDC, c.nStart, nClicks);
            CHECK(run.caption == pszCaption);
            CHECK(run.nShown == c.nShown);
            CHECK((run.nStyle & BS_TYPEMASK) == BS_AUTOCHECKBOX);
            CHECK(run.nResult == IDOK);
            int nExpected = static_cast<int>(run.nShown == BST_CHECKED) ^ (nClicks % 2);
            CHECK(run.nTaken == nExpected);
        }
    }
    // Cancel takes nothing back.
    BoxRun cancelled = RunBoxDialog<TDlg>(nIDC, -1, 1, IDCANCEL);
    CHECK(cancelled.nResult == IDCANCEL);
    CHECK(cancelled.nTaken == -1);
}

// A radio dialog: which buttons show checked for nStart, and the selection after the
// user clicks nClick (0 for none) and OK.
struct RadioRun {
    std::vector<LRESULT> shown;
    std::vector<std::string> texts;
    INT_PTR nResult = 0;
    int nTaken = -99;
};

template <class TDlg>
RadioRun RunRadioDialog(const std::vector<int>& buttons, int nStart, int nClick)
{
    UseLanguageLibrary();
    TDlg dlg;
    dlg.m_nSelection = nStart;
    RadioRun run;
    DialogDriver driver([&](HWND hDlg) {
        for (int nID : buttons) {
            run.shown.push_back(CheckState(hDlg, nID));
            run.texts.push_back(UiRobot::ItemText(hDlg, nID));
        }
        if (nClick)
            UiRobot::Click(hDlg, nClick);
        UiRobot::PostClick(hDlg, IDOK);
    });
    run.nResult = dlg.DoModal();
    REQUIRE(driver.Join());
    run.nTaken = dlg.m_nSelection;
    return run;
}

template <class TDlg>
void CheckRadioBothWays(const std::vector<int>& buttons)
{
    CHECK(TDlg().m_nSelection == -1);
    const int nButtons = static_cast<int>(buttons.size());
    // Each position shows its own button alone and, left alone, comes back.
    for (int nStart = -1; nStart <= nButtons; ++nStart) {
        CAPTURE(nStart);
        RadioRun run = RunRadioDialog<TDlg>(buttons, nStart, 0);
        for (int i = 0; i < nButtons; ++i)
            CHECK(run.shown[i] == (i == nStart ? BST_CHECKED : BST_UNCHECKED));
        CHECK(run.nResult == IDOK);
        // No button checked (the value -1, or one past the group) gives -1.
        CHECK(run.nTaken == (nStart >= 0 && nStart < nButtons ? nStart : -1));
    }
    // A click chooses the button's position, from none and from another button.
    for (int i = 0; i < nButtons; ++i) {
        CAPTURE(i);
        CHECK(RunRadioDialog<TDlg>(buttons, -1, buttons[i]).nTaken == i);
        CHECK(RunRadioDialog<TDlg>(buttons, (i + 1) % nButtons, buttons[i]).nTaken == i);
    }
}
}

TEST_CASE("the switch dialogs g, j and F show their box and give back 0 or 1")
{
    SUBCASE("g") { CheckBoxBothWays<CParamGDlg>(IDC_PARAM_G_ON, "Parameter g"); }
    SUBCASE("j") { CheckBoxBothWays<CParamJDlg>(IDC_PARAM_J_ON, "Parameter j"); }
    SUBCASE("F") { CheckBoxBothWays<CParamFDlg>(IDC_PARAM_F_ZERO, "Parameter F schreiben"); }
}

TEST_CASE("the w and f dialog shows the switch and the two bits and gives each back")
{
    UseLanguageLibrary();
    CParamWFDlg fresh;
    CHECK(fresh.m_nHigh == 0);
    CHECK(fresh.m_nLow == 0);
    CHECK(fresh.m_nW == 0);

    struct Case {
        int nHigh, nLow, nW;       // given
        bool bClickLow, bClickW;   // the user's clicks
        LRESULT shownHigh, shownLow, shownW;
        int nTakenHigh, nTakenLow, nTakenW;
    };
    const Case cases[] = {
        { 0, 0, 0, false, false, BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED, 0, 0, 0 },
        { 1, 0, 1, true, false, BST_CHECKED, BST_UNCHECKED, BST_CHECKED, 1, 1, 1 },
        { 0, 1, 12, false, true, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED, 0, 1, 1 },
        { 1, 1, -1, true, true, BST_CHECKED, BST_CHECKED, BST_UNCHECKED, 1, 0, 1 },
    };
    for (const Case& c : cases) {
        CAPTURE(c.nHigh);
        CAPTURE(c.nLow);
        CAPTURE(c.nW);
        CParamWFDlg dlg;
        dlg.m_nHigh = c.nHigh;
        dlg.m_nLow = c.nLow;
        dlg.m_nW = c.nW;
        LRESULT shown[3] = {};
        std::string strCaption;
        DialogDriver driver([&](HWND hDlg) {
            strCaption = UiRobot::Text(hDlg);
            shown[0] = CheckState(hDlg, IDC_F_HIGH);
            shown[1] = CheckState(hDlg, IDC_F_LOW);
            shown[2] = CheckState(hDlg, IDC_W_ON);
            if (c.bClickLow)
                UiRobot::Click(hDlg, IDC_F_LOW);
            if (c.bClickW)
                UiRobot::Click(hDlg, IDC_W_ON);
            UiRobot::PostClick(hDlg, IDOK);
        });
        INT_PTR nResult = dlg.DoModal();
        REQUIRE(driver.Join());
        CHECK(strCaption == "Parameter w und f");
        CHECK(shown[0] == c.shownHigh);
        CHECK(shown[1] == c.shownLow);
        CHECK(shown[2] == c.shownW);
        CHECK(nResult == IDOK);
        CHECK(dlg.m_nHigh == c.nTakenHigh);
        CHECK(dlg.m_nLow == c.nTakenLow);
        CHECK(dlg.m_nW == c.nTakenW);
    }
}

TEST_CASE("the interface dialog offers the three interfaces the device defines, and none for another reply")
{
    const std::vector<int> buttons = { IDC_INTERFACE_RS232, IDC_INTERFACE_RS232_MODIFIED, IDC_INTERFACE_RS485 };
    // Position 3 (another reply) is one past the group: no button, and OK gives -1.
    CheckRadioBothWays<CInterfaceDlg>(buttons);
    RadioRun run = RunRadioDialog<CInterfaceDlg>(buttons, 2, 0);
    REQUIRE(run.texts.size() == 3);
    CHECK(run.texts[0] == "RS232");
    CHECK(run.texts[1] == "RS232 MODIFIED");
    CHECK(run.texts[2] == "RS485");
}

TEST_CASE("the c dialog offers 0 and 1")
{
    CheckRadioBothWays<CParamCDlg>({ IDC_PARAM_C_0, IDC_PARAM_C_1 });
}

TEST_CASE("both libraries hold the parameter templates with their controls and texts")
{
    struct Template {
        UINT nIDD;
        std::vector<int> controls;
    };
    const Template templates[] = {
        { IDD_PARAM_G, { IDC_PARAM_G_ON, IDOK, IDCANCEL } },
        { IDD_PARAM_J, { IDC_PARAM_J_ON, IDOK, IDCANCEL } },
        { IDD_PARAM_F, { IDC_PARAM_F_ZERO, IDOK, IDCANCEL } },
        { IDD_PARAM_WF, { IDC_F_HIGH, IDC_F_LOW, IDC_W_ON, IDOK, IDCANCEL } },
        { IDD_INTERFACE,
          { IDC_INTERFACE_RS232, IDC_INTERFACE_RS232_MODIFIED, IDC_INTERFACE_RS485, IDOK, IDCANCEL } },
        { IDD_PARAM_C, { IDC_PARAM_C_0, IDC_PARAM_C_1, IDOK, IDCANCEL } },
        { IDD_CONFIG,
          { IDC_CFG_MODE_DIRECT, IDC_CFG_MODE_THIRDS, IDC_CFG_OPTION_0, IDC_CFG_OPTION_1, IDC_CFG_KIND,
            IDC_CFG_DIRECT_LABEL, IDC_CFG_CALCULATE, IDC_CFG_VALUE1, IDC_CFG_VALUE2, IDC_CFG_VALUE3,
            IDC_CFG_VALUE1_THIRDS, IDC_CFG_VALUE3_THIRDS, IDOK, IDCANCEL } },
        { IDD_STEP_CALCULATOR,
          { IDC_CALC_HIGH, IDC_CALC_LOW, IDC_CALC_STEP, IDC_CALC_RESULT, IDC_CALC_RUN, IDOK, IDCANCEL } },
    };
    for (const char* pszLibrary : { "ZEV_DE.DLL", "ZEV_EN.DLL" }) {
        INFO(pszLibrary);
        HMODULE hLibrary = ::LoadLibraryA(DistPath(pszLibrary).c_str());
        REQUIRE(hLibrary != nullptr);
        for (const Template& t : templates) {
            CAPTURE(t.nIDD);
            HWND hDlg = ::CreateDialogParamA(hLibrary, MAKEINTRESOURCEA(t.nIDD), nullptr,
                                             [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
            REQUIRE(hDlg != nullptr);
            CHECK_FALSE(UiRobot::Text(hDlg).empty());
            for (int nID : t.controls) {
                CAPTURE(nID);
                HWND hCtrl = ::GetDlgItem(hDlg, nID);
                REQUIRE(hCtrl != nullptr);
                // Every button has its label; edits start empty.
                bool bLabelled = UiRobot::ClassName(hCtrl) == "Edit" || !UiRobot::Text(hCtrl).empty();
                CHECK(bLabelled);
            }
            ::DestroyWindow(hDlg);
        }
        ::FreeLibrary(hLibrary);
    }
}
