#include "MonitorFrame.h"

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cstdint>

namespace {
std::uint64_t BigEndian(const unsigned char* p, int nBytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < nBytes; ++i)
        value = (value << 8) | p[i];
    return value;
}

double Float64At(const unsigned char* p)
{
    std::uint64_t bits = BigEndian(p, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float Float32At(const unsigned char* p)
{
    std::uint32_t bits = static_cast<std::uint32_t>(BigEndian(p, 4));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int Int16At(const unsigned char* p)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(BigEndian(p, 2)));
}

int Int32At(const unsigned char* p)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(BigEndian(p, 4)));
}

// printf into a string that grows to whatever the values need (a corrupt frame's floats
// print hundreds of digits).
std::string Printf(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list measure;
    va_copy(measure, args);
    int nLength = std::vsnprintf(nullptr, 0, pszFormat, measure);
    va_end(measure);
    std::string text(nLength > 0 ? static_cast<std::size_t>(nLength) + 1 : 1, '\0');
    if (nLength > 0)
        std::vsnprintf(&text[0], text.size(), pszFormat, args);
    va_end(args);
    text.resize(nLength > 0 ? static_cast<std::size_t>(nLength) : 0);
    return text;
}
}

bool IsMonitorFrameLength(std::size_t nLength)
{
    return nLength == 140 || nLength == 144 || nLength == 146;
}

void ToFullFrame(const unsigned char* pFrame, std::size_t nLength, unsigned char full[kMonitorFrameSize])
{
    std::memset(full, 0, kMonitorFrameSize);
    std::memcpy(full, pFrame, nLength < kMonitorFrameSize ? nLength : kMonitorFrameSize);
    if (nLength == 140)
        std::memmove(full + 132, full + 126, 14);
}

MonitorValues DecodeMonitorFrame(const unsigned char full[kMonitorFrameSize])
{
    MonitorValues values;
    values.dVolume = Float64At(full + 56);
    values.dReading1 = Float64At(full + 64);
    values.dReading2 = Float64At(full + 72);
    values.nFlowRate = Int16At(full + 80);
    values.dWhole = Float64At(full + 82);
    values.dDeviation = Float64At(full + 90);
    values.nImpulseErrors = Int16At(full + 132) / 2; // C++ division truncates toward zero
    values.fLitres = Float32At(full + 134);
    values.nCounter1 = Int32At(full + 138);
    values.nCounter2 = Int32At(full + 142);
    return values;
}

int TruncateToInt(double dValue)
{
    if (std::isnan(dValue))
        return 0;
    if (dValue >= 2147483647.0)
        return INT_MAX;
    if (dValue <= -2147483648.0)
        return INT_MIN;
    return static_cast<int>(dValue);
}

bool MonitorLogRule::Take(int nImpulseErrors, int nFlowRate)
{
    bool bLog = nImpulseErrors != nLastErrors || (nFlowRate == 0 && nLastFlow != 0);
    nLastFlow = nFlowRate;
    if (bLog)
        nLastErrors = nImpulseErrors;
    return bLog;
}

std::string FormatImpulseLine(const MonitorValues& values)
{
    return Printf("Impulserror %2d (%5d:%5d)  %4.0fL %4dL/min (%.2fL)", values.nImpulseErrors, values.nCounter1,
                  values.nCounter2, values.dVolume, values.nFlowRate, static_cast<double>(values.fLitres));
}

std::string MonitorCsvHeader()
{
    return "time,flow (L/min),impulse errors,counter 1,counter 2,volume (L),volume 2 (L),reading 1 (L),"
           "reading 2 (L),whole reading (L),deviation (%)\n";
}

std::string FormatMonitorCsvRow(const char* pszTime, const MonitorValues& values)
{
    return Printf("%s,%d,%d,%d,%d,%.2f,%.2f,%.2f,%.2f,%d,%.2f\n", pszTime, values.nFlowRate, values.nImpulseErrors,
                  values.nCounter1, values.nCounter2, values.dVolume, static_cast<double>(values.fLitres),
                  values.dReading1, values.dReading2, TruncateToInt(values.dWhole), values.dDeviation);
}
