// The command letters: read replies, writes read back, clock, texts, read-outs.
#include <doctest.h>

#include "device_harness.h"

using namespace zevsim_test;

namespace {

DeviceHarness awakeDevice(int type = 1) {
  DeviceHarness harness(configOfType(type));
  harness.wake();
  return harness;
}

// Writes `value` with `letter` as the tool does: letter, wait for ESC, value text and CR.
void write(DeviceHarness& harness, char letter, const std::string& value) {
  REQUIRE(harness.send(std::string(1, letter)) == esc());
  CHECK(harness.send(value + "\r").empty());  // nothing is said to the value text
}

}  // namespace

TEST_CASE("read letters answer one line each from the values the device starts with") {
  DeviceHarness harness = awakeDevice();
  CHECK(harness.send("r") == "9,33,0\r");
  CHECK(harness.send("h") == "0\r");
  CHECK(harness.send("3") == "OTHER\r");
  CHECK(harness.send("b") == "0\r");
  CHECK(harness.send("g") == "1\r");
  CHECK(harness.send("j") == "0\r");
  CHECK(harness.send("w") == "1\r");
  CHECK(harness.send("f") == "2\r");
  CHECK(harness.send("4") == "RS232\r");
  CHECK(harness.send("c") == "0\r");
}

TEST_CASE("a written value is what the next read answers") {
  const struct {
    char write;
    const char* value;
    char read;
    const char* answer;
  } cases[] = {
      {'R', "30,33,9", 'r', "30,33,9"},
      {'H', "1", 'h', "1"},
      {'1', "2", '3', "SCANIA"},
      {'1', "0", '3', "OTHER"},
      {'B', "1", 'b', "1"},
      {'G', "0", 'g', "0"},
      {'J', "1", 'j', "1"},
      {'W', "0", 'w', "0"},
      {'W', "12", 'w', "12"},
      {'F', "3", 'f', "3"},
      {'2', "1", '4', "RS232 MODIFIED"},
      {'2', "2", '4', "RS485"},
      {'C', "1", 'c', "1"},
  };
  for (const auto& c : cases) {
    CAPTURE(c.write);
    CAPTURE(c.value);
    DeviceHarness harness = awakeDevice();
    write(harness, c.write, c.value);
    CHECK(harness.send(std::string(1, c.read)) == std::string(c.answer) + "\r");
  }
}

TEST_CASE("the configuration write chain of the tool, one step after the other") {
  DeviceHarness harness = awakeDevice();
  write(harness, 'R', "30,33,9");
  write(harness, 'H', "1");
  write(harness, '1', "2");
  write(harness, 'B', "0");
  CHECK(harness.send("r") + harness.send("h") + harness.send("3") + harness.send("b") == "30,33,9\r1\rSCANIA\r0\r");
}

TEST_CASE("a value the device cannot take is logged and the old value stays") {
  const struct {
    char write;
    const char* value;
    char read;
    const char* kept;
  } cases[] = {
      {'R', "9,33", 'r', "9,33,0"},
      {'R', "9,x,0", 'r', "9,33,0"},
      {'G', "4294967295", 'g', "1"},  // the tool's text for "nothing selected"
      {'C', "2", 'c', "0"},
      {'J', "", 'j', "0"},
      {'1', "1", '3', "OTHER"},
      {'2', "3", '4', "RS232"},
      {'F', "4", 'f', "2"},
      {'W', "-1", 'w', "1"},
  };
  for (const auto& c : cases) {
    CAPTURE(c.write);
    CAPTURE(c.value);
    DeviceHarness harness = awakeDevice();
    write(harness, c.write, c.value);
    CHECK(harness.notes().find(std::string("write ") + c.write + " \"" + c.value + "\": value") !=
          std::string::npos);
    CHECK(harness.notes().find("refused") != std::string::npos);
    CHECK(harness.send(std::string(1, c.read)) == std::string(c.kept) + "\r");
  }
}

TEST_CASE("a value text without its CR is given up after the input time-out") {
  DeviceHarness harness = awakeDevice();
  REQUIRE(harness.send("G") == esc());
  harness.send("0", 499);
  CHECK(harness.notes().find("no CR") == std::string::npos);
  harness.pass(10);
  CHECK(harness.notes().find("no CR after the value text of G within 500 ms: \"0\" dropped") !=
        std::string::npos);
  CHECK(harness.send("g") == "1\r");  // unchanged, and the device listens to commands again
}

