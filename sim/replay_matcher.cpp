#include "replay_matcher.h"

#include "device_values.h"

namespace zevsim {
namespace {

// "72 0D |r.|", the first sixteen bytes of longer ones with their count.
std::string shown(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  const size_t shownCount = bytes.size() > 16 ? 16 : bytes.size();
  std::string hex, text;
  for (size_t i = 0; i < shownCount; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
    hex += ' ';
    text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
  }
  std::string result = hex + "|" + text + "|";
  if (shownCount < bytes.size()) result += " ... (" + std::to_string(bytes.size()) + " bytes)";
  return result;
}

}  // namespace

int baudAfterSend(const std::string& sent) {
  if (sent == "E") return kWakeUpBaud;
  if (sent.size() == 6 && sent.compare(0, 4, "**\x18" "B") == 0 && sent[4] >= '0' && sent[4] <= '9' &&
      sent[5] >= '0' && sent[5] <= '9') {
    const int type = (sent[4] - '0') * 10 + (sent[5] - '0');
    return type <= 2 ? workingBaud(type) : 0;
  }
  return 0;
}

ReplayMatcher::ReplayMatcher(const std::vector<TraceRecord>& records, bool fast) {
  Millis sentAt = 0;
  bool keepGaps = !fast;
  for (const TraceRecord& record : records) {
    if (record.bytes.empty()) continue;  // the tool traces no empty piece of traffic
    if (record.sent) {
      exchanges_.push_back({record.bytes, record.line, {}});
      sentAt = record.time;
      // The tool re-opens its port at the new rate a while after such a send (30 ms after
      // a wake-up): an answer sooner than in the trace would reach it at the old rate, or
      // be dropped with the port's queue. So its answers keep their gaps even when fast.
      keepGaps = !fast || baudAfterSend(record.bytes) != 0;
    } else if (exchanges_.empty()) {
      ++answersBefore_;  // nothing the tool did asked for it: there is nothing to answer
    } else {
      const Millis gap = record.time - sentAt;
      exchanges_.back().answers.push_back({!keepGaps || gap < 0 ? 0 : gap, record.bytes});
    }
  }
}

std::vector<ReplayAction> ReplayMatcher::feed(const std::string& bytes) {
  std::vector<ReplayAction> out;
  for (char byte : bytes) take(static_cast<unsigned char>(byte), out);
  flushDropped(out);
  return out;
}

void ReplayMatcher::take(unsigned char byte, std::vector<ReplayAction>& out) {
  if (next_ < exchanges_.size() && static_cast<unsigned char>(exchanges_[next_].sent[matched_]) == byte) {
    flushDropped(out);
    piece_ += static_cast<char>(byte);
    if (++matched_ == exchanges_[next_].sent.size()) complete(out);
    return;
  }
  mismatch(byte, out);
}

void ReplayMatcher::complete(std::vector<ReplayAction>& out) {
  const Exchange& exchange = exchanges_[next_];
  if (const int baud = baudAfterSend(exchange.sent)) out.push_back({0, Action::setBaud(baud)});
  for (const Answer& answer : exchange.answers) out.push_back({answer.delay, Action::send(answer.bytes)});
  ++next_;
  matched_ = 0;
  piece_.clear();
  if (next_ == exchanges_.size())
    out.push_back({0, Action::note("the trace's last TX record (line " + std::to_string(exchange.line) +
                                   ") has come: what the tool sends now is looked for from the trace's start")});
}

std::string ReplayMatcher::expected() const {
  if (next_ >= exchanges_.size()) return "after the trace's last TX record";
  return "where the TX record of line " + std::to_string(exchanges_[next_].line) + " has " +
         shown(exchanges_[next_].sent);
}

void ReplayMatcher::mismatch(unsigned char byte, std::vector<ReplayAction>& out) {
  const std::string piece = piece_ + static_cast<char>(byte);
  const size_t count = exchanges_.size();
  // the later records first, then from the start round to the expected one
  for (size_t step = 1; step <= count; ++step) {
    const size_t candidate = (next_ + step) % (count + 1);
    if (candidate == count || candidate == next_ || !streamStartsAt(candidate, piece)) continue;
    flushDropped(out);
    const size_t skipped = candidate > next_ ? candidate - next_ : candidate + count - next_;
    out.push_back({0, Action::note("the tool sent " + shown(piece) + " " + expected() +
                                   ": going on at the TX record of line " +
                                   std::to_string(exchanges_[candidate].line) + " (" + std::to_string(skipped) +
                                   " TX records and their answers skipped)")});
    next_ = candidate;
    matched_ = 0;
    piece_.clear();
    for (char again : piece) take(static_cast<unsigned char>(again), out);
    return;
  }
  // Nothing in the trace starts so: the bytes are dropped, the same record is expected again.
  if (dropped_.empty()) droppedAgainst_ = expected();
  dropped_ += piece;
  matched_ = 0;
  piece_.clear();
}

void ReplayMatcher::flushDropped(std::vector<ReplayAction>& out) {
  if (dropped_.empty()) return;
  out.push_back({0, Action::note("the tool sent " + shown(dropped_) + " " + droppedAgainst_ +
                                 ": no TX record of the trace starts so; no answer")});
  dropped_.clear();
}

bool ReplayMatcher::streamStartsAt(size_t exchange, const std::string& bytes) const {
  size_t at = 0;
  for (char byte : bytes) {
    if (exchange >= exchanges_.size() || exchanges_[exchange].sent[at] != byte) return false;
    if (++at == exchanges_[exchange].sent.size()) {
      ++exchange;
      at = 0;
    }
  }
  return true;
}

}  // namespace zevsim
