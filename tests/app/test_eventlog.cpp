// The event log: stamped lines in the window, trimmed to its height, and in ZevLog.TXT.
#include "BoxAnswerer.h"
#include "LogBurst.h"
#include "LogWindowPlan.h"
#include "MainWindowFixture.h"

#include <doctest.h>

#include <algorithm>
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

TEST_CASE("a burst of lines is placed as the line-by-line rule places it")
{
    struct Case { int nLineCount, nMaxLines; std::vector<int> entries; int nDropOld, nSkipNew; } cases[] = {
        { 1, 5, { 1, 1, 1 }, 0, 0 },         // room for all
        { 6, 5, { 1 }, 1, 0 },               // full: one old line goes
        { 6, 5, std::vector<int>(10, 1), 5, 5 }, // more than the window holds
        { 1, 1, { 1, 1, 1 }, 0, 2 },         // a one-line window shows the last line only
        { 3, 0, { 1, 1 }, 2, 1 },            // a limit below one counts as one
        { 4, 5, {}, 0, 0 },
        { 1, 3, { 5 }, 0, 0 },               // one long entry stays whole, as the rule leaves it
        { 6, 3, { 5, 1 }, 5, 3 },            // trimmed before each entry, not after the last
        { 2, 3, { 3, 2 }, 1, 1 },
    };
    for (const Case& c : cases) {
        CAPTURE(c.nLineCount);
        CAPTURE(c.nMaxLines);
        CAPTURE(c.entries.size());
        LogAppendPlan plan = PlanLogAppend(c.nLineCount, c.nMaxLines, c.entries.data(), static_cast<int>(c.entries.size()));
        CHECK(plan.nDropOld == c.nDropOld);
        CHECK(plan.nSkipNew == c.nSkipNew);
    }
    // An entry is as many lines as it holds CR LF: a lone CR or LF breaks no line.
    CHECK(LogEntryLines("a\r\n") == 1);
    CHECK(LogEntryLines("a\nb\rc\r\n") == 1);
    CHECK(LogEntryLines("a\r\n\r\nb\r\n") == 3);
    CHECK(LogEntryLines("a\r\r\n") == 1); // CR CR LF: one soft break
}

namespace {
// The window's text without the time stamps that begin its lines.
std::string Unstamped(const std::string& text)
{
    return std::regex_replace(text, std::regex("(^|\r\n)[0-2][0-9]:[0-5][0-9]:[0-5][0-9] "), "$1");
}

// The line-by-line rule itself, on an edit of its own: trim while the line count is
// above the limit, then append the entry and its CR LF.
void AppendByTheRule(CEdit& edit, int nMaxLines, const std::string& strEntry)
{
    int nLines = edit.GetLineCount();
    while (nLines > nMaxLines) {
        edit.SetSel(0, edit.LineIndex(1));
        edit.ReplaceSel("", FALSE);
        int nLeft = edit.GetLineCount();
        if (nLeft >= nLines)
            break;
        nLines = nLeft;
    }
    edit.SetSel(edit.LineIndex(nLines - 1), -1);
    edit.ReplaceSel((strEntry + "\r\n").c_str(), FALSE);
}
}

TEST_CASE("lines logged in a burst leave the window as the line-by-line rule does")
{
    std::vector<std::string> entries;
    for (int i = 0; i < 14; ++i) {
        entries.push_back("line " + std::to_string(i));
        if (i == 4)
            entries.push_back("KORA - Error\r\n\r\nport gone"); // lines of its own inside
        if (i == 6)
            entries.push_back("a lone line feed\ninside, and a lone CR\rtoo");
        if (i == 7)
            entries.push_back("noise \r\r\n with a soft break and a CR at the end\r");
        if (i == 9)
            entries.push_back(std::string(300, 'L'));
    }
    std::string byTheRule;
    std::string inBursts;
    std::string file;
    {
        MainWindowFixture reference;
        reference.dlg.m_LogEdit.SetWindowText("");
        for (const std::string& strEntry : entries)
            AppendByTheRule(reference.dlg.m_LogEdit, 5, strEntry);
        byTheRule = reference.LogWindowText();

        MainWindowFixture fixture;
        CServiceDlg& dlg = fixture.dlg;
        dlg.m_LogEdit.SetWindowText("");
        dlg.m_nMaxLogLines = 5;
        for (size_t first = 0; first < entries.size(); first += 5) {
            {
                CLogBurst burst(dlg);
                for (size_t i = first; i < entries.size() && i < first + 5; ++i)
                    dlg.LogLine(entries[i].c_str());
            }
            PumpMessages(80); // each burst a change of its own
        }
        inBursts = Unstamped(fixture.LogWindowText());
        dlg.DestroyWindow();
        file = ReadFileBytes(fixture.folder.Path("ZevLog.TXT"));
    }
    CHECK(inBursts == byTheRule);
    CHECK(inBursts.find("line 13\r\n") != std::string::npos);
    CHECK(inBursts.find("line 6\r\n") == std::string::npos);
    CHECK(file.find(" " + std::string(300, 'L') + "\r\n") != std::string::npos);
}

