// The event log under a burst of lines from the device, with the log window already full:
// where one line's time goes when each line is placed on its own (each message of the
// line-by-line rules, and the log file's flush at the end of each burst), what one log
// call costs now, how many lines a second reach the window and the file through the
// receive path, and how long the window keeps a message sent to it waiting meanwhile.
// Prints figures; asserts nothing about them.
#include "BenchWindow.h"
#include "BenchFigures.h"
#include "ServiceDlg.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs the window's messages that are waiting, as the message loop does between two
// receive events.
void PumpWaiting()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Sends WM_NULL to the window from another thread, again and again, and keeps the
// longest time the window took to answer.
class Pinger {
public:
    explicit Pinger(HWND hWnd) : m_hWnd(hWnd), m_thread([this] { Run(); }) {}
    ~Pinger() { Stop(); }
    double Stop()
    {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_dWorstMs;
    }

private:
    void Run()
    {
        while (!m_bStop) {
            auto start = Clock::now();
            DWORD_PTR result;
            ::SendMessageTimeoutA(m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
            m_dWorstMs = std::max(m_dWorstMs, Millis(Clock::now() - start));
            ::Sleep(2);
        }
    }
    HWND m_hWnd;
    std::atomic<bool> m_bStop{ false };
    double m_dWorstMs = 0;
    std::thread m_thread;
};

void FillLogWindow(CServiceDlg& dlg)
{
    for (int i = 0; i <= dlg.m_nMaxLogLines; ++i)
        dlg.LogLine("filling the window");
}

// One line of the line-by-line rules, message by message, with the window full.
void StepCosts(CServiceDlg& dlg, int nLines)
{
    CEdit& edit = dlg.m_LogEdit;
    const char* names[] = { "count lines", "index of line 1", "select the first line", "scroll caret (top)",
                            "delete the first line", "count again", "time stamp", "file",
                            "file to the disk", "index of the last line", "select to the end",
                            "scroll caret (end)", "replace with the line", "repaint" };
    const int nSteps = sizeof names / sizeof names[0];
    std::vector<double> total(nSteps, 0.0);
    for (int n = 0; n < nLines; ++n) {
        auto t = Clock::now();
        int s = 0;
        auto lap = [&] {
            auto now = Clock::now();
            total[s++] += Millis(now - t);
            t = now;
        };
        int nCount = edit.GetLineCount(); lap();
        int nIndex = edit.LineIndex(1); lap();
        edit.SetSel(0, nIndex); lap();
        edit.ScrollCaret(); lap();
        edit.ReplaceSel("", FALSE); lap();
        nCount = edit.GetLineCount(); lap();
        CString strLine = CTime::GetCurrentTime().Format("%H:%M:%S ") + ">> (CR) 123"; lap();
        dlg.m_LogFile.WriteString(strLine); dlg.m_LogFile.WriteString("\n"); lap();
        dlg.m_LogFile.Flush(); lap(); // a line outside a burst is a burst of its own
        strLine += "\r\n";
        nIndex = edit.LineIndex(nCount - 1); lap();
        edit.SetSel(nIndex, -1); lap();
        edit.ScrollCaret(); lap();
        edit.ReplaceSel(strLine, FALSE); lap();
        edit.UpdateWindow(); lap();
    }
    std::printf("One log line with the window full (%d lines kept), mean of %d:\n", dlg.m_nMaxLogLines, nLines);
    double sum = 0;
    for (int s = 0; s < nSteps; ++s) {
        std::printf("  %-24s %8.3f ms\n", names[s], total[s] / nLines);
        sum += total[s];
    }
    std::printf("  %-24s %8.3f ms\n", "whole line", sum / nLines);
}

// Single log calls outside a burst, each shown at once, with the window full.
BenchFigures g_figures("eventlog_bench");

void SingleCalls(CServiceDlg& dlg, int nLines)
{
    FillLogWindow(dlg);
    auto start = Clock::now();
    for (int n = 0; n < nLines; ++n)
        dlg.LogLine(">> (CR) 123");
    double dMean = Millis(Clock::now() - start) / nLines;
    std::printf("One log call outside a burst, window full: %.3f ms (mean of %d)\n", dMean, nLines);
    g_figures.Add("one log call outside a burst, window full", dMean, "ms");
}

// The device's bytes handed over as the receive event does, at most 1024 at a time, with
// the message loop running in between; another thread pings the window throughout.
void Burst(CServiceDlg& dlg, const char* pszWhat, const std::string& strStream, int nLines)
{
    FillLogWindow(dlg);
    PumpWaiting();
    Pinger pinger(dlg.m_hWnd);
    auto start = Clock::now();
    for (size_t offset = 0; offset < strStream.size(); offset += 1024) {
        size_t nCount = std::min<size_t>(1024, strStream.size() - offset);
        dlg.ReceiveBytes(reinterpret_cast<const BYTE*>(strStream.data()) + offset, static_cast<int>(nCount));
        PumpWaiting();
    }
    dlg.FlushLogWindow(); // the lines that still wait for the window's next change
    double dSeconds = Millis(Clock::now() - start) / 1000.0;
    double dWorst = pinger.Stop();
    std::printf("%-44s %8.0f lines/s (%.2f s), slowest answer of the window %6.1f ms\n", pszWhat,
                nLines / dSeconds, dSeconds, dWorst);
    g_figures.Add((std::string(pszWhat) + ": lines a second").c_str(), nLines / dSeconds, "lines/s", -1, -1, false);
    g_figures.Add((std::string(pszWhat) + ": slowest answer of the window").c_str(), dWorst, "ms");
}

// Where the time of one change of the window's text goes: an edit made as the log window
// is (style, font, size), full, takes one appended line, with its scroll bars and without
// them. The difference is what Wine's edit spends on its scroll bars at every change.
double EditAppendCost(CServiceDlg& dlg, DWORD dwStyle, int nLines)
{
    RECT rect;
    ::GetWindowRect(dlg.m_LogEdit, &rect);
    ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    HWND hEdit = ::CreateWindowExA(::GetWindowLongA(dlg.m_LogEdit, GWL_EXSTYLE), "EDIT", "", dwStyle, rect.left,
                                   rect.top, rect.right - rect.left, rect.bottom - rect.top, dlg.m_hWnd, nullptr,
                                   nullptr, nullptr);
    ::SendMessageA(hEdit, WM_SETFONT, ::SendMessageA(dlg.m_LogEdit, WM_GETFONT, 0, 0), TRUE);
    std::string strLine = "12:00:00 >> (CR) 123\r\n";
    std::string strFull;
    for (int i = 0; i < dlg.m_nMaxLogLines; ++i)
        strFull += strLine;
    ::SetWindowTextA(hEdit, strFull.c_str());
    double dTotal = 0;
    for (int n = 0; n < nLines; ++n) {
        auto start = Clock::now();
        int nEnd = ::GetWindowTextLengthA(hEdit);
        ::SendMessageA(hEdit, EM_SETSEL, nEnd, nEnd);
        ::SendMessageA(hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(strLine.c_str()));
        ::SendMessageA(hEdit, EM_SCROLLCARET, 0, 0);
        ::UpdateWindow(hEdit);
        dTotal += Millis(Clock::now() - start);
        ::SendMessageA(hEdit, EM_SETSEL, 0, ::SendMessageA(hEdit, EM_LINEINDEX, 1, 0)); // not timed
        ::SendMessageA(hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    }
    ::DestroyWindow(hEdit);
    return dTotal / nLines;
}

void EditCosts(CServiceDlg& dlg, int nLines)
{
    DWORD dwStyle = ::GetWindowLongA(dlg.m_LogEdit, GWL_STYLE);
    double dWith = EditAppendCost(dlg, dwStyle, nLines);
    double dWithout = EditAppendCost(dlg, dwStyle & ~(WS_VSCROLL | WS_HSCROLL), nLines);
    std::printf("One line appended to a full edit made as the log window: %.3f ms, without its scroll bars "
                "%.3f ms (mean of %d)\n", dWith, dWithout, nLines);
    g_figures.Add("one line appended to an edit as the log window", dWith, "ms");
    g_figures.Add("the same edit without its scroll bars", dWithout, "ms");
}

std::string ShortLines(int nLines)
{
    std::string stream;
    for (int i = 0; i < nLines; ++i)
        stream += std::to_string(100 + i % 900) + "\r";
    return stream;
}

std::string LongLines(int nLines)
{
    std::string stream;
    for (int i = 0; i < nLines; ++i) {
        for (int b = 0; b < 146; ++b)
            stream += static_cast<char>(0x20 + (i * 7 + b * 13) % 0x5F);
        stream += "\r";
    }
    return stream;
}
}

int main()
{
    CBenchWindow window(TRUE);
    CServiceDlg& dlg = window.dlg;

    FillLogWindow(dlg);
    StepCosts(dlg, 200);
    SingleCalls(dlg, 200);
    EditCosts(dlg, 100);
    Burst(dlg, "10,000 short lines (\">> (CR) 123\")", ShortLines(10000), 10000);
    Burst(dlg, "2,000 lines of 146 bytes", LongLines(2000), 2000);

    return 0;
}
