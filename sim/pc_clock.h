#pragma once
#include <string>

namespace zevsim {

// The PC's local time as the device clock text yymmddhhmmss.
std::string pcClockDigits();

}  // namespace zevsim
