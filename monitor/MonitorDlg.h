// CMonitorDlg: the live flow monitor, a modeless window beside the main window. The
// impulse-error count and the flow rate in large type, a bar for the flow, and the other
// readings of the latest frame; beside them a chart of the flow and the errors over the
// last 1, 5 or 15 minutes, which takes the room when the window grows. The main window
// keeps the object; a return to idle destroys its window and the next start makes the
// window anew for the same object, with a new chart.
#pragma once

#include "afxwin.h"
#include "FlowChart.h"

#include <memory>

class CDeviceFont;

class CMonitorDlg : public CDialog {
public:
    CMonitorDlg();
    ~CMonitorDlg() override;

    // Decodes a frame of 146 bytes into the members and has the window show them. TRUE
    // when strLog holds a line for the log. A hidden window decodes nothing.
    BOOL DecodeFrame(const unsigned char* pFrame, CString& strLog);
    // The record button says what a click does: start or stop the recording.
    void ShowRecording(BOOL bRecording);

    HWND m_hWndMain = nullptr; // told of the record button, which the main window handles
    CEdit m_ErrorsEdit;       // 1022, large
    CEdit m_FlowEdit;         // 1021, large
    CProgressCtrl m_FlowBar;  // 1010, 0..1000
    CString m_strReading1;
    CString m_strVolume;
    CString m_strReading2;
    CString m_strDeviation;
    CString m_strCounters;
    float m_fLitres = 0;
    int m_nFlowRate = 0;
    int m_nImpulseErrors = 0;
    int m_nWholeReading = 0;
    HDC m_pErrorsDC = nullptr; // the large read-outs' contexts, held while the window lives
    HDC m_pFlowDC = nullptr;
    int m_nLastErrors = -1;   // the impulse-error count of the last frame logged
    int m_nLastFlow = 0;      // the flow of the last frame, for "the flow has stopped"
    CFlowChart m_Chart;       // 1060: every decoded frame's flow and errors

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Called for OK (Enter): hides the window without reading its values back.
    void OnOK() override;
    // Shows the members in the controls.
    void OnPaint();
    // The window goes, the object stays: its contexts and fonts go with the window.
    void OnDestroy();
    void OnTimer(UINT_PTR nIDEvent);
    void OnRecord();
    void OnSaveChart();
    void OnSpanChosen();
    // The chart takes what the window grows by; the controls below it keep to its edges.
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    // The window is no smaller than its template made it.
    LRESULT OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void ReleaseContexts();
    // Has the window repaint with the members' new values (invalidated, not erased).
    void ShowValues();
    // Has the paint handler run; the controls repaint only where their values change.
    void RequestPaint();
    DWORD m_nLastShown = 0;       // GetTickCount of the last invalidation
    int m_nBarPos = 0;            // the bar's position for the last frame
    int m_nBarShown = 0;          // and as last set in the bar
    BOOL m_bShowPending = FALSE;  // a later showing is due on the timer
    std::unique_ptr<CDeviceFont> m_pErrorsFont;
    std::unique_ptr<CDeviceFont> m_pFlowFont;

    void ChooseSpan(int nIndex);
    void PlaceChartControls(int cx, int cy);
    double m_dSpan = 60.0;         // the span chosen, kept for the next window
    BOOL m_bChartShown = TRUE;     // FALSE: no chart (ZEV_MONITOR_CHART=0, for benchmarks)
    ULONGLONG m_nChartStart = 0;   // GetTickCount64 of the chart's first sample; 0 before it
    SIZE m_minSize = {};           // the window's size as its template made it
    SIZE m_templateClient = {};    // and its client area's
    RECT m_chartRect = {};         // where the template put the chart and its controls
    RECT m_spanRects[2] = {};      // the span's label and its choice
    RECT m_saveRect = {};
};
