#pragma once
// Reading monitor frames back the way the tool's receiver does.
#include <cstdint>
#include <string>
#include <vector>

namespace zevsim_test {

// The lines of a byte stream split at CR, escapes not yet removed; a trailing piece
// without CR is dropped.
std::vector<std::string> splitAtCr(const std::string& stream);

// Big-endian fields of an unescaped frame, by their offset in the full 146-byte layout.
struct FrameFields {
  double volume, reading1, reading2, wholeReading, deviation;
  int flow, impulseErrors;
  float litres;
  std::int32_t counter1, counter2;
};
FrameFields decodeFullFrame(const std::string& frame146);

}  // namespace zevsim_test
