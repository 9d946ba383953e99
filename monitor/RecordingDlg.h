// CRecordingDlg: a recording of the flow monitor reviewed: its flow and impulse errors over
// time as a chart, the whole recording or a span of 15, 5 or 1 minutes that a scroll bar
// moves through it. A modeless window owned by the main window, one for each file opened,
// so that two recordings can stand side by side; it deletes itself when it closes, and
// goes with the main window.
#pragma once

#include "afxwin.h"
#include "FlowChart.h"
#include "FlowSeries.h"

#include <vector>

class CServiceDlg;

class CRecordingDlg : public CDialog {
public:
    // The recording of the file strPath (its name is the title), its rows and the line that
    // sums them up; pMain logs what its window does.
    CRecordingDlg(CServiceDlg* pMain, const CString& strPath, std::vector<FlowSample> samples,
                  const CString& strSummary);

    // Makes the window, owned by pOwner, and shows it. FALSE when it cannot be made: the
    // object is then the caller's to delete; otherwise it is the window's.
    BOOL Open(CWnd* pOwner);

    // The span shown, an index of kReviewSpans, and the chart that shows it.
    int GetSpanIndex() const { return m_nSpan; }
    const CFlowChart& GetChart() const { return m_Chart; }

protected:
    BOOL OnInitDialog() override;
    // Enter: the window takes no values, so nothing happens.
    void OnOK() override;
    // Close, Esc and the close box: the window goes.
    void OnCancel() override;
    void PostNcDestroy() override;
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);
    LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);
    void OnSpan();
    // The chart as the window shows it, to a PNG file the file dialog names.
    void OnSaveChart();

    DECLARE_MESSAGE_MAP()

private:
    // How a control follows the window's size: its right or bottom edge grows with the
    // window, or the whole control moves with the right or bottom edge.
    struct Anchor {
        int nID;
        bool bGrowX, bGrowY, bMoveX, bMoveY;
        RECT rect; // as the template placed it, in client coordinates
    };
    void TakeLayout();
    void PlaceControls(int cx, int cy);
    // The span of kReviewSpans[m_nSpan] starting at scroll position nPos: the chart and the
    // scroll bar show it.
    void ShowSpan(int nPos);

    CServiceDlg* m_pMain;
    CString m_strPath;
    CString m_strSummary;
    std::vector<FlowSample> m_samples; // until the chart takes them
    CFlowChart m_Chart;                // IDC_REC_CHART
    double m_dDuration = 0;
    int m_nSpan = 0;
    int m_nPos = 0;
    SIZE m_templateClient = {};  // the client area as the template made it
    SIZE m_minTrack = {};        // the window no smaller than the template made it
    std::vector<Anchor> m_layout;
};
