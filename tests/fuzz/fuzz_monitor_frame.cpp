// Monitor frames: only 140, 144 and 146 bytes are frames; decoding reads inside its
// 146-byte buffer only and maps short frames as the device lays them out; a frame the
// simulator builds decodes to the values it was built from; the texts never overflow.
#include "FuzzCheck.h"
#include "MonitorFrame.h"
#include "monitor_frame.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {
template <class T>
bool SameBits(T a, T b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void CheckTruncation(double dValue)
{
    int n = TruncateToInt(dValue);
    if (std::isnan(dValue))
        FUZZ_CHECK(n == 0);
    else if (dValue <= INT_MIN)
        FUZZ_CHECK(n == INT_MIN);
    else if (dValue >= INT_MAX)
        FUZZ_CHECK(n == INT_MAX);
    else
        FUZZ_CHECK(n == static_cast<int>(dValue));
}

void CheckLayout(const unsigned char* pFrame, std::size_t nLength, const unsigned char* pFull)
{
    if (nLength == 140) {
        FUZZ_CHECK(std::memcmp(pFull, pFrame, 126) == 0);
        // 126..131 hold no field; the move leaves the frame's own bytes there, never stale ones.
        FUZZ_CHECK(std::memcmp(pFull + 126, pFrame + 126, 6) == 0);
        FUZZ_CHECK(std::memcmp(pFull + 132, pFrame + 126, 14) == 0);
    } else {
        FUZZ_CHECK(std::memcmp(pFull, pFrame, nLength) == 0);
        for (std::size_t i = nLength; i < kMonitorFrameSize; ++i)
            FUZZ_CHECK(pFull[i] == 0);
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    FUZZ_CHECK(IsMonitorFrameLength(nSize) == (nSize == 140 || nSize == 144 || nSize == 146));

    // The input itself as a frame, in a buffer of exactly its length: a read past it is
    // caught. Any length is cut or padded to each of the three.
    for (std::size_t nLength : { std::size_t(140), std::size_t(144), std::size_t(146) }) {
        std::unique_ptr<unsigned char[]> frame(new unsigned char[nLength]);
        for (std::size_t i = 0; i < nLength; ++i)
            frame[i] = i < nSize ? pData[i] : static_cast<unsigned char>(i * 7);
        unsigned char full[kMonitorFrameSize];
        std::memset(full, 0xA5, sizeof full); // stale bytes: must all be overwritten
        ToFullFrame(frame.get(), nLength, full);
        CheckLayout(frame.get(), nLength, full);
        MonitorValues values = DecodeMonitorFrame(full);
        CheckTruncation(values.dWhole);
        std::string strLine = FormatImpulseLine(values);
        FUZZ_CHECK(!strLine.empty());
        FUZZ_CHECK(strLine.find('\0') == std::string::npos);
        // The first frame is logged (unless its count is the -1 that stands for "none
        // logged yet"); the same frame again is not.
        MonitorLogRule rule;
        FUZZ_CHECK(rule.Take(values.nImpulseErrors, values.nFlowRate) == (values.nImpulseErrors != -1));
        FUZZ_CHECK(!rule.Take(values.nImpulseErrors, values.nFlowRate));
    }

    // The simulator's frame of any sample decodes to that sample.
    FuzzedDataProvider input(pData, nSize);
    zevsim::MonitorSample sample;
    sample.volume = input.ConsumeFloatingPoint<double>();
    sample.reading1 = input.ConsumeFloatingPoint<double>();
    sample.reading2 = input.ConsumeFloatingPoint<double>();
    sample.flow = input.ConsumeIntegral<std::int16_t>();
    sample.wholeReading = input.ConsumeFloatingPoint<double>();
    sample.deviation = input.ConsumeFloatingPoint<double>();
    sample.impulseErrors = input.ConsumeIntegralInRange<std::int16_t>(-16384, 16383);
    sample.litres = input.ConsumeFloatingPoint<float>();
    sample.counter1 = input.ConsumeIntegral<std::int32_t>();
    sample.counter2 = input.ConsumeIntegral<std::int32_t>();
    const int nLength = input.PickValueInArray({ 140, 144, 146 });
    std::string strFrame = zevsim::buildMonitorFrame(sample, nLength, "FUZZ");
    FUZZ_CHECK(strFrame.size() == static_cast<std::size_t>(nLength));
    unsigned char full[kMonitorFrameSize];
    ToFullFrame(reinterpret_cast<const unsigned char*>(strFrame.data()), strFrame.size(), full);
    MonitorValues values = DecodeMonitorFrame(full);
    FUZZ_CHECK(SameBits(values.dVolume, sample.volume));
    FUZZ_CHECK(SameBits(values.dReading1, sample.reading1));
    FUZZ_CHECK(SameBits(values.dReading2, sample.reading2));
    FUZZ_CHECK(values.nFlowRate == sample.flow);
    FUZZ_CHECK(SameBits(values.dWhole, sample.wholeReading));
    FUZZ_CHECK(SameBits(values.dDeviation, sample.deviation));
    FUZZ_CHECK(values.nImpulseErrors == sample.impulseErrors);
    FUZZ_CHECK(SameBits(values.fLitres, sample.litres));
    FUZZ_CHECK(values.nCounter1 == sample.counter1);
    // A 144-byte frame lacks the low half of the second counter: it reads as 0.
    FUZZ_CHECK(values.nCounter2 == (nLength == 144 ? static_cast<int>(static_cast<std::uint32_t>(sample.counter2) & 0xFFFF0000u)
                                                   : sample.counter2));
    return 0;
}
