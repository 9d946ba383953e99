#include "wake_up.h"

#include "control_bytes.h"

namespace zevsim {

bool WakeUpMatcher::feed(std::uint8_t byte) {
  const bool digit = byte >= '0' && byte <= '9';
  switch (matched_) {
    case 0:
    case 1:
      matched_ = byte == '*' ? matched_ + 1 : 0;
      return false;
    case 2:
      // "***" still ends in a valid start
      if (byte != '*') matched_ = byte == kCan ? 3 : 0;
      return false;
    case 3:
      matched_ = byte == 'B' ? 4 : (byte == '*' ? 1 : 0);
      return false;
    case 4:
      if (!digit) {
        matched_ = byte == '*' ? 1 : 0;
        return false;
      }
      digits_ = byte - '0';
      matched_ = 5;
      return false;
    default:
      if (!digit) {
        matched_ = byte == '*' ? 1 : 0;
        return false;
      }
      typeNumber_ = digits_ * 10 + (byte - '0');
      matched_ = 0;
      return true;
  }
}

}  // namespace zevsim
