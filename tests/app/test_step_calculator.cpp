// The step calculator run modally with a user on a second thread: the quotient and OK,
// the messages for missing input and results out of range, the inputs' ranges checked
// when the user leaves them, and a step of 0 that is never divided by.
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

// Enters the three inputs without leaving any (no checks run) and presses Calculate
// with the mouse.
void EnterAndCalculate(HWND hCalc, const char* pszHigh, const char* pszLow, const char* pszStep)
{
    UiRobot::SetText(hCalc, IDC_CALC_HIGH, pszHigh);
    UiRobot::SetText(hCalc, IDC_CALC_LOW, pszLow);
    UiRobot::SetText(hCalc, IDC_CALC_STEP, pszStep);
    UiRobot::Click(hCalc, IDC_CALC_RUN);
}

// The same, for inputs whose result brings a message.
SeenMessage EnterAndCalculateAnswering(HWND hCalc, const char* pszHigh, const char* pszLow, const char* pszStep)
{
    UiRobot::SetText(hCalc, IDC_CALC_HIGH, pszHigh);
    UiRobot::SetText(hCalc, IDC_CALC_LOW, pszLow);
    UiRobot::SetText(hCalc, IDC_CALC_STEP, pszStep);
    UiRobot::PostClick(hCalc, IDC_CALC_RUN);
    return AnswerMessage(hCalc);
}

struct ResultLook {
    std::string result;
    bool bOkEnabled = true;
};

ResultLook LookAtResult(HWND hCalc)
{
    return { UiRobot::ItemText(hCalc, IDC_CALC_RESULT), IsEnabled(hCalc, IDOK) };
}
}

