// The pieces under the device model: clock arithmetic, escaping, the command line,
// the log format.
#include <doctest.h>

#include "device_clock.h"
#include "hex_log.h"
#include "line_escape.h"
#include "options.h"

using namespace zevsim;

TEST_CASE("the device clock runs over day, month, leap day, year and century ends") {
  CHECK(advanceClock("061206052050", 0) == "061206052050");
  CHECK(advanceClock("061206235959", 1) == "061207000000");
  CHECK(advanceClock("240228120000", 86400) == "240229120000");
  CHECK(advanceClock("230228120000", 86400) == "230301120000");
  CHECK(advanceClock("061231235959", 1) == "070101000000");
  CHECK(advanceClock("991231235959", 2) == "000101000001");
  CHECK(advanceClock("061206052050", 40 * 86400) == "070115052050");
}

TEST_CASE("clock texts: twelve digits of a real date and time") {
  CHECK(clockTextProblem("061206052050").empty());
  CHECK(clockTextProblem("240229000000").empty());
  CHECK(clockTextProblem("230229000000") == "day out of range");
  CHECK(clockTextProblem("061306052050") == "month out of range");
  CHECK(clockTextProblem("061200052050") == "day out of range");
  CHECK(clockTextProblem("061206245959") == "hour out of range");
  CHECK(clockTextProblem("061206056050") == "minute out of range");
  CHECK(clockTextProblem("06120605205") == "not twelve characters");
  CHECK(clockTextProblem("06120605205 ") == "not all digits");
}

TEST_CASE("escaping: every byte value survives, control bytes never appear raw") {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  for (bool xonXoff : {true, false}) {
    const std::string escaped = escapeLine(all, xonXoff);
    CHECK(unescapeLine(escaped) == all);
    CHECK(escaped.size() == all.size() + (xonXoff ? 7 : 5));
    for (char control : {'\x06', '\x0D', '\x15', '\x1B'}) CHECK(escaped.find(control) == std::string::npos);
    CHECK((escaped.find('\x11') == std::string::npos) == xonXoff);
  }
  CHECK(escapeLine("\x85", true) == "\x85");  // high bytes are ordinary
}

TEST_CASE("command line: a full set of options") {
  const ParsedOptions parsed = parseOptions(
      {"--port", "com21", "--type", "1", "--settings", "sim.ini", "--log=sim.log", "--firmware-out", "fw.bin",
       "--seconds", "30", "--frame-length", "140", "--reply-delay", "5", "--wakeup-delay", "60",
       "--input-timeout", "250", "--escape-xonxoff", "--nak-every", "3", "--silent-after", "g",
       "--garbage-every", "4", "--no-cr-every", "5", "--drop-after", "6", "--seed", "7", "--no-stdin",
       "--l-answer", "esc", "--line-gap", "1500", "--nak-frame", "8", "--nak-repeat", "1000",
       "--silent-after-frame", "9", "--line-rate", "--write-not-kept", "F2R", "--extra-cr", "c3"});
  REQUIRE_MESSAGE(parsed.ok, parsed.error);
  const Options& o = parsed.options;
  CHECK(o.port == "COM21");
  CHECK(o.device.type == 1);
  CHECK(o.settingsPath == "sim.ini");
  CHECK(o.logPath == "sim.log");
  CHECK(o.firmwarePath == "fw.bin");
  CHECK(o.seconds == 30);
  CHECK(o.device.frameLength == 140);
  CHECK(o.device.replyDelayMs == 5);
  CHECK(o.device.wakeUpDelayMs == 60);
  CHECK(o.device.inputTimeoutMs == 250);
  CHECK(o.device.escapeXonXoff);
  CHECK(o.device.faults.nakEvery == 3);
  CHECK(o.device.faults.silentAfter == 'g');
  CHECK(o.device.faults.garbageEvery == 4);
  CHECK(o.device.faults.noCrEvery == 5);
  CHECK(o.device.faults.dropAfterFrames == 6);
  CHECK(o.device.seed == 7u);
  CHECK_FALSE(o.watchStdin);
  CHECK(o.device.lAnswer == LAnswer::Esc);
  CHECK(o.device.lineGapMs == 1500);
  CHECK(o.device.faults.nakFrame == 8);
  CHECK(o.device.faults.nakRepeat == 1000);
  CHECK(o.device.faults.silentAfterFrame == 9);
  CHECK(o.device.lineRate);
  CHECK(o.device.faults.writeNotKept == "F2R");
  CHECK(o.device.faults.extraCr == "c3");
}

TEST_CASE("command line: what a device starts with when only the port is given") {
  const ParsedOptions parsed = parseOptions({"--port", "\\\\.\\COM3"});
  REQUIRE(parsed.ok);
  CHECK(parsed.options.port == "COM3");
  CHECK(parsed.options.device.type == 0);
  CHECK(parsed.options.device.frameLength == 146);
  CHECK_FALSE(parsed.options.device.escapeXonXoff);
  CHECK(parsed.options.watchStdin);
  CHECK(parsed.options.seconds == 0);
  CHECK(parsed.options.device.lAnswer == LAnswer::ByType);
  CHECK(parsed.options.device.lineGapMs == 0);
  CHECK(parsed.options.device.faults.nakFrame == 0);
  CHECK(parsed.options.device.faults.nakRepeat == 1);
  CHECK(parsed.options.device.faults.silentAfterFrame == 0);
  CHECK_FALSE(parsed.options.device.lineRate);
  CHECK(parsed.options.device.faults.writeNotKept.empty());
  CHECK(parsed.options.device.faults.extraCr.empty());
  CHECK(parsed.options.replayPath.empty());
  CHECK_FALSE(parsed.options.replayFast);
}

