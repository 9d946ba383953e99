#pragma once
// The server's side of a Telnet connection with the COM-PORT-OPTION (RFC 2217), for
// ZEVSIM --rfc2217: it accepts the client's WILL COM-PORT-OPTION with DO (and BINARY both
// ways), acknowledges each setting the client makes with the command code + 100 and the
// value in force, and says which rate the client set, which the device then works at.
// Data is passed with 0xFF (IAC) undoubled on the way in and doubled on the way out.
// Window-free: bytes in, bytes out, notes for the log. The Telnet stream itself is read
// and written with KORA's codec (kora/src/telnet.h), the client's own.
#include <string>
#include <vector>

#include "device_port.h"

struct telnet_command;  // kora/src/telnet.h

namespace zevsim {

class ComPortServer {
 public:
  ComPortServer();
  ~ComPortServer();
  ComPortServer(const ComPortServer&) = delete;
  ComPortServer& operator=(const ComPortServer&) = delete;

  // What the server says when the client has connected.
  std::string greeting() const { return std::string(); }
  // Wire bytes from the client: its data is appended to `data`, what the server answers
  // to `reply`, and what the client set to `events` (a rate with its clientBaud).
  void receive(const std::string& wire, std::string& data, std::string& reply, std::vector<DevicePort::Event>& events);
  // Data as it goes to the client: 0xFF doubled.
  std::string encode(const std::string& data) const;

  int baud() const { return baud_; }

 private:
  struct Session;
  static void onCommand(void* context, const ::telnet_command* command);
  void negotiate(int verb, int option, std::string& reply);
  void command(int code, const std::string& value, std::string& reply, std::vector<DevicePort::Event>& events);

  Session* session_;  // the Telnet decoder and where its commands' answers go
  int baud_ = 9600;
  int dataSize_ = 8;
  int parity_ = 1;    // RFC 2217's codes: 1 none, 2 odd, 3 even, 4 mark, 5 space
  int stopSize_ = 1;  // 1 one, 2 two, 3 one and a half
  int control_ = 1;   // the outbound flow control last set (1 none)
  int inbound_ = 14;  // the inbound flow control last set (14 none)
  bool comPortOption_ = false;  // DO COM-PORT-OPTION sent
  bool binaryIn_ = false;       // DO BINARY sent
  bool binaryOut_ = false;      // WILL BINARY sent
  bool sgaOut_ = false;         // WILL SUPPRESS-GO-AHEAD sent
};

}  // namespace zevsim
