// The step calculator run modally with a user on a second thread: the quotient and OK,
// the messages for missing input, inputs out of range and results out of range, a step
// of 0 never divided by, and the checks when an input is left.
#include "AppTestEnvironment.h"
#include "DialogDriver.h"
#include "DialogSteps.h"
#include "StepCalcDlg.h"
#include "UiRobot.h"
#include "resource.h"

#include <doctest.h>

#include <string>

namespace {
struct CalcFixture {
    CalcFixture() { UseLanguageLibrary(); }
    CStepCalcDlg dlg;
};

void EnterInputs(HWND hCalc, const char* pszHigh, const char* pszLow, const char* pszStep)
{
    UiRobot::SetText(hCalc, IDC_CALC_HIGH, pszHigh);
    UiRobot::SetText(hCalc, IDC_CALC_LOW, pszLow);
    UiRobot::SetText(hCalc, IDC_CALC_STEP, pszStep);
}

struct ResultLook {
    std::string result;
    bool bOkEnabled = true;
};

ResultLook LookAtResult(HWND hCalc)
{
    return { UiRobot::ItemText(hCalc, IDC_CALC_RESULT), IsEnabled(hCalc, IDOK) };
}

// How Calculate is pressed, from the high reading where the focus starts: clicked (the
// focus leaves the high reading for the button), in place (the focus stays), or by its
// underlined letter (Wine's dialog manager clicks the button then).
enum Press { CLICK, IN_PLACE, LETTER };

const char kOutOfRange[] = "Das Ergebnis muss zwischen 1 und 17 liegen: bitte die Eingaben prüfen.";
const char kMissing[] = "Bitte beide Messwerte und den Schritt eingeben.";
const char kHighRange[] = "Bitte einen Wert von 700 bis 1300 eingeben.";
const char kLowRange[] = "Bitte einen Wert von 400 bis 700 eingeben.";
const char kStepRange[] = "Bitte einen Wert von 10 bis 100 eingeben.";
}

