// --line-rate: bytes cross the pty at the pace of a real cable, both ways.
#include <doctest.h>

#include <string>
#include <utility>
#include <vector>

#include "device_harness.h"

using namespace zevsim_test;

namespace {

DeviceHarness lineRateDevice(int type) {
  zevsim::DeviceConfig config = configOfType(type);
  config.lineRate = true;
  DeviceHarness harness(config);
  harness.wake();
  return harness;
}

// What the device sends in each millisecond of the next `ms`: (time, bytes), empty ones left out.
std::vector<std::pair<Millis, std::string>> timeline(DeviceHarness& harness, Millis ms) {
  std::vector<std::pair<Millis, std::string>> out;
  for (Millis i = 0; i < ms; ++i) {
    const std::string bytes = harness.pass(1);
    if (!bytes.empty()) out.emplace_back(harness.now, bytes);
  }
  return out;
}

std::string blockFrame(int number) {
  std::string frame{static_cast<char>(number), static_cast<char>(0x80), 0, 0};
  frame.append(128, '\x55');
  const unsigned sum = 128 * 0x55;
  frame[2] = static_cast<char>(sum >> 8);
  frame[3] = static_cast<char>(sum & 0xFF);
  return frame;
}

}  // namespace

TEST_CASE("the ACK to a block frame comes only after the frame's wire time") {
  DeviceHarness harness = lineRateDevice(1);  // 19200 baud: 0.52 ms a byte
  REQUIRE(harness.send("D", 5) == esc());
  const Millis written = harness.now;
  // 132 bytes take 68.75 ms to arrive, the ACK another 0.52 ms to come back
  CHECK(harness.send(blockFrame(0), 69).empty());
  CHECK(harness.pass(1) == "\x06");
  CHECK(harness.now - written == 70);
}

TEST_CASE("bytes written with pauses are each taken one wire time after they were written") {
  DeviceHarness harness = lineRateDevice(0);  // 38400 baud: 0.26 ms a byte
  REQUIRE(harness.send("G", 2) == esc());
  harness.send("1", 20);
  harness.send("\r", 20);
  CHECK(harness.send("g", 0).empty());  // not yet across the line
  CHECK(harness.pass(3) == "1\r");
}

TEST_CASE("lines go out no faster than the line carries them") {
  for (int type : {0, 1}) {
    CAPTURE(type);
    DeviceHarness harness = lineRateDevice(type);
    const double msPerByte = 10 * 1000.0 / (type == 1 ? 19200 : 38400);
    harness.send("V", 0);
    const Millis start = harness.now;
    const auto pieces = timeline(harness, 200);
    REQUIRE_FALSE(pieces.empty());
    size_t total = 0;
    const Millis first = pieces.front().first;
    for (const auto& piece : pieces) {
      total += piece.second.size();
      // by this time no more bytes can have crossed than the wire time allows ...
      CHECK(total <= (piece.first - start) / msPerByte + 1e-6);
      // ... and once they flow, none is held back longer
      CHECK(total - pieces.front().second.size() + 1 >= (piece.first - first - 1) / msPerByte);
    }
    CHECK(total > 60u);
    CHECK(pieces.back().second.back() == '\r');
  }
}

TEST_CASE("the wake-up: its bytes cross at 9600 baud, the answer at the working rate") {
  zevsim::DeviceConfig config = configOfType(1);
  config.lineRate = true;
  DeviceHarness harness(config);
  // six bytes at 9600 baud take 6.25 ms; then 80 ms of wake-up delay
  CHECK(harness.send("**\x18" "B01", 86).empty());
  CHECK(harness.bauds() == 1);  // switched when the last byte had arrived
  const auto pieces = timeline(harness, 30);
  std::string line;
  for (const auto& piece : pieces) line += piece.second;
  CHECK(line == "Corlaxa V2.14 SN 104711\r");
  // 24 bytes at 19200 baud: the last one 12.5 ms after the answer began
  CHECK(pieces.back().first - pieces.front().first >= 12);
}

TEST_CASE("E: the rate goes back to 9600 only after what was sent before") {
  zevsim::DeviceValues values = zevsim::defaultValues(1);
  values.readoutO = {std::string(200, 'A')};
  zevsim::DeviceConfig config = configOfType(1);
  config.lineRate = true;
  DeviceHarness harness(config, &values);
  harness.wake();
  harness.send("OE", 500);
  std::string sent;
  bool sentAfterSwitch = false;
  for (const zevsim::Action& action : harness.actions) {
    if (action.kind == zevsim::Action::Kind::SetBaud && action.baud == 9600) sentAfterSwitch = true;
    if (action.kind == zevsim::Action::Kind::Send) {
      CHECK_FALSE(sentAfterSwitch);
      sent += action.bytes;
    }
  }
  CHECK(sentAfterSwitch);
  CHECK(sent.size() > 200u);
}

TEST_CASE("monitor frames with --line-rate: the stream still runs at the line's rate") {
  DeviceHarness harness = lineRateDevice(0);
  const std::string stream = harness.send("M", 5000);
  CHECK(stream.size() == doctest::Approx(3840 * 5).epsilon(0.03));
  for (const auto& piece : timeline(harness, 100)) CHECK(piece.second.size() <= 4u);  // 3.84 bytes a ms
}
