// Firmware download: S-record lines (types 0 and 2) and block frames (type 1).
#include <doctest.h>

#include <string>
#include <vector>

#include "device_harness.h"
#include "block_frame.h"

using namespace zevsim_test;

namespace {

const std::string kAck = "\x06";
const std::string kNak = "\x15";

// A small S-record file as an assembler writes it.
const std::vector<std::string> kRecords = {
    "S00F000068656C6C6F202020202000003C",
    "S11F00007C0802A6900100049421FFF07C6C1B787C8C23783C6000003863000026",
    "S11F001C4BFFFFE5398000007D83637880010014382100107C0803A64E800020E9",
    "S111003848656C6C6F20776F726C642E0A0042",
    "S5030003F9",
    "S9030000FC",
};

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// A block frame as the tool builds it: number, 0x80, sum high and low, 128 data bytes.
std::string blockFrame(int number, const std::string& data) {
  std::string frame = data;
  frame.resize(128, '\0');
  unsigned sum = 0;
  for (unsigned char byte : frame) sum += byte;
  return std::string{static_cast<char>(number & 0xFF), static_cast<char>(0x80),
                     static_cast<char>((sum >> 8) & 0xFF), static_cast<char>(sum & 0xFF)} + frame;
}

const std::string kEndFrame(4, '\0');

// 128 bytes that hold every control byte, so nothing may be read as one
std::string blockData(int seed) {
  std::string data;
  for (int i = 0; i < 128; ++i) data.push_back(static_cast<char>((i * 7 + seed) & 0xFF));
  return data;
}

DeviceHarness awakeDevice(int type) {
  DeviceHarness harness(configOfType(type));
  harness.wake();
  return harness;
}

}  // namespace

TEST_CASE("S-record download: each good record ACK, the end record completes the file") {
  for (int type : {0, 2}) {
    CAPTURE(type);
    DeviceHarness harness = awakeDevice(type);
    CHECK(harness.send("D").empty());  // the first line follows the letter at once
    for (const std::string& record : kRecords) CHECK(harness.send(record + "\r") == kAck);
    REQUIRE(harness.firmware().size() == 1);
    CHECK(harness.firmware()[0] == joined(kRecords));
    CHECK(harness.send("r") == "9,33,0\r");  // back to commands
  }
}

TEST_CASE("S-records that are damaged are refused with NAK, and the resend taken") {
  const struct {
    std::string line;
    const char* reason;
  } bad[] = {
      {"S111003848656C6C6F20776F726C642E0A0043", "checksum 43, the record sums to 42"},
      {"S111003848656C6C6F20776F726C642E0A42", "byte count 17 but 16 bytes follow"},
      {"S111003848656C6C6F20776F726C642E0A00420", "odd number of hex digits"},
      {"S111003848656C6C6F20776F726C642E0A0G42", "not a hex digit"},
      {"s111003848656C6C6F20776F726C642E0A0042", "does not start with S"},
      {"S4030003F8", "reserved"},
      {"S1020000", "too short"},
  };
  for (const auto& b : bad) {
    CAPTURE(b.line);
    DeviceHarness harness = awakeDevice(0);
    harness.send("D");
    CHECK(harness.send(kRecords[0] + "\r") == kAck);
    CHECK(harness.send(b.line + "\r") == kNak);
    CHECK(harness.notes().find(b.reason) != std::string::npos);
    CHECK(harness.send(kRecords[3] + "\r") == kAck);
    CHECK(harness.send(kRecords[5] + "\r") == kAck);
    REQUIRE(harness.firmware().size() == 1);
    CHECK(harness.firmware()[0] == joined({kRecords[0], kRecords[3], kRecords[5]}));
  }
}

