#pragma once
// The binary record that the device streams while the monitor runs.
#include <cstdint>
#include <string>

namespace zevsim {

// What one monitor frame reports.
struct MonitorSample {
  double volume = 0;        // litres of the running delivery
  double reading1 = 0;      // register reading when the delivery began
  double reading2 = 0;      // register reading now
  std::int16_t flow = 0;    // litres per minute
  double wholeReading = 0;  // register reading, the tool shows it truncated
  double deviation = 0;     // per cent between the two pulse channels
  std::int16_t impulseErrors = 0;
  float litres = 0;         // volume measured by the second pulse channel
  std::int32_t counter1 = 0;
  std::int32_t counter2 = 0;
  std::uint32_t sequence = 0;  // frame number, kept in a part of the frame the tool does not read
};

bool validFrameLength(int length);  // 140, 144 or 146

// The raw frame (before escaping, without CR) of 146 bytes, big-endian:
//   56 volume f64, 64 reading1 f64, 72 reading2 f64, 80 flow i16, 82 whole reading f64,
//   90 deviation f64, 132 twice the impulse errors i16, 134 litres f32,
//   138 counter1 i32, 142 counter2 i32.
// 144 drops the last two bytes; 140 leaves out bytes 126..131.
std::string buildMonitorFrame(const MonitorSample& sample, int length, const std::string& ident);

}  // namespace zevsim
