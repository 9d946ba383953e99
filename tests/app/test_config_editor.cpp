// The configuration editor run modally with a user on a second thread: what it shows for
// the values read, its entry modes, the first and third number kept in whole thirds and
// in order, the default values, the ranges checked on OK, and the step calculator's
// result taken over.
#include "AppTestEnvironment.h"
#include "DeviceConfigDlg.h"
#include "DialogDriver.h"
#include "DialogSteps.h"
#include "UiRobot.h"
#include "resource.h"

#include <doctest.h>

#include <string>

namespace {
struct EditorFixture {
    EditorFixture(UINT nValue1, UINT nValue2, UINT nValue3, int nMode, int nKind = 0, int nOption = 0)
    {
        UseLanguageLibrary();
        dlg.m_nValue1 = nValue1;
        dlg.m_nValue2 = nValue2;
        dlg.m_nValue3 = nValue3;
        dlg.m_nMode = nMode;
        dlg.m_nKind = nKind;
        dlg.m_nOption = nOption;
    }
    CDeviceConfigDlg dlg;
};

// The numbers as shown: "first second third | first-in-thirds third-in-thirds".
std::string ShownNumbers(HWND hDlg)
{
    return UiRobot::ItemText(hDlg, IDC_CFG_VALUE1) + " " + UiRobot::ItemText(hDlg, IDC_CFG_VALUE2) + " " +
           UiRobot::ItemText(hDlg, IDC_CFG_VALUE3) + " | " + UiRobot::ItemText(hDlg, IDC_CFG_VALUE1_THIRDS) + " " +
           UiRobot::ItemText(hDlg, IDC_CFG_VALUE3_THIRDS);
}

// Which controls are enabled, 1 or 0 each: those of direct entry (the three numbers, the
// two option buttons, the label), then those of entry in thirds (the two numbers in
// thirds, the calculator).
std::string ShownEnabling(HWND hDlg)
{
    std::string str;
    for (int nID : { IDC_CFG_VALUE1, IDC_CFG_VALUE2, IDC_CFG_VALUE3, IDC_CFG_OPTION_0, IDC_CFG_OPTION_1,
                     IDC_CFG_DIRECT_LABEL, 0, IDC_CFG_VALUE1_THIRDS, IDC_CFG_VALUE3_THIRDS, IDC_CFG_CALCULATE })
        str += nID ? (IsEnabled(hDlg, nID) ? "1" : "0") : "|";
    return str;
}
const char kDirectEnabled[] = "111111|000";
const char kThirdsEnabled[] = "000000|111";

// Into edit nID, the text (unless none is given), and out again to nTo (by default the
// kind box, which has no rule), as a user types a number: the rule of nID runs.
void TypeAndLeave(HWND hDlg, int nID, const char* pszText, int nTo = IDC_CFG_KIND)
{
    MoveFocus(hDlg, nID);
    if (pszText)
        UiRobot::SetText(hDlg, nID, pszText);
    MoveFocus(hDlg, nTo);
}

// The same where leaving brings a message; the message, and how many more came.
struct Refusal {
    SeenMessage seen;
    int nMoreBoxes = -1;
    int nFocus = 0;
};

Refusal TypeAndLeaveRefused(HWND hDlg, int nID, const char* pszText, int nTo)
{
    MoveFocus(hDlg, nID);
    UiRobot::SetText(hDlg, nID, pszText);
    PostMoveFocus(hDlg, nTo);
    Refusal refusal;
    refusal.seen = AnswerMessage(hDlg);
    refusal.nMoreBoxes = CloseOpenMessageBoxes(hDlg);
    refusal.nFocus = FocusedControl(hDlg);
    return refusal;
}

const char kFirstTooLow[] = "Der erste Wert darf nicht kleiner als der dritte sein.";
const char kThirdTooHigh[] = "Der dritte Wert darf nicht größer als der erste sein.";
}

