#include "options.h"

#include <cctype>
#include <cstdlib>

#include "monitor_frame.h"
#include "value_writes.h"

namespace zevsim {
namespace {

bool parseNumber(const std::string& text, long min, long max, int& out) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value < min || value > max) return false;
  out = static_cast<int>(value);
  return true;
}

// "COM21", "com21" or "\\.\COM21" -> "COM21"; empty when it is no COM port name.
std::string portName(std::string text) {
  if (text.rfind("\\\\.\\", 0) == 0) text = text.substr(4);
  if (text.size() < 4 || text.size() > 6) return "";
  for (int i = 0; i < 3; ++i) text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  int number = 0;
  if (text.compare(0, 3, "COM") != 0 || !parseNumber(text.substr(3), 1, 255, number)) return "";
  return "COM" + std::to_string(number);
}

bool parseLAnswer(const std::string& text, LAnswer& out) {
  static const struct {
    const char* name;
    LAnswer form;
  } kForms[] = {{"line", LAnswer::Line}, {"esc", LAnswer::Esc}, {"esc-line", LAnswer::EscLine},
                {"text-esc", LAnswer::TextEsc}};
  for (const auto& form : kForms)
    if (text == form.name) {
      out = form.form;
      return true;
    }
  return false;
}

struct NumberOption {
  const char* name;
  long min, max;
  int Options::*field;
  int DeviceConfig::*deviceField;
  int FaultOptions::*faultField;
};

}  // namespace

