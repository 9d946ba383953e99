// The flow chart's rules: the value axis's round steps, the time axis of a span, the
// window of time shown, the samples in it, and a long series brought down to the chart's
// columns without losing a spike.
#include "ChartAxis.h"
#include "FlowSeries.h"

#include <doctest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {
// A sample every dEvery seconds from 0 for dSeconds, the flow given by a function of time.
template <typename Flow>
std::vector<FlowSample> Series(double dSeconds, double dEvery, Flow flow)
{
    std::vector<FlowSample> series;
    long nCount = std::lround(dSeconds / dEvery);
    for (long i = 0; i <= nCount; ++i) {
        double t = i * dEvery;
        series.push_back({ t, flow(t), static_cast<int>(std::lround(t) / 10) });
    }
    return series;
}

bool IsRoundStep(double dStep)
{
    double dDecade = std::pow(10.0, std::floor(std::log10(dStep) + 1e-9));
    double dFactor = dStep / dDecade;
    return std::fabs(dFactor - 1) < 1e-9 || std::fabs(dFactor - 2) < 1e-9 || std::fabs(dFactor - 5) < 1e-9;
}
}

TEST_CASE("the value axis takes 4 to 8 round steps from 0 to above the highest value")
{
    SUBCASE("known values")
    {
        ValueAxis axis = ValueAxisFor(120);
        CHECK(axis.dStep == 20);
        CHECK(axis.nSteps == 7);
        CHECK(axis.Top() == 140);
        axis = ValueAxisFor(1000);
        CHECK(axis.dStep == 200);
        CHECK(axis.Top() == 1200);
        axis = ValueAxisFor(100); // a value on a step lies below the top, not at it
        CHECK(axis.dStep == 20);
        CHECK(axis.Top() == 120);
        axis = ValueAxisFor(3); // whole numbers: steps of 1, made up to four
        CHECK(axis.dStep == 1);
        CHECK(axis.nSteps == 4);
        axis = ValueAxisFor(0.3, 0.01); // fractions when the data allow them
        CHECK(axis.dStep == doctest::Approx(0.05));
        CHECK(axis.Top() > 0.3);
    }
    SUBCASE("no data, or data that is not a number, gives the least axis")
    {
        for (double d : { 0.0, -5.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity() }) {
            ValueAxis axis = ValueAxisFor(d);
            CHECK(axis.dStep == 1);
            CHECK(axis.nSteps == 4);
        }
    }
    SUBCASE("every highest value from 1 to 100000 and fractions")
    {
        for (double dHighest = 0.013; dHighest < 100000; dHighest *= 1.037) {
            double dMinStep = dHighest < 1 ? 0.001 : 1.0;
            ValueAxis axis = ValueAxisFor(dHighest, dMinStep);
            CAPTURE(dHighest);
            CHECK(IsRoundStep(axis.dStep));
            CHECK(axis.dStep >= dMinStep * 0.999999);
            CHECK(axis.nSteps >= 4);
            CHECK(axis.nSteps <= 8);
            CHECK(axis.Top() > dHighest);
            // The top follows the data: one step less would not hold it, unless the axis
            // was made up to its fewest steps.
            if (axis.nSteps > 4)
                CHECK(axis.Top() - axis.dStep <= dHighest * (1 + 1e-9));
        }
    }
}

TEST_CASE("the time axis's steps suit the span, in seconds or minutes")
{
    CHECK(TimeAxisFor(60).dStep == 10);
    CHECK_FALSE(TimeAxisFor(60).bMinutes);
    CHECK(TimeAxisFor(300).dStep == 60);
    CHECK(TimeAxisFor(300).bMinutes);
    CHECK(TimeAxisFor(900).dStep == 120);
    CHECK(TimeAxisFor(3600).dStep == 600);
    CHECK(TimeAxisFor(5).dStep == 1);
    CHECK(TimeAxisFor(0).dStep == 1);
    for (double dSpan = 1; dSpan < 1e6; dSpan *= 1.13) {
        TimeAxis axis = TimeAxisFor(dSpan);
        CAPTURE(dSpan);
        CHECK(dSpan / axis.dStep <= 8.0 + 1e-9);
        CHECK(axis.bMinutes == (axis.dStep >= 60));
        if (axis.bMinutes)
            CHECK(std::fmod(axis.dStep, 60.0) == 0);
    }
}

TEST_CASE("time and value labels")
{
    TimeAxis seconds = TimeAxisFor(60);
    CHECK(FormatTimeLabel(0, seconds) == "0 s");
    CHECK(FormatTimeLabel(45, seconds) == "45 s");
    CHECK(FormatTimeLabel(90, seconds) == "1:30");
    CHECK(FormatTimeLabel(3725, seconds) == "62:05");
    TimeAxis minutes = TimeAxisFor(900);
    CHECK(FormatTimeLabel(300, minutes) == "5 min");
    CHECK(FormatTimeLabel(3900, minutes) == "1:05 h");
    CHECK(FormatTimeLabel(7200, TimeAxisFor(8 * 3600.0)) == "2 h");
    CHECK(FormatTimeLabel(-3, seconds) == "0 s");
    CHECK(FormatValueLabel(120, 20) == "120");
    CHECK(FormatValueLabel(2.5, 0.5) == "2.5");
    CHECK(FormatValueLabel(0.05, 0.05) == "0.05");
    CHECK(FormatValueLabel(0, 0.01) == "0.00");
}

