#pragma once
// What the device model asks of its port and its surroundings.
#include <cstdint>
#include <string>

namespace zevsim {

using Millis = std::int64_t;

struct Action {
  enum class Kind {
    Send,          // bytes: put on the line
    SetBaud,       // baud: switch the port to this rate (after what was sent before)
    SaveFirmware,  // bytes: a finished download, to be written to the firmware file
    DropPort,      // close the port and end, as a pulled cable would
    Note,          // text: a line for the log
  };
  Kind kind;
  std::string bytes;
  int baud = 0;

  static Action send(std::string b) { return {Kind::Send, std::move(b), 0}; }
  static Action setBaud(int rate) { return {Kind::SetBaud, {}, rate}; }
  static Action saveFirmware(std::string b) { return {Kind::SaveFirmware, std::move(b), 0}; }
  static Action dropPort() { return {Kind::DropPort, {}, 0}; }
  static Action note(std::string text) { return {Kind::Note, std::move(text), 0}; }
};

}  // namespace zevsim
