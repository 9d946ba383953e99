#include "device_harness.h"

#include <doctest.h>

namespace zevsim_test {

zevsim::DeviceConfig configOfType(int type) {
  zevsim::DeviceConfig config;
  config.type = type;
  return config;
}

std::string esc() { return "\x1B"; }

DeviceHarness::DeviceHarness(const zevsim::DeviceConfig& c, const zevsim::DeviceValues* values)
    : config(c), device(c, values ? *values : zevsim::defaultValues(c.type), 1000) {}

std::string DeviceHarness::collect() {
  std::string sent;
  for (Action& action : device.takeDue(now)) {
    if (action.kind == Action::Kind::Send) sent += action.bytes;
    actions.push_back(std::move(action));
  }
  return sent;
}

std::string DeviceHarness::pass(Millis ms) {
  const Millis end = now + ms;
  std::string sent = collect();
  for (;;) {
    const Millis next = device.nextEvent();
    if (next < 0 || next > end) break;
    if (next > now) now = next;
    const size_t before = actions.size();
    device.tick(now);
    sent += collect();
    if (actions.size() == before && device.nextEvent() == next) break;  // nothing moved: no spinning
  }
  now = end;
  device.tick(now);
  return sent + collect();
}

std::string DeviceHarness::send(const std::string& bytes, Millis ms) {
  for (unsigned char byte : bytes) device.receive(byte, now);
  device.tick(now);
  return pass(ms);
}

void DeviceHarness::wake() {
  const std::string typeDigits = config.type < 10 ? "0" + std::to_string(config.type) : std::to_string(config.type);
  const std::string answer = send("**\x18" "B" + typeDigits, 500);
  REQUIRE(!answer.empty());
  REQUIRE(answer.back() == '\r');
}

std::string DeviceHarness::notes() const {
  std::string text;
  for (const Action& action : actions)
    if (action.kind == Action::Kind::Note) text += action.bytes + "\n";
  return text;
}

std::vector<std::string> DeviceHarness::firmware() const {
  std::vector<std::string> files;
  for (const Action& action : actions)
    if (action.kind == Action::Kind::SaveFirmware) files.push_back(action.bytes);
  return files;
}

int DeviceHarness::bauds() const {
  int count = 0;
  for (const Action& action : actions) count += action.kind == Action::Kind::SetBaud;
  return count;
}

bool DeviceHarness::dropped() const {
  for (const Action& action : actions)
    if (action.kind == Action::Kind::DropPort) return true;
  return false;
}

}  // namespace zevsim_test