TEST_CASE("the single-line query L by device type") {
  SUBCASE("type 1 announces the line with ESC") {
    DeviceHarness harness = awakeDevice(1);
    CHECK(harness.send("L") == esc() + "00012345.67 L\r");
    CHECK(harness.send("r") == "9,33,0\r");  // the tool sends no CR back on type 1
  }
  SUBCASE("type 0 sends the line and takes the tool's CR after it") {
    DeviceHarness harness = awakeDevice(0);
    CHECK(harness.send("L") == "00012345.67 L\r");
    CHECK(harness.send("\r").empty());
    CHECK(harness.notes().find("CR after the L line taken") != std::string::npos);
    CHECK(harness.send("r") == "9,33,0\r");
  }
  SUBCASE("type 2 sends the line alone") {
    DeviceHarness harness = awakeDevice(2);
    CHECK(harness.send("L") == "00012345.67 L\r");
  }
}

TEST_CASE("--l-answer picks the form of the L answer on any type") {
  const struct {
    int type;
    zevsim::LAnswer form;
    const char* answer;
  } cases[] = {
      {0, zevsim::LAnswer::Esc, "\x1B"},
      {0, zevsim::LAnswer::EscLine, "\x1B" "00012345.67 L\r"},
      {0, zevsim::LAnswer::TextEsc, "00012345.67 L\x1B"},
      {1, zevsim::LAnswer::Line, "00012345.67 L\r"},
      {1, zevsim::LAnswer::Esc, "\x1B"},
      {2, zevsim::LAnswer::EscLine, "\x1B" "00012345.67 L\r"},
  };
  for (const auto& c : cases) {
    CAPTURE(c.type);
    CAPTURE(static_cast<int>(c.form));
    zevsim::DeviceConfig config = configOfType(c.type);
    config.lAnswer = c.form;
    DeviceHarness harness(config);
    harness.wake();
    CHECK(harness.send("L") == c.answer);
    if (c.type == 0) {
      // the tool answers every form with a lone CR on type 0: taken, not a stray byte
      CHECK(harness.send("\r").empty());
      CHECK(harness.notes().find("CR after the L line taken") != std::string::npos);
    }
    CHECK(harness.send("r") == "9,33,0\r");
  }
}

TEST_CASE("the L text ended by ESC is escaped like a line") {
  zevsim::DeviceValues values = zevsim::defaultValues(0);
  values.replies['L'] = "A\x1B" "B";
  zevsim::DeviceConfig config = configOfType(0);
  config.lAnswer = zevsim::LAnswer::TextEsc;
  DeviceHarness harness(config, &values);
  harness.wake();
  CHECK(harness.send("L") == "A\x10;B\x1B");
}

TEST_CASE("--line-gap: the L line of type 1 comes that long after its ESC") {
  zevsim::DeviceConfig config = configOfType(1);
  config.replyDelayMs = 600;
  config.lineGapMs = 700;
  DeviceHarness harness(config);
  harness.wake();
  CHECK(harness.send("L", 599).empty());
  CHECK(harness.pass(1) == esc());
  CHECK(harness.pass(699).empty());
  CHECK(harness.pass(1) == "00012345.67 L\r");
}

TEST_CASE("--line-gap: every read-out line waits that long after the one before") {
  zevsim::DeviceValues values = zevsim::defaultValues(1);
  values.readoutO = {"one", "two"};
  zevsim::DeviceConfig config = configOfType(1);
  config.lineGapMs = 1500;
  DeviceHarness harness(config, &values);
  harness.wake();
  CHECK(harness.send("O", 1499) == esc());
  CHECK(harness.pass(1) == "one\r");
  CHECK(harness.pass(1499).empty());
  CHECK(harness.pass(1) == "two\r");
  CHECK(harness.pass(1500) == "\r");
}

TEST_CASE("T sets the device clock, which then runs on") {
  DeviceHarness harness = awakeDevice();
  REQUIRE(harness.send("T") == esc());
  CHECK(harness.send("061206052050\r\r").empty());
  CHECK(harness.device.clock(harness.now) == "061206052050");
  harness.pass(70 * 1000);
  CHECK(harness.device.clock(harness.now) == "061206052200");
  CHECK(harness.send("r") == "9,33,0\r");  // the second CR was taken, not left as a command
  CHECK(harness.notes().find("stray") == std::string::npos);
}

TEST_CASE("a clock text that is no date is refused and the clock keeps running") {
  DeviceHarness harness = awakeDevice();
  const std::string before = harness.device.clock(harness.now);
  for (const char* text : {"061306052050", "0612060520", "06120605205x", "061231246000"}) {
    CAPTURE(text);
    REQUIRE(harness.send("T") == esc());
    harness.send(std::string(text) + "\r\r");
    CHECK(harness.notes().find(std::string("clock text \"") + text + "\" refused") != std::string::npos);
  }
  CHECK(harness.device.clock(harness.now).substr(0, 8) == before.substr(0, 8));
}

