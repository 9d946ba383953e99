// The S-record files that the build makes with objcopy (tests/firmware), downloaded
// into the device model line by line as the tool sends them.
#include <doctest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "device_harness.h"

using namespace zevsim_test;

namespace {

// The lines of a file without their line ends (objcopy ends them with CR LF).
std::vector<std::string> linesOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  REQUIRE_MESSAGE(file, path << " missing: the build makes it (target test_firmware)");
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// Sends every line with its CR, each after the answer to the one before; returns the answers.
std::string download(DeviceHarness& harness, const std::vector<std::string>& lines) {
  CHECK(harness.send("D").empty());
  std::string answers;
  for (const std::string& line : lines) answers += harness.send(line + "\r", 1);
  return answers;
}

}  // namespace

TEST_CASE("the S-record files made by objcopy: every line taken, the file stored as sent") {
  const struct {
    const char* path;
    size_t fewest, most;
  } files[] = {
      {ZEV_FIRMWARE_DIR "/firmware-large.S19", 1900, 2100},
      {ZEV_FIRMWARE_DIR "/firmware-small.S19", 24, 100},
  };
  for (const auto& file : files) {
    CAPTURE(file.path);
    const std::vector<std::string> lines = linesOf(file.path);
    CHECK(lines.size() >= file.fewest);
    CHECK(lines.size() <= file.most);
    CHECK(lines.front().rfind("S0", 0) == 0);
    CHECK(lines.back().rfind("S8", 0) == 0);  // 24-bit addresses: S2 records, S8 at the end
    for (int type : {0, 2}) {
      CAPTURE(type);
      DeviceHarness harness(configOfType(type));
      harness.wake();
      CHECK(download(harness, lines) == std::string(lines.size(), '\x06'));
      REQUIRE(harness.firmware().size() == 1);
      CHECK(harness.firmware()[0] == joined(lines));
      CHECK(harness.notes().find("download ended with its end record S8: " + std::to_string(lines.size()) +
                               " records") != std::string::npos);
    }
  }
}
