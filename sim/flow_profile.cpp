#include "flow_profile.h"

#include <cmath>

namespace zevsim {

FlowProfile::FlowProfile(const FlowSettings& settings)
    : settings_(settings), reading_(settings.startReading), deliveryStart_(settings.startReading) {}

int FlowProfile::cycleMs() const {
  const int total = 2 * settings_.rampMs + settings_.holdMs + settings_.pauseMs;
  return total > 0 ? total : 1;
}

int FlowProfile::flowAt(std::int64_t t) const {
  const double peak = settings_.peakFlow;
  const std::int64_t ramp = settings_.rampMs, hold = settings_.holdMs;
  double flow = 0;
  if (t < ramp) {
    flow = peak * t / ramp;
  } else if (t < ramp + hold) {
    // a little unsteadiness at the top, as a real pump shows
    flow = peak * (1.0 + 0.02 * std::sin(t / 700.0));
  } else if (t < 2 * ramp + hold) {
    flow = peak * (2 * ramp + hold - t) / ramp;
  }
  return static_cast<int>(std::lround(flow));
}

void FlowProfile::step(int ms) {
  if (cycleTime_ == 0) {  // a new delivery begins
    deliveryStart_ = reading_;
    volume_ = 0;
    flowingMs_ = 0;
    impulseErrors_ = 0;
  }
  const int flow = flowAt(cycleTime_);
  const double litres = flow * ms / 60000.0;
  volume_ += litres;
  reading_ += litres;
  if (flow > 0) {
    const std::int64_t before = flowingMs_;
    flowingMs_ += ms;
    if (settings_.errorEveryMs > 0 &&
        flowingMs_ / settings_.errorEveryMs != before / settings_.errorEveryMs)
      ++impulseErrors_;
  }
  cycleTime_ = (cycleTime_ + ms) % cycleMs();
}

void FlowProfile::advance(std::int64_t ms) {
  // small steps, so that the volume follows the ramps closely whatever the frame rate
  while (ms > 0) {
    const int chunk = ms > 20 ? 20 : static_cast<int>(ms);
    step(chunk);
    ms -= chunk;
  }
}

MonitorSample FlowProfile::sample() const {
  MonitorSample s;
  s.flow = static_cast<std::int16_t>(flowAt(cycleTime_));
  s.volume = volume_;
  s.reading1 = deliveryStart_;
  s.reading2 = reading_;
  s.wholeReading = std::floor(reading_);
  s.impulseErrors = static_cast<std::int16_t>(impulseErrors_);
  s.counter1 = static_cast<std::int32_t>(std::lround(volume_ * settings_.pulsesPerLitre));
  s.counter2 = s.counter1 > impulseErrors_ ? s.counter1 - impulseErrors_ : 0;
  s.deviation = s.counter1 > 0 ? (s.counter1 - s.counter2) * 100.0 / s.counter1 : 0.0;
  s.litres = static_cast<float>(static_cast<double>(s.counter2) / settings_.pulsesPerLitre);
  return s;
}

}  // namespace zevsim
