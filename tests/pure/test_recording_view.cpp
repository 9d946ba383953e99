// The review's span and scroll bar over a recording: the range, where a position leads, a
// new span keeping the middle, and the scroll bar's requests held within the recording.
#include "RecordingView.h"

#include <doctest.h>

TEST_CASE("the whole recording, or a span as long, needs no scroll bar")
{
    for (double dSpan : { 0.0, 3600.0, 7200.0 }) {
        CAPTURE(dSpan);
        ReviewScroll scroll = ReviewScrollFor(3600.0, dSpan);
        CHECK_FALSE(scroll.bEnabled);
        CHECK(scroll.LastPos() == 0);
        CHECK(ReviewPosFor(1800.0, 3600.0, dSpan) == 0);
    }
    // shown from the start: the whole recording, or the span from 0 when it is the longer
    CHECK(ReviewEndAt(0, 3600.0, 0.0) == 3600.0);
    CHECK(ReviewEndAt(5, 30.0, 60.0) == 60.0);
}

TEST_CASE("a span of a longer recording scrolls from its start to its end in seconds")
{
    ReviewScroll scroll = ReviewScrollFor(3600.0, 300.0);
    CHECK(scroll.bEnabled);
    CHECK(scroll.nPage == 300);
    CHECK(scroll.LastPos() == 3300);
    CHECK(ReviewEndAt(0, 3600.0, 300.0) == 300.0);
    CHECK(ReviewEndAt(1000, 3600.0, 300.0) == 1300.0);
    CHECK(ReviewEndAt(3300, 3600.0, 300.0) == 3600.0);
    CHECK(ReviewEndAt(99999, 3600.0, 300.0) == 3600.0); // held at the end
    CHECK(ReviewEndAt(-5, 3600.0, 300.0) == 300.0);
    CHECK(ReviewPosFor(1300.0, 3600.0, 300.0) == 1000);
    CHECK(ReviewPosFor(3600.0, 3600.0, 300.0) == 3300);
    CHECK(ReviewPosFor(100.0, 3600.0, 300.0) == 0);
    // a recording of a part of a second more than whole seconds still ends at its end
    scroll = ReviewScrollFor(90.4, 60.0);
    CHECK(scroll.LastPos() == 31);
    CHECK(ReviewEndAt(31, 90.4, 60.0) == doctest::Approx(90.4));
}

TEST_CASE("a new span keeps the middle of what was shown, within the recording")
{
    CHECK(ReviewPosForNewSpan({ 1000.0, 1900.0 }, 3600.0, 60.0) == 1420);
    CHECK(ReviewPosForNewSpan({ 0.0, 3600.0 }, 3600.0, 300.0) == 1650);
    CHECK(ReviewPosForNewSpan({ 3540.0, 3600.0 }, 3600.0, 900.0) == 2700); // held at the end
    CHECK(ReviewPosForNewSpan({ 0.0, 60.0 }, 3600.0, 900.0) == 0);         // held at the start
    CHECK(ReviewPosForNewSpan({ 1000.0, 1060.0 }, 3600.0, 0.0) == 0);      // the whole
}

TEST_CASE("the scroll bar's requests: a tenth of the span a line, the span a page")
{
    ReviewScroll scroll = ReviewScrollFor(3600.0, 300.0);
    CHECK(ReviewScrollTo(ReviewScrollRequest::LineOn, 100, 0, scroll) == 130);
    CHECK(ReviewScrollTo(ReviewScrollRequest::LineBack, 100, 0, scroll) == 70);
    CHECK(ReviewScrollTo(ReviewScrollRequest::PageOn, 100, 0, scroll) == 400);
    CHECK(ReviewScrollTo(ReviewScrollRequest::PageBack, 100, 0, scroll) == 0);
    CHECK(ReviewScrollTo(ReviewScrollRequest::PageOn, 3200, 0, scroll) == 3300);
    CHECK(ReviewScrollTo(ReviewScrollRequest::Start, 1234, 0, scroll) == 0);
    CHECK(ReviewScrollTo(ReviewScrollRequest::End, 0, 0, scroll) == 3300);
    CHECK(ReviewScrollTo(ReviewScrollRequest::Track, 0, 2222, scroll) == 2222);
    CHECK(ReviewScrollTo(ReviewScrollRequest::Track, 0, 5000, scroll) == 3300);
    // a span of a few seconds still moves a second a line
    scroll = ReviewScrollFor(100.0, 5.0);
    CHECK(ReviewScrollTo(ReviewScrollRequest::LineOn, 10, 0, scroll) == 11);
    // nothing moves without a scroll bar
    scroll = ReviewScrollFor(100.0, 0.0);
    CHECK(ReviewScrollTo(ReviewScrollRequest::PageOn, 0, 0, scroll) == 0);
}
