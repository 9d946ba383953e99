// Reading the tool's traffic trace back for --replay: the records as the tool's own
// formatter writes them, and files that are no trace.
#include <doctest.h>

#include <string>

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
