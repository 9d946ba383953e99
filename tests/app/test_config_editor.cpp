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

// The five numbers as the editor shows them.
struct Numbers {
    std::string first, second, third, firstThirds, thirdThirds;
    bool operator==(const Numbers& other) const
    {
        return first == other.first && second == other.second && third == other.third &&
               firstThirds == other.firstThirds && thirdThirds == other.thirdThirds;
    }
};

doctest::String toString(const Numbers& n)
{
    return ("{" + n.first + ", " + n.second + ", " + n.third + " | " + n.firstThirds + ", " + n.thirdThirds + "}")
        .c_str();
}

Numbers ReadNumbers(HWND hDlg)
{
    return { UiRobot::ItemText(hDlg, IDC_CFG_VALUE1), UiRobot::ItemText(hDlg, IDC_CFG_VALUE2),
             UiRobot::ItemText(hDlg, IDC_CFG_VALUE3), UiRobot::ItemText(hDlg, IDC_CFG_VALUE1_THIRDS),
             UiRobot::ItemText(hDlg, IDC_CFG_VALUE3_THIRDS) };
}

// Which controls are enabled: those of direct entry, and those of entry in thirds.
struct Enabling {
    bool direct[6] = {};
    bool thirds[3] = {};
};
const int kDirectControls[] = { IDC_CFG_VALUE1,   IDC_CFG_VALUE2,   IDC_CFG_VALUE3,
                                IDC_CFG_OPTION_0, IDC_CFG_OPTION_1, IDC_CFG_DIRECT_LABEL };
const int kThirdsControls[] = { IDC_CFG_VALUE1_THIRDS, IDC_CFG_VALUE3_THIRDS, IDC_CFG_CALCULATE };

Enabling ReadEnabling(HWND hDlg)
{
    Enabling e;
    for (int i = 0; i < 6; ++i)
        e.direct[i] = IsEnabled(hDlg, kDirectControls[i]);
    for (int i = 0; i < 3; ++i)
        e.thirds[i] = IsEnabled(hDlg, kThirdsControls[i]);
    return e;
}

void CheckEnabling(const Enabling& e, bool bDirect, bool bThirds)
{
    for (int i = 0; i < 6; ++i) {
        CAPTURE(kDirectControls[i]);
        CHECK(e.direct[i] == bDirect);
    }
    for (int i = 0; i < 3; ++i) {
        CAPTURE(kThirdsControls[i]);
        CHECK(e.thirds[i] == bThirds);
    }
}

// Into edit nID, the text, and out again to nTo (by default the kind box, which has no
// rule), as a user types a number: the rule of nID runs.
void TypeAndLeave(HWND hDlg, int nID, const char* pszText, int nTo = IDC_CFG_KIND)
{
    MoveFocus(hDlg, nID);
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

// The calculator opened from the editor: the three inputs, Calculate, then OK or Cancel.
struct CalculatorRun {
    HWND hCalc = nullptr;
    HWND hOwner = nullptr;
    bool bEditorDisabled = false;
    std::string result;
};

CalculatorRun RunCalculator(HWND hDlg, const char* pszHigh, const char* pszLow, const char* pszStep, int nEnd)
{
    CalculatorRun run;
    UiRobot::PostClick(hDlg, IDC_CFG_CALCULATE);
    run.hCalc = WaitDialogOver(hDlg);
    if (!run.hCalc)
        return run;
    run.hOwner = ::GetWindow(run.hCalc, GW_OWNER);
    run.bEditorDisabled = !::IsWindowEnabled(hDlg);
    UiRobot::SetText(run.hCalc, IDC_CALC_HIGH, pszHigh);
    UiRobot::SetText(run.hCalc, IDC_CALC_LOW, pszLow);
    UiRobot::SetText(run.hCalc, IDC_CALC_STEP, pszStep);
    UiRobot::Click(run.hCalc, IDC_CALC_RUN);
    run.result = UiRobot::ItemText(run.hCalc, IDC_CALC_RESULT);
    UiRobot::PostClick(run.hCalc, nEnd);
    WaitClosed(run.hCalc, hDlg);
    return run;
}

const char kFirstTooLow[] = "Der erste Wert darf nicht kleiner als der dritte sein.";
const char kThirdTooHigh[] = "Der dritte Wert darf nicht größer als der erste sein.";
}