TEST_CASE("the editor shows the values read, with the thirds, the mode's fields enabled")
{
    struct Case {
        UINT v1, v2, v3;
        int nMode, nKind, nOption;
        const char *numbers, *enabling;
        const char* checked; // mode direct, mode thirds, kind, option 0, option 1
    };
    const Case cases[] = {
        { 9, 33, 0, 0, 1, 1, "9 33 0 | 3 0", kDirectEnabled, "10101" },
        { 30, 33, 9, 1, 0, 0, "30 33 9 | 10 3", kThirdsEnabled, "01010" },
        // Replies that matched no word: nothing chosen, and every field stays enabled.
        { 30, 33, 9, -1, -1, -1, "30 33 9 | 10 3", "111111|111", "00000" },
    };
    for (const Case& c : cases) {
        CAPTURE(c.nMode);
        EditorFixture fixture(c.v1, c.v2, c.v3, c.nMode, c.nKind, c.nOption);
        std::string strCaption, strNumbers, strEnabling, strChecked;
        DialogDriver driver([&](HWND hDlg) {
            strCaption = UiRobot::Text(hDlg);
            strNumbers = ShownNumbers(hDlg);
            strEnabling = ShownEnabling(hDlg);
            for (int nID :
                 { IDC_CFG_MODE_DIRECT, IDC_CFG_MODE_THIRDS, IDC_CFG_KIND, IDC_CFG_OPTION_0, IDC_CFG_OPTION_1 })
                strChecked += UiRobot::IsChecked(hDlg, nID) ? "1" : "0";
            UiRobot::PostClick(hDlg, IDOK);
        });
        CHECK(fixture.dlg.DoModal() == IDOK);
        REQUIRE(driver.Join());
        CHECK(strCaption == "Konfiguration");
        CHECK(strNumbers == c.numbers);
        CHECK(strEnabling == c.enabling);
        CHECK(strChecked == c.checked);
        // OK gives back what was shown: none chosen is -1, a kind of neither word 0.
        CHECK(fixture.dlg.m_nMode == c.nMode);
        CHECK(fixture.dlg.m_nOption == c.nOption);
        CHECK(fixture.dlg.m_nKind == (c.nKind == 1 ? 1 : 0));
        CHECK(fixture.dlg.m_nValue1 == c.v1);
        CHECK(fixture.dlg.m_nValue2 == c.v2);
        CHECK(fixture.dlg.m_nValue3 == c.v3);
    }
}

TEST_CASE("the kind box and the option buttons give back what the user chose")
{
    EditorFixture fixture(30, 33, 9, 0, 0, -1);
    LONG nKindStyle = 0;
    DialogDriver driver([&](HWND hDlg) {
        nKindStyle = ::GetWindowLongA(::GetDlgItem(hDlg, IDC_CFG_KIND), GWL_STYLE);
        UiRobot::Click(hDlg, IDC_CFG_KIND);
        UiRobot::Click(hDlg, IDC_CFG_OPTION_1);
        UiRobot::PostClick(hDlg, IDOK);
    });
    CHECK(fixture.dlg.DoModal() == IDOK);
    REQUIRE(driver.Join());
    CHECK((nKindStyle & BS_TYPEMASK) == BS_AUTOCHECKBOX);
    CHECK(fixture.dlg.m_nKind == 1);
    CHECK(fixture.dlg.m_nOption == 1);
}