TEST_CASE("a clock text with only one CR: the next command is still answered") {
  DeviceHarness harness = awakeDevice();
  harness.send("T");
  CHECK(harness.send("061206052050\rr") == "9,33,0\r");
  CHECK(harness.device.clock(harness.now) == "061206052050");
  CHECK(harness.notes().find("not followed by its second CR") != std::string::npos);
}

TEST_CASE("S, N and H take a text; V shows the clock and the texts") {
  DeviceHarness harness = awakeDevice();
  write(harness, 'S', "HELLO");
  write(harness, 'N', "12345678");
  write(harness, 'H', "");  // an empty text is allowed: only a CR follows the ESC
  harness.send("T");
  harness.send("061206052050\r\r");
  const std::string readOut = harness.send("V");
  CHECK(readOut == esc() +
                       "Corlaxa V2.14 SN 104711\r"
                       "CLOCK 061206052050\r"
                       "TOTAL 123456.00 L\r"
                       "TEXT S=HELLO N=12345678\r"
                       "\r");
  CHECK(harness.send("h") == "\r");  // 'h' answers with what 'H' was given
}

TEST_CASE("O sends its lines and ends with an empty line; Y, X and x answer ESC") {
  DeviceHarness harness = awakeDevice();
  CHECK(harness.send("O") == esc() + "001 0000125.50 L\r002 0000480.00 L\r003 0000037.25 L\r\r");
  CHECK(harness.send("Y") == esc());
  CHECK(harness.send("X") == esc());
  CHECK(harness.send("x") == esc());
}

TEST_CASE("read-out lines come from the values, with their placeholders filled in") {
  zevsim::DeviceValues values = zevsim::defaultValues(1);
  values.readoutO = {"A {ident}", "", "B"};  // the empty line ends the read-out: B never goes out
  values.readoutV = {};
  DeviceHarness harness(configOfType(1), &values);
  harness.wake();
  CHECK(harness.send("O") == esc() + "A Corlaxa V2.14 SN 104711\r\r");
  CHECK(harness.send("V") == esc() + "\r");
}

TEST_CASE("a read-out line that is empty once filled in ends the read-out there") {
  zevsim::DeviceValues values = zevsim::defaultValues(1);
  values.readoutV = {"first", "{S}", "third"};
  DeviceHarness harness(configOfType(1), &values);
  harness.wake();
  CHECK(harness.send("V") == esc() + "first\r\r");
  REQUIRE(harness.send("S") == esc());
  harness.send("X\r");
  CHECK(harness.send("V") == esc() + "first\rX\rthird\r\r");
}

TEST_CASE("reply texts with control bytes go out DLE-escaped") {
  zevsim::DeviceValues values = zevsim::defaultValues(1);
  values.replies['r'] = std::string("9\r3\x1B\x10,\x06\x15", 8);
  values.replies['g'] = "\x11\x13";
  DeviceHarness harness(configOfType(1), &values);
  harness.wake();
  CHECK(harness.send("r") == "9\x10-3\x10;\x10\x30,\x10&\x10\x35\r");
  CHECK(harness.send("g") == "\x11\x13\r"); // XON and XOFF are ordinary bytes to the device

  zevsim::DeviceConfig escaping = configOfType(1);
  escaping.escapeXonXoff = true;
  DeviceHarness escaped(escaping, &values);
  escaped.wake();
  CHECK(escaped.send("g") == "\x10\x31\x10\x33\r");
}

TEST_CASE("unknown command bytes and stray line ends are logged and change nothing") {
  DeviceHarness harness = awakeDevice();
  CHECK(harness.send("Qz\x7F\r\n").empty());
  CHECK(harness.notes().find("unknown command 0x51 'Q' ignored") != std::string::npos);
  CHECK(harness.notes().find("unknown command 0x7F ignored") != std::string::npos);
  CHECK(harness.notes().find("stray 0x0D ignored") != std::string::npos);
  CHECK(harness.send("r") == "9,33,0\r");
}

TEST_CASE("the reply delay holds every answer back, in order") {
  zevsim::DeviceConfig config = configOfType(1);
  config.replyDelayMs = 100;
  DeviceHarness harness(config);
  harness.wake();
  CHECK(harness.send("rg", 99).empty());
  CHECK(harness.pass(10) == "9,33,0\r1\r");
}
