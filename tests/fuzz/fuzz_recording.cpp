// The monitor's recording read back: any bytes are either refused at a line within them,
// with no samples, or read as samples that start at 0 and never go back in time; pieces of
// any size read as the whole does. A recording written from the input's frames (as the
// monitor writes it, across midnight too) reads back as those frames' flow, impulse errors
// and times, also when it ends in a row cut short.
#include "FuzzCheck.h"
#include "MonitorFrame.h"
#include "RecordingReader.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
bool SameResult(const RecordingReadResult& a, const RecordingReadResult& b)
{
    if (a.fault != b.fault || a.nLine != b.nLine || a.nDetail != b.nDetail || a.strDetail != b.strDetail
        || a.strLine != b.strLine || a.strFirstTime != b.strFirstTime || a.nCutLine != b.nCutLine
        || a.samples.size() != b.samples.size())
        return false;
    for (std::size_t i = 0; i < a.samples.size(); ++i) {
        if (a.samples[i].dSeconds != b.samples[i].dSeconds || a.samples[i].nFlowRate != b.samples[i].nFlowRate
            || a.samples[i].nImpulseErrors != b.samples[i].nImpulseErrors)
            return false;
    }
    return true;
}

void CheckResult(const RecordingReadResult& result, const std::string& strText)
{
    std::size_t nLines = 0;
    for (char ch : strText)
        nLines += ch == '\n';
    FUZZ_CHECK(result.strLine.size() <= kMaxRecordingLine);
    FUZZ_CHECK(result.nCutLine <= nLines + 1);
    if (result.fault != RecordingFault::None) {
        FUZZ_CHECK(result.samples.empty());
        FUZZ_CHECK(result.nLine <= nLines + 1);
        FUZZ_CHECK(result.fault == RecordingFault::Empty || result.nLine >= 1);
        return;
    }
    FUZZ_CHECK(!result.samples.empty());
    FUZZ_CHECK(result.samples[0].dSeconds == 0.0);
    FUZZ_CHECK(result.strFirstTime.size() == 12);
    for (std::size_t i = 1; i < result.samples.size(); ++i)
        FUZZ_CHECK(result.samples[i].dSeconds >= result.samples[i - 1].dSeconds);
}

// The same bytes fed in pieces whose sizes the input chooses.
void CheckInPieces(const std::string& strText, const RecordingReadResult& whole, FuzzedDataProvider& sizes)
{
    RecordingReader reader;
    for (std::size_t nPos = 0; nPos < strText.size();) {
        std::size_t nPiece = sizes.ConsumeIntegralInRange<std::size_t>(1, 300);
        nPiece = std::min(nPiece, strText.size() - nPos);
        reader.Feed(strText.data() + nPos, nPiece);
        nPos += nPiece;
    }
    FUZZ_CHECK(SameResult(reader.Finish(), whole));
}

// Frames from the input, recorded at times that step on by up to a minute (over midnight
// when they pass it), then read back.
void CheckWrittenFrames(FuzzedDataProvider& input)
{
    std::string strText = MonitorCsvHeader();
    std::vector<MonitorValues> frames;
    std::vector<long long> steps; // milliseconds from the row before
    long long nTime = input.ConsumeIntegralInRange<long long>(0, 24LL * 3600 * 1000 - 1);
    int nRows = input.ConsumeIntegralInRange<int>(1, 40);
    for (int i = 0; i < nRows; ++i) {
        MonitorValues values = {};
        values.nFlowRate = input.ConsumeIntegral<std::int16_t>();
        values.nImpulseErrors = input.ConsumeIntegral<std::int16_t>() / 2;
        values.nCounter1 = input.ConsumeIntegral<std::int32_t>();
        values.nCounter2 = input.ConsumeIntegral<std::int32_t>();
        std::uint64_t bits = input.ConsumeIntegral<std::uint64_t>();
        std::memcpy(&values.dVolume, &bits, sizeof bits); // any double: NaN, infinities, huge
        values.dReading1 = input.ConsumeFloatingPoint<double>();
        values.dReading2 = -values.dVolume;
        values.dWhole = input.ConsumeFloatingPoint<double>();
        values.dDeviation = input.ConsumeProbability<double>();
        values.fLitres = input.ConsumeFloatingPoint<float>();
        long long nStep = i == 0 ? 0 : input.ConsumeIntegralInRange<long long>(0, 60000);
        nTime = (nTime + nStep) % (24LL * 3600 * 1000);
        char szTime[16];
        std::snprintf(szTime, sizeof szTime, "%02lld:%02lld:%02lld.%03lld", nTime / 3600000, nTime / 60000 % 60,
                      nTime / 1000 % 60, nTime % 1000);
        strText += FormatMonitorCsvRow(szTime, values);
        frames.push_back(values);
        steps.push_back(nStep);
    }
    // The recording cut in its last row, at a place the input chooses.
    std::size_t nLastRow = strText.rfind('\n', strText.size() - 2) + 1;
    bool bCut = input.ConsumeBool();
    if (bCut)
        strText.resize(input.ConsumeIntegralInRange<std::size_t>(nLastRow + 1, strText.size() - 1));

    RecordingReadResult result = ReadRecordingText(strText);
    std::size_t nWhole = frames.size() - (bCut && result.nCutLine != 0 ? 1 : 0);
    if (nWhole == 0) {
        FUZZ_CHECK(result.fault == RecordingFault::NoRows);
        return;
    }
    FUZZ_CHECK(result.fault == RecordingFault::None);
    FUZZ_CHECK(result.samples.size() == nWhole);
    FUZZ_CHECK(result.nCutLine == 0 || result.nCutLine == frames.size() + 1);
    // A cut row that still reads as a row was cut in its last column: its flow and impulse
    // errors are whole.
    double dSeconds = 0;
    for (std::size_t i = 0; i < nWhole; ++i) {
        dSeconds += steps[i] / 1000.0;
        FUZZ_CHECK(std::fabs(result.samples[i].dSeconds - dSeconds) < 1e-6 * (1 + dSeconds));
        FUZZ_CHECK(result.samples[i].nFlowRate == frames[i].nFlowRate);
        FUZZ_CHECK(result.samples[i].nImpulseErrors == frames[i].nImpulseErrors);
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    const RecordingReadResult whole = ReadRecordingText(strText);
    CheckResult(whole, strText);
    FuzzedDataProvider sizes(pData, nSize);
    CheckInPieces(strText, whole, sizes);
    FuzzedDataProvider input(pData, nSize);
    CheckWrittenFrames(input);
    return 0;
}