TEST_CASE("the first and third numbers, and their thirds, are kept in whole thirds")
{
    struct Case {
        int nID;
        const char* typed; // nullptr: the field left as it is
        const char* numbers;
    };
    // Direct entry, from 10, 33, 0: a 10 read from the device becomes 9 when left.
    const Case direct[] = {
        { IDC_CFG_VALUE1, nullptr, "9 33 0 | 3 0" },  { IDC_CFG_VALUE1, "50", "50 33 0 | 17 0" },
        { IDC_CFG_VALUE1, "49", "48 33 0 | 16 0" },   { IDC_CFG_VALUE1, "2", "3 33 0 | 1 0" },
        { IDC_CFG_VALUE1, "10", "9 33 0 | 3 0" },     { IDC_CFG_VALUE3, "1", "9 33 0 | 3 0" },
        { IDC_CFG_VALUE3, "2", "9 33 3 | 3 1" },      { IDC_CFG_VALUE3, "9", "9 33 9 | 3 3" },
        { IDC_CFG_VALUE3, "0", "9 33 0 | 3 0" },
    };
    // Entry in thirds, from 30, 33, 9.
    const Case thirds[] = {
        { IDC_CFG_VALUE1_THIRDS, "17", "50 33 9 | 17 3" }, { IDC_CFG_VALUE1_THIRDS, "16", "48 33 9 | 16 3" },
        { IDC_CFG_VALUE3_THIRDS, "5", "48 33 15 | 16 5" }, { IDC_CFG_VALUE3_THIRDS, "16", "48 33 48 | 16 16" },
        { IDC_CFG_VALUE3_THIRDS, "0", "48 33 0 | 16 0" },  { IDC_CFG_VALUE1_THIRDS, "1", "3 33 0 | 1 0" },
    };
    struct Run {
        UINT v1, v3;
        int nMode;
        const Case* cases;
        size_t nCases;
    };
    for (const Run& run : { Run{ 10, 0, 0, direct, 9 }, Run{ 30, 9, 1, thirds, 6 } }) {
        CAPTURE(run.nMode);
        EditorFixture fixture(run.v1, 33, run.v3, run.nMode);
        std::string shown[9];
        int nBoxes = 0;
        DialogDriver driver([&](HWND hDlg) {
            for (size_t i = 0; i < run.nCases; ++i) {
                TypeAndLeave(hDlg, run.cases[i].nID, run.cases[i].typed);
                nBoxes += CloseOpenMessageBoxes(hDlg);
                shown[i] = ShownNumbers(hDlg);
            }
            UiRobot::PostClick(hDlg, IDOK);
        });
        CHECK(fixture.dlg.DoModal() == IDOK);
        REQUIRE(driver.Join());
        for (size_t i = 0; i < run.nCases; ++i) {
            INFO((std::to_string(run.cases[i].nID) + ": " + (run.cases[i].typed ? run.cases[i].typed : "(left)")));
            CHECK(shown[i] == run.cases[i].numbers);
        }
        CHECK(nBoxes == 0);
        // The last line of each run, as OK takes it.
        CHECK(fixture.dlg.m_nValue1 == (run.nMode ? 3u : 9u));
        CHECK(fixture.dlg.m_nValue1Thirds == (run.nMode ? 1u : 3u));
        CHECK(fixture.dlg.m_nValue3 == 0);
    }
}

