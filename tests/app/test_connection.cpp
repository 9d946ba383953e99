// Connection control in the program's own process: the busy check's questions, the
// timers' expiry, sends on a closed link, connect and disconnect in the wrong state.
// The port is COM200, which nothing maps: every open fails.
#include "BoxAnswerer.h"
#include "MainWindowFixture.h"
#include "MonitorDlg.h"

#include <doctest.h>

namespace {
// The second paragraph of the link-error box, and of the box of a command while the link is lost.
const char kLinkLostAdvice[] = "\n\nSobald der Adapter wieder steckt: Verbindung > Trennen, dann Verbindung > Verbinden.";

struct ConnectionFixture : MainWindowFixture {
    ConnectionFixture() { dlg.m_nComIndex = 199; }

    std::vector<std::string> NewLogLines() const
    {
        std::vector<std::string> lines = LogWindowLines();
        lines.erase(lines.begin());
        return lines;
    }
};
}

TEST_CASE("a command while another runs asks whether to abandon it")
{
    ConnectionFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.m_bConnected = TRUE;
    dlg.m_bBusy = TRUE;
    dlg.m_nOperation = OP_CFG_VALUES;
    dlg.m_strRxLine = "partial";

    SUBCASE("No leaves the running operation as it is")
    {
        BoxAnswerer answerer(IDNO);
        CHECK(dlg.CheckBusy() == FALSE);
        CHECK(dlg.m_nOperation == OP_CFG_VALUES);
        CHECK(dlg.m_bBusy == TRUE);
        CHECK(dlg.m_strRxLine == CString("partial"));
        REQUIRE(answerer.Boxes().size() == 1);
        CHECK(answerer.Boxes()[0].caption == "Gerät beschäftigt");
        CHECK(answerer.Boxes()[0].text == "Ein Vorgang läuft noch.\nAbbrechen und den neuen Befehl ausführen?");
    }
    SUBCASE("Yes returns to idle and lets the new command start, busy")
    {
        BoxAnswerer answerer(IDYES);
        CHECK(dlg.CheckBusy() == TRUE);
        CHECK(dlg.m_nOperation == OP_IDLE);
        CHECK(dlg.m_bBusy == TRUE);
        CHECK(dlg.m_strRxLine.IsEmpty());
    }
}

TEST_CASE("a command while not connected offers to connect and is not carried out")
{
    ConnectionFixture fixture;
    CServiceDlg& dlg = fixture.dlg;

    SUBCASE("No: nothing happens")
    {
        BoxAnswerer answerer(IDNO);
        CHECK(dlg.CheckBusy() == FALSE);
        CHECK(dlg.m_nOperation == OP_IDLE);
        CHECK(fixture.NewLogLines().empty());
        REQUIRE(answerer.Boxes().size() == 1);
        CHECK(answerer.Boxes()[0].caption == "Nicht verbunden");
    }
    SUBCASE("Yes: a port that does not open is reported at once and nothing is sent")
    {
        BoxAnswerer answerer(IDYES);
        CHECK(dlg.CheckBusy() == FALSE);
        CHECK(dlg.m_bBusy == FALSE);
        CHECK(dlg.m_nOperation == OP_IDLE); // no wake-up, so no time-out 15 s later
        CHECK(dlg.m_bConnected == FALSE);
        CHECK(fixture.NewLogLines() == std::vector<std::string>{ "Schnittstelle konnte nicht geöffnet werden" });
        REQUIRE(answerer.Boxes().size() == 2);
        std::string text = answerer.Boxes()[1].text;
        CHECK(text.rfind("Die Schnittstelle COM200 kann nicht geöffnet werden:\n", 0) == 0);
        CHECK(text.size() > 52); // the library's reason follows
    }
}

