#pragma once
// The device's side of a recorded session (--replay): the bytes the tool sends are held
// against the trace's TX records in order, as one stream (a record may arrive in pieces,
// or several in one), and when a TX record's bytes are all there, the RX records that
// follow it in the trace, up to the next TX record, are the answer: each after the time
// it came after that TX record in the trace, or at once when replayed fast (but for the
// answers to a send that switches the line's rate, a wake-up: they keep their gaps, as
// the tool hears them only once it has switched its own rate). A record
// answered by nothing in the trace is answered by nothing here: the tool's time-outs and
// garbled replies come back as they were.
//
// A send that differs from the trace is answered with nothing and noted. The matcher
// then looks for the bytes the tool has sent since the last TX record it matched (the
// byte that differed included) at the start of a later TX record, wrapping round to the
// trace's start (so a reconnect after the end of the trace replays it again): the first
// that begins so is where it goes on, the records between are skipped. When none does,
// those bytes are dropped and the tool's next bytes are held against the same record
// from its start.
#include <cstddef>
#include <string>
#include <vector>

#include "device_action.h"
#include "trace_parse.h"

namespace zevsim {

// Something to do after a matched send: an Action after `delay` milliseconds from the
// moment the send was complete.
struct ReplayAction {
  Millis delay = 0;
  Action action;
};

class ReplayMatcher {
 public:
  // `fast`: every answer at once, without the trace's gaps, but the answers to a wake-up
  // (or to another send that switches the rate) after their gaps.
  ReplayMatcher(const std::vector<TraceRecord>& records, bool fast);

  // The bytes as they came from the tool, in any pieces. Returns, in order, the baud
  // switches, answers and notes they bring about.
  std::vector<ReplayAction> feed(const std::string& bytes);

  size_t exchanges() const { return exchanges_.size(); }
  size_t answersBeforeFirstSend() const { return answersBefore_; }
  size_t next() const { return next_; }  // the index of the TX record expected next

 private:
  struct Answer {
    Millis delay;
    std::string bytes;
  };
  struct Exchange {  // one TX record and the RX records after it
    std::string sent;
    int line;
    std::vector<Answer> answers;
  };

  void take(unsigned char byte, std::vector<ReplayAction>& out);
  void complete(std::vector<ReplayAction>& out);
  void mismatch(unsigned char byte, std::vector<ReplayAction>& out);
  void flushDropped(std::vector<ReplayAction>& out);  // one note for bytes dropped in a row
  std::string expected() const;                       // what the trace has where the tool is
  bool streamStartsAt(size_t exchange, const std::string& bytes) const;

  std::vector<Exchange> exchanges_;
  size_t answersBefore_ = 0;
  size_t next_ = 0;     // the exchange whose TX record is expected
  size_t matched_ = 0;  // how many of its bytes have come
  std::string piece_;   // the bytes since the last completed TX record
  std::string dropped_;         // bytes in a row that no TX record starts with
  std::string droppedAgainst_;  // what the trace had where the first of them came
};

// The baud rate the device's port takes after the tool sent `sent` (a wake-up string:
// the working rate of its type; the disconnect "E": the wake-up rate), 0: no change.
int baudAfterSend(const std::string& sent);

}  // namespace zevsim
