// The monitor frames the device streams, as byte rules that need no window: the length
// check, the 140-byte layout mapped onto the full 146 bytes, the big-endian fields, the
// rule that decides which frames leave a line in the log, and that line.
#pragma once

#include <cstddef>
#include <string>

const std::size_t kMonitorFrameSize = 146; // the full layout; 144 and 140 bytes are shorter forms

// 140, 144 and 146 bytes are frames; anything else is a length error.
bool IsMonitorFrameLength(std::size_t nLength);

// The work buffer of one frame of a valid length: the bytes at the start of a zeroed
// buffer, so fields a short frame lacks read as 0 (never as an earlier frame's bytes);
// a 140-byte frame's last 14 bytes belong at offsets 132..145.
void ToFullFrame(const unsigned char* pFrame, std::size_t nLength, unsigned char full[kMonitorFrameSize]);

struct MonitorValues {
    double dVolume;      // litres (offset 56)
    double dReading1;    // 64
    double dReading2;    // 72
    int nFlowRate;       // litres a minute (80)
    double dWhole;       // 82, shown truncated to an integer
    double dDeviation;   // 90
    int nImpulseErrors;  // 132, halved
    float fLitres;       // a second volume (134)
    int nCounter1;       // 138
    int nCounter2;       // 142
};

MonitorValues DecodeMonitorFrame(const unsigned char full[kMonitorFrameSize]);

// A reading truncated toward zero to 32 bits without undefined conversions: NaN is 0,
// anything beyond the range is held at its ends.
int TruncateToInt(double dValue);

// Which frames leave a line: the first decoded, every change of the impulse-error count,
// and the first frame with no flow after a frame with flow.
struct MonitorLogRule {
    int nLastErrors = -1;
    int nLastFlow = 0;
    // TRUE when this frame is to be logged; remembers what the next frame is compared with.
    bool Take(int nImpulseErrors, int nFlowRate);
};

// "Impulserror  3 (   42:   43)   120L  120L/min (1.50L)"
std::string FormatImpulseLine(const MonitorValues& values);

// The monitor's recording, one CSV row a decoded frame: comma separated, a point for the
// decimal, the first row naming the columns.
std::string MonitorCsvHeader();
// "14:03:07.123,120,3,42,43,12.50,1.50,123456.00,123468.50,123468,0.25"
std::string FormatMonitorCsvRow(const char* pszTime, const MonitorValues& values);
