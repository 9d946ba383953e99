#include "hex_log.h"

#include <windows.h>

namespace zevsim {

std::string hexLogEntry(const std::string& stamp, const char* direction, const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  const std::string indent(stamp.size() + 4, ' ');
  for (size_t row = 0; row < bytes.size() || row == 0; row += 16) {
    std::string hex, text;
    for (size_t i = row; i < row + 16; ++i) {
      if (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
        hex += ' ';
        text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
      } else {
        hex += "   ";
      }
    }
    out += row == 0 ? stamp + " " + direction + " " : indent;
    out += hex + "|" + text + "|\n";
  }
  return out;
}

std::string timeStamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", now.wHour, now.wMinute, now.wSecond,
                now.wMilliseconds);
  return text;
}

HexLog::~HexLog() {
  if (file_) std::fclose(file_);
}

bool HexLog::open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "w");
  return file_ != nullptr;
}

void HexLog::write(const std::string& text) {
  if (!file_) return;
  std::fputs(text.c_str(), file_);
  std::fflush(file_);  // a test or a technician reads it while the simulator runs
}

}  // namespace zevsim
