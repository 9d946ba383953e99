// Faults shown on request: NAK, silence, garbage, a missing or doubled CR, a dropped port.
#include <doctest.h>

#include "device_harness.h"
#include "frames.h"

using namespace zevsim_test;

namespace {

DeviceHarness awakeDevice(int type, const zevsim::FaultOptions& faults) {
  zevsim::DeviceConfig config = configOfType(type);
  config.faults = faults;
  DeviceHarness harness(config);
  harness.wake();
  return harness;
}

const std::string kRecord = "S111003848656C6C6F20776F726C642E0A0042";
const std::string kEndRecord = "S9030000FC";

// A block frame as the tool builds it, with data bytes that depend on the number.
std::string block(int number) {
  std::string frame{static_cast<char>(number & 0xFF), static_cast<char>(0x80), 0, 0};
  unsigned sum = 0;
  for (int i = 0; i < 128; ++i) {
    const auto byte = static_cast<unsigned char>(i * 3 + number);
    frame.push_back(static_cast<char>(byte));
    sum += byte;
  }
  frame[2] = static_cast<char>(sum >> 8 & 0xFF);
  frame[3] = static_cast<char>(sum & 0xFF);
  return frame;
}

const std::string kAck = "\x06";
const std::string kNak = "\x15";

}  // namespace

TEST_CASE("--nak-every refuses every nth download frame, and the resend goes through") {
  zevsim::FaultOptions faults;
  faults.nakEvery = 2;
  DeviceHarness harness = awakeDevice(0, faults);
  harness.send("D");
  std::string answers;
  for (int i = 0; i < 6; ++i) answers += harness.send(kRecord + "\r");
  CHECK(answers == "\x06\x15\x06\x15\x06\x15");
  CHECK(harness.send("S9030000FC\r") == "\x06");
  // every record went in once for each ACK
  CHECK(harness.firmware().at(0) == kRecord + "\n" + kRecord + "\n" + kRecord + "\nS9030000FC\n");
  CHECK(harness.notes().find("NAK (fault option)") != std::string::npos);
}

TEST_CASE("--nak-frame refuses the nth frame once; the resend is taken and the download goes on") {
  zevsim::FaultOptions faults;
  faults.nakFrame = 3;
  DeviceHarness harness = awakeDevice(0, faults);
  harness.send("D");
  CHECK(harness.send(kRecord + "\r") == kAck);
  CHECK(harness.send("\r") == kAck);  // an empty line is a frame as the tool counts them
  CHECK(harness.send(kRecord + "\r") == kNak);
  CHECK(harness.send(kRecord + "\r") == kAck);
  CHECK(harness.send(kRecord + "\r") == kAck);
  CHECK(harness.send(kEndRecord + "\r") == kAck);
  CHECK(harness.firmware().at(0) == kRecord + "\n" + kRecord + "\n" + kRecord + "\n" + kEndRecord + "\n");
  CHECK(harness.notes().find("frame 3: NAK 1 of 1 (fault option)") != std::string::npos);
}

TEST_CASE("--nak-repeat: a thousand NAKs on one block, then ACK, and the next block follows") {
  zevsim::FaultOptions faults;
  faults.nakFrame = 2;
  faults.nakRepeat = 1000;
  DeviceHarness harness = awakeDevice(1, faults);
  REQUIRE(harness.send("D") == "\x1B");
  CHECK(harness.send(block(0)) == kAck);
  std::string answers;
  for (int i = 0; i < 1000; ++i) answers += harness.send(block(1), 1);
  CHECK(answers == std::string(1000, '\x15'));
  CHECK(harness.send(block(1)) == kAck);
  CHECK(harness.send(block(2)) == kAck);
  CHECK(harness.send(std::string(4, '\0')) == kAck);
  CHECK(harness.firmware().at(0) == block(0).substr(4) + block(1).substr(4) + block(2).substr(4));
  const std::string notes = harness.notes();
  CHECK(notes.find("frame 2: NAK 1 of 1000") != std::string::npos);
  CHECK(notes.find("frame 2: NAK 1000 of 1000") != std::string::npos);
  CHECK(notes.find("NAK 2 of 1000") == std::string::npos);  // not a line per NAK
}

TEST_CASE("--silent-after-frame: the nth frame and all after it go unanswered until the next wake-up") {
  SUBCASE("S-records") {
    zevsim::FaultOptions faults;
    faults.silentAfterFrame = 3;
    DeviceHarness harness = awakeDevice(0, faults);
    harness.send("D");
    CHECK(harness.send(kRecord + "\r") == kAck);
    CHECK(harness.send(kRecord + "\r") == kAck);
    CHECK(harness.send(kRecord + "\r", 11000).empty());
    CHECK(harness.send(kRecord + "\r", 1000).empty());
    CHECK(harness.notes().find("frame 3: silent from here on until the next wake-up") != std::string::npos);
    harness.wake();  // ends the download as a command would: the records taken are kept
    CHECK(harness.firmware().at(0) == kRecord + "\n" + kRecord + "\n" + kRecord + "\n" + kRecord + "\n");
    CHECK(harness.send("r") == "9,33,0\r");
  }
  SUBCASE("blocks: the wake-up string after the silence ends the download") {
    zevsim::FaultOptions faults;
    faults.silentAfterFrame = 2;
    DeviceHarness harness = awakeDevice(1, faults);
    harness.send("D");
    CHECK(harness.send(block(0)) == kAck);
    CHECK(harness.send(block(1), 11000).empty());
    harness.wake();
    CHECK(harness.notes().find("download abandoned after 2 blocks, the tool sent commands: nothing saved") !=
          std::string::npos);
    CHECK(harness.firmware().empty());
    CHECK(harness.send("r") == "9,33,0\r");
  }
}