TEST_CASE("a first number below the third is refused once, and the focus stays where it was")
{
    struct Case {
        UINT v1, v3;
        int nMode;
        int nID;
        const char* typed;
        int nTo; // where the user went; the other number's own rule would refuse too
        const char *message, *numbers;
    };
    const Case cases[] = {
        { 9, 0, 0, IDC_CFG_VALUE3, "12", IDC_CFG_KIND, kThirdTooHigh, "9 33 12 | 3 0" },
        { 9, 0, 0, IDC_CFG_VALUE3, "12", IDC_CFG_VALUE1, kThirdTooHigh, "9 33 12 | 3 0" },
        { 9, 9, 0, IDC_CFG_VALUE1, "6", IDC_CFG_KIND, kFirstTooLow, "6 33 9 | 3 3" },
        { 9, 9, 0, IDC_CFG_VALUE1, "6", IDC_CFG_VALUE3, kFirstTooLow, "6 33 9 | 3 3" },
        { 30, 9, 1, IDC_CFG_VALUE3_THIRDS, "11", IDC_CFG_VALUE1_THIRDS, kThirdTooHigh, "30 33 9 | 10 11" },
        { 30, 9, 1, IDC_CFG_VALUE1_THIRDS, "2", IDC_CFG_VALUE3_THIRDS, kFirstTooLow, "30 33 9 | 2 3" },
    };
    for (const Case& c : cases) {
        CAPTURE(c.nID);
        CAPTURE(c.nTo);
        EditorFixture fixture(c.v1, 33, c.v3, c.nMode);
        Refusal refusal;
        HWND hEditor = nullptr;
        std::string strNumbers;
        DialogDriver driver([&](HWND hDlg) {
            hEditor = hDlg;
            refusal = TypeAndLeaveRefused(hDlg, c.nID, c.typed, c.nTo);
            strNumbers = ShownNumbers(hDlg);
            UiRobot::PostClick(hDlg, IDCANCEL);
            WaitCancelled(hDlg);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(refusal.seen.text == c.message);
        CHECK(refusal.seen.caption == "ZEV");
        CHECK(refusal.seen.bExclamation);
        CHECK(refusal.seen.hOwner == hEditor);
        CHECK(refusal.nMoreBoxes == 0);
        CHECK(refusal.nFocus == c.nID);
        // The value stays for the user to change.
        CHECK(strNumbers == c.numbers);
    }
}

TEST_CASE("direct entry loads the default values, also when chosen already; entry in thirds keeps them")
{
    struct Case {
        int nMode, nClick;
        const char *numbers, *enabling;
    };
    const Case cases[] = {
        { 1, IDC_CFG_MODE_DIRECT, "9 33 0 | 3 0", kDirectEnabled },
        { 0, IDC_CFG_MODE_DIRECT, "9 33 0 | 3 0", kDirectEnabled },
        { 0, IDC_CFG_MODE_THIRDS, "30 100 12 | 10 4", kThirdsEnabled },
    };
    for (const Case& c : cases) {
        CAPTURE(c.nMode);
        CAPTURE(c.nClick);
        EditorFixture fixture(30, 100, 12, c.nMode);
        std::string strNumbers, strEnabling;
        DialogDriver driver([&](HWND hDlg) {
            UiRobot::Click(hDlg, c.nClick);
            strNumbers = ShownNumbers(hDlg);
            strEnabling = ShownEnabling(hDlg);
            UiRobot::PostClick(hDlg, IDOK);
        });
        CHECK(fixture.dlg.DoModal() == IDOK);
        REQUIRE(driver.Join());
        CHECK(strNumbers == c.numbers);
        CHECK(strEnabling == c.enabling);
        const bool bDefaults = c.nClick == IDC_CFG_MODE_DIRECT;
        CHECK(fixture.dlg.m_nMode == (bDefaults ? 0 : 1));
        CHECK(fixture.dlg.m_nValue1 == (bDefaults ? 9u : 30u));
        CHECK(fixture.dlg.m_nValue2 == (bDefaults ? 33u : 100u));
        CHECK(fixture.dlg.m_nValue3 == (bDefaults ? 0u : 12u));
        CHECK(fixture.dlg.m_nValue1Thirds == (bDefaults ? 3u : 10u));
        CHECK(fixture.dlg.m_nValue3Thirds == (bDefaults ? 0u : 4u));
    }
}

TEST_CASE("OK refuses a number out of its range with the range, once, and takes none behind it")
{
    EditorFixture fixture(9, 33, 0, 0);
    SeenMessage seen;
    HWND hEditor = nullptr;
    int nFocus = 0, nMoreBoxes = -1;
    DialogDriver driver([&](HWND hDlg) {
        hEditor = hDlg;
        UiRobot::SetText(hDlg, IDC_CFG_VALUE1, "12");
        UiRobot::SetText(hDlg, IDC_CFG_VALUE2, "5");
        UiRobot::SetText(hDlg, IDC_CFG_VALUE3, "7");
        // Enter, from the first number: the focus put back on the second leaves it.
        MoveFocus(hDlg, IDC_CFG_VALUE1);
        PostPressInPlace(hDlg, IDOK);
        seen = AnswerMessage(hDlg);
        nMoreBoxes = CloseOpenMessageBoxes(hDlg);
        nFocus = FocusedControl(hDlg);
        UiRobot::PostClick(hDlg, IDCANCEL);
        WaitCancelled(hDlg);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(seen.text == "Bitte einen Wert von 10 bis 150 eingeben.");
    // The application's box, in front of the editor.
    CHECK(seen.caption == "Zevanto tests");
    CHECK(seen.bExclamation);
    CHECK(seen.hOwner == hEditor);
    CHECK(seen.bOwnerDisabled);
    CHECK(nMoreBoxes == 0);
    CHECK(nFocus == IDC_CFG_VALUE2);
    // Taken up to the refused one, which is read before its check; the third comes after
    // it and is not taken.
    CHECK(fixture.dlg.m_nValue1 == 12);
    CHECK(fixture.dlg.m_nValue2 == 5);
    CHECK(fixture.dlg.m_nValue3 == 0);
}

TEST_CASE("each number has its range, and OK takes the numbers once they are all in it")
{
    struct Case {
        int nID;
        const char *typed, *valid, *message;
    };
    const Case cases[] = {
        { IDC_CFG_VALUE1, "1", "50", "Bitte einen Wert von 2 bis 50 eingeben." },
        { IDC_CFG_VALUE1, "51", "2", "Bitte einen Wert von 2 bis 50 eingeben." },
        { IDC_CFG_VALUE2, "9", "10", "Bitte einen Wert von 10 bis 150 eingeben." },
        { IDC_CFG_VALUE2, "151", "150", "Bitte einen Wert von 10 bis 150 eingeben." },
        { IDC_CFG_VALUE3, "51", "0", "Bitte einen Wert von 0 bis 50 eingeben." },
        { IDC_CFG_VALUE1_THIRDS, "0", "17", "Bitte einen Wert von 1 bis 17 eingeben." },
        { IDC_CFG_VALUE1_THIRDS, "18", "1", "Bitte einen Wert von 1 bis 17 eingeben." },
        { IDC_CFG_VALUE3_THIRDS, "18", "0", "Bitte einen Wert von 0 bis 17 eingeben." },
        { IDC_CFG_VALUE2, "abc", "40", "Bitte eine positive ganze Zahl oder 0 eingeben." },
    };
    const size_t nCases = sizeof cases / sizeof cases[0];
    // No mode: every field is enabled.
    EditorFixture fixture(9, 33, 0, -1);
    SeenMessage seen[nCases];
    int nFocus[nCases] = {};
    int nMoreBoxes = 0;
    DialogDriver driver([&](HWND hDlg) {
        for (size_t i = 0; i < nCases; ++i) {
            UiRobot::SetText(hDlg, cases[i].nID, cases[i].typed);
            // Enter: the focus stays in the field refused before, whose rule would run
            // if a click on OK took the focus from it.
            PostPressInPlace(hDlg, IDOK);
            seen[i] = AnswerMessage(hDlg);
            nMoreBoxes += CloseOpenMessageBoxes(hDlg);
            nFocus[i] = FocusedControl(hDlg);
            UiRobot::SetText(hDlg, cases[i].nID, cases[i].valid);
        }
        UiRobot::PostClick(hDlg, IDOK);
    });
    CHECK(fixture.dlg.DoModal() == IDOK);
    REQUIRE(driver.Join());
    for (size_t i = 0; i < nCases; ++i) {
        INFO((std::to_string(cases[i].nID) + ": " + cases[i].typed));
        CHECK(seen[i].text == cases[i].message);
        CHECK(nFocus[i] == cases[i].nID);
    }
    CHECK(nMoreBoxes == 0);
    CHECK(fixture.dlg.m_nValue1 == 2);
    CHECK(fixture.dlg.m_nValue2 == 40);
    CHECK(fixture.dlg.m_nValue3 == 0);
    CHECK(fixture.dlg.m_nValue1Thirds == 1);
    CHECK(fixture.dlg.m_nValue3Thirds == 0);
}

TEST_CASE("a calculator result from 2 to 16 becomes the first number in thirds; 1, 17 or Cancel change nothing")
{
    struct Case {
        const char *high, *low, *step;
        int nEnd;
        const char* result;
        bool bTaken;
    };
    const Case cases[] = {
        { "1000", "500", "50", IDOK, "10", true },      { "1000", "500", "30", IDOK, "16", true },
        { "710", "700", "10", IDOK, "1", false },       { "870", "700", "10", IDOK, "17", false },
        { "1000", "500", "50", IDCANCEL, "10", false },
    };
    for (const Case& c : cases) {
        INFO((std::string(c.result) + ", end " + std::to_string(c.nEnd)));
        EditorFixture fixture(45, 33, 9, 1);
        HWND hEditor = nullptr, hCalc = nullptr, hOwner = nullptr;
        bool bEditorDisabled = false;
        std::string strResult, strNumbers;
        int nFocus = 0;
        DialogDriver driver([&](HWND hDlg) {
            hEditor = hDlg;
            UiRobot::PostClick(hDlg, IDC_CFG_CALCULATE);
            hCalc = WaitDialogOver(hDlg);
            if (hCalc) {
                hOwner = ::GetWindow(hCalc, GW_OWNER);
                bEditorDisabled = !::IsWindowEnabled(hDlg);
                UiRobot::SetText(hCalc, IDC_CALC_HIGH, c.high);
                UiRobot::SetText(hCalc, IDC_CALC_LOW, c.low);
                UiRobot::SetText(hCalc, IDC_CALC_STEP, c.step);
                UiRobot::Click(hCalc, IDC_CALC_RUN);
                strResult = UiRobot::ItemText(hCalc, IDC_CALC_RESULT);
                UiRobot::PostClick(hCalc, c.nEnd);
                WaitClosed(hCalc, hDlg);
            }
            strNumbers = ShownNumbers(hDlg);
            nFocus = FocusedControl(hDlg);
            UiRobot::PostClick(hDlg, IDOK);
        });
        CHECK(fixture.dlg.DoModal() == IDOK);
        REQUIRE(driver.Join());
        REQUIRE(hCalc != nullptr);
        CHECK(hOwner == hEditor);
        CHECK(bEditorDisabled);
        CHECK(strResult == c.result);
        // Taken: the result in thirds, three times it as the first number, the focus on
        // the thirds; otherwise as it was, the focus back on the calculator's button.
        UINT nThirds = c.bTaken ? static_cast<UINT>(std::stoul(c.result)) : 15;
        CHECK(strNumbers == std::to_string(3 * nThirds) + " 33 9 | " + std::to_string(nThirds) + " 3");
        CHECK(nFocus == (c.bTaken ? IDC_CFG_VALUE1_THIRDS : IDC_CFG_CALCULATE));
        CHECK(fixture.dlg.m_nValue1Thirds == nThirds);
        CHECK(fixture.dlg.m_nValue1 == 3 * nThirds);
    }
}

TEST_CASE("Cancel clicked from a number out of order or out of range closes the editor")
{
    struct Case {
        int nID;
        const char* typed;
    };
    const Case cases[] = { { IDC_CFG_VALUE3, "12" },        { IDC_CFG_VALUE1, "1" },
                           { IDC_CFG_VALUE2, "5" },         { IDC_CFG_VALUE1_THIRDS, "18" },
                           { IDC_CFG_VALUE3_THIRDS, "5" } };
    for (const Case& c : cases) {
        CAPTURE(c.nID);
        EditorFixture fixture(9, 33, 0, -1);
        int nBoxes = -1;
        DialogDriver driver([&](HWND hDlg) {
            MoveFocus(hDlg, c.nID);
            UiRobot::SetText(hDlg, c.nID, c.typed);
            UiRobot::PostClick(hDlg, IDCANCEL);
            nBoxes = WaitCancelled(hDlg);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(nBoxes == 0);
        CHECK(fixture.dlg.m_nValue1 == 9);
        CHECK(fixture.dlg.m_nValue2 == 33);
        CHECK(fixture.dlg.m_nValue3 == 0);
    }
}

TEST_CASE("switching to another program from a number out of order checks it only when left")
{
    EditorFixture fixture(9, 33, 0, 0);
    int nBoxesWhileAway = -1;
    int nFocusBack = 0;
    Refusal refusal;
    DialogDriver driver([&](HWND hDlg) {
        MoveFocus(hDlg, IDC_CFG_VALUE3);
        UiRobot::SetText(hDlg, IDC_CFG_VALUE3, "12");
        SwitchToAnotherWindow(hDlg);
        nBoxesWhileAway = CloseOpenMessageBoxes(hDlg);
        nFocusBack = FocusedControl(hDlg);
        refusal = TypeAndLeaveRefused(hDlg, IDC_CFG_VALUE3, "12", IDC_CFG_KIND);
        UiRobot::PostClick(hDlg, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(nBoxesWhileAway == 0);
    CHECK(nFocusBack == IDC_CFG_VALUE3);
    CHECK(refusal.seen.text == kThirdTooHigh);
    CHECK(refusal.nMoreBoxes == 0);
}
