#include "net_port.h"

#include <ws2tcpip.h>

#include "com_port_server.h"

namespace zevsim {
namespace {

std::string socketError(const char* what) {
  return std::string(what) + ": Winsock error " + std::to_string(WSAGetLastError());
}

void closeSocket(SOCKET& socket) {
  if (socket == INVALID_SOCKET) return;
  closesocket(socket);
  socket = INVALID_SOCKET;
}

}  // namespace

NetPort::NetPort() = default;

NetPort::~NetPort() {
  close();
  if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
  if (started_) WSACleanup();
}

std::string NetPort::description() const {
  return std::string(mode_ == Mode::Raw ? "raw TCP" : "an RFC 2217 server") + " on 127.0.0.1:" +
         std::to_string(port_) + " (one client at a time)";
}

bool NetPort::listen(int port, Mode mode, std::string& error) {
  mode_ = mode;
  port_ = port;
  WSADATA data;
  if (!started_) {
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
      error = "cannot start Winsock";
      return false;
    }
    started_ = true;
  }
  if (event_ == WSA_INVALID_EVENT) event_ = WSACreateEvent();
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) {
    error = socketError("socket");
    return false;
  }
  // A simulator started again on the same port finds it free, whatever the last one's
  // connections left waiting in the kernel.
  BOOL reuse = TRUE;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 4) != 0 || WSAEventSelect(listener_, event_, FD_ACCEPT) != 0) {
    error = socketError(("cannot listen on 127.0.0.1:" + std::to_string(port)).c_str());
    closeSocket(listener_);
    return false;
  }
  return true;
}

void NetPort::acceptClients() {
  for (;;) {
    sockaddr_in from{};
    int length = sizeof from;
    SOCKET next = accept(listener_, reinterpret_cast<sockaddr*>(&from), &length);
    if (next == INVALID_SOCKET) return;  // WSAEWOULDBLOCK: no one else is waiting
    char name[64] = "?";
    inet_ntop(AF_INET, &from.sin_addr, name, sizeof name);
    const std::string who = std::string(name) + ":" + std::to_string(ntohs(from.sin_port));
    if (client_ != INVALID_SOCKET) {
      closesocket(next);
      events_.push_back({"client " + who + " refused: one client at a time", 0});
      continue;
    }
    client_ = next;
    // Inherits the listener's event selection; the client's own is data and its close.
    WSAEventSelect(client_, event_, FD_READ | FD_CLOSE);
    BOOL noDelay = TRUE;
    setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    events_.push_back({"client " + who + " connected", 0});
    if (mode_ == Mode::Rfc2217) {
      telnet_.reset(new ComPortServer());
      std::string error;
      const std::string greeting = telnet_->greeting();
      if (!greeting.empty() && !sendAll(greeting, error)) dropClient(error);
    }
  }
}

void NetPort::dropClient(const std::string& why) {
  if (client_ == INVALID_SOCKET) return;
  closeSocket(client_);
  telnet_.reset();
  events_.push_back({"client gone (" + why + "): waiting for the next", 0});
}

DevicePort::Result NetPort::collect(std::string& bytes, std::string& error) {
  if (listener_ == INVALID_SOCKET) {
    error = "port closed";
    return Result::Gone;
  }
  // Reset first: whatever comes after the reads below sets the event again.
  WSAResetEvent(event_);
  acceptClients();
  while (client_ != INVALID_SOCKET) {
    char buffer[4096];
    const int got = recv(client_, buffer, sizeof buffer, 0);
    if (got > 0) {
      const std::string wire(buffer, static_cast<size_t>(got));
      if (!telnet_) {
        bytes += wire;
        continue;
      }
      std::string reply;
      telnet_->receive(wire, bytes, reply, events_);
      std::string sendError;
      if (!reply.empty() && !sendAll(reply, sendError)) dropClient(sendError);
      continue;
    }
    if (got == 0) {
      dropClient("it closed the connection");
    } else if (WSAGetLastError() != WSAEWOULDBLOCK) {
      dropClient(socketError("recv"));
    }
    break;
  }
  return Result::Ok;
}

bool NetPort::sendAll(const std::string& wire, std::string& error) {
  size_t sent = 0;
  DWORD waited = 0;
  while (sent < wire.size()) {
    const int done = send(client_, wire.data() + sent, static_cast<int>(wire.size() - sent), 0);
    if (done > 0) {
      sent += static_cast<size_t>(done);
      continue;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
      error = socketError("send");
      return false;
    }
    // A client that takes nothing for a few seconds is as good as gone.
    if (waited >= 5000) {
      error = "the client took nothing for 5 s";
      return false;
    }
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(client_, &writable);
    timeval wait{0, 10000};
    select(0, nullptr, &writable, nullptr, &wait);
    waited += 10;
  }
  return true;
}

DevicePort::Result NetPort::write(const std::string& bytes, std::string& error) {
  if (client_ == INVALID_SOCKET) {
    dropped_ += static_cast<long long>(bytes.size());
    return Result::Ok;
  }
  if (dropped_ > 0) {
    events_.push_back({std::to_string(dropped_) + " bytes sent while no client was connected were dropped", 0});
    dropped_ = 0;
  }
  const std::string wire = telnet_ ? telnet_->encode(bytes) : bytes;
  if (!sendAll(wire, error)) dropClient(error);
  return Result::Ok;
}

bool NetPort::setBaud(int, std::string&) {
  // A TCP connection has no rate; an RFC 2217 client sets it from its side, and the
  // device's own switch is the same rate as the client's (or the client's comes next).
  return true;
}

void NetPort::close() {
  dropClient("the simulator ends");
  closeSocket(listener_);
}

std::vector<DevicePort::Event> NetPort::takeEvents() {
  std::vector<Event> events;
  events.swap(events_);
  return events;
}

}  // namespace zevsim
