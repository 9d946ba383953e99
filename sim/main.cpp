// ZEVSIM.EXE: a simulated flow-metering register on a serial port, for testing the
// service tool without a device.
#include <cstdio>
#include <string>
#include <vector>

#include "hex_log.h"
#include "options.h"
#include "pc_clock.h"
#include "run_loop.h"
#include "settings_file.h"
#include "stop_signals.h"
#include "trace_parse.h"

using namespace zevsim;

int main(int argc, char** argv) {
  const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.ok) {
    std::fprintf(stderr, "ZEVSIM: %s\n(ZEVSIM.EXE --help lists the options)\n", parsed.error.c_str());
    return 2;
  }
  const Options& options = parsed.options;
  if (options.help) {
    std::fputs(usageText(), stdout);
    return 0;
  }

  HexLog log;
  if (!options.logPath.empty() && !log.open(options.logPath)) {
    std::fprintf(stderr, "ZEVSIM: cannot create log file %s\n", options.logPath.c_str());
    return 2;
  }
  if (!options.replayPath.empty()) {
    const TraceParse trace = readTrace(options.replayPath);
    if (!trace.ok) {
      std::fprintf(stderr, "ZEVSIM: %s\n", trace.error.c_str());
      log.note(trace.error);
      return 2;
    }
    StopSignals stop;
    stop.start(options.watchStdin);
    return runReplay(options, trace, log, stop);
  }

  DeviceValues values = defaultValues(options.device.type);
  if (!options.settingsPath.empty()) {
    const SettingsLoad load = loadSettings(options.settingsPath, values);
    if (!load.ok) {
      std::fprintf(stderr, "ZEVSIM: %s\n", load.error.c_str());
      log.note(load.error);
      return 2;
    }
    for (const std::string& note : load.notes) {
      std::printf("ZEVSIM: %s\n", note.c_str());
      log.note(note);
    }
  }
  if (values.clock.empty()) values.clock = pcClockDigits();

  StopSignals stop;
  stop.start(options.watchStdin);
  return runSimulator(options, values, log, stop);
}
