// The monitor stream: frame length, escaping, field layout, flow profile, pace.
#include <doctest.h>

#include <cmath>

#include "device_harness.h"
#include "frames.h"
#include "line_escape.h"
#include "monitor_frame.h"

using namespace zevsim_test;

namespace {

DeviceHarness monitoringDevice(int type, int frameLength = 146, bool escapeXonXoff = false) {
  zevsim::DeviceConfig config = configOfType(type);
  config.frameLength = frameLength;
  config.escapeXonXoff = escapeXonXoff;
  DeviceHarness harness(config);
  harness.wake();
  return harness;
}

bool hasRawControlByte(const std::string& escapedLine, bool xonXoffToo) {
  for (unsigned char byte : escapedLine) {
    if (byte == 0x06 || byte == 0x0D || byte == 0x15 || byte == 0x1B) return true;
    if (xonXoffToo && (byte == 0x11 || byte == 0x13)) return true;
  }
  return false;
}

}  // namespace

TEST_CASE("monitor frames have their length after unescaping and no raw control byte inside") {
  for (int length : {140, 144, 146}) {
    CAPTURE(length);
    DeviceHarness harness = monitoringDevice(0, length, true);
    const std::vector<std::string> lines = splitAtCr(harness.send("M", 2000));
    REQUIRE(lines.size() > 20);
    int escaped = 0;
    for (const std::string& line : lines) {
      CHECK(zevsim::unescapeLine(line).size() == static_cast<size_t>(length));
      CHECK_FALSE(hasRawControlByte(line, true));
      escaped += line.find('\x10') != std::string::npos;
    }
    CHECK(escaped > 0);  // the stream did carry bytes that needed the escape
  }
}

TEST_CASE("by default 0x11 and 0x13 travel unescaped, the control values still escaped") {
  DeviceHarness harness = monitoringDevice(0, 146);
  const std::vector<std::string> lines = splitAtCr(harness.send("M", 2000));
  bool rawXonXoff = false;
  for (const std::string& line : lines) {
    CHECK(zevsim::unescapeLine(line).size() == 146u);
    CHECK_FALSE(hasRawControlByte(line, false));
    rawXonXoff |= line.find('\x11') != std::string::npos || line.find('\x13') != std::string::npos;
  }
  CHECK(rawXonXoff);
}

TEST_CASE("short frames carry the same fields: 144 lacks the last two bytes, 140 bytes 126..131") {
  zevsim::MonitorSample sample;
  sample.flow = 120;
  sample.impulseErrors = 3;
  sample.counter1 = 42;
  sample.counter2 = 43;
  sample.litres = 12.5f;
  const std::string full = zevsim::buildMonitorFrame(sample, 146, "Vantik");
  const std::string f144 = zevsim::buildMonitorFrame(sample, 144, "Vantik");
  const std::string f140 = zevsim::buildMonitorFrame(sample, 140, "Vantik");
  CHECK(f144 == full.substr(0, 144));
  CHECK(f140.substr(0, 126) == full.substr(0, 126));
  CHECK(f140.substr(126) == full.substr(132));
  CHECK(f140.substr(126, 2) == std::string("\x00\x06", 2));  // twice the impulse errors
  CHECK(f140.substr(132) == std::string("\x00\x00\x00\x2A\x00\x00\x00\x2B", 8));
  CHECK(full.substr(80, 2) == std::string("\x00\x78", 2));  // flow 120
}

TEST_CASE("a delivery ramps up and down; volume, readings and counters follow the flow") {
  DeviceHarness harness = monitoringDevice(0);
  // one delivery cycle of the default profile is 17 s: 4 up, 6 at the top, 4 down, 3 still
  const std::vector<std::string> lines = splitAtCr(harness.send("M", 17000));
  std::vector<FrameFields> frames;
  for (const std::string& line : lines) frames.push_back(decodeFullFrame(zevsim::unescapeLine(line)));
  REQUIRE(frames.size() > 300);

  int peak = 0;
  size_t peakAt = 0;
  for (size_t i = 0; i < frames.size(); ++i)
    if (frames[i].flow > peak) peak = frames[i].flow, peakAt = i;
  CHECK(frames.front().flow < 20);
  CHECK(peak >= 450);
  CHECK(peak <= 460);
  CHECK(frames.back().flow == 0);
  CHECK(peakAt > frames.size() / 5);
  CHECK(peakAt < frames.size() * 4 / 5);

  bool impulseErrorSeen = false;
  for (size_t i = 1; i < frames.size(); ++i) {
    const FrameFields& f = frames[i];
    CAPTURE(i);
    CHECK(f.volume >= frames[i - 1].volume);
    CHECK(f.reading2 - f.reading1 == doctest::Approx(f.volume).epsilon(1e-6));
    CHECK(f.wholeReading == std::floor(f.reading2));
    CHECK(f.counter1 == std::lround(f.volume * 100));
    CHECK(f.counter2 == f.counter1 - f.impulseErrors);
    impulseErrorSeen |= f.impulseErrors > frames[i - 1].impulseErrors;
  }
  CHECK(impulseErrorSeen);
  // 450 L/min for 6 s at the top and, in effect, 4 s of the two ramps: 75 L
  CHECK(frames.back().volume == doctest::Approx(75.0).epsilon(0.02));
}

TEST_CASE("frames follow one another at the pace of the line rate") {
  for (int type : {0, 1}) {
    CAPTURE(type);
    DeviceHarness harness = monitoringDevice(type);
    const double bytesPerSecond = (type == 1 ? 19200 : 38400) / 10.0;
    const std::string stream = harness.send("M", 10000);
    CHECK(stream.size() == doctest::Approx(bytesPerSecond * 10).epsilon(0.03));
  }
}

TEST_CASE("the next command byte stops the stream and is answered") {
  DeviceHarness harness = monitoringDevice(0);
  CHECK_FALSE(harness.send("M", 500).empty());
  CHECK(harness.device.monitorRunning());
  CHECK(harness.send("r", 1000) == "9,33,0\r");
  CHECK_FALSE(harness.device.monitorRunning());
  CHECK(harness.notes().find("monitor stopped after") != std::string::npos);

  SUBCASE("E ends the session from the monitor") {
    CHECK(harness.send("M", 500).size() > 0);
    CHECK(harness.send("E", 1000).empty());
    CHECK_FALSE(harness.device.awake());
  }
}
