#include "settings_file.h"

#include <windows.h>

#include <cstdlib>

#include "device_clock.h"

namespace zevsim {
namespace {

// Stands for "key not in the file": no INI value can hold this byte.
const char kAbsent[] = "\x01";

class IniReader {
 public:
  explicit IniReader(std::string path) : path_(std::move(path)) {}

  // false when the key is not there
  bool read(const char* section, const char* key, std::string& value) const {
    char buffer[512];
    GetPrivateProfileStringA(section, key, kAbsent, buffer, sizeof buffer, path_.c_str());
    if (std::string(buffer) == kAbsent) return false;
    value = buffer;
    return true;
  }

 private:
  std::string path_;
};

void readLines(const IniReader& ini, char prefix, std::vector<std::string>& lines) {
  std::vector<std::string> found;
  std::string value;
  for (int i = 1; i <= 99; ++i) {
    const std::string key = prefix + std::to_string(i);
    if (!ini.read("Readout", key.c_str(), value)) break;
    found.push_back(value);
  }
  if (!found.empty()) lines = found;
}

void readNumber(const IniReader& ini, const char* key, long min, long max, int& field,
                std::vector<std::string>& notes) {
  std::string text;
  if (!ini.read("Monitor", key, text)) return;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < min || value > max) {
    notes.push_back(std::string("settings: [Monitor] ") + key + "=" + text + " is not a number from " +
                    std::to_string(min) + " to " + std::to_string(max) + "; using " + std::to_string(field));
    return;
  }
  field = static_cast<int>(value);
}

}  // namespace

SettingsLoad loadSettings(const std::string& path, DeviceValues& values) {
  SettingsLoad result;
  // The profile functions look in the Windows folder for a bare name: give them a full path.
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) {
    result.error = "settings file " + path + ": not a usable path";
    return result;
  }
  const DWORD attributes = GetFileAttributesA(full);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    result.error = "settings file " + path + " not found";
    return result;
  }
  const IniReader ini(full);
  std::vector<std::string>& notes = result.notes;

  std::string text;
  if (ini.read("Device", "Ident", text)) {
    if (text.empty())
      notes.push_back("settings: [Device] Ident is empty; using \"" + values.ident + "\"");
    else
      values.ident = text;
  }
  if (ini.read("Device", "Clock", text) && !text.empty()) {
    const std::string problem = clockTextProblem(text);
    if (problem.empty())
      values.clock = text;
    else
      notes.push_back("settings: [Device] Clock=" + text + " is no clock yymmddhhmmss (" + problem +
                      "); using the PC clock");
  }
  for (char letter : readLetters()) {
    const char key[2] = {letter, '\0'};
    if (ini.read("Replies", key, text)) values.replies[letter] = text;
  }
  readLines(ini, 'V', values.readoutV);
  readLines(ini, 'O', values.readoutO);

  FlowSettings& flow = values.flow;
  readNumber(ini, "PeakFlow", 0, 32767, flow.peakFlow, notes);
  readNumber(ini, "RampMs", 1, 3600000, flow.rampMs, notes);
  readNumber(ini, "HoldMs", 0, 3600000, flow.holdMs, notes);
  readNumber(ini, "PauseMs", 0, 3600000, flow.pauseMs, notes);
  readNumber(ini, "ErrorEveryMs", 0, 3600000, flow.errorEveryMs, notes);
  readNumber(ini, "PulsesPerLitre", 1, 100000, flow.pulsesPerLitre, notes);
  int start = static_cast<int>(flow.startReading);
  readNumber(ini, "StartReading", 0, 999999999, start, notes);
  flow.startReading = start;

  result.ok = true;
  return result;
}

}  // namespace zevsim
