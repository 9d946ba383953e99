#include "com_port_server.h"

#include <cstdint>

#include "telnet.h"

namespace zevsim {
namespace {

enum : unsigned char {
  kIac = TELNET_IAC, kDont = TELNET_DONT, kDo = TELNET_DO, kWont = TELNET_WONT, kWill = TELNET_WILL,
  kSb = TELNET_SB,
};
enum : unsigned char {
  kBinary = TELNET_OPTION_BINARY, kSga = TELNET_OPTION_SUPPRESS_GO_AHEAD, kComPort = TELNET_OPTION_COM_PORT,
};

enum : int {
  kSignature = RFC2217_SIGNATURE, kSetBaud = RFC2217_SET_BAUDRATE, kSetDataSize = RFC2217_SET_DATASIZE,
  kSetParity = RFC2217_SET_PARITY, kSetStopSize = RFC2217_SET_STOPSIZE, kSetControl = RFC2217_SET_CONTROL,
  kFlowSuspend = RFC2217_FLOWCONTROL_SUSPEND, kFlowResume = RFC2217_FLOWCONTROL_RESUME,
  kLineStateMask = RFC2217_SET_LINESTATE_MASK, kModemStateMask = RFC2217_SET_MODEMSTATE_MASK,
  kPurge = RFC2217_PURGE_DATA, kServerOffset = RFC2217_ANSWER,
};

// IAC SB COM-PORT-OPTION code value IAC SE, 0xFF in the value doubled (the signature's
// value may be longer than the codec's messages of at most four bytes).
std::string subnegotiation(int code, const std::string& value) {
  std::string escaped(value.size() * 2, '\0');
  escaped.resize(telnet_escape(reinterpret_cast<const unsigned char*>(value.data()), value.size(),
                               reinterpret_cast<unsigned char*>(&escaped[0])));
  return std::string{static_cast<char>(kIac), static_cast<char>(kSb), static_cast<char>(kComPort),
                     static_cast<char>(code)} +
         escaped + std::string{static_cast<char>(kIac), static_cast<char>(TELNET_SE)};
}

std::string verb(unsigned char what, unsigned char option) {
  unsigned char out[3];
  return std::string(reinterpret_cast<const char*>(out), telnet_option(what, option, out));
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
    case RFC2217_CONTROL_NO_FLOW: return "no flow control";
    case RFC2217_CONTROL_XONXOFF: return "XON/XOFF flow control";
    case RFC2217_CONTROL_HARDWARE: return "RTS/CTS flow control";
    case 5: return "BREAK on";
    case 6: return "BREAK off";
    case RFC2217_CONTROL_DTR_ON: return "DTR on";
    case RFC2217_CONTROL_DTR_OFF: return "DTR off";
    case RFC2217_CONTROL_RTS_ON: return "RTS on";
    case RFC2217_CONTROL_RTS_OFF: return "RTS off";
    case RFC2217_CONTROL_INBOUND_NO_FLOW: return "no inbound flow control";
    case RFC2217_CONTROL_INBOUND_XONXOFF: return "inbound XON/XOFF flow control";
    case 16: return "inbound RTS/CTS flow control";
    default: return "control " + std::to_string(code);
  }
}


}  // namespace

// The decoder, and where the commands it reads in a piece put their answers.
struct ComPortServer::Session {
  telnet_decoder decoder;
  ComPortServer* server = nullptr;
  std::string* reply = nullptr;
  std::vector<DevicePort::Event>* events = nullptr;
};

ComPortServer::ComPortServer() : session_(new Session()) {
  session_->server = this;
  telnet_decoder_init(&session_->decoder, &ComPortServer::onCommand, session_);
}

ComPortServer::~ComPortServer() { delete session_; }

std::string ComPortServer::encode(const std::string& data) const {
  std::string out(data.size() * 2, '\0');
  const size_t length = telnet_escape(reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                                      reinterpret_cast<unsigned char*>(&out[0]));
  out.resize(length);
  return out;
}

void ComPortServer::receive(const std::string& wire, std::string& data, std::string& reply,
                            std::vector<DevicePort::Event>& events) {
  session_->reply = &reply;
  session_->events = &events;
  std::string plain(wire.size(), '\0');
  const size_t length = telnet_decode(&session_->decoder, reinterpret_cast<const unsigned char*>(wire.data()),
                                      wire.size(), reinterpret_cast<unsigned char*>(&plain[0]));
  data.append(plain, 0, length);
  session_->reply = nullptr;
  session_->events = nullptr;
}

void ComPortServer::onCommand(void* context, const ::telnet_command* command) {
  Session& session = *static_cast<Session*>(context);
  ComPortServer& server = *session.server;
  if (command->command >= kWill && command->command <= kDont) {
    server.negotiate(command->command, command->option, *session.reply);
    return;
  }
  if (command->command != kSb) return;  // NOP and the like ask for nothing
  if (command->option != kComPort || command->length < 1) return;  // no other subnegotiation is offered
  const std::string value(reinterpret_cast<const char*>(command->payload) + 1, command->length - 1);
  server.command(command->payload[0], value, *session.reply, *session.events);
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
      // Each setting is taken as said and confirmed: the device has no flow control.
      // 0, 4, 7, 10 and 13 ask what is set: the flow controls as set last, no BREAK, DTR
      // and RTS on (the device has no modem lines: they are taken as said)
      if (first == 0 || first == 4 || first == 7 || first == 10 || first == 13) {
        const int state = first == 0 ? control_ : first == 4 ? 6 : first == 7 ? 8 : first == 10 ? 11 : inbound_;
        reply += subnegotiation(code + kServerOffset, std::string(1, static_cast<char>(state)));
        return;
      }
      if (first >= 1 && first <= 3) control_ = first;
      if (first >= 14 && first <= 16) inbound_ = first;
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
