#pragma once
// The device clock: set by the tool as twelve digits yymmddhhmmss, and running on
// from there.
#include <cstdint>
#include <string>

namespace zevsim {

// Empty when `digits` is a valid clock text, otherwise why it is not.
std::string clockTextProblem(const std::string& digits);

// `digits` (valid) moved on by `seconds`; years run 00..99 as 2000..2099.
std::string advanceClock(const std::string& digits, std::int64_t seconds);

class DeviceClock {
 public:
  // A start text that is no valid clock starts the clock at 000101000000.
  DeviceClock(const std::string& digits, std::int64_t nowMs)
      : digits_(clockTextProblem(digits).empty() ? digits : "000101000000"), setAtMs_(nowMs) {}
  void set(const std::string& digits, std::int64_t nowMs) { digits_ = digits; setAtMs_ = nowMs; }
  std::string read(std::int64_t nowMs) const { return advanceClock(digits_, (nowMs - setAtMs_) / 1000); }

 private:
  std::string digits_;
  std::int64_t setAtMs_;
};

}  // namespace zevsim