TEST_CASE("S-record download details") {
  SUBCASE("an empty line is acknowledged and kept out of the file") {
    DeviceHarness harness = awakeDevice(0);
    harness.send("D");
    CHECK(harness.send(kRecords[1] + "\r") == kAck);
    CHECK(harness.send("\r") == kAck);
    CHECK(harness.send(kRecords[5] + "\r") == kAck);
    CHECK(harness.firmware().at(0) == joined({kRecords[1], kRecords[5]}));
  }
  SUBCASE("lower-case hex and trailing blanks are accepted") {
    DeviceHarness harness = awakeDevice(2);
    harness.send("D");
    CHECK(harness.send("s5030003F9\r") == kNak);  // the record letter itself is upper case
    CHECK(harness.send("S111003848656c6c6f20776f726c642e0a0042  \r") == kAck);
  }
  SUBCASE("a file without an end record ends when the tool sends its next command") {
    DeviceHarness harness = awakeDevice(0);
    harness.send("D");
    CHECK(harness.send(kRecords[1] + "\r") == kAck);
    CHECK(harness.send("r") == "9,33,0\r");
    CHECK(harness.firmware().at(0) == joined({kRecords[1]}));
    CHECK(harness.notes().find("without an end record") != std::string::npos);
  }
  SUBCASE("a record whose CR does not come is refused after the input time-out") {
    DeviceHarness harness = awakeDevice(0);
    harness.send("D");
    CHECK(harness.send(kRecords[1], 400).empty());
    CHECK(harness.pass(200) == kNak);
    CHECK(harness.send(kRecords[1] + "\r") == kAck);  // the tool sends it again, whole
    CHECK(harness.send(kRecords[5] + "\r") == kAck);
    CHECK(harness.firmware().at(0) == joined({kRecords[1], kRecords[5]}));
  }
}

TEST_CASE("block download: ESC, blocks with ACK, the end frame, the data in the file") {
  DeviceHarness harness = awakeDevice(1);
  CHECK(harness.send("D") == esc());
  std::string image;
  for (int block = 0; block < 3; ++block) {
    CHECK(harness.send(blockFrame(block, blockData(block))) == kAck);
    image += blockData(block);
  }
  CHECK(harness.send(kEndFrame) == kAck);
  REQUIRE(harness.firmware().size() == 1);
  CHECK(harness.firmware()[0] == image);
  CHECK(harness.send("r") == "9,33,0\r");
}

TEST_CASE("block numbers run modulo 256") {
  DeviceHarness harness = awakeDevice(1);
  harness.send("D");
  std::string acks;
  for (int block = 0; block < 300; ++block) acks += harness.send(blockFrame(block, blockData(block)), 1);
  CHECK(acks == std::string(300, '\x06'));
  harness.send(kEndFrame);
  CHECK(harness.firmware().at(0).size() == 300u * 128u);
}

TEST_CASE("damaged block frames are refused with NAK and the resend is taken") {
  SUBCASE("wrong sum") {
    DeviceHarness harness = awakeDevice(1);
    harness.send("D");
    std::string frame = blockFrame(0, blockData(0));
    frame[40] ^= 0x01;
    CHECK(harness.send(frame) == kNak);
    CHECK(harness.notes().find("block 0: sum") != std::string::npos);
    CHECK(harness.send(blockFrame(0, blockData(0))) == kAck);
    harness.send(kEndFrame);
    CHECK(harness.firmware().at(0) == blockData(0));
  }
  SUBCASE("a block number out of turn") {
    DeviceHarness harness = awakeDevice(1);
    harness.send("D");
    CHECK(harness.send(blockFrame(0, blockData(0))) == kAck);
    CHECK(harness.send(blockFrame(2, blockData(2))) == kNak);
    CHECK(harness.notes().find("block 2 where block 1 was due") != std::string::npos);
  }
  SUBCASE("the block just taken, once more, is acknowledged but kept once") {
    DeviceHarness harness = awakeDevice(1);
    harness.send("D");
    CHECK(harness.send(blockFrame(0, blockData(0))) == kAck);
    CHECK(harness.send(blockFrame(0, blockData(0))) == kAck);
    CHECK(harness.send(blockFrame(1, blockData(1))) == kAck);
    harness.send(kEndFrame);
    CHECK(harness.firmware().at(0) == blockData(0) + blockData(1));
  }
  SUBCASE("a bad header: the rest of the frame is let go by, then NAK") {
    DeviceHarness harness = awakeDevice(1);
    harness.send("D");
    std::string frame = blockFrame(0, blockData(0));
    frame[1] = 0x7F;
    CHECK(harness.send(frame, 100).empty());
    CHECK(harness.pass(500) == kNak);
    CHECK(harness.send(blockFrame(0, blockData(0))) == kAck);
  }
  SUBCASE("a frame that stops short is refused after the quiet time") {
    DeviceHarness harness = awakeDevice(1);
    harness.send("D");
    CHECK(harness.send(blockFrame(0, blockData(0)).substr(0, 100), 400).empty());
    CHECK(harness.pass(200) == kNak);
    CHECK(harness.send(blockFrame(0, blockData(0))) == kAck);
    CHECK(harness.send(kEndFrame) == kAck);
    CHECK(harness.firmware().at(0) == blockData(0));
  }
}