TEST_CASE("the calculator opens empty, with OK disabled and the cursor in the high reading")
{
    CalcFixture fixture;
    fixture.dlg.m_strHigh = "1000";
    fixture.dlg.m_strResult = "12";
    std::string strCaption, strHigh, strResult;
    bool bOkEnabled = true;
    int nFocus = 0;
    LONG nResultStyle = 0;
    DialogDriver driver([&](HWND hCalc) {
        strCaption = UiRobot::Text(hCalc);
        strHigh = UiRobot::ItemText(hCalc, IDC_CALC_HIGH);
        strResult = UiRobot::ItemText(hCalc, IDC_CALC_RESULT);
        bOkEnabled = IsEnabled(hCalc, IDOK);
        nFocus = FocusedControl(hCalc);
        nResultStyle = ::GetWindowLongA(::GetDlgItem(hCalc, IDC_CALC_RESULT), GWL_STYLE);
        UiRobot::PostClick(hCalc, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(strCaption == "Schrittrechner");
    CHECK(strHigh.empty());
    CHECK(strResult.empty());
    CHECK_FALSE(bOkEnabled);
    CHECK(nFocus == IDC_CALC_HIGH);
    CHECK((nResultStyle & ES_READONLY) != 0);
}

TEST_CASE("a result from 1 to 17 is shown and enables OK, which gives it back")
{
    struct Case {
        const char *high, *low, *step, *shown;
        UINT result;
    };
    const Case cases[] = { { "1000", "500", "50", "10", 10 }, { "1000", "500", "30", "16", 16 },
                           { "710", "700", "10", "1", 1 },    { "870", "700", "10", "17", 17 } };
    for (const Case& c : cases) {
        CAPTURE(c.shown);
        CalcFixture fixture;
        ResultLook look;
        DialogDriver driver([&](HWND hCalc) {
            EnterAndCalculate(hCalc, c.high, c.low, c.step);
            look = LookAtResult(hCalc);
            UiRobot::PostClick(hCalc, IDOK);
        });
        CHECK(fixture.dlg.DoModal() == IDOK);
        REQUIRE(driver.Join());
        CHECK(look.result == c.shown);
        CHECK(look.bOkEnabled);
        CHECK(fixture.dlg.m_nResult == c.result);
        CHECK(std::string(fixture.dlg.m_strResult) == c.shown);
        CHECK(std::string(fixture.dlg.m_strHigh) == c.high);
        CHECK(std::string(fixture.dlg.m_strLow) == c.low);
        CHECK(std::string(fixture.dlg.m_strStep) == c.step);
    }
}

TEST_CASE("a result outside 1 to 17 is shown, with a message, and OK stays disabled")
{
    struct Case {
        const char *high, *low, *step, *shown;
    };
    const Case cases[] = { { "1300", "400", "50", "18" }, { "700", "700", "10", "0" } };
    for (const Case& c : cases) {
        CAPTURE(c.shown);
        CalcFixture fixture;
        SeenMessage seen;
        ResultLook look;
        HWND hCalcSeen = nullptr;
        DialogDriver driver([&](HWND hCalc) {
            hCalcSeen = hCalc;
            seen = EnterAndCalculateAnswering(hCalc, c.high, c.low, c.step);
            look = LookAtResult(hCalc);
            UiRobot::PostClick(hCalc, IDCANCEL);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(seen.text == "Das Ergebnis muss zwischen 1 und 17 liegen: bitte die Eingaben prüfen.");
        CHECK(seen.caption == "ZEV");
        CHECK(seen.bExclamation);
        CHECK(seen.hOwner == hCalcSeen);
        CHECK(std::string(fixture.dlg.m_strMessage) == seen.text);
        CHECK(look.result == c.shown);
        CHECK_FALSE(look.bOkEnabled);
    }
}

TEST_CASE("a reading or the step missing is asked for")
{
    const char* const inputs[][3] = { { "", "500", "50" }, { "1000", "", "50" }, { "1000", "500", "" } };
    for (const auto& input : inputs) {
        CAPTURE(input[0]);
        CAPTURE(input[1]);
        CAPTURE(input[2]);
        CalcFixture fixture;
        SeenMessage seen;
        ResultLook look;
        DialogDriver driver([&](HWND hCalc) {
            UiRobot::SetText(hCalc, IDC_CALC_HIGH, input[0]);
            UiRobot::SetText(hCalc, IDC_CALC_LOW, input[1]);
            UiRobot::SetText(hCalc, IDC_CALC_STEP, input[2]);
            // Enter, from the high reading: leaving it empty would be refused first.
            PostPressInPlace(hCalc, IDC_CALC_RUN);
            seen = AnswerMessage(hCalc);
            look = LookAtResult(hCalc);
            UiRobot::PostClick(hCalc, IDCANCEL);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(seen.text == "Bitte beide Messwerte und den Schritt eingeben.");
        CHECK(seen.caption == "ZEV");
        CHECK(seen.bExclamation);
        CHECK(std::string(fixture.dlg.m_strMessage) == seen.text);
        CHECK(look.result.empty());
        CHECK_FALSE(look.bOkEnabled);
    }
}

TEST_CASE("leaving an input withdraws the result and disables OK until the next calculation")
{
    for (int nInput : { IDC_CALC_HIGH, IDC_CALC_LOW, IDC_CALC_STEP }) {
        CAPTURE(nInput);
        CalcFixture fixture;
        ResultLook before, after, again;
        bool bBoxOpen = true;
        DialogDriver driver([&](HWND hCalc) {
            EnterAndCalculate(hCalc, "1000", "500", "50");
            before = LookAtResult(hCalc);
            // In and out again, the value within its range: no message, the result gone.
            MoveFocus(hCalc, nInput);
            MoveFocus(hCalc, nInput == IDC_CALC_HIGH ? IDC_CALC_LOW : IDC_CALC_HIGH);
            bBoxOpen = OpenMessageBox(hCalc) != nullptr;
            CloseOpenMessageBoxes(hCalc);
            after = LookAtResult(hCalc);
            UiRobot::Click(hCalc, IDC_CALC_RUN);
            again = LookAtResult(hCalc);
            MoveFocus(hCalc, nInput);
            MoveFocus(hCalc, IDC_CALC_RUN);
            UiRobot::PostClick(hCalc, IDCANCEL);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(before.result == "10");
        CHECK(before.bOkEnabled);
        CHECK_FALSE(bBoxOpen);
        CHECK(after.result.empty());
        CHECK_FALSE(after.bOkEnabled);
        CHECK(again.result == "10");
        CHECK(again.bOkEnabled);
        CHECK(fixture.dlg.m_nResult == 0);
        CHECK(fixture.dlg.m_strResult.IsEmpty());
    }
}

TEST_CASE("an input out of its range is refused once when left, and keeps the focus")
{
    struct Case {
        int nInput;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        { IDC_CALC_HIGH, "1301", "Bitte einen Wert von 700 bis 1300 eingeben." },
        { IDC_CALC_HIGH, "699", "Bitte einen Wert von 700 bis 1300 eingeben." },
        { IDC_CALC_LOW, "399", "Bitte einen Wert von 400 bis 700 eingeben." },
        { IDC_CALC_LOW, "701", "Bitte einen Wert von 400 bis 700 eingeben." },
        { IDC_CALC_STEP, "9", "Bitte einen Wert von 10 bis 100 eingeben." },
        { IDC_CALC_STEP, "101", "Bitte einen Wert von 10 bis 100 eingeben." },
        { IDC_CALC_STEP, "-5", "Bitte einen Wert von 10 bis 100 eingeben." },
    };
    for (const Case& c : cases) {
        CAPTURE(c.nInput);
        CAPTURE(c.text);
        CalcFixture fixture;
        SeenMessage seen;
        ResultLook look;
        HWND hCalcSeen = nullptr;
        int nFocus = 0;
        int nSecondBoxes = -1;
        DialogDriver driver([&](HWND hCalc) {
            hCalcSeen = hCalc;
            EnterAndCalculate(hCalc, "1000", "500", "50");
            MoveFocus(hCalc, c.nInput);
            UiRobot::SetText(hCalc, c.nInput, c.text);
            // Into another input: that one is empty, out of its range too, but the user
            // has not left it.
            int nNext = c.nInput == IDC_CALC_HIGH ? IDC_CALC_LOW : IDC_CALC_HIGH;
            UiRobot::SetText(hCalc, nNext, "");
            PostMoveFocus(hCalc, nNext);
            seen = AnswerMessage(hCalc);
            nSecondBoxes = CloseOpenMessageBoxes(hCalc);
            nFocus = FocusedControl(hCalc);
            look = LookAtResult(hCalc);
            UiRobot::PostClick(hCalc, IDCANCEL);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(seen.text == c.message);
        // The application's box, in front of the calculator.
        CHECK(seen.caption == "Zevanto tests");
        CHECK(seen.bExclamation);
        CHECK(seen.hOwner == hCalcSeen);
        CHECK(seen.bOwnerDisabled);
        CHECK(nSecondBoxes == 0);
        CHECK(nFocus == c.nInput);
        CHECK(look.result.empty());
        CHECK_FALSE(look.bOkEnabled);
        CHECK(fixture.dlg.m_nResult == 0);
        CHECK_FALSE(fixture.dlg.m_bChecking);
    }
}

TEST_CASE("inputs at the ends of their ranges are taken without a message")
{
    CalcFixture fixture;
    int nBoxes = 0;
    ResultLook look;
    DialogDriver driver([&](HWND hCalc) {
        for (const char* pszHigh : { "700", "1300" }) {
            for (const char* pszLow : { "400", "700" }) {
                for (const char* pszStep : { "10", "100" }) {
                    UiRobot::SetText(hCalc, IDC_CALC_HIGH, pszHigh);
                    UiRobot::SetText(hCalc, IDC_CALC_LOW, pszLow);
                    UiRobot::SetText(hCalc, IDC_CALC_STEP, pszStep);
                    MoveFocus(hCalc, IDC_CALC_HIGH);
                    MoveFocus(hCalc, IDC_CALC_LOW);
                    MoveFocus(hCalc, IDC_CALC_STEP);
                    MoveFocus(hCalc, IDC_CALC_HIGH);
                    nBoxes += CloseOpenMessageBoxes(hCalc);
                }
            }
        }
        // The last ones entered: (1300 - 700) / 100.
        UiRobot::Click(hCalc, IDC_CALC_RUN);
        look = LookAtResult(hCalc);
        UiRobot::PostClick(hCalc, IDOK);
    });
    CHECK(fixture.dlg.DoModal() == IDOK);
    REQUIRE(driver.Join());
    CHECK(nBoxes == 0);
    CHECK(look.result == "6");
    CHECK(fixture.dlg.m_nResult == 6);
}

TEST_CASE("a step of 0 with Enter in the step's field is refused with its range, not divided by")
{
    for (const char* pszStep : { "0", "00", "abc" }) {
        CAPTURE(pszStep);
        CalcFixture fixture;
        ResultLook before, look;
        SeenMessage seen;
        int nSecondBoxes = -1;
        int nFocus = 0;
        DialogDriver driver([&](HWND hCalc) {
            EnterAndCalculate(hCalc, "1000", "500", "50");
            before = LookAtResult(hCalc);
            MoveFocus(hCalc, IDC_CALC_STEP);
            UiRobot::SetText(hCalc, IDC_CALC_STEP, pszStep);
            // Enter on Calculate: the focus stays in the step, which is not left.
            PostPressInPlace(hCalc, IDC_CALC_RUN);
            seen = AnswerMessage(hCalc);
            nSecondBoxes = CloseOpenMessageBoxes(hCalc);
            nFocus = FocusedControl(hCalc);
            look = LookAtResult(hCalc);
            UiRobot::PostClick(hCalc, IDCANCEL);
        });
        CHECK(fixture.dlg.DoModal() == IDCANCEL);
        REQUIRE(driver.Join());
        CHECK(before.bOkEnabled);
        CHECK(seen.text == "Bitte einen Wert von 10 bis 100 eingeben.");
        CHECK(nSecondBoxes == 0);
        CHECK(nFocus == IDC_CALC_STEP);
        CHECK(look.result.empty());
        CHECK_FALSE(look.bOkEnabled);
        CHECK(fixture.dlg.m_nResult == 0);
    }
}

TEST_CASE("a step of 0 with Calculate's underlined letter typed in the step's field: one message")
{
    CalcFixture fixture;
    SeenMessage seen;
    int nSecondBoxes = -1;
    int nFocus = 0;
    ResultLook look;
    DialogDriver driver([&](HWND hCalc) {
        UiRobot::SetText(hCalc, IDC_CALC_HIGH, "1000");
        UiRobot::SetText(hCalc, IDC_CALC_LOW, "500");
        MoveFocus(hCalc, IDC_CALC_STEP);
        UiRobot::SetText(hCalc, IDC_CALC_STEP, "0");
        // Alt+B, as the keyboard delivers it to the control with the focus.
        ::PostMessageA(::GetDlgItem(hCalc, IDC_CALC_STEP), WM_SYSCHAR, 'b', 1 << 29);
        seen = AnswerMessage(hCalc);
        nSecondBoxes = CloseOpenMessageBoxes(hCalc);
        nFocus = FocusedControl(hCalc);
        look = LookAtResult(hCalc);
        UiRobot::PostClick(hCalc, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(seen.text == "Bitte einen Wert von 10 bis 100 eingeben.");
    CHECK(nSecondBoxes == 0);
    CHECK(nFocus == IDC_CALC_STEP);
    CHECK(look.result.empty());
    CHECK_FALSE(look.bOkEnabled);
}

TEST_CASE("a step of 0 with Calculate clicked: one message, and the focus back on the step")
{
    CalcFixture fixture;
    SeenMessage seen;
    int nSecondBoxes = -1;
    int nFocus = 0;
    DialogDriver driver([&](HWND hCalc) {
        UiRobot::SetText(hCalc, IDC_CALC_HIGH, "1000");
        UiRobot::SetText(hCalc, IDC_CALC_LOW, "500");
        MoveFocus(hCalc, IDC_CALC_STEP);
        UiRobot::SetText(hCalc, IDC_CALC_STEP, "0");
        UiRobot::PostClick(hCalc, IDC_CALC_RUN);
        seen = AnswerMessage(hCalc);
        nSecondBoxes = CloseOpenMessageBoxes(hCalc);
        nFocus = FocusedControl(hCalc);
        UiRobot::PostClick(hCalc, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(seen.text == "Bitte einen Wert von 10 bis 100 eingeben.");
    CHECK(nSecondBoxes == 0);
    CHECK(nFocus == IDC_CALC_STEP);
    CHECK(fixture.dlg.m_nResult == 0);
}

TEST_CASE("Cancel clicked from an input out of its range closes the calculator without a message")
{
    for (int nInput : { IDC_CALC_HIGH, IDC_CALC_LOW, IDC_CALC_STEP }) {
        CAPTURE(nInput);
        CalcFixture fixture;
        int nBoxes = -1;
        DialogDriver driver([&](HWND hCalc) {
            UiRobot::SetText(hCalc, IDC_CALC_HIGH, "1000");
            UiRobot::SetText(hCalc, IDC_CALC_LOW, "500");
            UiRobot::SetText(hCalc, IDC_CALC_STEP, "50");
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
    CHECK(seen.text == "Bitte einen Wert von 700 bis 1300 eingeben.");
    CHECK(seen.hOwner == hCalcSeen);
    CHECK(seen.bOwnerDisabled);
}

TEST_CASE("Calculate refuses an input out of its range, clicked or pressed in place")
{
    struct Case {
        const char *high, *low, *step;
        int nRefused;
        const char* message;
    };
    // The last one would give 10, within 1 to 17, from three inputs out of range.
    const Case cases[] = {
        { "1500", "500", "50", IDC_CALC_HIGH, "Bitte einen Wert von 700 bis 1300 eingeben." },
        { "1000", "300", "50", IDC_CALC_LOW, "Bitte einen Wert von 400 bis 700 eingeben." },
        { "1000", "500", "5", IDC_CALC_STEP, "Bitte einen Wert von 10 bis 100 eingeben." },
        { "100", "50", "5", IDC_CALC_HIGH, "Bitte einen Wert von 700 bis 1300 eingeben." },
    };
    for (const Case& c : cases) {
        for (bool bClick : { true, false }) {
            CAPTURE(c.high);
            CAPTURE(c.low);
            CAPTURE(c.step);
            CAPTURE(bClick);
            CalcFixture fixture;
            SeenMessage seen;
            int nMoreBoxes = -1;
            int nFocus = 0;
            ResultLook look;
            DialogDriver driver([&](HWND hCalc) {
                UiRobot::SetText(hCalc, IDC_CALC_HIGH, c.high);
                UiRobot::SetText(hCalc, IDC_CALC_LOW, c.low);
                UiRobot::SetText(hCalc, IDC_CALC_STEP, c.step);
                // From the high reading, where the focus starts: left for Calculate, or
                // not left at all.
                if (bClick)
                    UiRobot::PostClick(hCalc, IDC_CALC_RUN);
                else
                    PostPressInPlace(hCalc, IDC_CALC_RUN);
                seen = AnswerMessage(hCalc);
                nMoreBoxes = CloseOpenMessageBoxes(hCalc);
                nFocus = FocusedControl(hCalc);
                look = LookAtResult(hCalc);
                UiRobot::PostClick(hCalc, IDCANCEL);
            });
            CHECK(fixture.dlg.DoModal() == IDCANCEL);
            REQUIRE(driver.Join());
            CHECK(seen.text == c.message);
            CHECK(nMoreBoxes == 0);
            CHECK(nFocus == c.nRefused);
            CHECK(look.result.empty());
            CHECK_FALSE(look.bOkEnabled);
            CHECK(fixture.dlg.m_nResult == 0);
        }
    }
}

TEST_CASE("switching to another program from an input checks nothing and keeps the result")
{
    CalcFixture fixture;
    bool bBoxWhileAway = true;
    bool bBoxBack = true;
    int nFocusBack = 0;
    ResultLook before, back;
    DialogDriver driver([&](HWND hCalc) {
        EnterAndCalculate(hCalc, "1000", "500", "50");
        before = LookAtResult(hCalc);
        // Into the high reading, emptied: leaving it for another control would refuse it.
        MoveFocus(hCalc, IDC_CALC_HIGH);
        UiRobot::SetText(hCalc, IDC_CALC_HIGH, "");
        SwitchToAnotherWindow(hCalc);
        bBoxWhileAway = OpenMessageBox(hCalc) != nullptr;
        CloseOpenMessageBoxes(hCalc);
        nFocusBack = FocusedControl(hCalc);
        bBoxBack = OpenMessageBox(hCalc) != nullptr;
        CloseOpenMessageBoxes(hCalc);
        back = LookAtResult(hCalc);
        UiRobot::PostClick(hCalc, IDCANCEL);
    });
    CHECK(fixture.dlg.DoModal() == IDCANCEL);
    REQUIRE(driver.Join());
    CHECK(before.bOkEnabled);
    CHECK_FALSE(bBoxWhileAway);
    CHECK_FALSE(bBoxBack);
    CHECK(nFocusBack == IDC_CALC_HIGH);
    CHECK(back.result == "10");
    CHECK(back.bOkEnabled);
}
