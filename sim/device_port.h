#pragma once
// What the simulator's loop needs of the line the device answers on: a COM port
// (serial_port.h) or a TCP port that serves one client at a time (net_port.h).
#include <windows.h>

#include <string>
#include <vector>

namespace zevsim {

class DevicePort {
 public:
  enum class Result { Ok, Stalled, Gone };

  // What happened on the port besides data: a line for the log and, when the far end set
  // the line's rate (an RFC 2217 client), that rate, which the device then works at.
  struct Event {
    std::string note;
    int clientBaud = 0;
  };

  virtual ~DevicePort() = default;

  // Signalled when there is something for collect().
  virtual HANDLE readEvent() const = 0;
  // True when collect() may also be called unsignalled, on every turn of the loop: a
  // socket's notice of a client or of its data that never comes then costs one turn, not
  // the session.
  virtual bool collectsEveryTurn() const { return false; }
  // Takes the bytes that arrived into `bytes`; Gone when the port itself is lost.
  virtual Result collect(std::string& bytes, std::string& error) = 0;
  virtual Result write(const std::string& bytes, std::string& error) = 0;
  // The device's own switch of its rate (the wake-up, 'E').
  virtual bool setBaud(int baud, std::string& error) = 0;
  virtual void close() = 0;
  // The events since the last call, in order. Called on every turn of the loop.
  virtual std::vector<Event> takeEvents() = 0;
};

}  // namespace zevsim
