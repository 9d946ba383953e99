#pragma once
// Recognises the wake-up string "**" CAN "B" and two digits of the device type.
#include <cstdint>

namespace zevsim {

class WakeUpMatcher {
 public:
  // Takes one byte; true when it completed a wake-up string (typeNumber() then holds
  // the value of its two digits).
  bool feed(std::uint8_t byte);
  bool inProgress() const { return matched_ > 0; }
  int typeNumber() const { return typeNumber_; }
  void reset() { matched_ = 0; }

 private:
  int matched_ = 0;
  int typeNumber_ = -1;
  int digits_ = 0;
};

}  // namespace zevsim
