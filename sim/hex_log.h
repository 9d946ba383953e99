#pragma once
// The log file: every byte received (RX) and sent (TX) in hex with its printable
// characters, and the device's own notes (--), each line with a time stamp.
#include <cstdio>
#include <string>

namespace zevsim {

// One entry, 16 bytes per row; rows after the first are indented under it:
//   12:00:01.250123 RX 2A 2A 18 42 30 31                                |**.B01|
std::string hexLogEntry(const std::string& stamp, const char* direction, const std::string& bytes);

// "hh:mm:ss.uuuuuu" of the local time now, to the microsecond.
std::string timeStamp();

class HexLog {
 public:
  HexLog() = default;
  ~HexLog();
  HexLog(const HexLog&) = delete;
  HexLog& operator=(const HexLog&) = delete;

  bool open(const std::string& path);  // created anew; false when it cannot be
  void received(const std::string& bytes, const std::string& stamp) { write(hexLogEntry(stamp, "RX", bytes)); }
  void sent(const std::string& bytes) { write(hexLogEntry(timeStamp(), "TX", bytes)); }
  void note(const std::string& text) { write(timeStamp() + " -- " + text + "\n"); }

 private:
  void write(const std::string& text);
  std::FILE* file_ = nullptr;
};

}  // namespace zevsim
