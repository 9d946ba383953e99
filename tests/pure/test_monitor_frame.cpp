// The monitor frames alone: lengths, the short layouts, the big-endian fields, the log
// rule and its line, and readings a corrupt frame may carry.
#include "MonitorFrame.h"

#include <doctest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {
// A full frame with the given fields, big-endian, the unused bytes set to 0x5A.
struct FrameBuilder {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(kMonitorFrameSize, 0x5A);

    FrameBuilder& Put(size_t nOffset, std::uint64_t nValue, int nBytes)
    {
        for (int i = nBytes - 1; i >= 0; --i, nValue >>= 8)
            bytes[nOffset + i] = static_cast<unsigned char>(nValue & 0xFF);
        return *this;
    }
    FrameBuilder& Float64(size_t nOffset, double d)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        return Put(nOffset, bits, 8);
    }
    FrameBuilder& Float32(size_t nOffset, float f)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        return Put(nOffset, bits, 4);
    }
    FrameBuilder& Fields(double dVolume, int nFlow, int nTwiceErrors, int nCounter1, int nCounter2)
    {
        Float64(56, dVolume).Float64(64, 1.5).Float64(72, -2.25).Put(80, static_cast<std::uint16_t>(nFlow), 2);
        Float64(82, 123456.9).Float64(90, 0.5).Put(132, static_cast<std::uint16_t>(nTwiceErrors), 2);
        Float32(134, 1.5f).Put(138, static_cast<std::uint32_t>(nCounter1), 4);
        return Put(142, static_cast<std::uint32_t>(nCounter2), 4);
    }
    MonitorValues Decode(size_t nLength) const
    {
        unsigned char full[kMonitorFrameSize];
        ToFullFrame(bytes.data(), nLength, full);
        return DecodeMonitorFrame(full);
    }
};
}

TEST_CASE("frames are 140, 144 or 146 bytes")
{
    for (size_t n : { 140u, 144u, 146u })
        CHECK(IsMonitorFrameLength(n));
    for (size_t n : { 0u, 1u, 139u, 141u, 143u, 145u, 147u, 1000u })
        CHECK_FALSE(IsMonitorFrameLength(n));
}

TEST_CASE("the fields of a full frame, big-endian")
{
    FrameBuilder frame;
    frame.Fields(987.654, 120, 7, 42, 43);
    MonitorValues values = frame.Decode(146);
    CHECK(values.dVolume == doctest::Approx(987.654));
    CHECK(values.dReading1 == 1.5);
    CHECK(values.dReading2 == -2.25);
    CHECK(values.nFlowRate == 120);
    CHECK(values.nImpulseErrors == 3); // 00 07 halved
    CHECK(values.fLitres == 1.5f);
    CHECK(values.nCounter1 == 42);
    CHECK(values.nCounter2 == 43);
    CHECK(TruncateToInt(values.dWhole) == 123456);

    frame.Put(80, 0x04B0, 2).Put(132, 0xFFF9, 2); // 1200 l/min, -7 halved toward zero
    values = frame.Decode(146);
    CHECK(values.nFlowRate == 1200);
    CHECK(values.nImpulseErrors == -3);
    frame.Put(80, 0xFFFF, 2);
    CHECK(frame.Decode(146).nFlowRate == -1);
}

TEST_CASE("short frames: 140 bytes carry offsets 132..145 in their last 14, 144 lack the last two")
{
    FrameBuilder full;
    full.Fields(10.0, 120, 6, 42, 43);
    // the 140-byte form: bytes 126..131 left out
    std::vector<unsigned char> short140(full.bytes.begin(), full.bytes.begin() + 126);
    short140.insert(short140.end(), full.bytes.begin() + 132, full.bytes.end());
    REQUIRE(short140.size() == 140u);
    unsigned char work[kMonitorFrameSize];
    std::memset(work, 0xEE, sizeof work); // an earlier frame's bytes
    ToFullFrame(short140.data(), 140, work);
    MonitorValues values = DecodeMonitorFrame(work);
    CHECK(values.nImpulseErrors == 3);
    CHECK(values.nCounter1 == 42);
    CHECK(values.nCounter2 == 43);
    CHECK(values.nFlowRate == 120);

    // 144 bytes: the low half of the second counter reads as zeros, never as stale bytes
    std::memset(work, 0xEE, sizeof work);
    full.Put(142, 0x0001002B, 4);
    ToFullFrame(full.bytes.data(), 144, work);
    CHECK(work[144] == 0);
    CHECK(work[145] == 0);
    CHECK(DecodeMonitorFrame(work).nCounter2 == 0x00010000);
}

TEST_CASE("the log rule: the first frame, a change of the count, the flow stopping")
{
    MonitorLogRule rule;
    CHECK(rule.Take(3, 120));       // first decoded frame: the last count starts at -1
    CHECK_FALSE(rule.Take(3, 120));
    CHECK_FALSE(rule.Take(3, 120));
    CHECK(rule.Take(3, 0));         // the flow has stopped
    CHECK_FALSE(rule.Take(3, 0));
    CHECK(rule.Take(4, 0));         // the count changed
    CHECK_FALSE(rule.Take(4, 50));
    CHECK(rule.Take(4, 0));
    MonitorLogRule fresh;
    CHECK_FALSE(fresh.Take(-1, 10)); // a first count of -1 equals the start value
}

TEST_CASE("the impulse-error line")
{
    FrameBuilder frame;
    frame.Fields(987.654, 120, 6, 42, 43);
    CHECK(FormatImpulseLine(frame.Decode(146)) == "Impulserror  3 (   42:   43)   988L  120L/min (1.50L)");
}

TEST_CASE("the recording's rows: one a frame, every field, the whole reading as shown")
{
    FrameBuilder frame;
    frame.Fields(987.654, 120, 6, 42, 43);
    MonitorValues values = frame.Decode(146);
    values.dWhole = 123468.9;
    CHECK(MonitorCsvHeader().rfind("time,flow (L/min),impulse errors,counter 1,counter 2,", 0) == 0);
    CHECK(FormatMonitorCsvRow("14:03:07.123", values) ==
          "14:03:07.123,120,3,42,43,987.65,1.50,1.50,-2.25,123468,0.50\n");
    values.dVolume = 1e300; // a corrupt frame: the row grows, nothing is cut or overrun
    CHECK(FormatMonitorCsvRow("t", values).size() > 300);
}

TEST_CASE("readings of a corrupt frame: no undefined conversion, texts as long as they need")
{
    const double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double kInf = std::numeric_limits<double>::infinity();
    CHECK(TruncateToInt(kNaN) == 0);
    CHECK(TruncateToInt(kInf) == 2147483647);
    CHECK(TruncateToInt(-kInf) == -2147483647 - 1);
    CHECK(TruncateToInt(1e300) == 2147483647);
    CHECK(TruncateToInt(-1e300) == -2147483647 - 1);
    CHECK(TruncateToInt(-2.9) == -2);
    CHECK(TruncateToInt(2147483646.9) == 2147483646);

    FrameBuilder frame;
    frame.Fields(1e308, 0, 0, 0, 0);
    std::string line = FormatImpulseLine(frame.Decode(146));
    CHECK(line.size() > 300); // the 309-digit volume whole
    CHECK(line.find("Impulserror  0") == 0);
}
