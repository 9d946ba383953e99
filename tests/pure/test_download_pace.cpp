// A download's pace: the rate over the last few seconds of samples, the time left, the
// whole download's rate, and durations as a clock shows them.
#include "DownloadPace.h"

#include <doctest.h>

TEST_CASE("the rate waits for a second of samples and then covers the last five seconds")
{
    DownloadPace pace;
    pace.Start(10000, 0);
    CHECK_FALSE(pace.HasRate());
    CHECK(pace.RateTenths() == 0);
    CHECK(pace.SecondsLeft(0, 480) == 0);
    pace.Sample(10250, 1);
    pace.Sample(10500, 2);
    pace.Sample(10750, 3);
    CHECK_FALSE(pace.HasRate()); // 750 ms: not settled
    pace.Sample(11000, 4);
    REQUIRE(pace.HasRate());
    CHECK(pace.RateTenths() == 40); // 4 frames in a second
    CHECK(pace.SecondsLeft(4, 480) == 119); // 476 frames at 4 a second

    // Eight seconds at 4 a second, then two at 2 a second: the rate looks back five
    // seconds, to 12000 ms: 3 seconds at 4 and 2 at 2 make 16 frames in 5 seconds.
    unsigned nFrames = 4;
    unsigned long long nMs = 11000;
    while (nMs < 18000) {
        nMs += 250;
        nFrames += 1;
        pace.Sample(nMs, nFrames);
    }
    CHECK(pace.RateTenths() == 40);
    for (int i = 0; i < 8; ++i) {
        nMs += 250;
        nFrames += i % 2;
        pace.Sample(nMs, nFrames);
    }
    CHECK(nMs == 20000);
    CHECK(nFrames == 36);
    CHECK(pace.RateTenths() == 32); // frames 20 at 15000 to 36 at 20000
    CHECK(pace.SecondsLeft(36, 100) == 20); // 64 frames at 3.2 a second
    CHECK(pace.SecondsLeft(99, 100) == 1);  // rounded up: never 0:00 with a frame left
    CHECK(pace.SecondsLeft(100, 100) == 0);
    CHECK(pace.SecondsLeft(120, 100) == 0);
    CHECK(pace.ElapsedMs(20000) == 10000);
}

TEST_CASE("a line that stops brings the rate down to nothing, and a tick count that goes back counts as the last")
{
    DownloadPace pace;
    pace.Start(0, 0);
    for (unsigned long long nMs = 250; nMs <= 2000; nMs += 250)
        pace.Sample(nMs, static_cast<unsigned>(nMs / 100)); // 10 a second
    CHECK(pace.RateTenths() == 100);
    pace.Sample(4500, 20); // stopped at 20 since 2000
    CHECK(pace.RateTenths() == 44); // 20 frames in 4.5 seconds, rounded
    pace.Sample(7000, 20);
    CHECK(pace.RateTenths() == 0); // 5 seconds from 2000 without a frame
    CHECK(pace.HasRate());
    CHECK(pace.SecondsLeft(20, 100) == 0);
    pace.Sample(6000, 25); // an earlier tick: taken at 7000
    CHECK(pace.RateTenths() == 10);
    CHECK(pace.SecondsLeft(25, 30) == 5);
    CHECK(pace.ElapsedMs(7000) == 7000);
    CHECK(pace.ElapsedMs(0) == 0);
}

TEST_CASE("a new start forgets the last download")
{
    DownloadPace pace;
    pace.Start(0, 0);
    pace.Sample(5000, 500);
    CHECK(pace.RateTenths() == 1000);
    pace.Start(9000, 0);
    CHECK_FALSE(pace.HasRate());
    pace.Sample(10000, 3);
    CHECK(pace.RateTenths() == 30);
    CHECK(pace.ElapsedMs(10000) == 1000);
    CHECK(pace.ElapsedMs(8000) == 0); // before the start: none
}

TEST_CASE("the whole download's rate in tenths, rounded")
{
    CHECK(AverageRateTenths(480, 134000) == 36); // 3.58 a second
    CHECK(AverageRateTenths(3, 1000) == 30);
    CHECK(AverageRateTenths(1, 3000) == 3);   // 0.33
    CHECK(AverageRateTenths(1, 40000) == 0);  // 0.025
    CHECK(AverageRateTenths(0, 5000) == 0);
    CHECK(AverageRateTenths(2, 0) == 20000);  // no time: as one millisecond
    CHECK(AverageRateTenths(0xFFFFFFFFu, 1) == 0xFFFFFFFFu);
}

TEST_CASE("durations read as a clock: minutes and seconds, hours from an hour on")
{
    struct Case { unsigned long long nSeconds; const char* pszText; } cases[] = {
        { 0, "0:00" }, { 7, "0:07" }, { 60, "1:00" }, { 112, "1:52" }, { 3599, "59:59" },
        { 3600, "1:00:00" }, { 43389, "12:03:09" }, { 360000, "100:00:00" },
    };
    for (const Case& c : cases) {
        CAPTURE(c.nSeconds);
        CHECK(ClockDuration(c.nSeconds) == c.pszText);
    }
    CHECK(RoundedSeconds(0) == 0);
    CHECK(RoundedSeconds(499) == 0);
    CHECK(RoundedSeconds(500) == 1);
    CHECK(RoundedSeconds(134499) == 134);
    CHECK(RoundedSeconds(134500) == 135);
}
