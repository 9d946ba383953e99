// The axes of the flow chart: round value steps that follow the data and time steps that
// suit the span shown. Rules that need no window.
#pragma once

#include <string>

// A value axis from 0: nSteps steps of dStep each (1, 2 or 5 times a power of ten), its
// top nSteps * dStep above the highest value shown.
struct ValueAxis {
    double dStep;
    int nSteps;
    double Top() const { return dStep * nSteps; }
};

// The value axis for values from 0 to dHighest: 4 to 8 round steps, the top above
// dHighest. Whole-number data (nMinStep 1) never takes a step below 1; a highest value of 0
// or below, or not a number, gives the axis of 0 to 4 * nMinStep.
ValueAxis ValueAxisFor(double dHighest, double dMinStep = 1.0);

// The time axis of a span: a round step in seconds (1, 2, 5, 10, 15, 30 seconds or 1, 2, 5,
// 10, 15, 30 minutes, 1, 2, 3, 6, 12 hours, ...) giving at most 8 steps across the span,
// and whether its labels are in minutes (a step of a whole minute or more).
struct TimeAxis {
    double dStep;
    bool bMinutes;
};
TimeAxis TimeAxisFor(double dSpan);

// The label of a tick at dSeconds from the series' start: "45 s", "1:30" (minutes and
// seconds, for a step under a minute past the first minute), "5 min" or "1:05 h".
std::string FormatTimeLabel(double dSeconds, const TimeAxis& axis);

// The label of a value tick: "120", "2.5", "0.05" (as many decimals as the step needs).
std::string FormatValueLabel(double dValue, double dStep);
