// Throughput of the receive path: bytes handed over as OnReceive hands them (reads of at
// most 1024 bytes), through the framer and the dispatcher, against the 3840 bytes per
// second that 38400 baud carries. Prints figures; asserts nothing about them.
#include "BenchWindow.h"
#include "BenchFigures.h"
#include "ServiceDlg.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {
const double kLineBytesPerSecond = 3840.0; // 38400 baud, 10 bits a byte

// Records like the device's monitor frames: 146 bytes of values, DLE-escaped, CR at the end.
std::vector<BYTE> MonitorLikeStream(size_t nBytes, bool bWithCr)
{
    std::mt19937 rng(42);
    std::vector<BYTE> stream;
    stream.reserve(nBytes + 512);
    while (stream.size() < nBytes) {
        for (int i = 0; i < 146; ++i) {
            BYTE value = static_cast<BYTE>(rng());
            if (value == 0x06 || value == 0x0D || value == 0x10 || value == 0x15 || value == 0x1B) {
                stream.push_back(0x10);
                value = static_cast<BYTE>(value + 0x20);
            }
            stream.push_back(value);
        }
        if (bWithCr)
            stream.push_back(0x0D);
    }
    return stream;
}

double Measure(CServiceDlg& dlg, const std::vector<BYTE>& stream)
{
    auto start = std::chrono::steady_clock::now();
    for (size_t offset = 0; offset < stream.size(); offset += 1024)
        dlg.ReceiveBytes(&stream[offset], static_cast<int>(std::min<size_t>(1024, stream.size() - offset)));
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return stream.size() / elapsed.count();
}

BenchFigures g_figures("framer_bench");

void Report(const char* pszWhat, double dBytesPerSecond)
{
    // aim: the framer keeps up with the line
    g_figures.Add(pszWhat, dBytesPerSecond / kLineBytesPerSecond, "x the line rate", 1.0, -1, false);
    std::printf("%-58s %8.2f MB/s = %7.0f x the line rate\n", pszWhat, dBytesPerSecond / 1e6,
                dBytesPerSecond / kLineBytesPerSecond);
}
}

int main()
{
    CBenchWindow window(FALSE);
    CServiceDlg& dlg = window.dlg;

    // One long reply without a line end: framing and the line buffer alone.
    std::vector<BYTE> unended = MonitorLikeStream(10 * 1000 * 1000, false);
    dlg.m_nOperation = OP_MONITOR;
    Report("10 MB of escaped record bytes, no line end", Measure(dlg, unended));
    dlg.m_strRxLine.Empty();

    // Records ended by CR while idle: each is logged as an unexpected line (window and file).
    std::vector<BYTE> records = MonitorLikeStream(200 * 1000, true);
    dlg.m_nOperation = OP_IDLE;
    Report("200 kB of 146-byte records with CR, each logged", Measure(dlg, records));

    return 0;
}
