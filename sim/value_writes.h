#pragma once
// How the device takes the value text that follows a write letter.
#include <string>

#include "device_values.h"

namespace zevsim {

// The letters that take a value text after the device's ESC: "RH1BGJWF2CSN".
bool isWriteLetter(char letter);

// The read letter that answers with what `letter` wrote; 0 for 'S' and 'N'.
char readLetterFor(char letter);

struct WriteOutcome {
  bool stored = false;
  std::string message;  // what was stored, or why the text was refused
};

// Checks `text` (without its CR) for write `letter` and stores it in `values`.
// A refused text leaves the values as they were.
WriteOutcome applyWrite(char letter, const std::string& text, DeviceValues& values);

}  // namespace zevsim
