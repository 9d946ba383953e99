#include "device.h"

#include "control_bytes.h"
#include "line_escape.h"

namespace zevsim {

// Everything the device does outward goes through this queue, so that answers keep
// their order even when some of them wait (reply delay, the wake-up answer).
void Device::schedule(Action action, Millis due) {
  if (config_.lineRate && action.kind == Action::Kind::Send) {
    paceOut(action.bytes, due);  // starts when the bytes before it have crossed
    return;
  }
  if (due < lastDue_) due = lastDue_;
  if (action.kind == Action::Kind::SetBaud) {
    txBaud_ = action.baud;
    if (due > txFreeAt_) txFreeAt_ = static_cast<double>(due);  // later bytes go at the new rate
  }
  enqueue(std::move(action), due);
}

void Device::enqueue(Action action, Millis due) {
  if (due < lastDue_) due = lastDue_;
  lastDue_ = due;
  if (due > lastInputAt_) lastInputAt_ = due;  // waiting for the tool starts once the answer is out
  queue_.push_back({due, std::move(action)});
}

std::vector<Action> Device::takeDue(Millis now) {
  std::vector<Action> due;
  while (!queue_.empty() && queue_.front().due <= now) {
    due.push_back(std::move(queue_.front().action));
    queue_.pop_front();
  }
  return due;
}

void Device::note(const std::string& text, Millis now) { schedule(Action::note(text), now); }

void Device::sendRaw(const std::string& bytes, Millis due) {
  if (silent_) {
    schedule(Action::note("silent: " + std::to_string(bytes.size()) + " bytes not sent"), due);
    return;
  }
  schedule(Action::send(bytes), due);
}

void Device::replyByte(std::uint8_t byte, Millis now) {
  reply(std::string(1, static_cast<char>(byte)), now, config_.replyDelayMs);
}

// Any answer; the garbage fault puts random bytes before it.
void Device::reply(const std::string& bytes, Millis now, int delayMs) {
  std::string out;
  ++replies_;
  if (config_.faults.garbageEvery > 0 && replies_ % config_.faults.garbageEvery == 0) {
    // high-bit bytes: ordinary to the tool's receiver, so they corrupt the answer
    // without posing as a control byte
    const int count = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < count; ++i) out.push_back(static_cast<char>(0x80 | (random() & 0x7F)));
    note("garbage: " + std::to_string(count) + " random bytes before this answer (fault option)", now);
  }
  out += bytes;
  sendRaw(out, now + delayMs);
}

// A text line: escaped, with its CR unless the missing-CR fault takes it away.
void Device::replyLine(const std::string& text, Millis now, int delayMs, const std::string& noiseBefore) {
  std::string line = noiseBefore + escapeLine(text, config_.escapeXonXoff);
  ++lines_;
  if (config_.faults.noCrEvery > 0 && lines_ % config_.faults.noCrEvery == 0)
    note("line \"" + text + "\" sent without its CR (fault option)", now);
  else
    line.push_back(static_cast<char>(kCr));
  reply(line, now, delayMs);
}

// Counts a frame (taken in a download or sent by the monitor) for the drop fault;
// true when the port is to go now.
bool Device::frameCountReached(Millis now) {
  ++framesForDrop_;
  if (config_.faults.dropAfterFrames <= 0 || framesForDrop_ < config_.faults.dropAfterFrames) return false;
  note("dropping the port after " + std::to_string(framesForDrop_) + " frames (fault option)", now);
  schedule(Action::dropPort(), now);
  mode_ = Mode::Asleep;
  return true;
}

std::uint32_t Device::random() {
  // xorshift32: small, and the same sequence for the same seed
  random_ ^= random_ << 13;
  random_ ^= random_ >> 17;
  random_ ^= random_ << 5;
  return random_;
}

// A line at the wrong baud rate delivers bytes of any value, control bytes included, at
// about the rate its characters take: --noise gives that rate.
std::string Device::noise(double ms) {
  std::string bytes;
  if (config_.faults.noisePerSecond <= 0) return bytes;
  noiseOwed_ += config_.faults.noisePerSecond * ms / 1000.0;
  for (; noiseOwed_ >= 1.0; noiseOwed_ -= 1.0) bytes.push_back(static_cast<char>((random() >> 8) & 0xFF));
  noiseSent_ += static_cast<long long>(bytes.size());
  return bytes;
}

}  // namespace zevsim
