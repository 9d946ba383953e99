#pragma once
// Reads the simulator's INI file: identification, reply texts, read-out lines,
// clock and flow profile.
#include <string>
#include <vector>

#include "device_values.h"

namespace zevsim {

struct SettingsLoad {
  bool ok = false;
  std::string error;               // the file cannot be used at all
  std::vector<std::string> notes;  // entries that were refused, with the value used instead
};

// Overwrites in `values` what the file at `path` gives; keeps the rest.
SettingsLoad loadSettings(const std::string& path, DeviceValues& values);

}  // namespace zevsim
