#pragma once
// The device's end as a TCP server on 127.0.0.1: one client at a time, bytes as they
// are (--tcp) or through RFC 2217's Telnet COM-PORT-OPTION (--rfc2217), where the
// client sets the line's rate and the device follows it. A second client while one is
// served is refused (accepted and closed at once); after the client goes away the next
// may connect. Bytes the device sends while no client is there are dropped, as a line
// nobody listens on drops them.
//
// Sockets are non-blocking, all on one event (WSAEventSelect): a new client, data and
// the client's close all wake the loop.
#include <winsock2.h>

#include <memory>
#include <string>
#include <vector>

#include "device_port.h"

namespace zevsim {

class ComPortServer;

class NetPort : public DevicePort {
 public:
  enum class Mode { Raw, Rfc2217 };

  NetPort();
  ~NetPort() override;

  bool listen(int port, Mode mode, std::string& error);
  HANDLE readEvent() const override { return event_; }
  // Without a notice, accept() and recv() find nothing and cost next to nothing.
  bool collectsEveryTurn() const override { return true; }
  Result collect(std::string& bytes, std::string& error) override;
  Result write(const std::string& bytes, std::string& error) override;
  bool setBaud(int baud, std::string& error) override;
  void close() override;
  std::vector<Event> takeEvents() override;

  // "raw TCP on 127.0.0.1:4001", for the start line.
  std::string description() const;

 private:
  void acceptClients();
  void dropClient(const std::string& why);
  bool sendAll(const std::string& wire, std::string& error);

  Mode mode_ = Mode::Raw;
  int port_ = 0;
  bool started_ = false;  // WSAStartup done
  SOCKET listener_ = INVALID_SOCKET;
  SOCKET client_ = INVALID_SOCKET;
  WSAEVENT event_ = WSA_INVALID_EVENT;
  std::unique_ptr<ComPortServer> telnet_;  // the client's Telnet session (--rfc2217)
  std::vector<Event> events_;
  long long dropped_ = 0;  // bytes sent while no client was there, since the last note
};

}  // namespace zevsim
