#include "frames.h"

#include <cstring>

namespace zevsim_test {
namespace {

std::uint64_t bigEndian(const std::string& frame, size_t offset, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | static_cast<std::uint8_t>(frame[offset + i]);
  return value;
}

double f64(const std::string& frame, size_t offset) {
  const std::uint64_t bits = bigEndian(frame, offset, 8);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

std::vector<std::string> splitAtCr(const std::string& stream) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t cr = stream.find('\r'); cr != std::string::npos; cr = stream.find('\r', start)) {
    lines.push_back(stream.substr(start, cr - start));
    start = cr + 1;
  }
  return lines;
}

FrameFields decodeFullFrame(const std::string& frame) {
  FrameFields f;
  f.volume = f64(frame, 56);
  f.reading1 = f64(frame, 64);
  f.reading2 = f64(frame, 72);
  f.flow = static_cast<std::int16_t>(bigEndian(frame, 80, 2));
  f.wholeReading = f64(frame, 82);
  f.deviation = f64(frame, 90);
  f.impulseErrors = static_cast<std::int16_t>(bigEndian(frame, 132, 2)) / 2;
  const auto litresBits = static_cast<std::uint32_t>(bigEndian(frame, 134, 4));
  std::memcpy(&f.litres, &litresBits, sizeof f.litres);
  f.counter1 = static_cast<std::int32_t>(bigEndian(frame, 138, 4));
  f.counter2 = static_cast<std::int32_t>(bigEndian(frame, 142, 4));
  return f;
}

}  // namespace zevsim_test
