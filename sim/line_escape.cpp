#include "line_escape.h"

#include "control_bytes.h"

namespace zevsim {

bool needsEscape(unsigned char byte, bool escapeXonXoff) {
  switch (byte) {
    case kAck: case kCr: case kDle: case kNak: case kEsc:
      return true;
    case kXon: case kXoff:
      return escapeXonXoff;
    default:
      return false;
  }
}

std::string escapeLine(const std::string& raw, bool escapeXonXoff) {
  std::string out;
  out.reserve(raw.size() + raw.size() / 8);
  for (unsigned char byte : raw) {
    if (needsEscape(byte, escapeXonXoff)) {
      out.push_back(static_cast<char>(kDle));
      out.push_back(static_cast<char>(byte + 0x20));
    } else {
      out.push_back(static_cast<char>(byte));
    }
  }
  return out;
}

std::string unescapeLine(const std::string& escaped) {
  std::string out;
  bool shift = false;
  for (unsigned char byte : escaped) {
    if (byte == kDle) {
      shift = true;
    } else {
      out.push_back(static_cast<char>(shift ? byte - 0x20 : byte));
      shift = false;
    }
  }
  return out;
}

}  // namespace zevsim
