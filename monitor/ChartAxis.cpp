#include "ChartAxis.h"

#include <cmath>
#include <cstdio>

namespace {
// Most steps an axis takes; the fewest follow from the 1-2-5 sequence (see ValueAxisFor).
const int kMostSteps = 8;
const int kFewestSteps = 4;
}

ValueAxis ValueAxisFor(double dHighest, double dMinStep)
{
    if (!(dMinStep > 0.0) || !std::isfinite(dMinStep))
        dMinStep = 1.0;
    if (!(dHighest > 0.0) || !std::isfinite(dHighest))
        return { dMinStep, kFewestSteps };
    // The smallest round step at or above the least step that puts the top above the
    // highest value within kMostSteps. Its neighbour below needed more than kMostSteps, and
    // the 1-2-5 steps grow at most 2.5 times, so it needs at least 9 / 2.5, 4 steps; only
    // a least step may leave fewer, and the axis is then made up to four.
    double dDecade = std::pow(10.0, std::floor(std::log10(dHighest / kMostSteps)));
    if (dDecade < dMinStep)
        dDecade = std::pow(10.0, std::floor(std::log10(dMinStep)));
    static const double kFactors[] = { 1.0, 2.0, 5.0 };
    for (int nTry = 0; nTry < 8; ++nTry, dDecade *= 10.0) {
        for (double dFactor : kFactors) {
            double dStep = dDecade * dFactor;
            if (dStep < dMinStep * (1.0 - 1e-9))
                continue;
            double dSteps = std::floor(dHighest / dStep + 1e-9) + 1.0;
            if (dSteps <= kMostSteps)
                return { dStep, dSteps < kFewestSteps ? kFewestSteps : static_cast<int>(dSteps) };
        }
    }
    return { dDecade, kMostSteps }; // not reached for finite values
}

TimeAxis TimeAxisFor(double dSpan)
{
    static const double kSteps[] = { 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200 };
    if (!(dSpan > 0.0) || !std::isfinite(dSpan))
        dSpan = 1.0;
    double dStep = 0;
    for (double d : kSteps) {
        dStep = d;
        if (dSpan / d <= kMostSteps)
            break;
    }
    // Beyond half a day: whole days, as many as it takes.
    while (dSpan / dStep > kMostSteps)
        dStep *= 2.0;
    return { dStep, dStep >= 60.0 };
}

std::string FormatTimeLabel(double dSeconds, const TimeAxis& axis)
{
    char szLabel[32];
    long long nSeconds = std::llround(dSeconds);
    if (nSeconds < 0)
        nSeconds = 0;
    if (axis.bMinutes) {
        long long nMinutes = nSeconds / 60;
        if (nMinutes >= 60 && axis.dStep < 3600.0)
            std::snprintf(szLabel, sizeof szLabel, "%lld:%02lld h", nMinutes / 60, nMinutes % 60);
        else if (nMinutes >= 60)
            std::snprintf(szLabel, sizeof szLabel, "%lld h", nMinutes / 60);
        else
            std::snprintf(szLabel, sizeof szLabel, "%lld min", nMinutes);
    } else if (nSeconds >= 60) {
        std::snprintf(szLabel, sizeof szLabel, "%lld:%02lld", nSeconds / 60, nSeconds % 60);
    } else {
        std::snprintf(szLabel, sizeof szLabel, "%lld s", nSeconds);
    }
    return szLabel;
}

std::string FormatValueLabel(double dValue, double dStep)
{
    int nDecimals = 0;
    for (double d = dStep; nDecimals < 6 && std::fabs(d - std::round(d)) > 1e-9 * std::fmax(1.0, d); d *= 10.0)
        ++nDecimals;
    char szLabel[48];
    std::snprintf(szLabel, sizeof szLabel, "%.*f", nDecimals, dValue);
    return szLabel;
}
