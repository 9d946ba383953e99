#include "hex_log.h"

#include <windows.h>

#include <cstdio>

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
  // The local time of the first stamp, carried on by the performance counter: a
  // benchmark reads turnarounds of a fraction of a millisecond from these stamps.
  static const struct Base {
    LARGE_INTEGER frequency, count;
    long long microsOfDay;
    Base() {
      QueryPerformanceFrequency(&frequency);
      QueryPerformanceCounter(&count);
      SYSTEMTIME now;
      GetLocalTime(&now);
      microsOfDay = ((now.wHour * 60LL + now.wMinute) * 60 + now.wSecond) * 1000000LL + now.wMilliseconds * 1000LL;
    }
  } base;
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  const long long ticks = count.QuadPart - base.count.QuadPart;
  const long long micros = (base.microsOfDay + ticks / base.frequency.QuadPart * 1000000LL +
                            ticks % base.frequency.QuadPart * 1000000LL / base.frequency.QuadPart) %
                           (24LL * 3600 * 1000000);
  char text[24];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%06lld", micros / 3600000000LL, micros / 60000000LL % 60,
                micros / 1000000 % 60, micros % 1000000);
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
