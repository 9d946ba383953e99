#pragma once
// The device in --replay mode: the matcher's answers put in time order for the port.
// Each answer is due its trace gap after the send that it answers was complete, but never
// before what was due ahead of it: the tool receives the bytes in the trace's order even
// when it sends sooner than it did in the trace. The matcher's notes are due at once.
#include <deque>
#include <string>
#include <vector>

#include "replay_matcher.h"

namespace zevsim {

class ReplayDevice {
 public:
  ReplayDevice(const std::vector<TraceRecord>& records, bool fast) : matcher_(records, fast) {}

  void receive(const std::string& bytes, Millis now);  // bytes from the tool
  std::vector<Action> takeDue(Millis now);              // the actions due by `now`, in order
  Millis nextEvent() const;                             // when the next is due; -1 for none

  const ReplayMatcher& matcher() const { return matcher_; }

 private:
  struct Due {
    Millis at;
    Action action;
  };
  ReplayMatcher matcher_;
  std::deque<Due> queue_;
  std::vector<Action> notes_;  // the matcher's notes, due at once
};

}  // namespace zevsim
