#include "RecordingView.h"

#include <algorithm>
#include <cmath>

namespace {
int WholeSeconds(double dSeconds)
{
    // Recordings are hours long, not years: the range of an int is held, NaN is 0.
    if (!(dSeconds > 0))
        return 0;
    return dSeconds >= 2e9 ? 2000000000 : static_cast<int>(std::ceil(dSeconds));
}

int Held(int nPos, const ReviewScroll& scroll)
{
    return std::max(0, std::min(nPos, scroll.LastPos()));
}
}

ReviewScroll ReviewScrollFor(double dDuration, double dSpan)
{
    int nDuration = WholeSeconds(dDuration);
    int nSpan = WholeSeconds(dSpan);
    if (nSpan == 0 || nSpan >= nDuration)
        return { 0, 1, false };
    return { nDuration - 1, nSpan, true };
}

double ReviewEndAt(int nPos, double dDuration, double dSpan)
{
    ReviewScroll scroll = ReviewScrollFor(dDuration, dSpan);
    if (!scroll.bEnabled)
        return std::max(dSpan, dDuration);
    return std::min(static_cast<double>(Held(nPos, scroll)) + dSpan, dDuration);
}

int ReviewPosFor(double dEnd, double dDuration, double dSpan)
{
    ReviewScroll scroll = ReviewScrollFor(dDuration, dSpan);
    if (!scroll.bEnabled)
        return 0;
    return Held(static_cast<int>(std::lround(std::max(0.0, std::min(dEnd - dSpan, 2e9)))), scroll);
}

int ReviewPosForNewSpan(const TimeWindow& shown, double dDuration, double dNewSpan)
{
    double dMiddle = (shown.dStart + shown.dEnd) / 2;
    return ReviewPosFor(dMiddle + dNewSpan / 2, dDuration, dNewSpan);
}

int ReviewScrollTo(ReviewScrollRequest request, int nPos, int nTrackPos, const ReviewScroll& scroll)
{
    int nLine = std::max(1, scroll.nPage / 10);
    long long nTo = nPos;
    switch (request) {
    case ReviewScrollRequest::LineBack: nTo -= nLine; break;
    case ReviewScrollRequest::LineOn:   nTo += nLine; break;
    case ReviewScrollRequest::PageBack: nTo -= scroll.nPage; break;
    case ReviewScrollRequest::PageOn:   nTo += scroll.nPage; break;
    case ReviewScrollRequest::Start:    nTo = 0; break;
    case ReviewScrollRequest::End:      nTo = scroll.LastPos(); break;
    case ReviewScrollRequest::Track:    nTo = nTrackPos; break;
    }
    nTo = std::max(0LL, std::min(nTo, static_cast<long long>(scroll.LastPos())));
    return static_cast<int>(nTo);
}
