// The flow monitor's readings over time, as the chart draws them: one sample a decoded
// frame, the window of time a chart shows, and a long series brought down to the chart's
// width without losing a spike. Rules that need no window.
#pragma once

#include <cstddef>
#include <vector>

struct FlowSample {
    double dSeconds;     // seconds from the series' start
    int nFlowRate;       // litres a minute
    int nImpulseErrors;
};

// The spans a technician chooses for a chart, in seconds: 1, 5 and 15 minutes.
const double kFlowSpans[] = { 60.0, 300.0, 900.0 };
const int kFlowSpanCount = 3;

// A stretch of time, start and end in seconds from the series' start.
struct TimeWindow {
    double dStart;
    double dEnd;
};

// The window a chart shows. dSpan 0 shows the whole series (at least a second); otherwise
// the span ends at dEnd, or at the last sample when dEnd is negative. An empty series
// shows the span from 0.
TimeWindow ChartWindow(const std::vector<FlowSample>& series, double dSpan, double dEnd);

// The samples of a series in time order that fall in the window, ends included:
// [nFirst, nEnd) of the series. Found by halving, so a long series costs little.
struct SampleRange {
    std::size_t nFirst;
    std::size_t nEnd;
};
SampleRange SamplesInWindow(const std::vector<FlowSample>& series, const TimeWindow& window);

// One pixel column of a chart: the samples whose time falls in it, brought down to their
// first, last, lowest and highest values, so a line drawn through the columns keeps every
// spike and dip. A column with no sample is empty.
struct FlowColumn {
    bool bEmpty;
    int nFirstFlow, nLastFlow, nMinFlow, nMaxFlow;
    int nFirstErrors, nLastErrors, nMinErrors, nMaxErrors;
};

// The samples [nFirst, nEnd) of a series spread over nColumns columns across the window
// (column i holds the times from dStart + i * width up to the next column). Samples
// outside the window are left out. nColumns below 1 gives no columns.
std::vector<FlowColumn> DecimateToColumns(const std::vector<FlowSample>& series, const SampleRange& range,
                                          const TimeWindow& window, int nColumns);

// Drops the samples older than dKeepSeconds before the last one; the series keeps its
// time base. A value of 0 or below keeps everything.
void DropOldSamples(std::vector<FlowSample>& series, double dKeepSeconds);