TEST_CASE("the timers end the transaction with a message")
{
    ConnectionFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    BoxAnswerer answerer(IDOK);
    dlg.m_bConnected = TRUE;

    struct Case { UINT nTimer; const char* pszText; } cases[] = {
        { TIMER_WATCHDOG, "Zeitüberschreitung beim Senden: die Übertragung wurde nicht abgeschlossen" },
        { TIMER_RESPONSE, "Keine Antwort vom Gerät (Zeitüberschreitung)" },
    };
    for (const Case& c : cases) {
        dlg.m_nOperation = OP_READ_G;
        dlg.m_bBusy = TRUE;
        dlg.m_bTxDone = FALSE;
        dlg.SetTimer(c.nTimer, 20);
        PumpMessages(400);
        CHECK(dlg.m_nOperation == OP_IDLE);
        CHECK(dlg.m_bBusy == FALSE);
        CHECK(dlg.m_bTxDone == TRUE);
        CHECK(dlg.m_bConnected == TRUE);
        CHECK(fixture.NewLogLines().back() == c.pszText);
        REQUIRE(!answerer.Boxes().empty());
        CHECK(answerer.Boxes().back().text == c.pszText);
        CHECK(answerer.Boxes().back().caption == "Zevanto tests");
    }
    CHECK(answerer.Boxes().size() == 2); // each timer fired once
}

TEST_CASE("a send on a closed link reports success and arms no watchdog")
{
    ConnectionFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    BoxAnswerer answerer(IDOK);
    REQUIRE(dlg.m_bLinkOpen == FALSE);
    CHECK(dlg.SendCommand("L", 1) == TRUE);
    PumpMessages(1300);
    CHECK(answerer.Boxes().empty());
    CHECK(fixture.NewLogLines().empty());
}

TEST_CASE("connect while connected and disconnect while not connected do nothing")
{
    ConnectionFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.m_bConnected = TRUE;
    dlg.SendMessage(WM_COMMAND, ID_LINK_CONNECT);
    CHECK(dlg.m_nOperation == OP_IDLE);
    dlg.m_bConnected = FALSE;
    dlg.SendMessage(WM_COMMAND, ID_LINK_DISCONNECT);
    CHECK(fixture.NewLogLines().empty());
}

TEST_CASE("return to idle resets the transaction and keeps what is meant to last")
{
    ConnectionFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.m_nOperation = OP_READOUT; // a capture would write its lines (tested with the operations)
    dlg.m_bBusy = TRUE;
    dlg.m_bDlePending = TRUE;
    dlg.m_bTxDone = FALSE;
    dlg.m_bConnected = TRUE;
    dlg.m_strRxLine = "line";
    dlg.m_strEnteredText = "text";
    dlg.m_strPendingWrite = "7\r";
    dlg.m_strCapture = "kept\n";
    dlg.m_strFilePath = "C:\\x.LOG";
    dlg.m_ProgressCtrl.SetPos(40);
    std::string path = fixture.folder.Path("open.LOG");
    REQUIRE(dlg.m_DownloadFile.Open(path.c_str(), CStdioFile::modeCreate | CStdioFile::modeWrite));

    dlg.ReturnToIdle();
    CHECK(dlg.m_nOperation == OP_IDLE);
    CHECK(dlg.m_bBusy == FALSE);
    CHECK(dlg.m_bDlePending == FALSE);
    CHECK(dlg.m_bTxDone == TRUE);
    CHECK(dlg.m_strRxLine.IsEmpty());
    CHECK(dlg.m_strEnteredText.IsEmpty());
    CHECK(dlg.m_ProgressCtrl.GetPos() == 0);
    CHECK_FALSE(dlg.m_DownloadFile.IsOpen());
    CHECK(dlg.m_bConnected == TRUE);
    CHECK(dlg.m_strPendingWrite == CString("7\r"));
    CHECK(dlg.m_strCapture == CString("kept\n"));
    CHECK(dlg.m_strFilePath == CString("C:\\x.LOG"));
}

TEST_CASE("a link error is logged and shown, and leaves the link closed and the tool idle")
{
    ConnectionFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    BoxAnswerer answerer(IDOK);
    dlg.m_bConnected = TRUE;
    dlg.m_nOperation = OP_READOUT;
    dlg.m_bBusy = TRUE;
    KoraOpen("ASYNC/COM:200,SPEED=9600,FLOW=XONXOFF"); // fails: the library's error names COM200
    dlg.OnLinkError();
    REQUIRE(answerer.Boxes().size() == 1);
    std::string text = answerer.Boxes()[0].text;
    CHECK(text.rfind("KORA - Error\n\n", 0) == 0);
    CHECK(text.find("COM200") != std::string::npos);
    // Below the library's text: what the technician does about it.
    CHECK(text.size() > std::string(kLinkLostAdvice).size());
    CHECK(text.substr(text.size() - std::string(kLinkLostAdvice).size()) == kLinkLostAdvice);
    CHECK(fixture.LogWindowText().find("KORA - Error\n\n") != std::string::npos);
    CHECK(fixture.NewLogLines().back() == text);
    CHECK(dlg.m_bLinkOpen == FALSE);
    CHECK(dlg.m_hLink == -1);
    CHECK(dlg.m_nOperation == OP_IDLE);
    CHECK(dlg.m_bConnected == TRUE); // the menus still show the device as connected
}

