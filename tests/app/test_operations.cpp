// The device operations in the program's own process, where the wire cannot show the
// fault: what follows a refused letter, the busy question's Yes, a capture that ends
// early, the configuration read's values. The port is COM200, which the test prefix does
// not map; a link "open" with its transmitter never free makes every send refused.
#include "BoxAnswerer.h"
#include "DialogDriver.h"
#include "MainWindowFixture.h"

#include <doctest.h>

namespace {
struct OperationFixture : MainWindowFixture {
    OperationFixture()
    {
        dlg.m_nComIndex = 199;
        dlg.m_bConnected = TRUE;
    }
    ~OperationFixture() { dlg.m_bLinkOpen = 0; } // the teardown says good-bye on no link

    // Every send from now on is refused: the transmitter is busy and never gets free.
    void RefuseSends()
    {
        dlg.m_bLinkOpen = 1;
        dlg.m_bTxDone = FALSE;
    }

    void Feed(const std::string& bytes)
    {
        dlg.ReceiveBytes(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<int>(bytes.size()));
    }

    // TRUE when the response timer was running (it is stopped by asking).
    BOOL ResponseTimerWasArmed() { return dlg.KillTimer(TIMER_RESPONSE); }
};
}

TEST_CASE("a refused letter is the end: no response timer, no next step")
{
    OperationFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    BoxAnswerer answerer(IDOK);

    SUBCASE("a simple query")
    {
        fixture.RefuseSends();
        dlg.SendMessage(WM_COMMAND, ID_DEVICE_QUERY);
        CHECK(dlg.m_nOperation == OP_IDLE);
        CHECK(dlg.m_bBusy == FALSE);
    }
    SUBCASE("a step of the configuration read")
    {
        dlg.m_nOperation = OP_CFG_VALUES;
        dlg.m_bBusy = TRUE;
        fixture.RefuseSends();
        fixture.Feed("9,33,0\r"); // the reply is taken; the 'h' that follows is refused
        CHECK(dlg.m_nCfgValue2 == 33);
        CHECK(dlg.m_nOperation == OP_IDLE);
    }
    CHECK_FALSE(fixture.ResponseTimerWasArmed());
    PumpMessages(1300); // a timer armed all the same would fire within this
    REQUIRE(answerer.Boxes().size() == 1);
    CHECK(answerer.Boxes()[0].text == "Senden nicht möglich: die vorige Übertragung ist nicht abgeschlossen");
}

TEST_CASE("Yes to the busy question starts the new operation busy")
{
    OperationFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.m_nOperation = OP_READOUT;
    dlg.m_bBusy = TRUE;
    {
        BoxAnswerer answerer(IDYES);
        dlg.SendMessage(WM_COMMAND, ID_DEVICE_QUERY); // the link is closed: nothing goes out
        CHECK(answerer.Boxes().size() == 1);
    }
    CHECK(dlg.m_nOperation == OP_QUERY);
    CHECK(dlg.m_bBusy == TRUE);
    BoxAnswerer answerer(IDNO);
    dlg.SendMessage(WM_COMMAND, ID_DEVICE_CLOCK); // a third command meets the question too
    CHECK(answerer.Boxes().size() == 1);
    CHECK(dlg.m_nOperation == OP_QUERY);
    fixture.ResponseTimerWasArmed();
}

TEST_CASE("a capture that ends early keeps the lines it has received")
{
    OperationFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    std::string path = fixture.folder.Path("capture.LOG");
    REQUIRE(dlg.m_DownloadFile.Open(path.c_str(), CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText));
    dlg.m_nOperation = OP_CAPTURE;
    dlg.m_bBusy = TRUE;
    fixture.Feed("\x1b" "first line\rsecond line\r");

    SUBCASE("by the response time-out")
    {
        BoxAnswerer answerer(IDOK);
        dlg.SetTimer(TIMER_RESPONSE, 20);
        PumpMessages(300);
        CHECK(answerer.Boxes().size() == 1); // the time-out is still said
    }
    SUBCASE("by a disconnect")
    {
        dlg.SendMessage(WM_COMMAND, ID_LINK_DISCONNECT);
    }
    SUBCASE("by a link error")
    {
        BoxAnswerer answerer(IDOK);
        dlg.OnLinkError();
    }
    CHECK_FALSE(dlg.m_DownloadFile.IsOpen());
    CHECK(dlg.m_nOperation == OP_IDLE);
    CHECK(ReadFileBytes(path) == "first line\r\nsecond line\r\n");
    CHECK(dlg.m_strCapture.IsEmpty());
}

TEST_CASE("the configuration read keeps its values and opens the editor with them")
{
    OperationFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.SendMessage(WM_COMMAND, ID_CONFIG_EDIT); // the link is closed: the letters go nowhere
    CHECK(dlg.m_nOperation == OP_CFG_VALUES);
    fixture.Feed(" 12,40,7\r");
    CHECK(dlg.m_nOperation == OP_CFG_MODE);
    CHECK(dlg.m_bBusy == TRUE);
    fixture.Feed("1 \r");
    CHECK(dlg.m_nOperation == OP_CFG_KIND);
    fixture.Feed("SCANIA\r");
    CHECK(dlg.m_nOperation == OP_CFG_OPTION);
    fixture.Feed("0\r");
    CHECK(dlg.m_nOperation == OP_CFG_OPTION); // busy, no timer, until the editor closes
    CHECK(dlg.m_bBusy == TRUE);
    CHECK_FALSE(fixture.ResponseTimerWasArmed());
    CHECK(dlg.m_nCfgValue1 == 12);
    CHECK(dlg.m_nCfgValue2 == 40);
    CHECK(dlg.m_nCfgValue3 == 7);
    CHECK(dlg.m_nCfgMode == -1);
    CHECK(dlg.m_nCfgKind == 1);
    CHECK(dlg.m_nCfgOption == 0);

    std::string strValue1, strValue2, strValue3;
    {
        // the editor shows the values read; Cancel writes nothing
        DialogDriver driver([&](HWND hDlg) {
            char sz[32];
            ::GetDlgItemTextA(hDlg, 1014, sz, sizeof sz);
            strValue1 = sz;
            ::GetDlgItemTextA(hDlg, 1013, sz, sizeof sz);
            strValue2 = sz;
            ::GetDlgItemTextA(hDlg, 1012, sz, sizeof sz);
            strValue3 = sz;
            ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
        });
        PumpMessages(300);
        CHECK(driver.Join());
    }
    CHECK(strValue1 == "12");
    CHECK(strValue2 == "40");
    CHECK(strValue3 == "7");
    CHECK(dlg.m_nOperation == OP_IDLE);
    CHECK(dlg.m_bBusy == FALSE);
}
