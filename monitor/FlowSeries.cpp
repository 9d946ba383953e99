#include "FlowSeries.h"

#include <algorithm>
#include <cmath>

TimeWindow ChartWindow(const std::vector<FlowSample>& series, double dSpan, double dEnd)
{
    double dFirst = series.empty() ? 0.0 : series.front().dSeconds;
    double dLast = series.empty() ? 0.0 : series.back().dSeconds;
    if (!(dSpan > 0.0)) {
        // The whole series; a single sample or none still gets a second to stand in.
        return { dFirst, std::max(dLast, dFirst + 1.0) };
    }
    if (dEnd < 0.0 || std::isnan(dEnd))
        dEnd = dLast;
    // A series shorter than the span fills it from its start: the trace grows to the right.
    if (dEnd < dFirst + dSpan)
        return { dFirst, dFirst + dSpan };
    return { dEnd - dSpan, dEnd };
}

SampleRange SamplesInWindow(const std::vector<FlowSample>& series, const TimeWindow& window)
{
    auto first = std::lower_bound(series.begin(), series.end(), window.dStart,
                                  [](const FlowSample& sample, double d) { return sample.dSeconds < d; });
    auto end = std::upper_bound(first, series.end(), window.dEnd,
                                [](double d, const FlowSample& sample) { return d < sample.dSeconds; });
    return { static_cast<std::size_t>(first - series.begin()), static_cast<std::size_t>(end - series.begin()) };
}

std::vector<FlowColumn> DecimateToColumns(const std::vector<FlowSample>& series, const SampleRange& range,
                                          const TimeWindow& window, int nColumns)
{
    std::vector<FlowColumn> columns;
    if (nColumns < 1)
        return columns;
    columns.assign(static_cast<std::size_t>(nColumns), FlowColumn{ true, 0, 0, 0, 0, 0, 0, 0, 0 });
    double dWidth = window.dEnd - window.dStart;
    if (!(dWidth > 0.0))
        return columns;
    std::size_t nEnd = std::min(range.nEnd, series.size());
    for (std::size_t i = range.nFirst; i < nEnd; ++i) {
        const FlowSample& sample = series[i];
        if (!(sample.dSeconds >= window.dStart && sample.dSeconds <= window.dEnd))
            continue;
        // The window's end belongs to the last column.
        long nColumn = static_cast<long>((sample.dSeconds - window.dStart) / dWidth * nColumns);
        if (nColumn >= nColumns)
            nColumn = nColumns - 1;
        if (nColumn < 0)
            nColumn = 0;
        FlowColumn& column = columns[static_cast<std::size_t>(nColumn)];
        if (column.bEmpty) {
            column = { false, sample.nFlowRate, sample.nFlowRate, sample.nFlowRate, sample.nFlowRate,
                       sample.nImpulseErrors, sample.nImpulseErrors, sample.nImpulseErrors, sample.nImpulseErrors };
            continue;
        }
        column.nLastFlow = sample.nFlowRate;
        column.nMinFlow = std::min(column.nMinFlow, sample.nFlowRate);
        column.nMaxFlow = std::max(column.nMaxFlow, sample.nFlowRate);
        column.nLastErrors = sample.nImpulseErrors;
        column.nMinErrors = std::min(column.nMinErrors, sample.nImpulseErrors);
        column.nMaxErrors = std::max(column.nMaxErrors, sample.nImpulseErrors);
    }
    return columns;
}

void DropOldSamples(std::vector<FlowSample>& series, double dKeepSeconds)
{
    if (!(dKeepSeconds > 0.0) || series.empty())
        return;
    double dOldest = series.back().dSeconds - dKeepSeconds;
    auto keep = std::lower_bound(series.begin(), series.end(), dOldest,
                                 [](const FlowSample& sample, double d) { return sample.dSeconds < d; });
    series.erase(series.begin(), keep);
}
