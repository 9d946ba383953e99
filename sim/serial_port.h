#pragma once
// The device's end of the serial line: plain Win32 overlapped I/O on \\.\COMn.
//
// Reading: one overlapped read of a single byte is kept pending (all COMMTIMEOUTS
// zero, so it completes as soon as a byte arrives: the quickest wake-up on Windows
// and under Wine); when it completes, whatever else is queued is read at once and
// the one-byte read is armed again. Writing waits for completion, but only so long:
// a line nobody reads must not stop the simulator. No flow control in either
// direction: XON/XOFF would swallow 0x11 and 0x13 inside download frames.
//
// The rate the port has is looked at now and then (GetCommState, which reads the pty's
// settings under Wine) and each change is an event for the log: behind a relay from a
// network server, that is the rate the server set on its side.
#include <windows.h>

#include <string>
#include <vector>

#include "device_port.h"

namespace zevsim {

class SerialPort : public DevicePort {
 public:
  SerialPort();
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  bool open(const std::string& name, int baud, std::string& error);
  bool setBaud(int baud, std::string& error) override;
  void close() override;

  // Signalled when the pending read has completed: call collect().
  HANDLE readEvent() const override { return readOv_.hEvent; }
  // Takes the bytes that arrived into `bytes` and arms the next read.
  Result collect(std::string& bytes, std::string& error) override;
  Result write(const std::string& bytes, std::string& error) override;
  // The port's rate when it has changed since the last look (at most every 10 ms).
  std::vector<Event> takeEvents() override;

 private:
  bool armRead(std::string& error);
  int rateAtPort();
  std::string lastError(const char* what) const;

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  OVERLAPPED readOv_{};
  OVERLAPPED writeOv_{};
  unsigned char readByte_ = 0;
  int baud_ = 9600;
  int rateSeen_ = 0;        // the rate the port had at the last look
  DWORD lastLook_ = 0;
};

}  // namespace zevsim
