#include "monitor_frame.h"

#include <cstring>

namespace zevsim {
namespace {

void putBigEndian(std::string& frame, size_t offset, std::uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    frame[offset + i] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
}

void putF64(std::string& frame, size_t offset, double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  putBigEndian(frame, offset, bits, 8);
}

void putF32(std::string& frame, size_t offset, float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  putBigEndian(frame, offset, bits, 4);
}

void putI16(std::string& frame, size_t offset, std::int16_t value) {
  putBigEndian(frame, offset, static_cast<std::uint16_t>(value), 2);
}

void putI32(std::string& frame, size_t offset, std::int32_t value) {
  putBigEndian(frame, offset, static_cast<std::uint32_t>(value), 4);
}

}  // namespace

bool validFrameLength(int length) { return length == 140 || length == 144 || length == 146; }

std::string buildMonitorFrame(const MonitorSample& sample, int length, const std::string& ident) {
  std::string frame(146, '\0');
  // The head carries the device's name and the frame number: the tool skips it,
  // a technician reading the hex log recognises the frames by it.
  frame.replace(0, ident.size() < 48 ? ident.size() : 48, ident.substr(0, 48));
  putBigEndian(frame, 48, sample.sequence, 4);
  putF64(frame, 56, sample.volume);
  putF64(frame, 64, sample.reading1);
  putF64(frame, 72, sample.reading2);
  putI16(frame, 80, sample.flow);
  putF64(frame, 82, sample.wholeReading);
  putF64(frame, 90, sample.deviation);
  putBigEndian(frame, 98, sample.sequence, 4);
  putI16(frame, 132, static_cast<std::int16_t>(sample.impulseErrors * 2));
  putF32(frame, 134, sample.litres);
  putI32(frame, 138, sample.counter1);
  putI32(frame, 142, sample.counter2);

  if (length == 144) return frame.substr(0, 144);
  if (length == 140) return frame.substr(0, 126) + frame.substr(132, 14);
  return frame;
}

}  // namespace zevsim
