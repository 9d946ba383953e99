#include "DownloadPace.h"

#include <cstdio>

void DownloadPace::Start(unsigned long long nNowMs, unsigned nFrames)
{
    m_nStartMs = nNowMs;
    m_Samples.assign(1, Point{ nNowMs, nFrames });
}

void DownloadPace::Sample(unsigned long long nNowMs, unsigned nFrames)
{
    if (!m_Samples.empty() && nNowMs < m_Samples.back().nMs)
        nNowMs = m_Samples.back().nMs;
    m_Samples.push_back(Point{ nNowMs, nFrames });
    // The first sample kept is the last one at or before the window's start: the rate
    // covers the whole window once the download is that old.
    const unsigned long long nWindowStart = nNowMs > kWindowMs ? nNowMs - kWindowMs : 0;
    std::size_t nDrop = 0;
    while (nDrop + 1 < m_Samples.size() && m_Samples[nDrop + 1].nMs <= nWindowStart)
        ++nDrop;
    m_Samples.erase(m_Samples.begin(), m_Samples.begin() + static_cast<std::ptrdiff_t>(nDrop));
}

bool DownloadPace::HasRate() const
{
    return m_Samples.size() >= 2 && m_Samples.back().nMs - m_Samples.front().nMs >= kSettleMs;
}

unsigned DownloadPace::RateTenths() const
{
    if (!HasRate())
        return 0;
    const Point& first = m_Samples.front();
    const Point& last = m_Samples.back();
    unsigned nFrames = last.nFrames >= first.nFrames ? last.nFrames - first.nFrames : 0;
    return AverageRateTenths(nFrames, last.nMs - first.nMs);
}

unsigned long long DownloadPace::SecondsLeft(unsigned nFrames, unsigned nTotal) const
{
    if (!HasRate() || nFrames >= nTotal)
        return 0;
    const Point& first = m_Samples.front();
    const Point& last = m_Samples.back();
    if (last.nFrames <= first.nFrames)
        return 0;
    // The exact rate, not the one shown: (left * span) / (frames * 1000), rounded up.
    unsigned long long nNumerator = static_cast<unsigned long long>(nTotal - nFrames) * (last.nMs - first.nMs);
    unsigned long long nDenominator = static_cast<unsigned long long>(last.nFrames - first.nFrames) * 1000;
    return (nNumerator + nDenominator - 1) / nDenominator;
}

unsigned long long DownloadPace::ElapsedMs(unsigned long long nNowMs) const
{
    return nNowMs > m_nStartMs ? nNowMs - m_nStartMs : 0;
}

unsigned AverageRateTenths(unsigned nFrames, unsigned long long nMs)
{
    if (nMs == 0)
        nMs = 1;
    unsigned long long nTenths = (static_cast<unsigned long long>(nFrames) * 10000 + nMs / 2) / nMs;
    return nTenths > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(nTenths);
}

std::string ClockDuration(unsigned long long nSeconds)
{
    char szText[48];
    unsigned long long nHours = nSeconds / 3600;
    unsigned nMinutes = static_cast<unsigned>(nSeconds / 60 % 60);
    unsigned nRest = static_cast<unsigned>(nSeconds % 60);
    if (nHours > 0)
        std::snprintf(szText, sizeof szText, "%llu:%02u:%02u", nHours, nMinutes, nRest);
    else
        std::snprintf(szText, sizeof szText, "%u:%02u", nMinutes, nRest);
    return szText;
}

unsigned long long RoundedSeconds(unsigned long long nMs)
{
    return nMs / 1000 + (nMs % 1000 >= 500 ? 1 : 0);
}