TEST_CASE("the calculator opens empty, with OK disabled and the cursor in the high reading")
{
    CalcFixture fixture;
    fixture.dlg.m_strHigh = "1000";
    fixture.dlg.m_strResult = "12";
    std::string strCaption, strHigh;
    ResultLook look;
    int nFocus = 0;
    LONG nResultStyle = 0;
    DialogDriver driver([&](HWND hCalc) {
        strCaption = UiRobot::Text(hCalc);
        strHigh = UiRobot::ItemText(hCalc, IDC_CALC_HIGH);
        look = LookAtResult(hCalc);
        nFocus = FocusedControl(hCalc);
        nResultStyle = ::GetWindowLongA(::GetDlgItem(hCalc, IDC_CALC_RESULT), GWL_STYLE);
        UiRobot::PostClick(hCalc, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(strCaption == "Schrittrechner");
    CHECK(strHigh.empty());
    CHECK(look.result.empty());
    CHECK_FALSE(look.bOkEnabled);
    CHECK(nFocus == IDC_CALC_HIGH);
    CHECK((nResultStyle & ES_READONLY) != 0);
}

TEST_CASE("Calculate: the result, or one message, and OK only for a result from 1 to 17")
{
    struct Case {
        const char *high, *low, *step;
        Press press;
        const char* shown;   // the result field afterwards
        const char* message; // the one message; empty for none
        int nFocus;          // where a range message puts the focus; 0 for no range message
    };
    const Case cases[] = {
        { "1000", "500", "50", CLICK, "10", "", 0 },
        { "1000", "500", "30", IN_PLACE, "16", "", 0 }, // 16.67: the remainder is dropped
        { "710", "700", "10", CLICK, "1", "", 0 },
        { "870", "700", "10", CLICK, "17", "", 0 },
        { "700", "400", "100", CLICK, "3", "", 0 },      // every input at an end of its range
        { "1300", "700", "10", IN_PLACE, "60", kOutOfRange, 0 },
        { "1300", "400", "50", CLICK, "18", kOutOfRange, 0 },
        { "700", "700", "10", IN_PLACE, "0", kOutOfRange, 0 },
        { "", "500", "50", IN_PLACE, "", kMissing, 0 }, // in place: leaving it empty is refused
        { "1000", "", "50", CLICK, "", kMissing, 0 },
        { "1000", "500", "", CLICK, "", kMissing, 0 },
        // Calculate checks every input as leaving it does, whether the user left it or not:
        // one out of its range, or no number, gives no result.
        { "1500", "500", "50", CLICK, "", kHighRange, IDC_CALC_HIGH },
        { "1500", "500", "50", IN_PLACE, "", kHighRange, IDC_CALC_HIGH },
        { "1000", "300", "50", CLICK, "", kLowRange, IDC_CALC_LOW },
        { "1000", "500", "5", IN_PLACE, "", kStepRange, IDC_CALC_STEP },
        { "1000", "500", "101", IN_PLACE, "", kStepRange, IDC_CALC_STEP },
        { "100", "50", "5", CLICK, "", kHighRange, IDC_CALC_HIGH }, // 10, from three wrong inputs
        { "abc", "500", "50", IN_PLACE, "", kHighRange, IDC_CALC_HIGH }, // not 85899335, a wrapped quotient
        { "abc", "500", "50", CLICK, "", kHighRange, IDC_CALC_HIGH },
        { "1000", "5x0", "50", IN_PLACE, "", kLowRange, IDC_CALC_LOW },
        // A step of 0 is refused with its range and never divided by.
        { "1000", "500", "0", CLICK, "", kStepRange, IDC_CALC_STEP },
        { "1000", "500", "00", IN_PLACE, "", kStepRange, IDC_CALC_STEP },
        { "1000", "500", "abc", LETTER, "", kStepRange, IDC_CALC_STEP },
        { "1000", "500", "0", LETTER, "", kStepRange, IDC_CALC_STEP },
    };
    for (const Case& c : cases) {
        INFO((std::string(c.high) + " / " + c.low + " / " + c.step + ", press " + std::to_string(c.press)));
        CalcFixture fixture;
        const bool bMessage = *c.message != '\0';
        SeenMessage seen;
        int nMoreBoxes = -1, nFocus = 0;
        HWND hCalcSeen = nullptr;
        ResultLook look;
        DialogDriver driver([&](HWND hCalc) {
            hCalcSeen = hCalc;
            EnterInputs(hCalc, c.high, c.low, c.step);
            if (c.press == LETTER) // Alt+B, as the keyboard delivers it to the focus
                ::PostMessageA(::GetDlgItem(hCalc, IDC_CALC_HIGH), WM_SYSCHAR, 'b', 1 << 29);
            else if (c.press == IN_PLACE)
                bMessage ? PostPressInPlace(hCalc, IDC_CALC_RUN) : PressInPlace(hCalc, IDC_CALC_RUN);
            else
                bMessage ? UiRobot::PostClick(hCalc, IDC_CALC_RUN) : UiRobot::Click(hCalc, IDC_CALC_RUN);
            if (bMessage)
                seen = AnswerMessage(hCalc);
            nMoreBoxes = CloseOpenMessageBoxes(hCalc);
            nFocus = FocusedControl(hCalc);
            look = LookAtResult(hCalc);
            // OK as Calculate was pressed: clicked, or Enter where the focus stayed in
            // the input (a click would leave it, and leaving it withdraws the result).
            if (!look.bOkEnabled)
                UiRobot::PostClick(hCalc, IDCANCEL);
            else if (c.press == IN_PLACE)
                PostPressInPlace(hCalc, IDOK);
            else
                UiRobot::PostClick(hCalc, IDOK);
        });
        INT_PTR nResult = fixture.dlg.DoModal();
        REQUIRE(driver.Join());
        CHECK(seen.text == c.message);
        CHECK(nMoreBoxes == 0);
        CHECK(look.result == c.shown);
        const bool bAccepted = !bMessage;
        CHECK(look.bOkEnabled == bAccepted);
        CHECK(nResult == (bAccepted ? IDOK : IDCANCEL));
        CHECK(fixture.dlg.m_nResult == (*c.shown ? std::stoul(c.shown) : 0));
        if (bAccepted)
            CHECK(std::string(fixture.dlg.m_strResult) == c.shown);
        if (bMessage) {
            CHECK(seen.bExclamation);
            CHECK(seen.hOwner == hCalcSeen);
        }
        if (c.nFocus) {
            // The range message is the application's box.
            CHECK(seen.caption == "Zevanto tests");
            CHECK(nFocus == c.nFocus);
        } else if (bMessage) {
            CHECK(seen.caption == "ZEV");
            CHECK(std::string(fixture.dlg.m_strMessage) == c.message);
        }
    }
}

TEST_CASE("an input left for another is refused once when out of its range, and kept otherwise")
{
    struct Case {
        int nInput;
        const char* text;
        const char* message; // empty: within its range
    };
    const Case cases[] = {
        { IDC_CALC_HIGH, "1301", kHighRange }, { IDC_CALC_HIGH, "699", kHighRange },
        { IDC_CALC_LOW, "399", kLowRange },    { IDC_CALC_LOW, "701", kLowRange },
        { IDC_CALC_STEP, "9", kStepRange },    { IDC_CALC_STEP, "101", kStepRange },
        { IDC_CALC_STEP, "-5", kStepRange },   { IDC_CALC_HIGH, "1300", "" },
        { IDC_CALC_LOW, "400", "" },           { IDC_CALC_STEP, "100", "" },
    };
    for (const Case& c : cases) {
        INFO((std::to_string(c.nInput) + ": " + c.text));
        CalcFixture fixture;
        const bool bMessage = *c.message != '\0';
        SeenMessage seen;
        ResultLook before, after;
        int nMoreBoxes = -1, nFocus = 0;
        DialogDriver driver([&](HWND hCalc) {
            EnterInputs(hCalc, "1000", "500", "50");
            UiRobot::Click(hCalc, IDC_CALC_RUN);
            before = LookAtResult(hCalc);
            MoveFocus(hCalc, c.nInput);
            UiRobot::SetText(hCalc, c.nInput, c.text);
            // Into another input, emptied: out of its range too, but not left by the user.
            int nNext = c.nInput == IDC_CALC_HIGH ? IDC_CALC_LOW : IDC_CALC_HIGH;
            UiRobot::SetText(hCalc, nNext, "");
            if (bMessage) {
                PostMoveFocus(hCalc, nNext);
                seen = AnswerMessage(hCalc);
            } else {
                MoveFocus(hCalc, nNext);
            }
            nMoreBoxes = CloseOpenMessageBoxes(hCalc);
            nFocus = FocusedControl(hCalc);
            after = LookAtResult(hCalc);
            UiRobot::PostClick(hCalc, IDCANCEL);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(before.result == "10");
        CHECK(before.bOkEnabled);
        CHECK(seen.text == c.message);
        CHECK(nMoreBoxes == 0);
        CHECK(nFocus == (bMessage ? c.nInput : (c.nInput == IDC_CALC_HIGH ? IDC_CALC_LOW : IDC_CALC_HIGH)));
        // Leaving an input withdraws the result in any case.
        CHECK(after.result.empty());
        CHECK_FALSE(after.bOkEnabled);
        CHECK(fixture.dlg.m_nResult == 0);
        CHECK_FALSE(fixture.dlg.m_bChecking);
    }
}

TEST_CASE("Cancel clicked from an input out of its range closes the calculator without a message")
{
    for (int nInput : { IDC_CALC_HIGH, IDC_CALC_LOW, IDC_CALC_STEP }) {
        CAPTURE(nInput);
        CalcFixture fixture;
        int nBoxes = -1;
        DialogDriver driver([&](HWND hCalc) {
            EnterInputs(hCalc, "1000", "500", "50");
            MoveFocus(hCalc, nInput);
            UiRobot::SetText(hCalc, nInput, "1");
            UiRobot::PostClick(hCalc, IDCANCEL);
            nBoxes = WaitCancelled(hCalc);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(nBoxes == 0);
    }
}

TEST_CASE("switching to another program from an input checks nothing and keeps the result")
{
    CalcFixture fixture;
    bool bBoxWhileAway = true;
    int nFocusBack = 0;
    ResultLook back;
    DialogDriver driver([&](HWND hCalc) {
        EnterInputs(hCalc, "1000", "500", "50");
        UiRobot::Click(hCalc, IDC_CALC_RUN);
        // Into the high reading, emptied: leaving it for another control would refuse it.
        MoveFocus(hCalc, IDC_CALC_HIGH);
        UiRobot::SetText(hCalc, IDC_CALC_HIGH, "");
        SwitchToAnotherWindow(hCalc);
        bBoxWhileAway = CloseOpenMessageBoxes(hCalc) > 0;
        nFocusBack = FocusedControl(hCalc);
        bBoxWhileAway = CloseOpenMessageBoxes(hCalc) > 0 || bBoxWhileAway;
        back = LookAtResult(hCalc);
        UiRobot::PostClick(hCalc, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK_FALSE(bBoxWhileAway);
    CHECK(nFocusBack == IDC_CALC_HIGH);
    CHECK(back.result == "10");
    CHECK(back.bOkEnabled);
}

TEST_CASE("the range message is in front of the calculator also when a main window owns it")
{
    UseLanguageLibrary();
    // A main window as the program has one; the calculator runs over it.
    CDialog mainWnd(IDD_TEST_EXCHANGE);
    REQUIRE(mainWnd.Create(IDD_TEST_EXCHANGE));
    AfxGetApp()->m_pMainWnd = &mainWnd;
    CStepCalcDlg dlg(&mainWnd);
    SeenMessage seen;
    HWND hCalcSeen = nullptr;
    DialogDriver driver([&](HWND hCalc) {
        hCalcSeen = hCalc;
        UiRobot::SetText(hCalc, IDC_CALC_HIGH, "5");
        PostMoveFocus(hCalc, IDC_CALC_LOW);
        seen = AnswerMessage(hCalc);
        UiRobot::PostClick(hCalc, IDCANCEL);
    });
    INT_PTR nResult = dlg.DoModal();
    REQUIRE(driver.Join());
    AfxGetApp()->m_pMainWnd = nullptr;
    mainWnd.DestroyWindow();
    CHECK(nResult == IDCANCEL);
    CHECK(seen.text == kHighRange);
    CHECK(seen.hOwner == hCalcSeen);
    CHECK(seen.bOwnerDisabled);
}
