// The main window's side of the parameter writes and of the configuration write chain,
// in the program's own process, where the wire cannot show the fault: a value that is no
// choice writes nothing, a kind that is neither 0 nor 1 ends the chain, and every step
// that the device's ESC starts is busy until its own ESC. The link is closed: letters go
// nowhere, and the device's bytes are fed to the receive framer.
#include "BoxAnswerer.h"
#include "DialogDriver.h"
#include "MainWindowFixture.h"

#include <doctest.h>

#include <string>
#include <vector>

namespace {
const char* const kNothingChosen = "Kein Wert gewählt: es wird nichts geschrieben.";

struct WriteFixture : MainWindowFixture {
    WriteFixture()
    {
        dlg.m_nComIndex = 7; // a port the test prefix does not map
        dlg.m_bConnected = TRUE;
    }

    void Feed(const std::string& bytes)
    {
        dlg.ReceiveBytes(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<int>(bytes.size()));
    }

    // TRUE when the response timer was running (it is stopped by asking).
    BOOL ResponseTimerWasArmed() { return dlg.KillTimer(TIMER_RESPONSE); }

    // The log lines after the start line.
    std::vector<std::string> NewLogLines() const
    {
        std::vector<std::string> lines = LogWindowLines();
        lines.erase(lines.begin());
        return lines;
    }
};
}

TEST_CASE("a value that is no choice writes nothing and ends idle")
{
    WriteFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.m_nOperation = OP_READ_C; // the read has passed the busy check
    dlg.m_bBusy = TRUE;
    dlg.m_strPendingWrite = "earlier\r";

    SUBCASE("StartWrite with -1")
    {
        CHECK_FALSE(dlg.StartWrite(OP_WRITE_C, IDS_PARAM_C_WRITE, -1));
    }
    SUBCASE("the 'c' dialog closed with OK and no button chosen")
    {
        dlg.m_nParamC = -1;
        DialogDriver driver([](HWND hDlg) { ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0); });
        dlg.SendMessage(WM_PARAM_C);
        CHECK(driver.Join());
    }
    CHECK(fixture.NewLogLines() == std::vector<std::string>{ kNothingChosen });
    CHECK(dlg.m_nOperation == OP_IDLE);
    CHECK(dlg.m_bBusy == FALSE);
    CHECK(dlg.m_strPendingWrite == CString("earlier\r"));
    CHECK_FALSE(fixture.ResponseTimerWasArmed());
}

TEST_CASE("a value of 0 or more is logged, its letter armed and its text pending")
{
    WriteFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    CHECK(dlg.StartWrite(OP_WRITE_C, IDS_PARAM_C_WRITE, 0));
    CHECK(fixture.NewLogLines() == std::vector<std::string>{ "Parameter c schreiben (C): 0" });
    CHECK(dlg.m_nOperation == OP_WRITE_C);
    CHECK(dlg.m_bBusy == TRUE);
    CHECK(dlg.m_strPendingWrite == CString("0\r"));
    CHECK(fixture.ResponseTimerWasArmed());
}

TEST_CASE("a kind that is neither 0 nor 1 ends the chain before the '1' step")
{
    WriteFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    int nKind = 0;
    SUBCASE("2") { nKind = 2; }
    SUBCASE("-1") { nKind = -1; }
    dlg.m_nCfgKind = nKind;
    dlg.m_nCfgOption = 0;
    // The 'H' step waits for its ESC.
    dlg.m_nOperation = OP_CFG_WRITE_H;
    dlg.m_bBusy = TRUE;
    dlg.m_strPendingWrite = "1\r";
    fixture.Feed("\x1b");

    CString strExpected;
    strExpected.Format("Unbekannte Art %d: der Rest der Konfiguration wird nicht geschrieben.", nKind);
    CHECK(fixture.NewLogLines() == std::vector<std::string>{ std::string(strExpected) });
    CHECK(dlg.m_nOperation == OP_IDLE); // no "1", and no 'B' step after it
    CHECK(dlg.m_bBusy == FALSE);
    CHECK_FALSE(fixture.ResponseTimerWasArmed());
    // Idle indeed: an ESC now is an unexpected one.
    fixture.Feed("\x1b");
    CHECK(fixture.NewLogLines().back() == "Unerwartetes ESC vom Gerät");
}

TEST_CASE("each step that the device's ESC starts is busy until its own ESC")
{
    struct Step {
        const char* name;
        Operation nAfter;      // the write whose ESC starts the step
        Operation nStep;       // the step's own write
        const char* pszValue;  // its pending value text
        const char* pszLog;
    };
    const Step steps[] = {
        { "'H'", OP_CFG_WRITE_R, OP_CFG_WRITE_H, "1\r", "Eingabeart schreiben (H): 1" },
        { "'1'", OP_CFG_WRITE_H, OP_CFG_WRITE_1, "2\r", "Art schreiben (1): SCANIA" },
        { "'B'", OP_CFG_WRITE_1, OP_CFG_WRITE_B, "0\r", "Option schreiben (B): 0" },
        { "'F' after 'W'", OP_WRITE_W, OP_WRITE_F, "3\r", "Parameter f schreiben (F): 3" },
    };
    for (const Step& step : steps) {
        CAPTURE(step.name);
        WriteFixture fixture;
        CServiceDlg& dlg = fixture.dlg;
        dlg.m_nCfgMode = 1;
        dlg.m_nCfgKind = 1;
        dlg.m_nCfgOption = 0;
        dlg.m_nParamF = 3;
        dlg.m_nOperation = step.nAfter;
        dlg.m_bBusy = TRUE;
        dlg.m_strPendingWrite = "x\r";
        fixture.Feed("\x1b");
        CHECK(fixture.NewLogLines() == std::vector<std::string>{ step.pszLog });
        CHECK(dlg.m_nOperation == step.nStep);
        CHECK(dlg.m_bBusy == TRUE);
        CHECK(dlg.m_strPendingWrite == CString(step.pszValue));
        CHECK(fixture.ResponseTimerWasArmed()); // stopped now: no time-out while the box is up
        {
            // A command meanwhile asks first; No leaves the step waiting.
            BoxAnswerer answerer(IDNO);
            dlg.SendMessage(WM_COMMAND, ID_DEVICE_QUERY);
            CHECK(answerer.Boxes().size() == 1);
        }
        CHECK(dlg.m_nOperation == step.nStep);
        CHECK(dlg.m_bBusy == TRUE);
    }
}