TEST_CASE("the editor shows the numbers read with their thirds, and in mode 0 direct entry")
{
    EditorFixture fixture(9, 33, 0, 0, 1, 1);
    std::string strCaption;
    Numbers shown;
    Enabling enabling;
    bool bDirect = false, bThirds = true, bKind = false, bOption0 = true, bOption1 = false;
    DialogDriver driver([&](HWND hDlg) {
        strCaption = UiRobot::Text(hDlg);
        shown = ReadNumbers(hDlg);
        enabling = ReadEnabling(hDlg);
        bDirect = UiRobot::IsChecked(hDlg, IDC_CFG_MODE_DIRECT);
        bThirds = UiRobot::IsChecked(hDlg, IDC_CFG_MODE_THIRDS);
        bKind = UiRobot::IsChecked(hDlg, IDC_CFG_KIND);
        bOption0 = UiRobot::IsChecked(hDlg, IDC_CFG_OPTION_0);
        bOption1 = UiRobot::IsChecked(hDlg, IDC_CFG_OPTION_1);
        UiRobot::PostClick(hDlg, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(strCaption == "Konfiguration");
    CHECK(shown == Numbers{ "9", "33", "0", "3", "0" });
    CheckEnabling(enabling, true, false);
    CHECK(bDirect);
    CHECK_FALSE(bThirds);
    CHECK(bKind);
    CHECK_FALSE(bOption0);
    CHECK(bOption1);
    CHECK(fixture.dlg.m_nValue1Thirds == 3);
    CHECK(fixture.dlg.m_nValue3Thirds == 0);
}

TEST_CASE("in mode 1 the numbers in thirds and the calculator are enabled, direct entry not")
{
    EditorFixture fixture(30, 33, 9, 1);
    Numbers shown;
    Enabling enabling;
    bool bThirds = false;
    DialogDriver driver([&](HWND hDlg) {
        shown = ReadNumbers(hDlg);
        enabling = ReadEnabling(hDlg);
        bThirds = UiRobot::IsChecked(hDlg, IDC_CFG_MODE_THIRDS);
        UiRobot::PostClick(hDlg, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(shown == Numbers{ "30", "33", "9", "10", "3" });
    CheckEnabling(enabling, false, true);
    CHECK(bThirds);
}

TEST_CASE("with no mode, kind or option chosen everything stays enabled and OK gives back none")
{
    EditorFixture fixture(30, 33, 9, -1, -1, -1);
    Enabling enabling;
    bool bAnyChecked = true;
    DialogDriver driver([&](HWND hDlg) {
        enabling = ReadEnabling(hDlg);
        bAnyChecked = UiRobot::IsChecked(hDlg, IDC_CFG_MODE_DIRECT) || UiRobot::IsChecked(hDlg, IDC_CFG_MODE_THIRDS) ||
                      UiRobot::IsChecked(hDlg, IDC_CFG_KIND) || UiRobot::IsChecked(hDlg, IDC_CFG_OPTION_0) ||
                      UiRobot::IsChecked(hDlg, IDC_CFG_OPTION_1);
        UiRobot::PostClick(hDlg, IDOK);
    });
    CHECK(fixture.dlg.DoModal() == IDOK);
    REQUIRE(driver.Join());
    CheckEnabling(enabling, true, true);
    CHECK_FALSE(bAnyChecked);
    CHECK(fixture.dlg.m_nMode == -1);
    CHECK(fixture.dlg.m_nOption == -1);
    CHECK(fixture.dlg.m_nKind == 0);
    CHECK(fixture.dlg.m_nValue1 == 30);
    CHECK(fixture.dlg.m_nValue2 == 33);
    CHECK(fixture.dlg.m_nValue3 == 9);
}

TEST_CASE("the kind box and the option buttons give back what the user chose")
{
    EditorFixture fixture(30, 33, 9, 0, 0, -1);
    LONG nKindStyle = 0;
    int nOptionAfterFirst = -99;
    DialogDriver driver([&](HWND hDlg) {
        nKindStyle = ::GetWindowLongA(::GetDlgItem(hDlg, IDC_CFG_KIND), GWL_STYLE);
        UiRobot::Click(hDlg, IDC_CFG_KIND);
        UiRobot::Click(hDlg, IDC_CFG_OPTION_0);
        nOptionAfterFirst = UiRobot::IsChecked(hDlg, IDC_CFG_OPTION_0) ? 0 : -1;
        UiRobot::Click(hDlg, IDC_CFG_OPTION_1);
        UiRobot::PostClick(hDlg, IDOK);
    });
    CHECK(fixture.dlg.DoModal() == IDOK);
    REQUIRE(driver.Join());
    CHECK((nKindStyle & BS_TYPEMASK) == BS_AUTOCHECKBOX);
    CHECK(nOptionAfterFirst == 0);
    CHECK(fixture.dlg.m_nKind == 1);
    CHECK(fixture.dlg.m_nOption == 1);
}

TEST_CASE("a first number of 10 from the device shows 3 thirds and becomes 9 when left")
{
    EditorFixture fixture(10, 33, 0, 0);
    Numbers before, after;
    DialogDriver driver([&](HWND hDlg) {
        before = ReadNumbers(hDlg);
        MoveFocus(hDlg, IDC_CFG_VALUE1);
        MoveFocus(hDlg, IDC_CFG_VALUE2);
        after = ReadNumbers(hDlg);
        UiRobot::PostClick(hDlg, IDOK);
    });
    CHECK(fixture.dlg.DoModal() == IDOK);
    REQUIRE(driver.Join());
    CHECK(before == Numbers{ "10", "33", "0", "3", "0" });
    CHECK(after == Numbers{ "9", "33", "0", "3", "0" });
    CHECK(fixture.dlg.m_nValue1 == 9);
    CHECK(fixture.dlg.m_nValue1Thirds == 3);
}

TEST_CASE("the first and third numbers typed become whole thirds")
{
    struct Case {
        int nID;
        const char* typed;
        const char* shown;
        const char* thirds;
    };
    const Case cases[] = {
        { IDC_CFG_VALUE1, "50", "50", "17" }, { IDC_CFG_VALUE1, "49", "48", "16" },
        { IDC_CFG_VALUE1, "2", "3", "1" },    { IDC_CFG_VALUE1, "10", "9", "3" },
        { IDC_CFG_VALUE1, "9", "9", "3" },    { IDC_CFG_VALUE3, "1", "0", "0" },
        { IDC_CFG_VALUE3, "2", "3", "1" },    { IDC_CFG_VALUE3, "9", "9", "3" },
        { IDC_CFG_VALUE3, "0", "0", "0" },
    };
    EditorFixture fixture(9, 33, 0, 0);
    std::string shown[sizeof cases / sizeof cases[0]][2];
    int nBoxes = 0;
    DialogDriver driver([&](HWND hDlg) {
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            const Case& c = cases[i];
            TypeAndLeave(hDlg, c.nID, c.typed);
            nBoxes += CloseOpenMessageBoxes(hDlg);
            int nThirdsID = c.nID == IDC_CFG_VALUE1 ? IDC_CFG_VALUE1_THIRDS : IDC_CFG_VALUE3_THIRDS;
            shown[i][0] = UiRobot::ItemText(hDlg, c.nID);
            shown[i][1] = UiRobot::ItemText(hDlg, nThirdsID);
        }
        UiRobot::PostClick(hDlg, IDOK);
    });
    CHECK(fixture.dlg.DoModal() == IDOK);
    REQUIRE(driver.Join());
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        CAPTURE(cases[i].nID);
        CAPTURE(cases[i].typed);
        CHECK(shown[i][0] == cases[i].shown);
        CHECK(shown[i][1] == cases[i].thirds);
    }
    CHECK(nBoxes == 0);
    CHECK(fixture.dlg.m_nValue1 == 9);
    CHECK(fixture.dlg.m_nValue3 == 0);
}

TEST_CASE("in thirds, the first and third in thirds set the numbers")
{
    struct Case {
        int nID;
        const char* typed;
        int nNumberID;
        const char* number;
    };
    const Case cases[] = {
        { IDC_CFG_VALUE1_THIRDS, "17", IDC_CFG_VALUE1, "50" }, { IDC_CFG_VALUE1_THIRDS, "16", IDC_CFG_VALUE1, "48" },
        { IDC_CFG_VALUE3_THIRDS, "5", IDC_CFG_VALUE3, "15" },  { IDC_CFG_VALUE3_THIRDS, "16", IDC_CFG_VALUE3, "48" },
        { IDC_CFG_VALUE3_THIRDS, "0", IDC_CFG_VALUE3, "0" },   { IDC_CFG_VALUE1_THIRDS, "1", IDC_CFG_VALUE1, "3" },
    };
    EditorFixture fixture(30, 33, 9, 1);
    std::string shown[sizeof cases / sizeof cases[0]][2];
    int nBoxes = 0;
    DialogDriver driver([&](HWND hDlg) {
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            TypeAndLeave(hDlg, cases[i].nID, cases[i].typed);
            nBoxes += CloseOpenMessageBoxes(hDlg);
            shown[i][0] = UiRobot::ItemText(hDlg, cases[i].nID);
            shown[i][1] = UiRobot::ItemText(hDlg, cases[i].nNumberID);
        }
        UiRobot::PostClick(hDlg, IDOK);
    });
    CHECK(fixture.dlg.DoModal() == IDOK);
    REQUIRE(driver.Join());
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        CAPTURE(cases[i].typed);
        CHECK(shown[i][0] == cases[i].typed);
        CHECK(shown[i][1] == cases[i].number);
    }
    CHECK(nBoxes == 0);
    CHECK(fixture.dlg.m_nValue1 == 3);
    CHECK(fixture.dlg.m_nValue1Thirds == 1);
    CHECK(fixture.dlg.m_nValue3 == 0);
}

TEST_CASE("a third number above the first is refused once, and the focus stays on it")
{
    // Left for the kind box, and left for the first number, whose own rule would find
    // the order wrong too.
    for (int nTo : { IDC_CFG_KIND, IDC_CFG_VALUE1 }) {
        CAPTURE(nTo);
        EditorFixture fixture(9, 33, 0, 0);
        Refusal refusal;
        HWND hEditor = nullptr;
        Numbers after;
        DialogDriver driver([&](HWND hDlg) {
            hEditor = hDlg;
            refusal = TypeAndLeaveRefused(hDlg, IDC_CFG_VALUE3, "12", nTo);
            after = ReadNumbers(hDlg);
            UiRobot::PostClick(hDlg, IDCANCEL);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(refusal.seen.text == kThirdTooHigh);
        CHECK(refusal.seen.caption == "ZEV");
        CHECK(refusal.seen.bExclamation);
        CHECK(refusal.seen.hOwner == hEditor);
        CHECK(refusal.nMoreBoxes == 0);
        CHECK(refusal.nFocus == IDC_CFG_VALUE3);
        // The value stays for the user to change.
        CHECK(after == Numbers{ "9", "33", "12", "3", "0" });
    }
}

TEST_CASE("a first number below the third is refused once, and the focus stays on it")
{
    for (int nTo : { IDC_CFG_KIND, IDC_CFG_VALUE3 }) {
        CAPTURE(nTo);
        EditorFixture fixture(9, 33, 9, 0);
        Refusal refusal;
        Numbers after;
        DialogDriver driver([&](HWND hDlg) {
            refusal = TypeAndLeaveRefused(hDlg, IDC_CFG_VALUE1, "6", nTo);
            after = ReadNumbers(hDlg);
            UiRobot::PostClick(hDlg, IDCANCEL);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(refusal.seen.text == kFirstTooLow);
        CHECK(refusal.nMoreBoxes == 0);
        CHECK(refusal.nFocus == IDC_CFG_VALUE1);
        CHECK(after == Numbers{ "6", "33", "9", "3", "3" });
    }
}

TEST_CASE("in thirds, the order of the first and third is kept the same way")
{
    EditorFixture fixture(30, 33, 9, 1);
    Refusal thirdTooHigh, firstTooLow;
    Numbers after;
    DialogDriver driver([&](HWND hDlg) {
        thirdTooHigh = TypeAndLeaveRefused(hDlg, IDC_CFG_VALUE3_THIRDS, "11", IDC_CFG_VALUE1_THIRDS);
        UiRobot::SetText(hDlg, IDC_CFG_VALUE3_THIRDS, "3");
        MoveFocus(hDlg, IDC_CFG_KIND);
        firstTooLow = TypeAndLeaveRefused(hDlg, IDC_CFG_VALUE1_THIRDS, "2", IDC_CFG_VALUE3_THIRDS);
        after = ReadNumbers(hDlg);
        UiRobot::PostClick(hDlg, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(thirdTooHigh.seen.text == kThirdTooHigh);
    CHECK(thirdTooHigh.nMoreBoxes == 0);
    CHECK(thirdTooHigh.nFocus == IDC_CFG_VALUE3_THIRDS);
    CHECK(firstTooLow.seen.text == kFirstTooLow);
    CHECK(firstTooLow.nMoreBoxes == 0);
    CHECK(firstTooLow.nFocus == IDC_CFG_VALUE1_THIRDS);
    CHECK(after == Numbers{ "30", "33", "9", "2", "3" });
}

TEST_CASE("direct entry loads the default values, also when it is chosen already")
{
    for (int nMode : { 1, 0 }) {
        CAPTURE(nMode);
        EditorFixture fixture(30, 100, 12, nMode);
        Numbers after;
        Enabling enabling;
        bool bDirect = false;
        DialogDriver driver([&](HWND hDlg) {
            UiRobot::Click(hDlg, IDC_CFG_MODE_DIRECT);
            after = ReadNumbers(hDlg);
            enabling = ReadEnabling(hDlg);
            bDirect = UiRobot::IsChecked(hDlg, IDC_CFG_MODE_DIRECT);
            UiRobot::PostClick(hDlg, IDOK);
        });
        CHECK(fixture.dlg.DoModal() == IDOK);
        REQUIRE(driver.Join());
        CHECK(after == Numbers{ "9", "33", "0", "3", "0" });
        CheckEnabling(enabling, true, false);
        CHECK(bDirect);
        CHECK(fixture.dlg.m_nMode == 0);
        CHECK(fixture.dlg.m_nValue1 == 9);
        CHECK(fixture.dlg.m_nValue2 == 33);
        CHECK(fixture.dlg.m_nValue3 == 0);
        CHECK(fixture.dlg.m_nValue1Thirds == 3);
        CHECK(fixture.dlg.m_nValue3Thirds == 0);
    }
}

TEST_CASE("entry in thirds changes which fields are enabled, and keeps the numbers")
{
    EditorFixture fixture(30, 100, 12, 0);
    Enabling enabling;
    Numbers after;
    DialogDriver driver([&](HWND hDlg) {
        UiRobot::Click(hDlg, IDC_CFG_MODE_THIRDS);
        enabling = ReadEnabling(hDlg);
        after = ReadNumbers(hDlg);
        UiRobot::PostClick(hDlg, IDOK);
    });
    CHECK(fixture.dlg.DoModal() == IDOK);
    REQUIRE(driver.Join());
    CheckEnabling(enabling, false, true);
    CHECK(after == Numbers{ "30", "100", "12", "10", "4" });
    CHECK(fixture.dlg.m_nMode == 1);
}

TEST_CASE("OK refuses a number out of its range with the range, and takes none behind it")
{
    EditorFixture fixture(9, 33, 0, 0);
    SeenMessage seen;
    HWND hEditor = nullptr;
    int nFocus = 0;
    bool bStillOpen = false;
    DialogDriver driver([&](HWND hDlg) {
        hEditor = hDlg;
        UiRobot::SetText(hDlg, IDC_CFG_VALUE1, "12");
        UiRobot::SetText(hDlg, IDC_CFG_VALUE2, "5");
        UiRobot::SetText(hDlg, IDC_CFG_VALUE3, "7");
        UiRobot::PostClick(hDlg, IDOK);
        seen = AnswerMessage(hDlg);
        nFocus = FocusedControl(hDlg);
        bStillOpen = ::IsWindowVisible(hDlg) != FALSE;
        UiRobot::PostClick(hDlg, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(seen.text == "Bitte einen Wert von 10 bis 150 eingeben.");
    // The application's box, in front of the editor.
    CHECK(seen.caption == "Zevanto tests");
    CHECK(seen.bExclamation);
    CHECK(seen.hOwner == hEditor);
    CHECK(seen.bOwnerDisabled);
    CHECK(nFocus == IDC_CFG_VALUE2);
    CHECK(bStillOpen);
    // Taken up to the refused one, which is read before its check; the third comes
    // after it and is not taken.
    CHECK(fixture.dlg.m_nValue1 == 12);
    CHECK(fixture.dlg.m_nValue2 == 5);
    CHECK(fixture.dlg.m_nValue3 == 0);
}

TEST_CASE("each number has its range, and OK takes the numbers once they are all in it")
{
    struct Case {
        int nID;
        const char* typed;
        const char* valid;
        const char* message;
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
        { IDC_CFG_VALUE2, "abc", "40", "Please enter a positive integer or 0." },
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
            // The focus put back leaves the field refused before, whose rule must not
            // refuse once more.
            nMoreBoxes += CloseOpenMessageBoxes(hDlg);
            nFocus[i] = FocusedControl(hDlg);
            UiRobot::SetText(hDlg, cases[i].nID, cases[i].valid);
        }
        UiRobot::PostClick(hDlg, IDOK);
    });
    CHECK(fixture.dlg.DoModal() == IDOK);
    REQUIRE(driver.Join());
    for (size_t i = 0; i < nCases; ++i) {
        CAPTURE(cases[i].nID);
        CAPTURE(cases[i].typed);
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

TEST_CASE("the calculator's result from 2 to 16 becomes the first number in thirds")
{
    struct Case {
        const char *high, *low, *step, *thirds, *first;
    };
    const Case cases[] = { { "1000", "500", "50", "10", "30" }, { "1000", "500", "30", "16", "48" } };
    for (const Case& c : cases) {
        CAPTURE(c.thirds);
        EditorFixture fixture(30, 33, 9, 1);
        HWND hEditor = nullptr;
        CalculatorRun calc;
        Numbers after;
        int nFocus = 0;
        DialogDriver driver([&](HWND hDlg) {
            hEditor = hDlg;
            calc = RunCalculator(hDlg, c.high, c.low, c.step, IDOK);
            after = ReadNumbers(hDlg);
            nFocus = FocusedControl(hDlg);
            UiRobot::PostClick(hDlg, IDOK);
        });
        CHECK(fixture.dlg.DoModal() == IDOK);
        REQUIRE(driver.Join());
        REQUIRE(calc.hCalc != nullptr);
        CHECK(calc.hOwner == hEditor);
        CHECK(calc.bEditorDisabled);
        CHECK(calc.result == c.thirds);
        CHECK(after == Numbers{ c.first, "33", "9", c.thirds, "3" });
        CHECK(nFocus == IDC_CFG_VALUE1_THIRDS);
        CHECK(fixture.dlg.m_nValue1Thirds == static_cast<UINT>(std::stoul(c.thirds)));
        CHECK(fixture.dlg.m_nValue1 == static_cast<UINT>(std::stoul(c.first)));
    }
}

TEST_CASE("a calculator result of 1 or 17, or Cancel, leaves the editor as it was")
{
    struct Case {
        const char *high, *low, *step;
        int nEnd;
        const char* result;
    };
    const Case cases[] = { { "710", "700", "10", IDOK, "1" },
                           { "870", "700", "10", IDOK, "17" },
                           { "1000", "500", "50", IDCANCEL, "10" } };
    for (const Case& c : cases) {
        CAPTURE(c.result);
        CAPTURE(c.nEnd);
        EditorFixture fixture(30, 33, 9, 1);
        CalculatorRun calc;
        Numbers after;
        DialogDriver driver([&](HWND hDlg) {
            calc = RunCalculator(hDlg, c.high, c.low, c.step, c.nEnd);
            after = ReadNumbers(hDlg);
            UiRobot::PostClick(hDlg, IDOK);
        });
        CHECK(fixture.dlg.DoModal() == IDOK);
        REQUIRE(driver.Join());
        CHECK(calc.result == c.result);
        CHECK(after == Numbers{ "30", "33", "9", "10", "3" });
        CHECK(fixture.dlg.m_nValue1 == 30);
        CHECK(fixture.dlg.m_nValue1Thirds == 10);
    }
}

TEST_CASE("Cancel clicked from a number out of order or out of range closes the editor")
{
    struct Case {
        int nID;
        const char* typed;
    };
    // Out of order with the other number, and out of range (the second number's check
    // is the exchange's).
    const Case cases[] = { { IDC_CFG_VALUE3, "12" }, { IDC_CFG_VALUE1, "1" }, { IDC_CFG_VALUE2, "5" },
                           { IDC_CFG_VALUE1_THIRDS, "18" }, { IDC_CFG_VALUE3_THIRDS, "5" } };
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
    bool bBoxWhileAway = true;
    int nFocusBack = 0;
    Refusal refusal;
    DialogDriver driver([&](HWND hDlg) {
        MoveFocus(hDlg, IDC_CFG_VALUE3);
        UiRobot::SetText(hDlg, IDC_CFG_VALUE3, "12");
        SwitchToAnotherWindow(hDlg);
        bBoxWhileAway = OpenMessageBox(hDlg) != nullptr;
        CloseOpenMessageBoxes(hDlg);
        nFocusBack = FocusedControl(hDlg);
        refusal = TypeAndLeaveRefused(hDlg, IDC_CFG_VALUE3, "12", IDC_CFG_KIND);
        UiRobot::PostClick(hDlg, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK_FALSE(bBoxWhileAway);
    CHECK(nFocusBack == IDC_CFG_VALUE3);
    CHECK(refusal.seen.text == kThirdTooHigh);
    CHECK(refusal.nMoreBoxes == 0);
}