TEST_CASE("--silent-after stops every answer from that letter until the next wake-up") {
  zevsim::FaultOptions faults;
  faults.silentAfter = 'g';
  DeviceHarness harness = awakeDevice(1, faults);
  CHECK(harness.send("r") == "9,33,0\r");
  CHECK(harness.send("g", 500).empty());
  CHECK(harness.send("r", 500).empty());
  CHECK(harness.send("G", 500).empty());
  harness.send("0\r");  // silent, but still a device: the value is taken
  harness.wake();
  CHECK(harness.send("r") == "9,33,0\r");
  CHECK(harness.notes().find("silent") != std::string::npos);
}

TEST_CASE("--garbage-every puts high-bit bytes before every nth answer") {
  zevsim::FaultOptions faults;
  faults.garbageEvery = 2;  // the identification line is the first answer
  DeviceHarness harness = awakeDevice(1, faults);
  const std::string second = harness.send("r");
  const std::string third = harness.send("r");
  const std::string fourth = harness.send("Y");
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
  DeviceHarness harness = awakeDevice(1, faults);
  CHECK(harness.send("r") == "9,33,0");
  CHECK(harness.send("r") == "9,33,0\r");
  // lines 4 to 8: the read-out's four lines and its closing empty line
  const std::string clock = harness.device.clock(harness.now);
  CHECK(harness.send("V") == "\x1B" "Corlaxa V2.14 SN 104711" "CLOCK " + clock + "\r" +
                               "TOTAL 123456.00 L" "TEXT S= N=\r");
}

TEST_CASE("--extra-cr ends the replies to those read letters in two CRs, the others in one") {
  zevsim::FaultOptions faults;
  faults.extraCr = "hc";
  DeviceHarness harness = awakeDevice(1, faults);
  CHECK(harness.send("r") == "9,33,0\r");
  CHECK(harness.send("h") == "0\r\r");
  CHECK(harness.send("c") == "0\r\r");
  CHECK(harness.send("3") == "OTHER\r");
  CHECK(harness.notes().find("command h: a second CR after the reply (fault option)") != std::string::npos);
}

TEST_CASE("--drop-after closes the port after n frames") {
  SUBCASE("in a block download, instead of answering the nth frame") {
    zevsim::FaultOptions faults;
    faults.dropAfterFrames = 3;
    DeviceHarness harness = awakeDevice(1, faults);
    harness.send("D");
    std::string frame(132, '\0');
    frame[1] = static_cast<char>(0x80);
    CHECK(harness.send(frame) == "\x06");
    frame[0] = 1;
    CHECK(harness.send(frame) == "\x06");
    CHECK_FALSE(harness.dropped());
    frame[0] = 2;
    CHECK(harness.send(frame).empty());
    CHECK(harness.dropped());
    CHECK(harness.firmware().empty());
  }
  SUBCASE("in the monitor, after the nth frame sent") {
    zevsim::FaultOptions faults;
    faults.dropAfterFrames = 5;
    DeviceHarness harness = awakeDevice(0, faults);
    CHECK(splitAtCr(harness.send("M", 3000)).size() == 5u);
    CHECK(harness.dropped());
  }
}

TEST_CASE("--write-not-kept: ESC and the value text as usual, but reads answer the old value") {
  zevsim::FaultOptions faults;
  faults.writeNotKept = "FR";
  DeviceHarness harness = awakeDevice(1, faults);
  CHECK(harness.send("F") == "\x1B");
  CHECK(harness.send("3\r").empty());
  CHECK(harness.send("f") == "2\r");
  CHECK(harness.send("R") == "\x1B");
  CHECK(harness.send("12,40,6\r").empty());
  CHECK(harness.send("r") == "9,33,0\r");  // the CR ended the text: 'r' is a command again
  // the other write letters keep their values
  CHECK(harness.send("W") == "\x1B");
  harness.send("5\r");
  CHECK(harness.send("w") == "5\r");
  CHECK(harness.device.values().replies.at('f') == "2");
  const std::string notes = harness.notes();
  CHECK(notes.find("write F \"3\": not kept (fault option)") != std::string::npos);
  CHECK(notes.find("write R \"12,40,6\": not kept (fault option)") != std::string::npos);
  CHECK(notes.find("write W \"5\": 'w' now answers \"5\"") != std::string::npos);
}