TEST_CASE("command line: a replay of a trace, with its gaps or fast; --type is taken and not used") {
  ParsedOptions parsed = parseOptions({"--port", "COM21", "--replay", "ZevTrace.TXT", "--type", "1"});
  REQUIRE_MESSAGE(parsed.ok, parsed.error);
  CHECK(parsed.options.replayPath == "ZevTrace.TXT");
  CHECK_FALSE(parsed.options.replayFast);
  parsed = parseOptions({"--port", "COM21", "--replay-fast", "--replay=Z:\\traces\\ZevTrace.TXT"});
  REQUIRE_MESSAGE(parsed.ok, parsed.error);
  CHECK(parsed.options.replayPath == "Z:\\traces\\ZevTrace.TXT");
  CHECK(parsed.options.replayFast);
}

TEST_CASE("command line: mistakes are named") {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{}, "--port is required"},
      {{"--port", "LPT1"}, "expected a port name"},
      {{"--port", "COM0"}, "expected a port name"},
      {{"--port"}, "--port needs a value"},
      {{"--port", "COM1", "--type", "3"}, "--type 3: expected a number from 0 to 2"},
      {{"--port", "COM1", "--frame-length", "145"}, "expected 140, 144 or 146"},
      {{"--port", "COM1", "--seconds", "ten"}, "--seconds ten"},
      {{"--port", "COM1", "--silent-after", "gj"}, "expected one command letter"},
      {{"--port", "COM1", "--baud", "9600"}, "unknown option --baud"},
      {{"--port", "COM1", "--l-answer", "cr"}, "--l-answer cr: expected line, esc, esc-line or text-esc"},
      {{"--port", "COM1", "--line-gap", "-1"}, "--line-gap -1"},
      {{"--port", "COM1", "--nak-repeat", "0"}, "--nak-repeat 0: expected a number from 1"},
      {{"--port", "COM1", "--nak-repeat", "5"}, "--nak-repeat needs --nak-frame"},
      {{"--port", "COM1", "--write-not-kept", "Fr"}, "--write-not-kept Fr: 'r' is no write letter"},
      {{"--port", "COM1", "--write-not-kept", ""}, "--write-not-kept needs a value"},
      {{"--port", "COM1", "--extra-cr", "cL"}, "--extra-cr cL: 'L' is no read letter"},
      {{"--port", "COM1", "--extra-cr", "R"}, "--extra-cr R: 'R' is no read letter"},
      {{"--port", "COM1", "--replay"}, "--replay needs a value"},
      {{"--port", "COM1", "--replay-fast"}, "--replay-fast needs --replay FILE"},
      {{"--port", "COM1", "--replay", "ZevTrace.TXT", "--line-rate"}, "--line-rate does not go with --replay"},
      {{"--tcp", "0"}, "--tcp 0: expected a number from 1 to 65535"},
      {{"--rfc2217", "65536"}, "--rfc2217 65536: expected a number from 1 to 65535"},
      {{"--port", "COM1", "--tcp", "4001"}, "--port, --tcp and --rfc2217 exclude each other"},
      {{"--tcp", "4001", "--rfc2217", "4002"}, "--port, --tcp and --rfc2217 exclude each other"},
  };
  for (const auto& c : cases) {
    const ParsedOptions parsed = parseOptions(c.args);
    CHECK_FALSE(parsed.ok);
    CHECK_MESSAGE(parsed.error.find(c.error) != std::string::npos, parsed.error);
  }
  CHECK(parseOptions({"--port", "COM1", "--nak-repeat", "5", "--nak-frame", "2"}).ok);
  const ParsedOptions tcp = parseOptions({"--tcp", "4001", "--type", "1"});
  CHECK(tcp.ok);
  CHECK(tcp.options.tcpPort == 4001);
  CHECK(tcp.options.port.empty());
  CHECK(parseOptions({"--rfc2217=2217"}).options.rfc2217Port == 2217);
  CHECK(parseOptions({"--help"}).options.help);
  CHECK(parseOptions({"/?"}).ok);
}

TEST_CASE("log entries: hex, printable text and rows of sixteen") {
  CHECK(hexLogEntry("12:00:01.250", "RX", "**\x18" "B01") ==
        "12:00:01.250 RX 2A 2A 18 42 30 31                               |**.B01|\n");
  const std::string two = hexLogEntry("12:00:01.250", "TX", "Corlaxa V2.14 SN 104711\r");
  CHECK(two ==
        "12:00:01.250 TX 43 6F 72 6C 61 78 61 20 56 32 2E 31 34 20 53 4E |Corlaxa V2.14 SN|\n"
        "                20 31 30 34 37 31 31 0D                         | 104711.|\n");
}
