#include "com_port_server.h"

#include <cstdint>

namespace zevsim {
namespace {

enum : unsigned char { kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240 };
enum : unsigned char { kBinary = 0, kSga = 3, kComPort = 44 };
enum : int {
  kSignature = 0, kSetBaud = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4, kSetControl = 5,
  kFlowSuspend = 8, kFlowResume = 9, kLineStateMask = 10, kModemStateMask = 11, kPurge = 12,
  kServerOffset = 100,
};

std::string subnegotiation(int code, const std::string& value) {
  std::string out = {static_cast<char>(kIac), static_cast<char>(kSb), static_cast<char>(kComPort),
                     static_cast<char>(code)};
  for (char byte : value) {
    out.push_back(byte);
    if (static_cast<unsigned char>(byte) == kIac) out.push_back(byte);
  }
  out += {static_cast<char>(kIac), static_cast<char>(kSe)};
  return out;
}

std::string verb(unsigned char what, unsigned char option) {
  return {static_cast<char>(kIac), static_cast<char>(what), static_cast<char>(option)};
}

std::string bigEndian(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}

const char* parityName(int code) {
  static const char* const kNames[] = {"?", "no parity", "odd parity", "even parity", "mark parity", "space parity"};
  return code >= 1 && code <= 5 ? kNames[code] : "unknown parity";
}

const char* stopName(int code) {
  return code == 1 ? "1 stop bit" : code == 2 ? "2 stop bits" : code == 3 ? "1.5 stop bits" : "unknown stop bits";
}

std::string controlName(int code) {
  switch (code) {
    case 1: return "no flow control";
    case 2: return "XON/XOFF flow control";
    case 3: return "RTS/CTS flow control";
    case 8: return "DTR on";
    case 9: return "DTR off";
    case 11: return "RTS on";
    case 12: return "RTS off";
    case 14: return "inbound XON/XOFF flow control";
    case 15: return "no inbound flow control";
    default: return "control " + std::to_string(code);
  }
}

}  // namespace

// The Telnet decoder: where it stands between two bytes from the client.
struct ComPortServer::Session {
  enum class State { Data, Iac, Verb, Sb, SbIac } state = State::Data;
  unsigned char verb = 0;
  std::string sb;  // the subnegotiation collected so far, IAC undoubled
};

ComPortServer::ComPortServer() : session_(new Session()) {}
ComPortServer::~ComPortServer() { delete session_; }

std::string ComPortServer::encode(const std::string& data) const {
  std::string out;
  out.reserve(data.size());
  for (char byte : data) {
    out.push_back(byte);
    if (static_cast<unsigned char>(byte) == kIac) out.push_back(byte);
  }
  return out;
}

void ComPortServer::receive(const std::string& wire, std::string& data, std::string& reply,
                            std::vector<DevicePort::Event>& events) {
  Session& s = *session_;
  for (char c : wire) {
    const unsigned char byte = static_cast<unsigned char>(c);
    switch (s.state) {
      case Session::State::Data:
        if (byte == kIac) s.state = Session::State::Iac;
        else data.push_back(c);
        break;
      case Session::State::Iac:
        if (byte == kIac) {
          data.push_back(c);
          s.state = Session::State::Data;
        } else if (byte >= kWill && byte <= kDont) {
          s.verb = byte;
          s.state = Session::State::Verb;
        } else if (byte == kSb) {
          s.sb.clear();
          s.state = Session::State::Sb;
        } else {
          s.state = Session::State::Data;  // NOP, GA, AYT and the like: nothing to do
        }
        break;
      case Session::State::Verb:
        negotiate(s.verb, byte, reply);
        s.state = Session::State::Data;
        break;
      case Session::State::Sb:
        if (byte == kIac) s.state = Session::State::SbIac;
        else s.sb.push_back(c);
        break;
      case Session::State::SbIac:
        if (byte == kIac) {
          s.sb.push_back(c);
          s.state = Session::State::Sb;
        } else {  // SE ends it (anything else is taken as its end too)
          if (s.sb.size() >= 2 && static_cast<unsigned char>(s.sb[0]) == kComPort)
            command(static_cast<unsigned char>(s.sb[1]), s.sb.substr(2), reply, events);
          s.state = Session::State::Data;
        }
        break;
    }
  }
}

// Each option is answered once when its state changes, so that two ends never answer
// each other's answers for ever.
void ComPortServer::negotiate(int what, int option, std::string& reply) {
  auto agree = [&](bool& state, bool want, unsigned char yes, unsigned char no) {
    if (state == want) return;
    state = want;
    reply += verb(want ? yes : no, static_cast<unsigned char>(option));
  };
  if (what == kWill) {
    if (option == kComPort) agree(comPortOption_, true, kDo, kDont);
    else if (option == kBinary) agree(binaryIn_, true, kDo, kDont);
    else if (option != kSga) reply += verb(kDont, static_cast<unsigned char>(option));
  } else if (what == kWont) {
    if (option == kComPort) agree(comPortOption_, false, kDo, kDont);
    else if (option == kBinary) agree(binaryIn_, false, kDo, kDont);
  } else if (what == kDo) {
    if (option == kBinary) agree(binaryOut_, true, kWill, kWont);
    else if (option == kSga) agree(sgaOut_, true, kWill, kWont);
    else reply += verb(kWont, static_cast<unsigned char>(option));
  } else {  // DONT
    if (option == kBinary) agree(binaryOut_, false, kWill, kWont);
    else if (option == kSga) agree(sgaOut_, false, kWill, kWont);
  }
}

void ComPortServer::command(int code, const std::string& value, std::string& reply,
                            std::vector<DevicePort::Event>& events) {
  const int first = value.empty() ? 0 : static_cast<unsigned char>(value[0]);
  auto note = [&](const std::string& text, int baud = 0) { events.push_back({"RFC 2217: " + text, baud}); };
  switch (code) {
    case kSignature:
      if (value.empty()) reply += subnegotiation(kSignature + kServerOffset, "ZEVSIM");
      else note("the client is \"" + value + "\"");
      return;
    case kSetBaud: {
      if (value.size() != 4) return note("a rate of " + std::to_string(value.size()) + " bytes ignored");
      std::uint32_t rate = 0;
      for (char byte : value) rate = rate << 8 | static_cast<unsigned char>(byte);
      if (rate != 0) {
        baud_ = static_cast<int>(rate);
        note("the client set " + std::to_string(rate) + " baud", baud_);
      }
      reply += subnegotiation(kSetBaud + kServerOffset, bigEndian(static_cast<std::uint32_t>(baud_)));
      return;
    }
    case kSetDataSize:
      if (first >= 5 && first <= 8) {
        dataSize_ = first;
        note("the client set " + std::to_string(first) + " data bits");
      }
      reply += subnegotiation(code + kServerOffset, std::string(1, static_cast<char>(dataSize_)));
      return;
    case kSetParity:
      if (first >= 1 && first <= 5) {
        parity_ = first;
        note(std::string("the client set ") + parityName(first));
      }
      reply += subnegotiation(code + kServerOffset, std::string(1, static_cast<char>(parity_)));
      return;
    case kSetStopSize:
      if (first >= 1 && first <= 3) {
        stopSize_ = first;
        note(std::string("the client set ") + stopName(first));
      }
      reply += subnegotiation(code + kServerOffset, std::string(1, static_cast<char>(stopSize_)));
      return;
    case kSetControl:
      // 0, 4, 7, 10, 13 and 16 ask what is set; the rest set something. The device has
      // no flow control and no modem lines: each setting is taken as said and confirmed.
      if (first == 0) {
        reply += subnegotiation(code + kServerOffset, std::string(1, static_cast<char>(control_)));
        return;
      }
      if (first == 1 || first == 2 || first == 3) control_ = first;
      note("the client set " + controlName(first));
      reply += subnegotiation(code + kServerOffset, value.substr(0, 1));
      return;
    case kFlowSuspend:
    case kFlowResume:
    case kLineStateMask:
    case kModemStateMask:
    case kPurge:
      reply += subnegotiation(code + kServerOffset, value);
      return;
    default:
      note("command " + std::to_string(code) + " not known: ignored");
      return;
  }
}

}  // namespace zevsim