TEST_CASE("an empty image: ESC, then at once the end frame") {
  DeviceHarness harness = awakeDevice(1);
  CHECK(harness.send("D") == esc());
  CHECK(harness.send(kEndFrame) == kAck);
  REQUIRE(harness.firmware().size() == 1);
  CHECK(harness.firmware()[0].empty());
}

TEST_CASE("a short last block: the filler bytes are stored with it, the sum covers them") {
  DeviceHarness harness = awakeDevice(1);
  harness.send("D");
  const std::string image = blockData(3) + "\x5A";  // 129 bytes
  std::string last = std::string("\x5A") + std::string(127, '\xEE');  // filler as the tool's buffer held it
  CHECK(harness.send(blockFrame(0, image.substr(0, 128))) == kAck);
  CHECK(harness.send(blockFrame(1, last)) == kAck);
  CHECK(harness.send(kEndFrame) == kAck);
  REQUIRE(harness.firmware().size() == 1);
  CHECK(harness.firmware()[0].size() == 256u);
  CHECK(harness.firmware()[0].substr(0, 129) == image);
  CHECK(harness.firmware()[0].substr(129) == std::string(127, '\xEE'));
}

TEST_CASE("empty lines after the end record are still acknowledged as lines of the download") {
  DeviceHarness harness = awakeDevice(0);
  harness.send("D");
  CHECK(harness.send(kRecords[1] + "\r") == kAck);
  CHECK(harness.send(kRecords[5] + "\r") == kAck);
  CHECK(harness.send("\r") == kAck);
  CHECK(harness.send("\r") == kAck);
  CHECK(harness.send("r") == "9,33,0\r");
  CHECK(harness.send("\r").empty());  // after a command a CR is stray again
  CHECK(harness.firmware().at(0) == joined({kRecords[1], kRecords[5]}));
}

TEST_CASE("the tool leaving a block download: a wake-up or E is taken as such") {
  SUBCASE("a wake-up string where a frame was due") {
    DeviceHarness harness = awakeDevice(1);
    harness.send("D");
    CHECK(harness.send(blockFrame(0, blockData(0))) == kAck);
    harness.wake();
    CHECK(harness.send("r") == "9,33,0\r");
    CHECK(harness.firmware().empty());
  }
  SUBCASE("E and at once a wake-up string") {
    DeviceHarness harness = awakeDevice(1);
    harness.send("D");
    CHECK(harness.send("E", 5).empty());  // block 69 might start so: nothing is known yet
    harness.wake();
    CHECK(harness.notes().find("download abandoned") != std::string::npos);
    CHECK(harness.send("r") == "9,33,0\r");
  }
  SUBCASE("a lone E: the session ends after the quiet time") {
    DeviceHarness harness = awakeDevice(1);
    harness.send("D");
    CHECK(harness.send("E", 1000).empty());  // no NAK for it
    CHECK_FALSE(harness.device.awake());
    CHECK(harness.device.baud() == 9600);
  }
  SUBCASE("a block numbered 69 still starts with E") {
    DeviceHarness harness = awakeDevice(1);
    harness.send("D");
    for (int block = 0; block < 70; ++block) CHECK(harness.send(blockFrame(block, blockData(block)), 1) == kAck);
    CHECK(harness.send(kEndFrame) == kAck);
    CHECK(harness.firmware().at(0).size() == 70u * 128u);
  }
}
