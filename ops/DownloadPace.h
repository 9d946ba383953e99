// How fast a download goes and how long it has left. The frames sent are sampled a few
// times a second; the rate is taken over the last few seconds of samples, so that it
// settles instead of following each frame's answer, and the time left follows from it.
#pragma once

#include <string>
#include <vector>

class DownloadPace {
public:
    // The rate looks this far back, and is given only once its samples span kSettleMs.
    static const unsigned long long kWindowMs = 5000;
    static const unsigned long long kSettleMs = 1000;

    // The download starts at nNowMs (a tick count) with nFrames sent.
    void Start(unsigned long long nNowMs, unsigned nFrames);
    // nFrames sent by nNowMs; a tick count earlier than the last sample's is taken as equal.
    void Sample(unsigned long long nNowMs, unsigned nFrames);
    // TRUE once the samples span long enough for a rate.
    bool HasRate() const;
    // Frames a second over the last kWindowMs, in tenths, rounded; 0 without a rate.
    unsigned RateTenths() const;
    // Whole seconds the frames from nFrames to nTotal take at that rate, rounded up; 0
    // when none are left, and also without a rate or with a rate of nothing (HasRate and
    // RateTenths tell those apart).
    unsigned long long SecondsLeft(unsigned nFrames, unsigned nTotal) const;
    // Milliseconds from the start to nNowMs.
    unsigned long long ElapsedMs(unsigned long long nNowMs) const;

private:
    struct Point {
        unsigned long long nMs;
        unsigned nFrames;
    };
    unsigned long long m_nStartMs = 0;
    std::vector<Point> m_Samples; // oldest first; the first lies at or before the window's start
};

// nFrames in nMs as frames a second, in tenths, rounded (a time of 0 counts as 1 ms).
unsigned AverageRateTenths(unsigned nFrames, unsigned long long nMs);

// A duration as a clock shows it: "0:07", "1:52", "59:59", then "1:00:00", "12:03:09".
std::string ClockDuration(unsigned long long nSeconds);

// Milliseconds as whole seconds, rounded to the nearest.
unsigned long long RoundedSeconds(unsigned long long nMs);
