#pragma once
// Joins the device model, or the replay of a trace, to its port: bytes in, time
// passing, actions out.
#include "device_values.h"
#include "hex_log.h"
#include "options.h"
#include "stop_signals.h"
#include "trace_parse.h"

namespace zevsim {

// Runs until a stop signal, the time limit, the drop fault or a vanished port.
// Returns the exit code: 0 ended as asked, 1 the port failed, 2 it could not be opened.
int runSimulator(const Options& options, const DeviceValues& values, HexLog& log, const StopSignals& stop);

// The same for --replay: the device's side of `trace`, the device model unused.
int runReplay(const Options& options, const TraceParse& trace, HexLog& log, const StopSignals& stop);

}  // namespace zevsim