const char* usageText() {
  return
      "ZEVSIM.EXE - plays a Vantik, Corlaxa or Brennix flow register on a serial port\n"
      "\n"
      "usage: ZEVSIM.EXE --port COMn [options]\n"
      "       ZEVSIM.EXE --tcp PORT | --rfc2217 PORT [options]\n"
      "\n"
      "  --port COMn            the serial port to answer on\n"
      "  --tcp PORT             instead of a serial port: a raw TCP device on 127.0.0.1:PORT,\n"
      "                         one client at a time (the next may connect when it has gone);\n"
      "                         bytes as they are, the rate only paces --line-rate\n"
      "  --rfc2217 PORT         instead of a serial port: an RFC 2217 server on\n"
      "                         127.0.0.1:PORT, one client at a time; it takes the Telnet\n"
      "                         COM-PORT-OPTION, answers the client's rate, data size,\n"
      "                         parity, stop bits and control, and the device works at the\n"
      "                         rate the client set (its hex log notes each)\n"
      "  --type 0|1|2           device type: 0 Vantik, 1 Corlaxa, 2 Brennix (default 0);\n"
      "                         wakes up at 9600 baud, works at 38400 (0, 2) or 19200 (1)\n"
      "  --settings FILE        INI file with the identification, reply texts, read-out\n"
      "                         lines and flow profile (see below)\n"
      "  --log FILE             log of every byte received and sent, in hex with time stamps\n"
      "  --firmware-out FILE    a finished firmware download is written here: the\n"
      "                         S-records as received, one a line (types 0, 2), or the data\n"
      "                         of every block, the filler of a short last one included\n"
      "                         (type 1)\n"
      "  --seconds N            end after N seconds\n"
      "  --no-stdin             do not end when standard input closes (needed when it\n"
      "                         runs without one, e.g. with input from NUL)\n"
      "  --frame-length N       monitor frame length: 140, 144 or 146 (default 146)\n"
      "  --reply-delay MS       wait before each answer (default 0)\n"
      "  --line-gap MS          wait before each line that follows an ESC: the 'L' line of\n"
      "                         type 1 and every line of a read-out (default 0)\n"
      "  --l-answer FORM        how 'L' is answered: line (the line and CR; a type-0 device\n"
      "                         then takes the tool's lone CR), esc (ESC alone), esc-line\n"
      "                         (ESC, then the line), text-esc (the text ended by ESC);\n"
      "                         default: esc-line on type 1, line on types 0 and 2\n"
      "  --wakeup-delay MS      wait after switching to the working rate before the\n"
      "                         identification line (default 80)\n"
      "  --input-timeout MS     give up an unfinished value text or download frame after\n"
      "                         this much quiet (default 500)\n"
      "  --escape-xonxoff       send 0x11 and 0x13 in lines DLE-escaped too (the device sends\n"
      "                         them raw, like any byte but the protocol's control values)\n"
      "  --line-rate            every byte takes its wire time, 10 bits at the current baud\n"
      "                         rate, as on a real cable (a pty delivers at once): bytes\n"
      "                         sent reach the port one wire time after another, and a\n"
      "                         byte received is taken only one wire time after it was\n"
      "                         written or after the byte before it, so no answer to a\n"
      "                         frame comes before the frame could have arrived\n"
      "\n"
      "replaying a recorded session:\n"
      "  --replay FILE          play the device's side of the tool's traffic trace FILE\n"
      "                         (ZevTrace.TXT, written with [Debug] Trace=1): each send of\n"
      "                         the tool that matches the trace's next TX record (in any\n"
      "                         pieces, or several at once) is answered with the RX records\n"
      "                         that follow it, each after its gap in the trace; no RX\n"
      "                         record, no answer. A send that differs is noted and not\n"
      "                         answered; the replay goes on at the first later TX record\n"
      "                         (round to the trace's start) that begins with the bytes\n"
      "                         sent since the last record matched, or, when none does,\n"
      "                         drops them and waits for the same record again. The port\n"
      "                         takes the working rate after a wake-up, 9600 after 'E'.\n"
      "                         A trace that ends in the middle of its last line (the\n"
      "                         tool ended while writing it) is played up to its last\n"
      "                         whole record; the simulator says where it stopped reading.\n"
      "                         The device options (--type, --settings, faults) are not used\n"
      "  --replay-fast          with --replay: every answer at once, without the gaps,\n"
      "                         but the answer to a wake-up: the tool hears it only at the\n"
      "                         working rate, which it takes 30 ms after the wake-up\n"
      "\n"
      "faults on request:\n"
      "  --nak-every N          NAK every Nth download frame, good or not\n"
      "  --nak-frame N          NAK the Nth frame of each download (counted as the tool\n"
      "                         counts them, from 1, empty lines included) once, then take\n"
      "                         its resend\n"
      "  --nak-repeat K         with --nak-frame: NAK that frame K times before taking it\n"
      "  --silent-after L       after command letter L answer nothing until the next wake-up\n"
      "  --silent-after-frame N the Nth frame of a download gets no answer, nor does\n"
      "                         anything after it, until the next wake-up\n"
      "                         (an image's end frame counts as a frame for these three)\n"
      "  --end-frame-delay MS   answer an image's end frame only MS later, as a device\n"
      "                         that checks the image first\n"
      "  --refuse-image         NAK every end frame of an image: the check failed\n"
      "  --garbage-every N      put 1-8 random bytes (0x80-0xFF) before every Nth answer\n"
      "  --no-cr-every N        send every Nth reply line without its CR\n"
      "  --drop-after N         close the port and end after N frames (download frames\n"
      "                         received, monitor frames sent)\n"
      "  --noise N              N random bytes a second (any value, control bytes too, as a\n"
      "                         line at the wrong baud rate delivers them) mixed into\n"
      "                         read-outs and the monitor stream: before each read-out line\n"
      "                         but the closing empty one, as many as its gap and wire time\n"
      "                         hold, and before each monitor frame\n"
      "  --write-not-kept LETTERS\n"
      "                         for these write letters (of RH1BGJWF2CSN) answer ESC and\n"
      "                         take the value text as usual, but keep nothing: later\n"
      "                         reads answer the old value\n"
      "  --extra-cr LETTERS     the reply lines to these read letters (of rh3bgjwf4c) end in\n"
      "                         two CRs: an empty line follows each, as a device that\n"
      "                         doubles its line end sends it\n"
      "  --seed N               seed of the random garbage and noise bytes (default 1)\n"
      "\n"
      "It ends on Ctrl+C, when standard input closes, after --seconds, or when the port\n"
      "goes away (exit code 1). Exit code 2: bad command line, settings file or port.\n"
      "\n"
      "settings file (all keys optional; shown with their defaults):\n"
      "  [Device]   Ident=<Name> V2.14 SN 104711   Clock=yymmddhhmmss (default: PC clock)\n"
      "  [Replies]  r=9,33,0  h=0  3=OTHER  b=0  g=1  j=0  w=1  f=2  4=RS232  c=0\n"
      "             L=00012345.67 L        (a value in double quotes keeps its blanks)\n"
      "  [Readout]  V1=..V99=  lines of the V read-out, O1=..O99= of the O read-out;\n"
      "             {ident} {clock} {total} {S} {N} in a line are filled in; a read-out\n"
      "             ends at its first empty line (V1= alone: an empty read-out)\n"
      "  [Monitor]  PeakFlow=450 RampMs=4000 HoldMs=6000 PauseMs=3000 ErrorEveryMs=5000\n"
      "             PulsesPerLitre=100 StartReading=123456\n";
}

