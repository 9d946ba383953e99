#pragma once
// What the simulated device holds and answers with: its identification, the reply
// text of every read letter, the read-out lines and the texts the tool sent it.
#include <map>
#include <string>
#include <vector>

#include "flow_profile.h"

namespace zevsim {

// Device type names, by type number 0, 1, 2.
const char* deviceTypeName(int type);

// Baud rate after the wake-up: 38400 for types 0 and 2, 19200 for type 1.
int workingBaud(int type);
constexpr int kWakeUpBaud = 9600;

// The letters whose reply is one line from `DeviceValues::replies`.
const std::string& readLetters();  // "rh3bgjwf4cL"

struct DeviceValues {
  std::string ident;                   // answer to the wake-up
  std::map<char, std::string> replies;  // read letter -> reply text (without CR)
  std::vector<std::string> readoutV;   // lines of the 'V' read-out, placeholders allowed
  std::vector<std::string> readoutO;   // lines of the 'O' read-out
  std::string clock;                   // yymmddhhmmss at start; empty: the PC clock
  std::string textS, textN;            // last texts sent with 'S' and 'N'
  FlowSettings flow;
};

// The values a device of `type` starts with when the settings file says nothing.
DeviceValues defaultValues(int type);

}  // namespace zevsim
