// CFlowChart: the flow rate over time as a line, the impulse-error count as a second trace
// on its own scale at the right, a time axis below and a value axis with round steps at
// the left. A child window of its own class ("ZevFlowChart"), painted from a memory
// bitmap so it never flickers. It holds its series: the live monitor adds a sample a frame
// (nothing is drawn then: the chart repaints at most every kRepaintMs on its own timer),
// a review of a recording hands over the whole series at once.
#pragma once

#include "afxwin.h"
#include "FlowSeries.h"

#include <vector>

class CFlowChart : public CWnd {
public:
    // Charts repaint no more often than this, whatever the frame rate.
    static const UINT kRepaintMs = 250;

    CFlowChart();
    ~CFlowChart() override;

    // The window class, registered once for the process; a dialog template may name it
    // ("ZevFlowChart") once it is registered. FALSE when Windows refuses it.
    static BOOL RegisterWindowClass();
    // Makes the chart a child of hWndParent at rect (the parent's client coordinates) with
    // the id nID and the parent's font. FALSE when the window cannot be made.
    BOOL Create(HWND hWndParent, const RECT& rect, UINT nID);
    // Takes over a chart window a dialog template made (class "ZevFlowChart").
    BOOL Attach(HWND hWnd);

    // The series, in time order. SetSeries replaces it and repaints at once; AddSample
    // appends one sample and has the chart repaint on its timer.
    void SetSeries(std::vector<FlowSample> series);
    void AddSample(const FlowSample& sample);
    void Clear();
    const std::vector<FlowSample>& GetSeries() const { return m_series; }
    // Samples older than this before the latest are dropped (0, the default: none are).
    void SetKeepSeconds(double dKeepSeconds) { m_dKeepSeconds = dKeepSeconds; }

    // The span shown, in seconds (0: the whole series), and where it ends (negative, the
    // default: at the latest sample, following a live series).
    void SetSpan(double dSpan);
    double GetSpan() const { return m_dSpan; }
    void SetEndTime(double dEnd);
    double GetEndTime() const { return m_dEnd; }
    // The window of time now shown.
    TimeWindow GetWindow() const;

    // Draws the chart now, without waiting for the timer.
    void Redraw();

    // Writes the chart as it is shown, at its size, as a PNG file: to a temporary file
    // beside pszPath, renamed over pszPath at the end, so the file is written whole or not
    // at all. FALSE with the reason in strError (the system's words where it gave some).
    BOOL SaveAsPng(const char* pszPath, CString& strError);

private:
    static LRESULT CALLBACK ChartProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Brings the memory bitmap up to the series and the window's size.
    void Render();
    void ReleaseBitmap();
    void Invalidate();
    // The PNG file's writing (FlowChartPng.cpp): the bitmap's pixels to a file at pszPath.
    BOOL WritePng(const char* pszPath, CString& strError) const;

    std::vector<FlowSample> m_series;
    double m_dSpan = 60.0;
    double m_dEnd = -1.0;
    double m_dKeepSeconds = 0.0;
    BOOL m_bChanged = TRUE;        // the bitmap no longer shows the series
    BOOL m_bTimerRunning = FALSE;  // the repaint timer is set
    HDC m_hMemDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    unsigned char* m_pBits = nullptr; // the bitmap's pixels, top-down, 4 bytes each (BGRx)
    int m_cxBitmap = 0;
    int m_cyBitmap = 0;
};