TEST_CASE("a burst shows its lines at its end, or when a message box comes up")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    BoxAnswerer answerer(IDOK);
    PumpMessages(80); // the window's last change lies back
    {
        CLogBurst burst(dlg);
        dlg.LogLine("first of the burst");
        CHECK(fixture.ShownLogWindowText().find("first of the burst") == std::string::npos);
        dlg.MessageBox("a question", nullptr, MB_OK);
        CHECK(fixture.ShownLogWindowText().find("first of the burst") != std::string::npos);
        dlg.LogLine("second of the burst");
        CHECK(fixture.ShownLogWindowText().find("second of the burst") == std::string::npos);
    }
    PumpMessages(80);
    REQUIRE_FALSE(fixture.ShownLogWindowLines().empty());
    CHECK(fixture.ShownLogWindowLines().back() == "second of the burst");
    dlg.LogLine("outside a burst");
    CHECK(fixture.ShownLogWindowLines().back() == "outside a burst"); // at once
}

TEST_CASE("turns of a quick conversation share one change of the window, in order")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    PumpMessages(80);
    // A turn: the device's answer logged, and the next letter sent in the same burst.
    auto turn = [&](const char* pszLine) {
        CLogBurst lines(dlg);
        dlg.LogLine(pszLine);
        dlg.m_bLogBurstSent = TRUE; // as SendCommand marks it
    };
    turn("turn 1"); // the window has been quiet: shown at once
    REQUIRE_FALSE(fixture.ShownLogWindowLines().empty());
    CHECK(fixture.ShownLogWindowLines().back() == "turn 1");
    turn("turn 2"); // within 50 ms of that change: waits
    {
        CLogBurst piece(dlg); // a piece of the next answer: logs nothing, sends nothing
    }
    turn("turn 3");
    CHECK(fixture.ShownLogWindowLines().back() == "turn 1");
    PumpMessages(120); // the window's timer brings both, in one change
    std::vector<std::string> lines = fixture.ShownLogWindowLines();
    REQUIRE(lines.size() >= 3);
    CHECK(std::vector<std::string>(lines.end() - 3, lines.end()) ==
          std::vector<std::string>{"turn 1", "turn 2", "turn 3"});

    turn("turn 4");
    turn("turn 5");
    dlg.LogLine("outside a burst"); // shows what waits at once, before itself
    lines = fixture.ShownLogWindowLines();
    REQUIRE(lines.size() >= 3);
    CHECK(std::vector<std::string>(lines.end() - 3, lines.end()) ==
          std::vector<std::string>{"turn 4", "turn 5", "outside a burst"});

    // A burst that sends nothing ends the conversation (a dialog may open on it): it shows
    // what waits and its own lines at once.
    turn("turn 6");
    {
        CLogBurst last(dlg);
        dlg.LogLine("the last answer");
    }
    lines = fixture.ShownLogWindowLines();
    REQUIRE(lines.size() >= 2);
    CHECK(std::vector<std::string>(lines.end() - 2, lines.end()) ==
          std::vector<std::string>{"turn 6", "the last answer"});

    // The file has every line at the end of its burst, whatever the window shows.
    PumpMessages(80);
    turn("turn 7");
    turn("turn 8");
    CHECK(fixture.ShownLogWindowLines().back() == "turn 7");
    std::string file = ReadFileBytes(fixture.folder.Path("ZevLog.TXT"));
    CHECK(file.find(" turn 8\r\n") != std::string::npos);
    PumpMessages(120);
    CHECK(fixture.ShownLogWindowLines().back() == "turn 8");
}

TEST_CASE("a flood's lines share the window's changes while more of it waits; its end shows at once")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    PumpMessages(80);
    std::string stream;
    for (int n = 0; stream.size() < 3 * CServiceDlg::kReceiveChunk + 100; ++n)
        stream += std::to_string(1000 + n) + "\r";
    auto hand = [&](size_t offset, size_t count) {
        dlg.ReceiveBytes(reinterpret_cast<const BYTE*>(stream.data()) + offset, static_cast<int>(count));
    };
    const size_t chunk = CServiceDlg::kReceiveChunk;
    hand(0, chunk); // the window has been quiet: shown at once
    std::vector<std::string> first = fixture.ShownLogWindowLines();
    REQUIRE_FALSE(first.empty());
    hand(chunk, chunk); // full chunks: more of the flood waits, and so do their lines
    hand(2 * chunk, chunk);
    CHECK(fixture.ShownLogWindowLines() == first);
    hand(3 * chunk, stream.size() - 3 * chunk); // the flood's end: everything at once
    std::vector<std::string> shown = fixture.ShownLogWindowLines();
    REQUIRE_FALSE(shown.empty());
    // The window ends with the flood's last line, as the file does.
    std::string file = ReadFileBytes(fixture.folder.Path("ZevLog.TXT"));
    REQUIRE(file.size() > 2);
    std::string last = file.substr(0, file.size() - 2);
    last = last.substr(last.rfind('\n') + 1 + 9); // without its time stamp
    CHECK(last.find(std::to_string(1000 + static_cast<int>(std::count(stream.begin(), stream.end(), '\r')) - 1)) !=
          std::string::npos);
    CHECK(shown.back() == last);
}
