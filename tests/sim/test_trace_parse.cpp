// Reading the tool's traffic trace back for --replay: the records as the tool's own
// formatter writes them, and files that are no trace.
#include <doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TraceFormat.h"
#include "trace_parse.h"

using namespace zevsim;

namespace {

// A record exactly as the tool writes it to ZevTrace.TXT.
std::string record(const char* time, bool sent, int operation, const std::string& bytes) {
  return FormatTraceRecord(time, sent, operation, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string crLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

const std::string kIdent = "Corlaxa V2.14 SN 104711\r";  // 24 bytes: a continuation row

std::string session() {
  return TraceHeader("2024-03-05 14:03:07") + record("14:03:07.100", true, 1, "**\x18" "B01") +
         record("14:03:07.215", false, 1, kIdent) + record("14:03:08.000", true, 13, "r") +
         record("14:03:08.034", false, 13, "9,33,0\r") + TraceLimitLine("14:03:09.000", 1);
}

}  // namespace

TEST_CASE("a trace as the tool writes it: header, records with continuation rows, the limit line") {
  const TraceParse trace = parseTrace(session());
  REQUIRE(trace.ok);
  CHECK(trace.limitReached);
  REQUIRE(trace.records.size() == 4);
  CHECK(trace.records[0].sent);
  CHECK(trace.records[0].bytes == "**\x18" "B01");
  CHECK(trace.records[0].time == (14 * 3600 + 3 * 60 + 7) * 1000LL + 100);
  CHECK(trace.records[0].line == 3);
  CHECK_FALSE(trace.records[1].sent);
  CHECK(trace.records[1].bytes == kIdent);
  CHECK(trace.records[1].time - trace.records[0].time == 115);
  CHECK(trace.records[2].line == 6);  // the ident took two lines
  CHECK(trace.records[3].bytes == "9,33,0\r");
}

TEST_CASE("the trace file's CR LF line ends read the same") {
  const TraceParse lf = parseTrace(session()), crlf = parseTrace(crLf(session()));
  REQUIRE(crlf.ok);
  REQUIRE(crlf.records.size() == lf.records.size());
  for (size_t i = 0; i < lf.records.size(); ++i) {
    CHECK(crlf.records[i].bytes == lf.records[i].bytes);
    CHECK(crlf.records[i].time == lf.records[i].time);
  }
}

TEST_CASE("every byte value, a bar in the text column, and operations of any name") {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  const std::string text = record("09:00:00.000", true, 35, "||") +      // "op 35": a name like hex
                           record("09:00:00.001", false, -1, all) +        // 16 rows
                           record("09:00:00.002", true, 34, "\x10\x7C") +  // "write F only": 12 letters
                           record("09:00:00.003", false, -2147483647 - 1, "X");  // a name past its column
  const TraceParse trace = parseTrace(text);
  REQUIRE(trace.ok);
  REQUIRE(trace.records.size() == 4);
  CHECK(trace.records[0].bytes == "||");
  CHECK(trace.records[1].bytes == all);
  CHECK(trace.records[2].bytes == "\x10\x7C");
  CHECK(trace.records[3].bytes == "X");
  CHECK(trace.records[3].line == 19);
}

TEST_CASE("a session past midnight goes on counting; a clock set back a little stays as it is") {
  const TraceParse trace = parseTrace(record("23:59:59.990", true, 6, "L") + record("00:00:00.020", false, 6, "\x1b") +
                                      record("00:00:00.010", false, 6, "1\r"));
  REQUIRE(trace.ok);
  CHECK(trace.records[1].time - trace.records[0].time == 30);
  CHECK(trace.records[2].time - trace.records[0].time == 20);
}

TEST_CASE("a file that is no trace is refused with the line that shows it") {
  const struct {
    std::string text;
    const char* error;
  } cases[] = {
      {"[Setup]\nLanguageLibrary=ZEV_DE.DLL\n", "line 1: no record of a Zevanto traffic trace"},
      {record("14:03:07.100", true, 6, "L") + "14:03:07.1X0 RX  6 query        1B   |.|\n",
       "line 2: no record of a Zevanto traffic trace"},
      {record("14:03:07.100", true, 6, "L") + "14:03:07.150 XX  6 query        1B\n", "line 2: neither TX nor RX"},
      {"\n\n14:03:07.100 TX  6 query        4G" + std::string(45, ' ') + "|L|\n", "line 3: the bytes are not"},
      // the text column one character short: the row was not read whole
      {"14:03:07.100 TX  6 query        4C" + std::string(45, ' ') + "||\n", "line 1: the bytes are not"},
      {record("14:03:07.100", true, 6, "L") + "                                4C\n",
       "line 2: a continuation row after a row of fewer than 16 bytes"},
      {"    4C 4C\n", "line 1: a continuation row without a record"},
      {record("14:03:07.100", true, 6, "L") + TraceLimitLine("14:03:07.200", 1) + record("14:03:07.300", true, 6, "L"),
       "line 3: a line after the one that ends the trace"},
      {TraceHeader("2024-03-05 14:03:07"), "no record of a traffic trace in it"},
      {"", "no record of a traffic trace in it"},
      {record("14:03:07.100", false, 33, "frame"), "no TX record in it"},
  };
  for (const auto& c : cases) {
    CAPTURE(c.text);
    const TraceParse trace = parseTrace(c.text);
    CHECK_FALSE(trace.ok);
    CHECK(trace.records.empty());
    CHECK(trace.error.rfind(c.error, 0) == 0);
  }
}

TEST_CASE("a trace file that cannot be opened, and one that is no trace, name the file") {
  const TraceParse missing = readTrace("Z:\\no\\such\\folder\\ZevTrace.TXT");
  CHECK_FALSE(missing.ok);
  CHECK(missing.error == "cannot open the trace file Z:\\no\\such\\folder\\ZevTrace.TXT");
  const TraceParse settings = readTrace(ZEVSIM_SAMPLE_INI);
  CHECK_FALSE(settings.ok);
  CHECK(settings.error.find(std::string("the trace file ") + ZEVSIM_SAMPLE_INI + " is no traffic trace of the tool: line ") ==
        0);
}

namespace {

// A trace as a list of records, each with where its text ends in the file (after the last
// row's closing bar, before the line end): a file cut at or after that point holds it whole.
struct Written {
  std::string text;
  std::vector<size_t> recordEnds;
  void add(const std::string& lines) {
    text += crLf(lines);
    recordEnds.push_back(text.size() - 2);
  }
};

Written writtenSession() {
  Written trace;
  trace.text = crLf(TraceHeader("2024-03-05 14:03:07"));
  trace.add(record("14:03:07.100", true, 1, "**\x18" "B01"));
  trace.add(record("14:03:07.215", false, 1, kIdent));  // two rows
  trace.add(record("14:03:08.000", true, 13, "r"));
  trace.add(record("14:03:08.034", false, 13, "9,33,0\r"));
  trace.add(record("14:03:09.500", false, 7, std::string(40, 'x') + "\r"));  // three rows, the last one cut
  return trace;
}

int linesIn(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

}  // namespace

TEST_CASE("a trace cut anywhere after its first record: every whole record before the cut, and where it stopped") {
  const Written whole = writtenSession();
  const TraceParse full = parseTrace(whole.text);
  REQUIRE(full.ok);
  REQUIRE(full.records.size() == whole.recordEnds.size());
  CHECK(full.stopped.empty());
  for (size_t length = whole.recordEnds[0]; length < whole.text.size(); ++length) {
    const std::string cut = whole.text.substr(0, length);
    CAPTURE(cut);
    const TraceParse part = parseTrace(cut);
    REQUIRE(part.ok);
    const bool inLine = cut.back() != '\n';
    const int cutLine = linesIn(cut) + 1;
    if (!inLine) {
      // a cut between two rows of a record cannot be seen: its rows so far are read
      CHECK(part.stopped.empty());
      REQUIRE_FALSE(part.records.empty());
      const std::string& last = part.records.back().bytes;
      CHECK(full.records[part.records.size() - 1].bytes.compare(0, last.size(), last) == 0);
      continue;
    }
    size_t wholeRecords = 0;
    while (wholeRecords < whole.recordEnds.size() && whole.recordEnds[wholeRecords] <= length) ++wholeRecords;
    REQUIRE(part.records.size() == wholeRecords);
    for (size_t i = 0; i < wholeRecords; ++i) {
      CHECK(part.records[i].bytes == full.records[i].bytes);
      CHECK(part.records[i].time == full.records[i].time);
      CHECK(part.records[i].line == full.records[i].line);
    }
    // a cut after a row's closing bar leaves the line whole: nothing is left unread, unless
    // the row is full and the record may go on
    std::string lastLine = cut.substr(cut.rfind('\n') + 1);
    if (lastLine.back() == '\r') lastLine.pop_back();
    const bool rowWhole = std::count(lastLine.begin(), lastLine.end(), '|') == 2 && lastLine.back() == '|';
    const bool rowFull = rowWhole && lastLine.size() - lastLine.find('|') == 18;  // |16 bytes|
    if (rowFull) {
      CHECK(part.stopped.rfind("line " + std::to_string(cutLine) + ": the file ends after this line's 16 bytes", 0) ==
            0);
    } else if (rowWhole) {
      CHECK(part.stopped.empty());
    } else {
      CHECK(part.stopped.rfind("line " + std::to_string(cutLine) +
                                   ": the file ends in the middle of this line (cut off, as when the tool ended "
                                   "while writing it); the whole records before it are read",
                               0) == 0);
      // a continuation row cut: the record it belongs to is named and left out
      const bool rowOfRecord = lastLine[0] == ' ';
      CHECK((part.stopped.find(", the record begun on line ") != std::string::npos) == rowOfRecord);
    }
  }
}

TEST_CASE("a record whose last line is a full row without its line end may go on: left out, and said") {
  const std::string text = record("14:03:07.100", true, 6, "L") + record("14:03:07.200", false, 6, std::string(32, 'y'));
  const TraceParse whole = parseTrace(text);
  REQUIRE(whole.ok);
  CHECK(whole.records.size() == 2);  // with its line end, the row is the record's last
  const TraceParse cut = parseTrace(text.substr(0, text.size() - 1));
  REQUIRE(cut.ok);
  CHECK(cut.records.size() == 1);
  CHECK(cut.stopped ==
        "line 3: the file ends after this line's 16 bytes, without its line end (cut off, as when the tool ended "
        "while writing it); the whole records before it are read, the record begun on line 2 is not whole and is "
        "left out");
}

TEST_CASE("only the last line may be cut: a cut line in the middle, or a last line that is no trace's, is refused") {
  const std::string first = record("14:03:07.100", true, 6, "L");
  const std::string second = record("14:03:07.200", false, 6, "1\r");
  const std::string cutSecond = second.substr(0, 40);
  const struct {
    std::string text;
    const char* error;
  } cases[] = {
      {first + cutSecond + "\n" + record("14:03:07.300", true, 6, "L"), "line 2: the bytes are not in the trace's"},
      {first + cutSecond + "\r\n", "line 2: the bytes are not in the trace's columns"},
      {first + "[Setup]", "line 2: no record of a Zevanto traffic trace"},
      {first + "14:03:07.2X0 RX", "line 2: no record of a Zevanto traffic trace"},
      {first + "14:03:07.200 XX  6 query", "line 2: neither TX nor RX after the time"},
      {first + "14:03:07.200 RX  6 query        4G", "line 2: the bytes are not"},
      {first + "14:03:07.200 RX  6 query        4C 4C|", "line 2: the bytes are not"},
      {first + "                                4C", "line 2: a continuation row after a row of fewer than 16 bytes"},
      {first + TraceLimitLine("14:03:07.200", 1) + "14:03:07.3", "line 3: a line after the one that ends the trace"},
      {"LanguageLibrary=ZEV_DE.DLL", "line 1: no record of a Zevanto traffic trace"},
      // cut in its first record: there is nothing to replay, and the cut is said
      {TraceHeader("2024-03-05 14:03:07") + first.substr(0, 20),
       "no record of a traffic trace in it (line 3: the file ends in the middle of this line"},
  };
  for (const auto& c : cases) {
    CAPTURE(c.text);
    const TraceParse trace = parseTrace(c.text);
    CHECK_FALSE(trace.ok);
    CHECK(trace.records.empty());
    CHECK(trace.error.rfind(c.error, 0) == 0);
  }
}

TEST_CASE("a UTF-8 byte-order mark in front is passed over; the lines count as before") {
  const TraceParse plain = parseTrace(session());
  const TraceParse marked = parseTrace("\xEF\xBB\xBF" + session());
  REQUIRE(marked.ok);
  REQUIRE(marked.records.size() == plain.records.size());
  for (size_t i = 0; i < plain.records.size(); ++i) {
    CHECK(marked.records[i].bytes == plain.records[i].bytes);
    CHECK(marked.records[i].line == plain.records[i].line);
  }
  const TraceParse markedRecordFirst = parseTrace("\xEF\xBB\xBF" + record("14:03:07.100", true, 6, "L"));
  REQUIRE(markedRecordFirst.ok);
  CHECK(markedRecordFirst.records[0].bytes == "L");
  const TraceParse markedSettings = parseTrace("\xEF\xBB\xBF[Setup]\r\nLanguageLibrary=ZEV_DE.DLL\r\n");
  CHECK_FALSE(markedSettings.ok);
  CHECK(markedSettings.error.rfind("line 1: no record of a Zevanto traffic trace", 0) == 0);
  // a mark anywhere else is no part of a trace
  CHECK(parseTrace(record("14:03:07.100", true, 6, "L") + "\xEF\xBB\xBF" + record("14:03:07.200", true, 6, "L"))
            .error.rfind("line 2: no record", 0) == 0);
}
