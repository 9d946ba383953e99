#pragma once
// A simulated device on a virtual clock: bytes go in as the tool would send them,
// time is moved on by hand, and everything the device does comes back for checking.
#include <string>
#include <vector>

#include "device.h"

namespace zevsim_test {

using zevsim::Action;
using zevsim::Millis;

struct DeviceHarness {
  explicit DeviceHarness(const zevsim::DeviceConfig& config = {},
                         const zevsim::DeviceValues* values = nullptr);

  // Feeds `bytes` now, then lets `ms` pass; returns the bytes sent meanwhile.
  std::string send(const std::string& bytes, Millis ms = 50);
  // Lets `ms` pass, running every event the device plans; returns the bytes sent.
  std::string pass(Millis ms);
  // Wakes the device up (it must answer) and forgets what that took.
  void wake();

  // Everything since the start, in order.
  std::vector<Action> actions;
  std::string notes() const;          // all notes, one per line
  std::vector<std::string> firmware() const;  // contents of every SaveFirmware
  int bauds() const;                  // number of SetBaud actions
  bool dropped() const;

  zevsim::DeviceConfig config;
  zevsim::Device device;
  Millis now = 1000;

 private:
  std::string collect();
};

zevsim::DeviceConfig configOfType(int type);
std::string esc();  // "\x1B"

}  // namespace zevsim_test
