// The event log: stamped lines in the window, trimmed to its height, and in ZevLog.TXT.
#include "MainWindowFixture.h"

#include <doctest.h>

#include <regex>

namespace {
// The file's lines after the banner and the line of equals signs, stamps removed.
std::vector<std::string> LogFileEntries(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0, end;
    while ((end = bytes.find("\r\n", start)) != std::string::npos) {
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    std::vector<std::string> entries;
    for (size_t i = 2; i < lines.size(); ++i) {
        CHECK_MESSAGE(std::regex_match(lines[i].substr(0, 9), std::regex("[0-2][0-9]:[0-5][0-9]:[0-5][0-9] ")),
                      "no time stamp: " << lines[i]);
        entries.push_back(lines[i].substr(9));
    }
    return entries;
}
}

TEST_CASE("the log window keeps its line limit, the file keeps everything")
{
    std::string bytes;
    {
        MainWindowFixture fixture;
        CServiceDlg& dlg = fixture.dlg;
        dlg.m_LogEdit.SetWindowText("");
        dlg.m_nMaxLogLines = 5;
        for (int i = 1; i <= 10; ++i) {
            CString text;
            text.Format("call %d", i);
            dlg.LogLine(text);
        }
        CHECK(fixture.LogWindowLines() == std::vector<std::string>{ "call 6", "call 7", "call 8", "call 9", "call 10" });
        dlg.DestroyWindow();
        bytes = ReadFileBytes(fixture.folder.Path("ZevLog.TXT"));
    }
    CHECK(bytes.compare(0, 16, "Zevanto Version ") == 0);
    std::string::size_type firstLineEnd = bytes.find("\r\n");
    CHECK(bytes.substr(firstLineEnd, 73) == "\r\n" + std::string(69, '=') + "\r\n");
    std::vector<std::string> entries = LogFileEntries(bytes);
    std::vector<std::string> expected = { "Programm gestartet" };
    for (int i = 1; i <= 10; ++i)
        expected.push_back("call " + std::to_string(i));
    expected.push_back("Verbindung getrennt"); // the teardown always says good-bye to the device
    expected.push_back("End");
    expected.push_back("Programm beendet");
    CHECK(entries == expected);
}

TEST_CASE("log lines by string id, with a number, and with a line feed inside")
{
    std::string bytes;
    {
        MainWindowFixture fixture;
        CServiceDlg& dlg = fixture.dlg;
        dlg.m_LogEdit.SetWindowText("");
        dlg.LogById(4711);                            // not in any string table
        dlg.LogByIdNum(IDS_TEST_NUMBER, -42);
        dlg.LogByIdNum(IDS_TEST_TEXT_FORMAT, 7);      // would read a text from a number
        dlg.LogByIdNum(IDS_TEST_TWO_NUMBERS, 7);      // would read past its one number
        dlg.LogByIdNum(4711, 7);
        dlg.LogText("KORA - Error\n\nport gone");
        std::string window = fixture.LogWindowText();
        CHECK(window.find("KORA - Error\n\nport gone\r\n") != std::string::npos);
        CHECK(fixture.LogWindowLines().front() == "IDS-Error");
        dlg.DestroyWindow();
        bytes = ReadFileBytes(fixture.folder.Path("ZevLog.TXT"));
    }
    CHECK(bytes.find(" KORA - Error\r\n\r\nport gone\r\n") != std::string::npos);
    std::vector<std::string> entries = LogFileEntries(bytes.substr(0, bytes.find(" KORA")));
    CHECK(entries == std::vector<std::string>{ "Programm gestartet", "IDS-Error", "value -42 written",
                                               "IDS-Error", "IDS-Error", "IDS-Error" });
}

TEST_CASE("a log window lower than one line still shows the last line")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.m_nMaxLogLines = 0;
    dlg.LogLine("first");
    dlg.LogLine("second");
    dlg.LogLine("third");
    CHECK(fixture.LogWindowLines() == std::vector<std::string>{ "third" });
}
