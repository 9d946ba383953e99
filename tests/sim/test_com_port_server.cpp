// The RFC 2217 server of ZEVSIM --rfc2217, bytes in and out: the negotiation, the
// acknowledgement of each setting, the rate the device follows, and 0xFF in the data.
#include <doctest.h>

#include <string>
#include <vector>

#include "com_port_server.h"

using namespace zevsim;

namespace {

const char IAC = '\xff', SB = '\xfa', SE = '\xf0', WILL = '\xfb', WONT = '\xfc', DO = '\xfd', DONT = '\xfe';
const char COM_PORT = 44, BINARY = 0;

std::string sub(char code, const std::string& value) {
  std::string out = {IAC, SB, COM_PORT, code};
  for (char c : value) {
    out.push_back(c);
    if (c == IAC) out.push_back(c);
  }
  return out + std::string{IAC, SE};
}

struct Exchange {
  std::string data, reply;
  std::vector<DevicePort::Event> events;
};

Exchange feed(ComPortServer& server, const std::string& wire) {
  Exchange out;
  server.receive(wire, out.data, out.reply, out.events);
  return out;
}

}  // namespace

TEST_CASE("rfc2217 server: the client's WILL COM-PORT-OPTION and BINARY are answered once") {
  ComPortServer server;
  Exchange x = feed(server, {IAC, WILL, COM_PORT, IAC, WILL, BINARY, IAC, DO, BINARY});
  CHECK(x.reply == std::string{IAC, DO, COM_PORT, IAC, DO, BINARY, IAC, WILL, BINARY});
  CHECK(x.data.empty());
  // repeated: no answer, so the two ends never answer each other for ever
  CHECK(feed(server, {IAC, WILL, COM_PORT, IAC, DO, BINARY}).reply.empty());
  // what it does not offer is refused, each time it is asked
  CHECK(feed(server, {IAC, DO, 1}).reply == std::string{IAC, WONT, 1});
  CHECK(feed(server, {IAC, WILL, 24}).reply == std::string{IAC, DONT, 24});
  CHECK(feed(server, {IAC, WONT, COM_PORT}).reply == std::string{IAC, DONT, COM_PORT});
}

TEST_CASE("rfc2217 server: each setting is acknowledged with code + 100; the rate goes to the device") {
  ComPortServer server;
  Exchange x = feed(server, sub(1, std::string("\x00\x00\x96\x00", 4)));
  CHECK(x.reply == sub(101, std::string("\x00\x00\x96\x00", 4)));
  REQUIRE(x.events.size() == 1);
  CHECK(x.events[0].clientBaud == 38400);
  CHECK(x.events[0].note == "RFC 2217: the client set 38400 baud");
  CHECK(server.baud() == 38400);

  // rate 0 asks for the rate in force: answered, nothing changes
  x = feed(server, sub(1, std::string(4, '\0')));
  CHECK(x.reply == sub(101, std::string("\x00\x00\x96\x00", 4)));
  CHECK(x.events.empty());

  x = feed(server, sub(2, "\x08") + sub(3, "\x01") + sub(4, "\x01") + sub(5, "\x0f") + sub(5, "\x08"));
  CHECK(x.reply == sub(102, "\x08") + sub(103, "\x01") + sub(104, "\x01") + sub(105, "\x0f") + sub(105, "\x08"));
  REQUIRE(x.events.size() == 5);
  CHECK(x.events[0].note == "RFC 2217: the client set 8 data bits");
  CHECK(x.events[1].note == "RFC 2217: the client set no parity");
  CHECK(x.events[2].note == "RFC 2217: the client set 1 stop bit");
  CHECK(x.events[3].note == "RFC 2217: the client set inbound XON/XOFF flow control");
  CHECK(x.events[4].note == "RFC 2217: the client set DTR on");
  for (const auto& event : x.events) CHECK(event.clientBaud == 0);

  // a query of the data size and of the flow control answers what is in force
  CHECK(feed(server, sub(2, std::string(1, '\0'))).reply == sub(102, "\x08"));
  CHECK(feed(server, sub(5, std::string(1, '\0'))).reply == sub(105, "\x01"));
  CHECK(feed(server, sub(5, "\x0d")).reply == sub(105, "\x0f"));  // the inbound flow control set above
  CHECK(feed(server, sub(5, "\x07")).reply == sub(105, "\x08"));  // DTR: on
  // the signature: asked for, the server names itself
  CHECK(feed(server, sub(0, "")).reply == sub(100, "ZEVSIM"));
  // a command nobody knows is noted, not answered
  x = feed(server, sub(42, "\x01"));
  CHECK(x.reply.empty());
  REQUIRE(x.events.size() == 1);
  CHECK(x.events[0].note == "RFC 2217: command 42 not known: ignored");
}

TEST_CASE("rfc2217 server: 0xFF is undoubled in the data and doubled on its way out, in any pieces") {
  ComPortServer server;
  CHECK(server.encode(std::string("a\xff\x11\x13\xff", 5)) == std::string("a\xff\xff\x11\x13\xff\xff", 7));
  const std::string wire = std::string("**\xff\xff\x18", 5) + sub(1, std::string("\x00\x00\x25\x80", 4)) +
                           std::string("B0\xff\xff", 4);
  // byte by byte: a doubled 0xFF or a subnegotiation cut anywhere is put together again
  std::string data, reply;
  std::vector<DevicePort::Event> events;
  for (char c : wire) server.receive(std::string(1, c), data, reply, events);
  CHECK(data == std::string("**\xff\x18" "B0\xff", 7));
  CHECK(reply == sub(101, std::string("\x00\x00\x25\x80", 4)));
  REQUIRE(events.size() == 1);
  CHECK(events[0].clientBaud == 9600);
  // a rate with 0xFF in it is doubled inside the subnegotiation, both ways
  Exchange x = feed(server, sub(1, std::string("\x00\x00\x00\xff", 4)));
  CHECK(x.events.at(0).clientBaud == 255);
  CHECK(x.reply == sub(101, std::string("\x00\x00\x00\xff", 4)));
}
