// The files the program writes, on the disk as they go and whole when the disk is full:
// the log file and the trace after each burst, the log for this program alone to write,
// a write that fails with the system's own reason and never again, and the failures of
// the files said in one box.
#include "BoxAnswerer.h"
#include "LogBurst.h"
#include "MainWindowFixture.h"

#include <doctest.h>

namespace {
bool LogOnDisk(const MainWindowFixture& fixture, const std::string& strText)
{
    return ReadFileBytes(fixture.folder.Path("ZevLog.TXT")).find(" " + strText + "\r\n") != std::string::npos;
}

std::string SystemText(DWORD nCode)
{
    CFileException error;
    error.m_lOsError = nCode;
    return std::string(error.GetErrorMessage());
}
}

TEST_CASE("the log file is on the disk at the end of each burst, and a line outside one at once")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.LogLine("a line of its own");
    CHECK(LogOnDisk(fixture, "a line of its own"));
    {
        CLogBurst burst(dlg);
        dlg.LogLine("first of the burst");
        {
            CLogBurst inner(dlg);
            dlg.LogLine("inside an inner burst");
        }
        CHECK_FALSE(LogOnDisk(fixture, "inside an inner burst")); // the stream's buffer holds them
        dlg.LogLine("last of the burst");
    }
    CHECK(LogOnDisk(fixture, "first of the burst"));
    CHECK(LogOnDisk(fixture, "last of the burst"));
}

TEST_CASE("the trace is on the disk with the log: a piece received and the frame it answers when the burst ends")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    CFileException error;
    REQUIRE(dlg.m_TraceFile.Open("ZevTrace.TXT", CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText,
                                 &error));
    dlg.m_nTraceLimit = 1 << 20;
    std::string strPath = fixture.folder.Path("ZevTrace.TXT");
    dlg.TraceBytes(true, "L", 1); // a command outside a burst
    CHECK(ReadFileBytes(strPath).find("|L|") != std::string::npos);
    {
        CLogBurst burst(dlg); // a receive event: the ACK, and the next frame sent at once
        dlg.TraceBytes(false, "\x06", 1);
        dlg.TraceBytes(true, "S1", 2);
        CHECK(ReadFileBytes(strPath).find("|S1|") == std::string::npos);
    }
    std::string strTrace = ReadFileBytes(strPath);
    std::string::size_type nAck = strTrace.find(" RX ");
    CHECK(nAck != std::string::npos);
    CHECK(nAck < strTrace.find("|S1|"));
    CHECK(strTrace.find("|S1|") != std::string::npos);
}

TEST_CASE("no other program may write the log file while the window lives; reading it is fine")
{
    MainWindowFixture fixture;
    std::string strPath = fixture.folder.Path("ZevLog.TXT");
    HANDLE hWriter = ::CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(hWriter == INVALID_HANDLE_VALUE);
    CHECK(::GetLastError() == ERROR_SHARING_VIOLATION);
    if (hWriter != INVALID_HANDLE_VALUE)
        ::CloseHandle(hWriter);
    fixture.dlg.LogLine("still written");
    CHECK(ReadFileBytes(strPath).compare(0, 16, "Zevanto Version ") == 0);
    CHECK(LogOnDisk(fixture, "still written"));
}

TEST_CASE("a write that the system refuses gives the system's reason, and the file is written no more")
{
    // Every write to /dev/full fails with ENOSPC, which Windows knows as a full disk.
    CStdioFile file;
    REQUIRE(file.Open("Z:\\dev\\full", CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText));
    BOOL bWritten = TRUE;
    for (int i = 0; i < 100 && bWritten; ++i)
        bWritten = file.WriteString((std::string(100, 'x') + "\n").c_str());
    BOOL bFlushed = bWritten && file.Flush();
    CHECK_FALSE(bFlushed);
    CHECK(std::string(file.GetWriteErrorMessage()) == SystemText(ERROR_DISK_FULL));
    CHECK_FALSE(file.WriteString("later\n"));
    CHECK_FALSE(file.Flush());
    file.Close();
    CHECK_FALSE(file.IsOpen());
}

TEST_CASE("a file closes with its last lines on the disk")
{
    TempFolder folder;
    std::string strPath = folder.Path("closed.txt");
    CStdioFile file;
    REQUIRE(file.Open(strPath.c_str(), CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText));
    CHECK(file.WriteString("one\ntwo\n"));
    CHECK(ReadFileBytes(strPath).empty());
    file.Close();
    CHECK(ReadFileBytes(strPath) == "one\r\ntwo\r\n");
}

TEST_CASE("failures of files that come before their box shows share it; each is logged at once")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    BoxAnswerer answerer(IDOK);
    dlg.ReportFileFailure("the first file cannot be written");
    dlg.ReportFileFailure("the second file cannot be written");
    std::vector<std::string> lines = fixture.LogWindowLines();
    REQUIRE(lines.size() >= 2);
    CHECK(lines[lines.size() - 2] == "the first file cannot be written");
    CHECK(lines.back() == "the second file cannot be written");
    PumpMessages(500);
    std::vector<SeenBox> boxes = answerer.Boxes();
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == "the first file cannot be written\n\nthe second file cannot be written");

    dlg.ReportFileFailure("a third, later");
    PumpMessages(500);
    boxes = answerer.Boxes();
    REQUIRE(boxes.size() == 2);
    CHECK(boxes[1].text == "a third, later");
}
