// CMonitorDlg: the live flow monitor, a modeless window beside the main window. The
// impulse-error count and the flow rate in large type, a bar for the flow, and the other
// readings of the latest frame. The main window keeps the object; a return to idle
// destroys its window and the next start makes the window anew for the same object.
#pragma once

#include "afxwin.h"

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

    DECLARE_MESSAGE_MAP()

private:
    void ReleaseContexts();
    // Has the window repaint with the members' new values (invalidated, not erased).
    void ShowValues();
    // Has the paint handler run; the controls repaint only where their values change.
    void RequestPaint();
    DWORD m_nLastShown = 0;       // GetTickCount of the last invalidation
    int m_nBarPos = 0;            // the bar's position, as last set
    BOOL m_bShowPending = FALSE;  // a later showing is due on the timer
    std::unique_ptr<CDeviceFont> m_pErrorsFont;
    std::unique_ptr<CDeviceFont> m_pFlowFont;
};
