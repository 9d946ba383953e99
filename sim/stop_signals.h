#pragma once
// The ways the simulator is told to end: Ctrl+C (or the console closing) and the
// end of its standard input. Each sets one event that the main loop waits on.
#include <windows.h>

#include <string>

namespace zevsim {

class StopSignals {
 public:
  // Installs the Ctrl+C handler and, with `watchStdin`, a thread that reads standard
  // input until it ends.
  void start(bool watchStdin);
  HANDLE event() const;
  std::string reason() const;  // why the event was set
};

}  // namespace zevsim
