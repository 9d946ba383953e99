// What the review of a recording shows: the whole recording or a span of it, and where the
// span stands, moved by a horizontal scroll bar whose positions are the span's start in
// whole seconds. Window-free.
#pragma once

#include "FlowSeries.h"

// The spans the review offers, in the order of its buttons: the whole recording (0), then
// 15, 5 and 1 minutes.
const double kReviewSpans[] = { 0.0, 900.0, 300.0, 60.0 };
const int kReviewSpanCount = 4;

// The scroll bar for a span over a recording of dDuration seconds: positions 0 to
// nMax - nPage + 1, as SetScrollInfo takes them. Disabled when the span holds the whole
// recording (the whole, or a span at least as long).
struct ReviewScroll {
    int nMax;
    int nPage;
    bool bEnabled;
    int LastPos() const { return bEnabled ? nMax - nPage + 1 : 0; }
};
ReviewScroll ReviewScrollFor(double dDuration, double dSpan);

// The end of the span whose start is the scroll position nPos (held within the scroll bar's
// range); a span longer than the recording shows it from its start.
double ReviewEndAt(int nPos, double dDuration, double dSpan);

// The scroll position of a span ending at dEnd.
int ReviewPosFor(double dEnd, double dDuration, double dSpan);

// A new span keeps the middle of what was shown, as far as the recording allows: the
// scroll position it starts at.
int ReviewPosForNewSpan(const TimeWindow& shown, double dDuration, double dNewSpan);

// What the scroll bar asks for, as its notifications say it.
enum class ReviewScrollRequest { LineBack, LineOn, PageBack, PageOn, Start, End, Track };

// The position a request leads to from nPos: a line is a tenth of the span (at least a
// second), a page the span; Track goes to nTrackPos. Held within the range.
int ReviewScrollTo(ReviewScrollRequest request, int nPos, int nTrackPos, const ReviewScroll& scroll);