TEST_CASE("after a link error a command says once that the link is lost, and sends nothing")
{
    ConnectionFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    BoxAnswerer answerer(IDOK);
    dlg.m_bConnected = TRUE;
    dlg.OnLinkError();
    REQUIRE(answerer.Boxes().size() == 1);
    const std::string lost = std::string("Die Verbindung zum Gerät ist unterbrochen: es wurde nichts gesendet.") + kLinkLostAdvice;

    for (UINT nCommand : { ID_DEVICE_CLOCK, ID_MONITOR, ID_PARAM_G }) {
        CAPTURE(nCommand);
        size_t nBoxes = answerer.Boxes().size();
        dlg.SendMessage(WM_COMMAND, nCommand);
        PumpMessages(1300); // past a response timer of 1000 ms, had one been armed
        REQUIRE(answerer.Boxes().size() == nBoxes + 1);
        CHECK(answerer.Boxes().back().text == lost);
        CHECK(answerer.Boxes().back().caption == "Zevanto tests");
        CHECK(fixture.NewLogLines().back() == lost);
        CHECK(dlg.m_nOperation == OP_IDLE);
        CHECK(dlg.m_bBusy == FALSE);
        CHECK(dlg.m_bConnected == TRUE);
    }
    CHECK((dlg.m_pMonitorDlg == nullptr || dlg.m_pMonitorDlg->m_hWnd == nullptr)); // no monitor opened

    // Disconnect still works (the closed link sends nothing), and the device no longer
    // counts as connected: a command then offers to connect, as ever.
    dlg.SendMessage(WM_COMMAND, ID_LINK_DISCONNECT);
    CHECK(dlg.m_bConnected == FALSE);
    CHECK(fixture.NewLogLines().back() == "Verbindung getrennt");
    CHECK(answerer.Boxes().size() == 4);
}

TEST_CASE("a time-out ends its transaction: the other timer does not report it again")
{
    ConnectionFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    BoxAnswerer answerer(IDOK);
    dlg.m_bConnected = TRUE;

    // A transmitter that stalls: the watchdog expires first, the response timer would
    // expire while its box is open.
    for (UINT nFirst : { TIMER_WATCHDOG, TIMER_RESPONSE }) {
        CAPTURE(nFirst);
        size_t nBoxes = answerer.Boxes().size();
        dlg.m_nOperation = OP_READ_G;
        dlg.m_bBusy = TRUE;
        dlg.SetTimer(nFirst, 20);
        dlg.SetTimer(nFirst == TIMER_WATCHDOG ? TIMER_RESPONSE : TIMER_WATCHDOG, 60);
        PumpMessages(500);
        CHECK(answerer.Boxes().size() == nBoxes + 1);
        CHECK(dlg.m_nOperation == OP_IDLE);
    }
}

TEST_CASE("the library's note is one log line, and no box: the link goes on")
{
    ConnectionFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    BoxAnswerer answerer(IDOK);
    // A failed open leaves a text for the handle -1, as a network link's note does for its own.
    KoraOpen("ASYNC/RFC2217:bench:0,SPEED=9600,FLOW=XONXOFF");
    dlg.m_bConnected = TRUE;
    dlg.m_nOperation = OP_READOUT;
    dlg.OnEvent32();
    CHECK(fixture.NewLogLines()
          == std::vector<std::string>{ "KORA: 0 is not a TCP port: ports are 1 to 65535 (in \"ASYNC/RFC2217:bench:0,SPEED=9600,FLOW=XONXOFF\")." });
    CHECK(answerer.Boxes().empty());
    CHECK(dlg.m_nOperation == OP_READOUT); // the operation goes on
}
