#include "replay_device.h"

namespace zevsim {

void ReplayDevice::receive(const std::string& bytes, Millis now) {
  for (ReplayAction& planned : matcher_.feed(bytes)) {
    if (planned.action.kind == Action::Kind::Note) {  // said at once, not behind the answers
      notes_.push_back(std::move(planned.action));
      continue;
    }
    Millis at = now + planned.delay;
    if (!queue_.empty() && queue_.back().at > at) at = queue_.back().at;
    queue_.push_back({at, std::move(planned.action)});
  }
}

std::vector<Action> ReplayDevice::takeDue(Millis now) {
  std::vector<Action> due;
  due.swap(notes_);
  while (!queue_.empty() && queue_.front().at <= now) {
    due.push_back(std::move(queue_.front().action));
    queue_.pop_front();
  }
  return due;
}

Millis ReplayDevice::nextEvent() const {
  if (!notes_.empty()) return 0;
  return queue_.empty() ? -1 : queue_.front().at;
}

}  // namespace zevsim
