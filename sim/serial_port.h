#pragma once
// The device's end of the serial line: plain Win32 overlapped I/O on \\.\COMn.
//
// Reading: one overlapped read of a single byte is kept pending (all COMMTIMEOUTS
// zero, so it completes as soon as a byte arrives: the quickest wake-up on Windows
// and under Wine); when it completes, whatever else is queued is read at once and
// the one-byte read is armed again. Writing waits for completion, but only so long:
// a line nobody reads must not stop the simulator. No flow control in either
// direction: XON/XOFF would swallow 0x11 and 0x13 inside download frames.
#include <windows.h>

#include <string>

namespace zevsim {

class SerialPort {
 public:
  enum class Result { Ok, Stalled, Gone };

  SerialPort();
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  bool open(const std::string& name, int baud, std::string& error);
  bool setBaud(int baud, std::string& error);
  void close();

  // Signalled when the pending read has completed: call collect().
  HANDLE readEvent() const { return readOv_.hEvent; }
  // Takes the bytes that arrived into `bytes` and arms the next read.
  Result collect(std::string& bytes, std::string& error);
  Result write(const std::string& bytes, std::string& error);

 private:
  bool armRead(std::string& error);
  std::string lastError(const char* what) const;

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  OVERLAPPED readOv_{};
  OVERLAPPED writeOv_{};
  unsigned char readByte_ = 0;
  int baud_ = 9600;
};

}  // namespace zevsim
