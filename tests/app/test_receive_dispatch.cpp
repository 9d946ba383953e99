// The receive framer: bytes in, lines and control bytes routed by the operation code.
#include "MainWindowFixture.h"

#include <doctest.h>

namespace {
void Feed(CServiceDlg& dlg, const std::string& bytes)
{
    for (char ch : bytes)
        dlg.ReceiveByte(static_cast<BYTE>(ch));
}

// The log lines written after the start line.
std::vector<std::string> NewLogLines(const MainWindowFixture& fixture)
{
    std::vector<std::string> lines = fixture.LogWindowLines();
    lines.erase(lines.begin());
    return lines;
}
}

TEST_CASE("lines that arrive while idle are logged as unexpected")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    Feed(dlg, "12\r");
    CHECK(NewLogLines(fixture) == std::vector<std::string>{ ">> (CR) 12" });
    CHECK(dlg.m_strRxLine.IsEmpty());

    SUBCASE("a line split over several receive events is logged whole")
    {
        Feed(dlg, "AB");
        Feed(dlg, "C");
        Feed(dlg, "D\r");
        CHECK(NewLogLines(fixture).back() == ">> (CR) ABCD");
    }
    SUBCASE("a line stops at a NUL byte in the log")
    {
        Feed(dlg, std::string("ab\0cd\r", 6));
        CHECK(NewLogLines(fixture).back() == ">> (CR) ab");
    }
}

TEST_CASE("a device that never sends CR does not take the memory: the line is dropped at 4 MiB")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    const std::string noise(64 * 1024, 'N');
    for (int i = 0; i < 63; ++i)
        dlg.ReceiveBytes(reinterpret_cast<const BYTE*>(noise.data()), static_cast<int>(noise.size()));
    CHECK(dlg.m_strRxLine.GetLength() == 63 * 64 * 1024);
    CHECK(NewLogLines(fixture).empty());
    Feed(dlg, noise + "\x10");
    CHECK(dlg.m_strRxLine.IsEmpty());
    CHECK(NewLogLines(fixture) == std::vector<std::string>{ "* Empfangszeile ohne CR nach 4194304 Bytes verworfen *" });
    Feed(dlg, "\x2dOK\r"); // the DLE that came after is still pending
    CHECK(NewLogLines(fixture).back() == ">> (CR) \rOK");
}

TEST_CASE("DLE shifts the next ordinary byte down by 0x20")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;

    Feed(dlg, "\x85");
    CHECK(dlg.m_strRxLine == CString("\x85"));
    Feed(dlg, "\x10\x85");
    CHECK(dlg.m_strRxLine == CString("\x85\x65"));

    SUBCASE("a control byte after DLE stays a control byte; the shift waits for the next ordinary byte")
    {
        dlg.m_strRxLine.Empty();
        Feed(dlg, "A\x10\ra");
        CHECK(NewLogLines(fixture).back() == ">> (CR) A");
        CHECK(dlg.m_strRxLine == CString("A"));
        CHECK(dlg.m_bDlePending == FALSE);
    }
    SUBCASE("in a read-out, DLE 2D CR is a line of one CR byte")
    {
        dlg.m_strRxLine.Empty();
        dlg.m_nOperation = OP_READOUT;
        Feed(dlg, "\x10\x2d\r");
        CHECK(dlg.m_nOperation == OP_READOUT);
        CHECK(dlg.m_strRxLine.IsEmpty());
        dlg.m_LogFile.Flush();
        CHECK(ReadFileBytes(fixture.folder.Path("ZevLog.TXT")).find(" >> \r\r\n") != std::string::npos);
    }
}

