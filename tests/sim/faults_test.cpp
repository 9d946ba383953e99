// Faults shown on request: NAK, silence, garbage, missing CR, a dropped port.
#include <doctest.h>

#include "bench.h"
#include "frames.h"

using namespace zevsim_test;

namespace {

Bench awakeDevice(int type, const zevsim::FaultOptions& faults) {
  zevsim::DeviceConfig config = configOfType(type);
  config.faults = faults;
  Bench bench(config);
  bench.wake();
  return bench;
}

const std::string kRecord = "S111003848656C6C6F20776F726C642E0A0042";

}  // namespace

TEST_CASE("--nak-every refuses every nth download frame, and the resend goes through") {
  zevsim::FaultOptions faults;
  faults.nakEvery = 2;
  Bench bench = awakeDevice(0, faults);
  bench.send("D");
  std::string answers;
  for (int i = 0; i < 6; ++i) answers += bench.send(kRecord + "\r");
  CHECK(answers == "\x06\x15\x06\x15\x06\x15");
  CHECK(bench.send("S9030000FC\r") == "\x06");
  // every record went in once for each ACK
  CHECK(bench.firmware().at(0) == kRecord + "\n" + kRecord + "\n" + kRecord + "\nS9030000FC\n");
  CHECK(bench.notes().find("NAK (fault option)") != std::string::npos);
}

TEST_CASE("--silent-after stops every answer from that letter until the next wake-up") {
  zevsim::FaultOptions faults;
  faults.silentAfter = 'g';
  Bench bench = awakeDevice(1, faults);
  CHECK(bench.send("r") == "9,33,0\r");
  CHECK(bench.send("g", 500).empty());
  CHECK(bench.send("r", 500).empty());
  CHECK(bench.send("G", 500).empty());
  bench.send("0\r");  // silent, but still a device: the value is taken
  bench.wake();
  CHECK(bench.send("r") == "9,33,0\r");
  CHECK(bench.notes().find("silent") != std::string::npos);
}

TEST_CASE("--garbage-every puts high-bit bytes before every nth answer") {
  zevsim::FaultOptions faults;
  faults.garbageEvery = 2;  // the identification line is the first answer
  Bench bench = awakeDevice(1, faults);
  const std::string second = bench.send("r");
  const std::string third = bench.send("r");
  const std::string fourth = bench.send("Y");
  REQUIRE(second.size() > 7);
  const std::string garbage = second.substr(0, second.size() - 7);
  CHECK(second.substr(garbage.size()) == "9,33,0\r");
  CHECK(garbage.size() <= 8u);
  for (unsigned char byte : garbage) CHECK(byte >= 0x80);
  CHECK(third == "9,33,0\r");
  CHECK(fourth.size() > 1);
  CHECK(fourth.back() == '\x1B');
}

TEST_CASE("--no-cr-every sends every nth line without its CR") {
  zevsim::FaultOptions faults;
  faults.noCrEvery = 2;  // the identification line is the first line
  Bench bench = awakeDevice(1, faults);
  CHECK(bench.send("r") == "9,33,0");
  CHECK(bench.send("r") == "9,33,0\r");
  // lines 4 to 8: the read-out's four lines and its closing empty line
  const std::string clock = bench.device.clock(bench.now);
  CHECK(bench.send("V") == "\x1B" "Corlaxa V2.14 SN 104711" "CLOCK " + clock + "\r" +
                               "TOTAL 123456.00 L" "TEXT S= N=\r");
}

TEST_CASE("--drop-after closes the port after n frames") {
  SUBCASE("in a block download, instead of answering the nth frame") {
    zevsim::FaultOptions faults;
    faults.dropAfterFrames = 3;
    Bench bench = awakeDevice(1, faults);
    bench.send("D");
    std::string frame(132, '\0');
    frame[1] = static_cast<char>(0x80);
    CHECK(bench.send(frame) == "\x06");
    frame[0] = 1;
    CHECK(bench.send(frame) == "\x06");
    CHECK_FALSE(bench.dropped());
    frame[0] = 2;
    CHECK(bench.send(frame).empty());
    CHECK(bench.dropped());
    CHECK(bench.firmware().empty());
  }
  SUBCASE("in the monitor, after the nth frame sent") {
    zevsim::FaultOptions faults;
    faults.dropAfterFrames = 5;
    Bench bench = awakeDevice(0, faults);
    CHECK(splitAtCr(bench.send("M", 3000)).size() == 5u);
    CHECK(bench.dropped());
  }
}
