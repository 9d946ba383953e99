#include "device.h"

#include <cstdio>

#include "control_bytes.h"
#include "line_escape.h"
#include "monitor_frame.h"
#include "wire_time.h"

namespace zevsim {

// 'M': frames follow one another as fast as the line rate carries them, until the
// tool sends anything.
void Device::startMonitor(Millis now) {
  char text[100];
  std::snprintf(text, sizeof text, "command M: monitor frames of %d bytes at %d baud",
                config_.frameLength, baud_);
  note(text, now);
  mode_ = Mode::Monitor;
  nextFrameAt_ = static_cast<double>(now + config_.replyDelayMs);
  flowAt_ = now;
  monitorFrames_ = 0;
  noiseSent_ = 0;
}

void Device::stopMonitor(std::uint8_t byte, Millis now) {
  note("monitor stopped after " + std::to_string(monitorFrames_) + " frames" +
           (noiseSent_ > 0 ? " and " + std::to_string(noiseSent_) + " noise bytes (fault option)" : ""),
       now);
  mode_ = Mode::Command;
  commandByte(byte, now);
}

void Device::monitorTick(Millis now) {
  if (mode_ != Mode::Monitor) return;
  // After a stall (a slow port, a suspended process) the stream goes on from now
  // instead of sending a burst of stale frames.
  if (now - nextFrameAt_ > 1000) nextFrameAt_ = static_cast<double>(now);
  while (mode_ == Mode::Monitor && nextFrameAt_ <= now) {
    const auto at = static_cast<Millis>(nextFrameAt_);
    if (at > flowAt_) {
      flow_.advance(at - flowAt_);
      flowAt_ = at;
    }
    if (silent_) {  // the stream goes on unheard: no frame, and no note for each one
      nextFrameAt_ += wireMs(config_.frameLength, baud_);
      continue;
    }
    MonitorSample sample = flow_.sample();
    sample.sequence = framesSent_;
    std::string frame = escapeLine(buildMonitorFrame(sample, config_.frameLength, values_.ident),
                                   config_.escapeXonXoff);
    frame.push_back(static_cast<char>(kCr));
    sendRaw(noise(wireMs(static_cast<double>(frame.size()), baud_)) + frame, at);
    ++framesSent_;
    ++monitorFrames_;
    nextFrameAt_ += wireMs(static_cast<double>(frame.size()), baud_);
    if (frameCountReached(now)) return;
  }
}

}  // namespace zevsim
