// Opening a recording of one hour of the monitor (25 frames a second, 90,001 rows, written
// as the monitor writes them): from the command's file to its window made, shown and
// painted, in the program's own process; and the file read alone. Prints figures; asserts
// nothing about them.
#include "BenchWindow.h"
#include "BenchFigures.h"
#include "MonitorFrame.h"
#include "RecordingReader.h"
#include "ServiceDlg.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {
const int kFramesAnHour = 3600 * 25 + 1;
const int kRuns = 5;

// A delivery of an hour: a ramp, a plateau, a stop, impulse errors rising now and then.
std::string HourRecording()
{
    std::string strText = MonitorCsvHeader();
    strText.reserve(static_cast<std::size_t>(kFramesAnHour) * 72);
    for (int i = 0; i < kFramesAnHour; ++i) {
        long long nMs = 14 * 3600 * 1000LL + i * 40LL;
        char szTime[16];
        std::snprintf(szTime, sizeof szTime, "%02lld:%02lld:%02lld.%03lld", nMs / 3600000, nMs / 60000 % 60,
                      nMs / 1000 % 60, nMs % 1000);
        MonitorValues values = {};
        int nSecond = i / 25;
        values.nFlowRate = nSecond % 600 < 60 ? nSecond % 600 * 7 : nSecond % 600 < 500 ? 420 : 0;
        values.nImpulseErrors = nSecond / 300;
        values.nCounter1 = i;
        values.nCounter2 = i + 1;
        values.dVolume = i * 0.28;
        values.fLitres = 1.5f;
        values.dReading1 = 123456.0 + i * 0.28;
        values.dReading2 = 123468.5 + i * 0.28;
        values.dWhole = 123468.9 + i * 0.28;
        values.dDeviation = 0.25;
        strText += FormatMonitorCsvRow(szTime, values);
    }
    return strText;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
}

int main()
{
    CBenchWindow window(TRUE);
    CServiceDlg& dlg = window.dlg;

    std::string strText = HourRecording();
    std::string strPath = window.folder.Path("hour.csv");
    WriteFileBytes(strPath, strText);
    std::printf("one hour of the monitor: %d rows, %.1f MB\n", kFramesAnHour, strText.size() / 1e6);

    std::vector<double> opens, reads;
    for (int nRun = 0; nRun < kRuns; ++nRun) {
        auto start = std::chrono::steady_clock::now();
        BOOL bOpened = dlg.OpenRecording(strPath.c_str());
        HWND hReview = ::FindWindowA(nullptr, "hour.csv - Aufzeichnung");
        if (hReview)
            ::UpdateWindow(hReview); // painted, the chart with it
        opens.push_back(MillisecondsSince(start));
        if (!bOpened || !hReview) {
            std::printf("the recording did not open\n");
            return 1;
        }
        ::DestroyWindow(hReview);

        start = std::chrono::steady_clock::now();
        RecordingReadResult result = ReadRecordingText(strText);
        reads.push_back(MillisecondsSince(start));
        if (result.samples.size() != static_cast<std::size_t>(kFramesAnHour)) {
            std::printf("the recording read %u rows\n", static_cast<unsigned>(result.samples.size()));
            return 1;
        }
    }
    double dOpen = Median(opens);
    double dRead = Median(reads);
    std::printf("%-58s %8.0f ms (median of %d, slowest %.0f ms)\n", "opening it: read, window made, shown, painted",
                dOpen, kRuns, *std::max_element(opens.begin(), opens.end()));
    std::printf("%-58s %8.0f ms\n", "reading its text alone", dRead);
    BenchFigures figures("recording_bench");
    figures.Add("opening a one-hour recording (90,001 frames)", dOpen, "ms", 1000.0, dRead);
    figures.Add("reading its text alone", dRead, "ms");

    return 0;
}