TEST_CASE("ESC, ACK and NAK outside the operations that expect them")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    Feed(dlg, "\x1b");
    Feed(dlg, "\x06");
    Feed(dlg, "\x15");
    CHECK(NewLogLines(fixture) == std::vector<std::string>{ "Unerwartetes ESC vom Gerät", "[ACK]", "[NAK]" });

    SUBCASE("a NAK in a download is no \"[NAK]\": the frame goes again")
    {
        dlg.m_nOperation = OP_DOWNLOAD;
        Feed(dlg, "\x15");
        CHECK(NewLogLines(fixture).size() == 4);
        CHECK(NewLogLines(fixture).back() == "Block 0 wird wiederholt (Dateiposition 0)");
    }
    SUBCASE("an ACK or a NAK that is no answer leaves the operation's time-out running")
    {
        dlg.m_nOperation = OP_CLOCK;
        dlg.m_bTxDone = FALSE;
        dlg.ArmResponseTimer(1000);
        Feed(dlg, "\x06");
        CHECK(NewLogLines(fixture).back() == "[ACK]");
        Feed(dlg, "\x15");
        CHECK(NewLogLines(fixture).back() == "[NAK]");
        CHECK(dlg.m_nOperation == OP_CLOCK);
        CHECK(dlg.m_bTxDone == FALSE);
        CHECK(::KillTimer(dlg.m_hWnd, TIMER_RESPONSE)); // still armed: the time-out will end it
    }
    SUBCASE("a read-out takes one ESC: another gives its lines no more time")
    {
        dlg.m_bBusy = TRUE;
        REQUIRE(dlg.SendLetter(OP_READOUT));
        Feed(dlg, "\x1b");
        CHECK(NewLogLines(fixture).size() == 3);
        Feed(dlg, "\x1b");
        CHECK(NewLogLines(fixture).back() == "Unerwartetes ESC vom Gerät");
        CHECK(dlg.m_nOperation == OP_READOUT);
        Feed(dlg, "line\r");
        CHECK(NewLogLines(fixture).back() == ">> line");
    }
    SUBCASE("the configuration read-out takes no ESC")
    {
        dlg.m_nOperation = OP_CFG_VALUES;
        Feed(dlg, "\x1b");
        CHECK(NewLogLines(fixture).back() == "Unerwartetes ESC vom Gerät");
        CHECK(dlg.m_nOperation == OP_CFG_VALUES);
    }
}

TEST_CASE("a capture read-out is written to its file at the empty line")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    std::string path = fixture.folder.Path("capture.LOG");
    REQUIRE(dlg.m_DownloadFile.Open(path.c_str(), CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText));
    dlg.m_nOperation = OP_CAPTURE;
    dlg.m_bBusy = TRUE;
    Feed(dlg, "\x1b" "first line\rsecond\x10\x3b\r");
    CHECK(ReadFileBytes(path).empty()); // nothing before the end
    Feed(dlg, "\r");
    CHECK(dlg.m_nOperation == OP_IDLE);
    CHECK(dlg.m_bBusy == FALSE);
    CHECK_FALSE(dlg.m_DownloadFile.IsOpen());
    CHECK(dlg.m_strCapture.IsEmpty());
    CHECK(ReadFileBytes(path) == "first line\r\nsecond\x1b\r\n");
    CHECK(NewLogLines(fixture) == std::vector<std::string>{ ">> first line", ">> second\x1b", ">> " });
}

TEST_CASE("ESC completes the writes and the acknowledged commands")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    for (Operation operation : { OP_TEXT_S, OP_TEXT_N, OP_TEXT_H, OP_CFG_WRITE_B, OP_WRITE_G, OP_WRITE_J, OP_WRITE_C,
                           OP_WRITE_F, OP_WRITE_2, OP_WRITE_F_ALONE, OP_COMMAND_Y, OP_COMMAND_X }) {
        dlg.m_nOperation = operation;
        dlg.m_bBusy = TRUE;
        dlg.m_strPendingWrite = "5\r";
        Feed(dlg, "\x1b");
        CHECK_MESSAGE(dlg.m_nOperation == OP_IDLE, "operation " << operation);
        CHECK(dlg.m_bBusy == FALSE);
        CHECK(dlg.m_strPendingWrite == CString("5\r")); // kept after it was sent
    }
    CHECK(NewLogLines(fixture).empty());
}