TEST_CASE("the window shown: a span ending at the latest sample or a given time, or the whole series")
{
    std::vector<FlowSample> series = Series(600, 0.5, [](double) { return 50; });
    SUBCASE("following the latest sample")
    {
        TimeWindow window = ChartWindow(series, 60, -1);
        CHECK(window.dStart == 540);
        CHECK(window.dEnd == 600);
    }
    SUBCASE("ending at a given time")
    {
        TimeWindow window = ChartWindow(series, 300, 400);
        CHECK(window.dStart == 100);
        CHECK(window.dEnd == 400);
    }
    SUBCASE("a series shorter than the span fills it from its start")
    {
        TimeWindow window = ChartWindow(series, 900, -1);
        CHECK(window.dStart == 0);
        CHECK(window.dEnd == 900);
        window = ChartWindow(series, 300, 100); // an end too early to fill the span
        CHECK(window.dStart == 0);
        CHECK(window.dEnd == 300);
    }
    SUBCASE("the whole series")
    {
        TimeWindow window = ChartWindow(series, 0, -1);
        CHECK(window.dStart == 0);
        CHECK(window.dEnd == 600);
        std::vector<FlowSample> one{ { 12.5, 3, 0 } };
        window = ChartWindow(one, 0, -1);
        CHECK(window.dStart == 12.5);
        CHECK(window.dEnd == 13.5);
        window = ChartWindow({}, 0, -1);
        CHECK(window.dEnd > window.dStart);
    }
    SUBCASE("the samples in a window, ends included")
    {
        SampleRange range = SamplesInWindow(series, { 540, 600 });
        CHECK(range.nEnd - range.nFirst == 121);
        CHECK(series[range.nFirst].dSeconds == 540);
        CHECK(series[range.nEnd - 1].dSeconds == 600);
        range = SamplesInWindow(series, { 700, 800 });
        CHECK(range.nFirst == range.nEnd);
        range = SamplesInWindow({}, { 0, 60 });
        CHECK(range.nFirst == 0);
        CHECK(range.nEnd == 0);
    }
}

TEST_CASE("a long series is brought down to the chart's columns, spikes kept")
{
    // An hour at 25 frames a second, 50 L/min, with a single frame of 900 and a dip to 0.
    std::vector<FlowSample> series = Series(3600, 0.04, [](double t) {
        if (std::fabs(t - 1234.56) < 0.02)
            return 900;
        if (std::fabs(t - 2345.68) < 0.02)
            return 0;
        return 50;
    });
    REQUIRE(series.size() > 90000);
    TimeWindow window = ChartWindow(series, 0, -1);
    SampleRange range = SamplesInWindow(series, window);
    std::vector<FlowColumn> columns = DecimateToColumns(series, range, window, 500);
    REQUIRE(columns.size() == 500);
    int nSpikes = 0;
    int nDips = 0;
    for (const FlowColumn& column : columns) {
        REQUIRE_FALSE(column.bEmpty);
        CHECK(column.nMinFlow <= column.nFirstFlow);
        CHECK(column.nFirstFlow <= column.nMaxFlow);
        CHECK(column.nMinFlow <= column.nLastFlow);
        CHECK(column.nLastFlow <= column.nMaxFlow);
        nSpikes += column.nMaxFlow == 900;
        nDips += column.nMinFlow == 0;
    }
    CHECK(nSpikes == 1);
    CHECK(nDips == 1);
    // The spike lies in the column of its time.
    CHECK(columns[static_cast<size_t>(1234.56 / 3600 * 500)].nMaxFlow == 900);
    // The error count rises through the columns: first and last of each in order.
    CHECK(columns.front().nFirstErrors == 0);
    CHECK(columns.back().nLastErrors == 360);
    for (size_t i = 1; i < columns.size(); ++i)
        CHECK(columns[i].nFirstErrors >= columns[i - 1].nLastErrors);
}

TEST_CASE("decimation of a short series, an empty window and no columns")
{
    std::vector<FlowSample> series{ { 0, 10, 0 }, { 30, 20, 1 }, { 60, 30, 2 } };
    TimeWindow window{ 0, 60 };
    std::vector<FlowColumn> columns = DecimateToColumns(series, SamplesInWindow(series, window), window, 4);
    REQUIRE(columns.size() == 4);
    CHECK(columns[0].nFirstFlow == 10);
    CHECK(columns[1].bEmpty);
    CHECK(columns[2].nFirstFlow == 20);
    CHECK(columns[3].nFirstFlow == 30); // the window's end belongs to the last column
    CHECK(DecimateToColumns(series, { 0, 3 }, window, 0).empty());
    columns = DecimateToColumns(series, { 0, 3 }, { 5, 5 }, 3);
    CHECK(columns.size() == 3);
    for (const FlowColumn& column : columns)
        CHECK(column.bEmpty);
    // A range past the series' end is held to it.
    columns = DecimateToColumns(series, { 0, 99 }, window, 2);
    CHECK_FALSE(columns[1].bEmpty);
}

TEST_CASE("old samples are dropped behind the latest, the time base kept")
{
    std::vector<FlowSample> series = Series(1000, 1, [](double) { return 7; });
    DropOldSamples(series, 900);
    REQUIRE_FALSE(series.empty());
    CHECK(series.front().dSeconds == 100);
    CHECK(series.back().dSeconds == 1000);
    DropOldSamples(series, 0);
    CHECK(series.size() == 901);
    std::vector<FlowSample> none;
    DropOldSamples(none, 60);
    CHECK(none.empty());
}
