#include "device.h"

#include <cmath>
#include <cstdio>

#include "control_bytes.h"
#include "line_escape.h"
#include "value_writes.h"
#include "wire_time.h"

namespace zevsim {
namespace {

constexpr size_t kMaxValueText = 64;

std::string describeByte(std::uint8_t byte) {
  char text[24];
  if (byte >= 0x20 && byte < 0x7F)
    std::snprintf(text, sizeof text, "0x%02X '%c'", byte, byte);
  else
    std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

std::string replace(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

}  // namespace

Device::Device(const DeviceConfig& config, const DeviceValues& values, Millis now)
    : config_(config),
      values_(values),
      clock_(values.clock, now),
      flow_(values.flow),
      lastDue_(now),
      random_(config.seed ? config.seed : 1) {}

void Device::receive(std::uint8_t byte, Millis now) {
  if (config_.lineRate) {
    inbox_.push_back({byte, now});
    takeArrived(now);
    return;
  }
  takeAt(byte, now);
}

void Device::takeAt(std::uint8_t byte, Millis now) {
  lastInputAt_ = now > lastInputAt_ ? now : lastInputAt_;
  take(byte, now);
}

void Device::take(std::uint8_t byte, Millis now) {
  switch (mode_) {
    case Mode::Asleep: asleepByte(byte, now); break;
    case Mode::Command: commandByte(byte, now); break;
    case Mode::ValueText: valueTextByte(byte, now); break;
    case Mode::ClockText: clockTextByte(byte, now); break;
    case Mode::ClockEnd: clockEndByte(byte, now); break;
    case Mode::S19Download: s19Byte(byte, now); break;
    case Mode::ImageDownload: imageByte(byte, now); break;
    case Mode::Monitor: stopMonitor(byte, now); break;
  }
}

void Device::tick(Millis now) {
  takeArrived(now);
  monitorTick(now);
  checkTimeouts(now);
}

// --- wake-up ------------------------------------------------------------------------

void Device::asleepByte(std::uint8_t byte, Millis now) {
  if (wakeUpByte(byte, now)) return;
  if (byte != '*') note("asleep: " + describeByte(byte) + " ignored, waiting for a wake-up", now);
}

// True when the byte belongs to a wake-up string (whole or begun).
bool Device::wakeUpByte(std::uint8_t byte, Millis now) {
  const bool wasMatching = wakeUp_.inProgress();
  if (!wasMatching && byte != '*') return false;
  if (wakeUp_.feed(byte)) {
    wakeUp(wakeUp_.typeNumber(), now);
    return true;
  }
  if (wakeUp_.inProgress()) return true;
  note("incomplete wake-up string dropped at " + describeByte(byte), now);
  return false;
}

void Device::wakeUp(int typeNumber, Millis now) {
  char text[160];
  if (typeNumber != config_.type) {
    std::snprintf(text, sizeof text, "wake-up for type %02d ignored: this is a type %d device (%s)",
                  typeNumber, config_.type, deviceTypeName(config_.type));
    note(text, now);
    return;
  }
  mode_ = Mode::Command;
  silent_ = false;
  endRecordTaken_ = false;
  text_.clear();
  blocks_.reset();
  baud_ = workingBaud(config_.type);
  std::snprintf(text, sizeof text, "wake-up for type %02d: switching to %d baud, identifying as \"%s\"",
                typeNumber, baud_, values_.ident.c_str());
  note(text, now);
  schedule(Action::setBaud(baud_), now);
  // The tool re-opens its port at the working rate shortly after the wake-up; the
  // answer waits until it listens there.
  replyLine(values_.ident, now, config_.wakeUpDelayMs);
}

// --- commands -----------------------------------------------------------------------

void Device::commandByte(std::uint8_t byte, Millis now) {
  if (wakeUpByte(byte, now)) return;
  const bool afterEndRecord = endRecordTaken_;
  endRecordTaken_ = false;
  if (byte == kCr && afterEndRecord) {
    // empty lines at the end of an S-record file still come as lines of the download
    note("empty line after the end record: ACK", now);
    endRecordTaken_ = true;
    replyByte(kAck, now);
    return;
  }
  if (byte == kCr || byte == kLf) {
    if (byte == kCr && lastCommand_ == 'L' && config_.type == 0) {
      note("CR after the L line taken", now);
      lastCommand_ = 0;
    } else {
      note("stray " + describeByte(byte) + " ignored", now);
    }
    return;
  }
  command(static_cast<char>(byte), now);
}

void Device::command(char letter, Millis now) {
  lastCommand_ = letter;
  if (config_.faults.silentAfter && letter == config_.faults.silentAfter) {
    note(std::string("command ") + letter + ": silent from here on until the next wake-up (fault option)", now);
    silent_ = true;
  }
  if (letter == 'L') {
    answerL(now);
    return;
  }
  if (readLetters().find(letter) != std::string::npos) {
    const std::string& text = values_.replies[letter];
    note(std::string("command ") + letter + ": answering \"" + text + "\"", now);
    replyLine(text, now, config_.replyDelayMs);
    if (config_.faults.extraCr.find(letter) != std::string::npos) {
      note(std::string("command ") + letter + ": a second CR after the reply (fault option)", now);
      sendRaw(std::string(1, static_cast<char>(kCr)), now + config_.replyDelayMs);
    }
    return;
  }
  if (isWriteLetter(letter)) {
    note(std::string("command ") + letter + ": ESC, waiting for the value text", now);
    writeLetter_ = letter;
    text_.clear();
    mode_ = Mode::ValueText;
    replyByte(kEsc, now);
    return;
  }
  switch (letter) {
    case 'E':
      note("command E: session ended, back to 9600 baud, waiting for a wake-up", now);
      mode_ = Mode::Asleep;
      baud_ = kWakeUpBaud;
      schedule(Action::setBaud(baud_), now);
      return;
    case 'T':
      note("command T: ESC, waiting for the clock text", now);
      text_.clear();
      mode_ = Mode::ClockText;
      replyByte(kEsc, now);
      return;
    case 'V':
    case 'O':
      note(std::string("command ") + letter + ": read-out", now);
      readOut(letter == 'V' ? values_.readoutV : values_.readoutO, now);
      return;
    case 'Y':
    case 'X':
    case 'x':
      note(std::string("command ") + letter + ": ESC", now);
      replyByte(kEsc, now);
      return;
    case 'D':
      startDownload(now);
      return;
    case 'M':
      startMonitor(now);
      return;
    default:
      note("unknown command " + describeByte(static_cast<std::uint8_t>(letter)) + " ignored", now);
  }
}

// A type-1 device announces the 'L' line with ESC; types 0 and 2 send the line alone
// (a type-0 device then takes the tool's lone CR). --l-answer picks another form.
void Device::answerL(Millis now) {
  LAnswer form = config_.lAnswer;
  if (form == LAnswer::ByType) form = config_.type == 1 ? LAnswer::EscLine : LAnswer::Line;
  const std::string& text = values_.replies['L'];
  switch (form) {
    case LAnswer::Esc:
      note("command L: ESC alone", now);
      replyByte(kEsc, now);
      return;
    case LAnswer::EscLine:
      note("command L: ESC, then \"" + text + "\"", now);
      replyByte(kEsc, now);
      replyLine(text, now, config_.replyDelayMs + config_.lineGapMs);
      return;
    case LAnswer::TextEsc:
      note("command L: \"" + text + "\" ended by ESC", now);
      reply(escapeLine(text, config_.escapeXonXoff) + static_cast<char>(kEsc), now, config_.replyDelayMs);
      return;
    default:
      note("command L: answering \"" + text + "\"", now);
      replyLine(text, now, config_.replyDelayMs);
  }
}

// ESC, the lines, and the empty line that ends the read-out; nothing follows an empty
// line, so a list that starts with one gives an empty read-out.
// With --noise each line but the empty one comes after the noise of its gap and its own
// wire time, so the read-out still ends on two CRs in a row.
void Device::readOut(const std::vector<std::string>& lines, Millis now) {
  replyByte(kEsc, now);
  int delay = config_.replyDelayMs;
  noiseSent_ = 0;
  for (const std::string& line : lines) {
    const std::string text = expand(line, now);
    if (text.empty()) break;
    delay += config_.lineGapMs;
    replyLine(text, now, delay, noise(config_.lineGapMs + wireMs(static_cast<double>(text.size() + 1), baud_)));
  }
  if (noiseSent_ > 0)
    note("noise: " + std::to_string(noiseSent_) + " random bytes mixed into the read-out (fault option)", now);
  replyLine("", now, delay + config_.lineGapMs);
}

std::string Device::expand(const std::string& line, Millis now) const {
  char total[32];
  std::snprintf(total, sizeof total, "%.2f", flow_.reading());
  std::string text = replace(line, "{ident}", values_.ident);
  text = replace(text, "{clock}", clock_.read(now));
  text = replace(text, "{total}", total);
  text = replace(text, "{S}", values_.textS);
  return replace(text, "{N}", values_.textN);
}

// --- value texts and the clock ---------------------------------------------------------

void Device::valueTextByte(std::uint8_t byte, Millis now) {
  if (byte != kCr) {
    if (text_.size() <= kMaxValueText) text_.push_back(static_cast<char>(byte));
    return;
  }
  mode_ = Mode::Command;
  if (text_.size() > kMaxValueText) {
    note(std::string("value text for ") + writeLetter_ + " longer than 64 bytes: refused", now);
    return;
  }
  if (config_.faults.writeNotKept.find(writeLetter_) != std::string::npos) {
    note(std::string("write ") + writeLetter_ + " \"" + text_ + "\": not kept (fault option)", now);
    return;
  }
  const WriteOutcome outcome = applyWrite(writeLetter_, text_, values_);
  note(std::string("write ") + writeLetter_ + " \"" + text_ + "\": " + outcome.message, now);
}

void Device::clockTextByte(std::uint8_t byte, Millis now) {
  if (byte != kCr) {
    if (text_.size() <= kMaxValueText) text_.push_back(static_cast<char>(byte));
    return;
  }
  const std::string problem = clockTextProblem(text_);
  if (problem.empty()) {
    clock_.set(text_, now);
    note("clock set to " + text_, now);
  } else {
    note("clock text \"" + text_ + "\" refused: " + problem, now);
  }
  mode_ = Mode::ClockEnd;
}

void Device::clockEndByte(std::uint8_t byte, Millis now) {
  mode_ = Mode::Command;
  if (byte == kCr) return;
  note("clock text not followed by its second CR", now);
  commandByte(byte, now);
}

bool Device::waitingForInput() const {
  switch (mode_) {
    case Mode::ValueText:
    case Mode::ClockText:
    case Mode::ClockEnd:
      return true;
    case Mode::S19Download:
      return !text_.empty();
    case Mode::ImageDownload:
      return blocks_.midFrame();
    default:
      return false;
  }
}

void Device::checkTimeouts(Millis now) {
  if (!waitingForInput() || now - lastInputAt_ < config_.inputTimeoutMs) return;
  const std::string quiet = std::to_string(config_.inputTimeoutMs) + " ms";
  switch (mode_) {
    case Mode::ValueText:
      note(std::string("no CR after the value text of ") + writeLetter_ + " within " + quiet + ": \"" +
               text_ + "\" dropped", now);
      mode_ = Mode::Command;
      break;
    case Mode::ClockText:
      note("no CR after the clock text within " + quiet + ": \"" + text_ + "\" dropped", now);
      mode_ = Mode::Command;
      break;
    case Mode::ClockEnd:
      note("the second CR after the clock text did not come", now);
      mode_ = Mode::Command;
      break;
    default:
      downloadTimeout(now);
  }
}

Millis Device::nextEvent() const {
  Millis next = -1;
  auto earliest = [&next](Millis at) {
    if (next < 0 || at < next) next = at;
  };
  if (!queue_.empty()) earliest(queue_.front().due);
  if (!inbox_.empty()) earliest(nextArrival());
  if (mode_ == Mode::Monitor) earliest(static_cast<Millis>(std::ceil(nextFrameAt_)));
  if (waitingForInput()) earliest(lastInputAt_ + config_.inputTimeoutMs);
  return next;
}

}  // namespace zevsim
