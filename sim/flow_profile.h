#pragma once
// The flow the simulated register measures while the monitor runs: deliveries that
// ramp up, hold, ramp down and pause, with the volume integrated over time and an
// impulse error now and then.
#include <cstdint>

#include "monitor_frame.h"

namespace zevsim {

struct FlowSettings {
  int peakFlow = 450;         // litres per minute at the top of a delivery
  int rampMs = 4000;          // time to ramp up, and again to ramp down
  int holdMs = 6000;          // time at the peak
  int pauseMs = 3000;         // time without flow between deliveries
  int errorEveryMs = 5000;    // one impulse error per this much flowing time; 0 for none
  int pulsesPerLitre = 100;
  double startReading = 123456.0;  // register reading in litres at start
};

class FlowProfile {
 public:
  explicit FlowProfile(const FlowSettings& settings);

  void advance(std::int64_t ms);  // time passes
  MonitorSample sample() const;   // the values of this moment
  double reading() const { return reading_; }

 private:
  int cycleMs() const;
  int flowAt(std::int64_t cycleTime) const;
  void step(int ms);

  FlowSettings settings_;
  std::int64_t cycleTime_ = 0;    // position within the current delivery cycle
  double reading_;                // register reading, litres
  double deliveryStart_;          // reading when the delivery began
  double volume_ = 0;             // litres of this delivery
  std::int64_t flowingMs_ = 0;    // flowing time of this delivery
  int impulseErrors_ = 0;
};

}  // namespace zevsim