ParsedOptions parseOptions(const std::vector<std::string>& args) {
  static const NumberOption kNumbers[] = {
      {"--type", 0, 2, nullptr, &DeviceConfig::type, nullptr},
      {"--seconds", 1, 864000, &Options::seconds, nullptr, nullptr},
      {"--frame-length", 140, 146, nullptr, &DeviceConfig::frameLength, nullptr},
      {"--reply-delay", 0, 10000, nullptr, &DeviceConfig::replyDelayMs, nullptr},
      {"--line-gap", 0, 60000, nullptr, &DeviceConfig::lineGapMs, nullptr},
      {"--wakeup-delay", 0, 10000, nullptr, &DeviceConfig::wakeUpDelayMs, nullptr},
      {"--input-timeout", 10, 60000, nullptr, &DeviceConfig::inputTimeoutMs, nullptr},
      {"--nak-every", 1, 1000000, nullptr, nullptr, &FaultOptions::nakEvery},
      {"--nak-frame", 1, 1000000, nullptr, nullptr, &FaultOptions::nakFrame},
      {"--nak-repeat", 1, 1000000, nullptr, nullptr, &FaultOptions::nakRepeat},
      {"--silent-after-frame", 1, 1000000, nullptr, nullptr, &FaultOptions::silentAfterFrame},
      {"--end-frame-delay", 0, 60000, nullptr, nullptr, &FaultOptions::endFrameDelayMs},
      {"--garbage-every", 1, 1000000, nullptr, nullptr, &FaultOptions::garbageEvery},
      {"--no-cr-every", 1, 1000000, nullptr, nullptr, &FaultOptions::noCrEvery},
      {"--drop-after", 1, 1000000, nullptr, nullptr, &FaultOptions::dropAfterFrames},
      {"--noise", 1, 1000000, nullptr, nullptr, &FaultOptions::noisePerSecond},
      {"--tcp", 1, 65535, &Options::tcpPort, nullptr, nullptr},
      {"--rfc2217", 1, 65535, &Options::rfc2217Port, nullptr, nullptr},
  };
  ParsedOptions result;
  Options& o = result.options;
  auto fail = [&result](const std::string& error) {
    result.ok = false;
    result.error = error;
    return result;
  };

  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i], value;
    bool inlineValue = false;
    const size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      inlineValue = true;
    }
    if (name == "--help" || name == "-h" || name == "/?") {
      o.help = true;
      continue;
    }
    if (name == "--no-stdin") {
      o.watchStdin = false;
      continue;
    }
    if (name == "--escape-xonxoff") {
      o.device.escapeXonXoff = true;
      continue;
    }
    if (name == "--replay-fast") {
      o.replayFast = true;
      continue;
    }
    if (name == "--line-rate") {
      o.device.lineRate = true;
      continue;
    }
    if (name == "--refuse-image") {
      o.device.faults.refuseImage = true;
      continue;
    }
    auto takeValue = [&]() -> bool {
      if (inlineValue) return true;
      if (i + 1 >= args.size()) return false;
      value = args[++i];
      return true;
    };

    bool known = false;
    for (const NumberOption& option : kNumbers) {
      if (name != option.name) continue;
      known = true;
      int number = 0;
      if (!takeValue()) return fail(name + " needs a value");
      if (!parseNumber(value, option.min, option.max, number))
        return fail(name + " " + value + ": expected a number from " + std::to_string(option.min) +
                    " to " + std::to_string(option.max));
      if (option.field) o.*option.field = number;
      if (option.deviceField) o.device.*option.deviceField = number;
      if (option.faultField) o.device.faults.*option.faultField = number;
    }
    if (known) continue;

    if (name == "--port" || name == "--settings" || name == "--log" || name == "--firmware-out" ||
        name == "--replay" || name == "--silent-after" || name == "--seed" || name == "--l-answer" ||
        name == "--write-not-kept" || name == "--extra-cr") {
      if (!takeValue() || value.empty()) return fail(name + " needs a value");
      if (name == "--port") {
        o.port = portName(value);
        if (o.port.empty()) return fail("--port " + value + ": expected a port name such as COM21");
      } else if (name == "--settings") {
        o.settingsPath = value;
      } else if (name == "--log") {
        o.logPath = value;
      } else if (name == "--replay") {
        o.replayPath = value;
      } else if (name == "--firmware-out") {
        o.firmwarePath = value;
      } else if (name == "--l-answer") {
        if (!parseLAnswer(value, o.device.lAnswer))
          return fail("--l-answer " + value + ": expected line, esc, esc-line or text-esc");
      } else if (name == "--write-not-kept") {
        for (char letter : value)
          if (!isWriteLetter(letter))
            return fail("--write-not-kept " + value + ": '" + std::string(1, letter) +
                        "' is no write letter (expected letters of RH1BGJWF2CSN)");
        o.device.faults.writeNotKept = value;
      } else if (name == "--extra-cr") {
        for (char letter : value)
          if (letter == 'L' || readLetters().find(letter) == std::string::npos)
            return fail("--extra-cr " + value + ": '" + std::string(1, letter) +
                        "' is no read letter (expected letters of rh3bgjwf4c)");
        o.device.faults.extraCr = value;
      } else if (name == "--silent-after") {
        if (value.size() != 1) return fail("--silent-after " + value + ": expected one command letter");
        o.device.faults.silentAfter = value[0];
      } else {
        int seed = 0;
        if (!parseNumber(value, 0, 999999999, seed)) return fail("--seed " + value + ": expected a number");
        o.device.seed = static_cast<unsigned>(seed);
      }
      continue;
    }
    return fail("unknown option " + args[i]);
  }

  if (o.help) {
    result.ok = true;
    return result;
  }
  if (!validFrameLength(o.device.frameLength))
    return fail("--frame-length " + std::to_string(o.device.frameLength) + ": expected 140, 144 or 146");
  if (o.device.faults.nakRepeat != 1 && o.device.faults.nakFrame == 0)
    return fail("--nak-repeat needs --nak-frame: it says how often that frame is refused");
  if (o.replayFast && o.replayPath.empty()) return fail("--replay-fast needs --replay FILE");
  if (!o.replayPath.empty() && o.device.lineRate)
    return fail("--line-rate does not go with --replay: the trace's gaps hold the line's time already");
  const int lines = (o.port.empty() ? 0 : 1) + (o.tcpPort ? 1 : 0) + (o.rfc2217Port ? 1 : 0);
  if (lines == 0) return fail("--port is required (or --tcp PORT, --rfc2217 PORT)");
  if (lines > 1) return fail("--port, --tcp and --rfc2217 exclude each other: give one of them");
  result.ok = true;
  return result;
}

}  // namespace zevsim
