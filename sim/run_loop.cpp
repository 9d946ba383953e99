#include "run_loop.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <memory>

#include "device.h"
#include "net_port.h"
#include "replay_device.h"
#include "serial_port.h"

namespace zevsim {
namespace {

// Milliseconds from the performance counter: the tick count moves in steps of up to
// 16 ms on Windows, too coarse for pacing bytes at the line rate.
Millis nowMs() {
  static const LONGLONG perSecond = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return static_cast<Millis>(count.QuadPart / perSecond * 1000 + count.QuadPart % perSecond * 1000 / perSecond);
}

// Notes go to the log and, for whoever watches the console, to standard output.
void report(HexLog& log, const std::string& text) {
  log.note(text);
  std::printf("ZEVSIM: %s\n", text.c_str());
  std::fflush(stdout);
}

std::string saveFirmware(const std::string& path, const std::string& bytes) {
  if (path.empty())
    return "no --firmware-out given: the " + std::to_string(bytes.size()) + " bytes received are not kept";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return "cannot create firmware file " + path;
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
  const bool ok = std::fclose(file) == 0 && written == bytes.size();
  return ok ? "firmware written to " + path + " (" + std::to_string(bytes.size()) + " bytes)"
            : "writing firmware file " + path + " failed";
}

// What the loop asks of the device model and of the replay alike.
void hand(Device& device, const std::string& bytes, Millis now) {
  for (char byte : bytes) device.receive(static_cast<std::uint8_t>(byte), now);
}
void hand(ReplayDevice& replay, const std::string& bytes, Millis now) { replay.receive(bytes, now); }
void tick(Device& device, Millis now) { device.tick(now); }
void tick(ReplayDevice&, Millis) {}
void followRate(Device& device, int baud) { device.followRate(baud); }
void followRate(ReplayDevice&, int) {}

// The line of --port, --tcp or --rfc2217, opened at 9600 baud; `where` says what it is.
std::unique_ptr<DevicePort> openPort(const Options& options, std::string& where, std::string& error) {
  if (options.tcpPort || options.rfc2217Port) {
    std::unique_ptr<NetPort> net(new NetPort());
    const bool raw = options.tcpPort != 0;
    if (!net->listen(raw ? options.tcpPort : options.rfc2217Port,
                     raw ? NetPort::Mode::Raw : NetPort::Mode::Rfc2217, error))
      return nullptr;
    where = net->description();
    return std::unique_ptr<DevicePort>(net.release());
  }
  std::unique_ptr<SerialPort> serial(new SerialPort());
  if (!serial->open(options.port, kWakeUpBaud, error)) return nullptr;
  where = options.port;
  return std::unique_ptr<DevicePort>(serial.release());
}

// Bytes in, time passing, actions out, until a stop signal, the time limit, the drop
// fault or a vanished port.
template <class Side>
int serve(Side& side, DevicePort& port, const Options& options, HexLog& log, const StopSignals& stop, Millis start) {
  const Millis deadline = options.seconds > 0 ? start + options.seconds * 1000LL : -1;
  std::string error;
  bool stalled = false;
  for (;;) {
    Millis now = nowMs();
    Millis wait = 20;  // look around now and then even when nothing is planned (the port's rate too)
    const Millis next = side.nextEvent();
    if (next >= 0 && next - now < wait) wait = next > now ? next - now : 0;
    if (deadline >= 0 && deadline - now < wait) wait = deadline > now ? deadline - now : 0;

    const HANDLE handles[2] = {port.readEvent(), stop.event()};
    const DWORD woke = WaitForMultipleObjects(2, handles, FALSE, static_cast<DWORD>(wait));
    now = nowMs();
    if (woke == WAIT_OBJECT_0 + 1) {
      report(log, "ending: " + stop.reason());
      return 0;
    }
    if (woke == WAIT_OBJECT_0 || (woke == WAIT_TIMEOUT && port.collectsEveryTurn())) {
      // Stamped with the time the device takes them as arrived: the collecting itself may
      // take a while on a busy machine, and the log's times of what the device sent in
      // answer are read against this one.
      const std::string stamp = timeStamp();
      std::string bytes;
      if (port.collect(bytes, error) == DevicePort::Result::Gone) {
        report(log, "the port has gone away (" + error + "): ending");
        return 1;
      }
      if (!bytes.empty()) log.received(bytes, stamp);
      hand(side, bytes, now);
    }
    // A rate the client set is the device's from now on, as its own switch after a wake-up.
    for (const DevicePort::Event& event : port.takeEvents()) {
      report(log, event.note);
      if (event.clientBaud > 0) followRate(side, event.clientBaud);
    }
    tick(side, now);

    const std::vector<Action> due = side.takeDue(now);
    for (size_t i = 0; i < due.size(); ++i) {
      const Action& action = due[i];
      switch (action.kind) {
        case Action::Kind::Send: {
          // Sends due together go out in one write (the line rate hands them over in pieces).
          std::string bytes = action.bytes;
          while (i + 1 < due.size() && due[i + 1].kind == Action::Kind::Send) bytes += due[++i].bytes;
          log.sent(bytes);
          const DevicePort::Result result = port.write(bytes, error);
          if (result == DevicePort::Result::Gone) {
            report(log, "the port has gone away (" + error + "): ending");
            return 1;
          }
          // A line nobody reads stalls every write: say so once, and again when it flows.
          if (result == DevicePort::Result::Stalled && !stalled) report(log, error + " (nobody reading?)");
          if (result == DevicePort::Result::Ok && stalled) report(log, "the port takes output again");
          stalled = result == DevicePort::Result::Stalled;
          break;
        }
        case Action::Kind::SetBaud:
          if (!port.setBaud(action.baud, error)) report(log, "baud switch failed: " + error);
          break;
        case Action::Kind::SaveFirmware:
          report(log, saveFirmware(options.firmwarePath, action.bytes));
          break;
        case Action::Kind::DropPort:
          port.close();
          report(log, "port closed on purpose: ending");
          return 0;
        case Action::Kind::Note:
          report(log, action.bytes);
          break;
      }
    }
    if (deadline >= 0 && now >= deadline) {
      report(log, "ending: " + std::to_string(options.seconds) + " seconds are over");
      return 0;
    }
  }
}

}  // namespace

int runSimulator(const Options& options, const DeviceValues& values, HexLog& log, const StopSignals& stop) {
  std::string error, where;
  const std::unique_ptr<DevicePort> port = openPort(options, where, error);
  if (!port) {
    report(log, error);
    return 2;
  }
  // Waits of a millisecond or two must last that long, not a scheduler tick.
  if (options.device.lineRate) timeBeginPeriod(1);
  const Millis start = nowMs();
  Device device(options.device, values, start);
  report(log, "type " + std::to_string(options.device.type) + " (" + deviceTypeName(options.device.type) +
                  ") on " + where + " at 9600 baud" +
                  (options.device.lineRate ? ", bytes paced at the line rate" : "") + ", waiting for a wake-up");
  return serve(device, *port, options, log, stop, start);
}

int runReplay(const Options& options, const TraceParse& trace, HexLog& log, const StopSignals& stop) {
  std::string error, where;
  const std::unique_ptr<DevicePort> port = openPort(options, where, error);
  if (!port) {
    report(log, error);
    return 2;
  }
  // The trace's gaps are kept to the millisecond, not to a scheduler tick.
  timeBeginPeriod(1);
  const Millis start = nowMs();
  // Said before the replay waits for the tool: what follows the cut is not played.
  if (!trace.stopped.empty()) report(log, "stopped reading " + options.replayPath + " at " + trace.stopped);
  ReplayDevice replay(trace.records, options.replayFast);
  const ReplayMatcher& matcher = replay.matcher();
  report(log, "replaying " + options.replayPath + ": " + std::to_string(matcher.exchanges()) + " TX records" +
                  (trace.limitReached ? " (the trace ended at its size limit)" : "") + ", answers " +
                  (options.replayFast ? "at once" : "with the trace's gaps") + "; on " + where +
                  " at 9600 baud, waiting for the tool");
  if (matcher.answersBeforeFirstSend() > 0)
    report(log, std::to_string(matcher.answersBeforeFirstSend()) +
                    " RX records come before the trace's first TX record: nothing asks for them, they are not sent");
  return serve(replay, *port, options, log, stop, start);
}

}  // namespace zevsim
