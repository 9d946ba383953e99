#include "MonitorDlg.h"
#include "DeviceFont.h"
#include "MonitorFrame.h"
#include "ServiceMessages.h"
#include "ChartAxis.h"
#include "StringFormats.h"
#include "TextGrid.h"
#include "resource.h"

#include <cstring>

namespace {
// A stream of frames is shown at most this often: a reader sees no difference, and each
// showing repaints every value that changed.
const DWORD kShowSpacingMs = 100;
const UINT_PTR kShowTimer = 1;
}

BEGIN_MESSAGE_MAP(CMonitorDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_MON_RECORD, &CMonitorDlg::OnRecord)
    ON_BN_CLICKED(IDC_MON_SAVE_CHART, &CMonitorDlg::OnSaveChart)
    ON_CBN_SELCHANGE(IDC_MON_SPAN, &CMonitorDlg::OnSpanChosen)
    ON_MESSAGE(WM_SIZE, &CMonitorDlg::OnSize)
    ON_MESSAGE(WM_GETMINMAXINFO, &CMonitorDlg::OnGetMinMaxInfo)
END_MESSAGE_MAP()

CMonitorDlg::CMonitorDlg() : CDialog(IDD_MONITOR)
{
    // The template names the chart's window class: it is there before the first window.
    CFlowChart::RegisterWindowClass();
}

CMonitorDlg::~CMonitorDlg()
{
    ReleaseContexts();
}

void CMonitorDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_MON_ERRORS, m_ErrorsEdit);
    DDX_Control(pDX, IDC_MON_FLOW, m_FlowEdit);
    DDX_Control(pDX, IDC_MON_FLOW_BAR, m_FlowBar);
    DDX_Text(pDX, IDC_MON_READING1, m_strReading1);
    DDX_Text(pDX, IDC_MON_VOLUME, m_strVolume);
    DDX_Text(pDX, IDC_MON_READING2, m_strReading2);
    DDX_Text(pDX, IDC_MON_DEVIATION, m_strDeviation);
    DDX_Text(pDX, IDC_MON_COUNTERS, m_strCounters);
    DDX_Text(pDX, IDC_MON_LITRES, m_fLitres);
    DDX_Text(pDX, IDC_MON_FLOW, m_nFlowRate);
    DDX_Text(pDX, IDC_MON_ERRORS, m_nImpulseErrors);
    DDX_Text(pDX, IDC_MON_WHOLE, m_nWholeReading);
}

BOOL CMonitorDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The two large read-outs: 36-point bold Arial, scaled for the screen.
    m_pErrorsDC = ::GetDC(GetDlgItem(IDC_MON_ERRORS));
    CTextGrid errorsGrid(m_pErrorsDC);
    m_pErrorsFont = std::make_unique<CDeviceFont>(m_pErrorsDC, "Arial", 360, 0, CDeviceFont::styleBold, TRUE);
    m_pErrorsFont->ApplyToWindow(GetDlgItem(IDC_MON_ERRORS));
    m_pFlowDC = ::GetDC(GetDlgItem(IDC_MON_FLOW));
    CTextGrid flowGrid(m_pFlowDC);
    m_pFlowFont = std::make_unique<CDeviceFont>(m_pFlowDC, "Arial", 360, 0, CDeviceFont::styleBold, TRUE);
    m_pFlowFont->ApplyToWindow(GetDlgItem(IDC_MON_FLOW));
    // The bar's range is the window's for its life: set once, not asked for every frame.
    m_FlowBar.SetRange32(0, 1000);
    m_nBarPos = m_nBarShown = 0; // where a new bar stands

    // A new window charts from its first frame; the span chosen last stays.
    m_Chart.Attach(GetDlgItem(IDC_MON_CHART));
    m_Chart.Clear();
    m_Chart.SetKeepSeconds(kFlowSpans[kFlowSpanCount - 1]);
    m_nChartStart = 0;
    // The benchmarks measure the window without its chart as well.
    char szChart[8] = {};
    m_bChartShown = !(::GetEnvironmentVariableA("ZEV_MONITOR_CHART", szChart, sizeof szChart) &&
                      std::strcmp(szChart, "0") == 0);
    if (!m_bChartShown)
        ::ShowWindow(GetDlgItem(IDC_MON_CHART), SW_HIDE);
    // The spans as the time axis names them: "1 min", "5 min", "15 min".
    for (double dSpan : kFlowSpans) {
        std::string strSpan = FormatTimeLabel(dSpan, TimeAxis{ 60.0, true });
        ::SendDlgItemMessageA(m_hWnd, IDC_MON_SPAN, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strSpan.c_str()));
    }
    int nSpan = 0;
    while (nSpan < kFlowSpanCount - 1 && kFlowSpans[nSpan] < m_dSpan)
        ++nSpan;
    ChooseSpan(nSpan);

    // The template's layout is the window's least: what it grows by goes to the chart.
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    m_minSize = { window.right - window.left, window.bottom - window.top };
    RECT client = {};
    GetClientRect(&client);
    m_templateClient = { client.right, client.bottom };
    auto rectOf = [this](int nID) {
        RECT rect = {};
        ::GetWindowRect(GetDlgItem(nID), &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    m_chartRect = rectOf(IDC_MON_CHART);
    m_spanRects[0] = rectOf(IDC_MON_SPAN_LABEL);
    m_spanRects[1] = rectOf(IDC_MON_SPAN);
    m_saveRect = rectOf(IDC_MON_SAVE_CHART);
    return TRUE;
}

void CMonitorDlg::OnSaveChart()
{
    // Posted, as the record button is: the file dialog opens from the main window's loop.
    if (m_hWndMain)
        ::PostMessageA(m_hWndMain, WM_MONITOR_SAVE_CHART, 0, 0);
}

void CMonitorDlg::OnSpanChosen()
{
    int nIndex = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_MON_SPAN, CB_GETCURSEL, 0, 0));
    if (nIndex >= 0 && nIndex < kFlowSpanCount)
        ChooseSpan(nIndex);
}

void CMonitorDlg::ChooseSpan(int nIndex)
{
    m_dSpan = kFlowSpans[nIndex];
    ::SendDlgItemMessageA(m_hWnd, IDC_MON_SPAN, CB_SETCURSEL, nIndex, 0);
    m_Chart.SetSpan(m_dSpan);
}

LRESULT CMonitorDlg::OnSize(WPARAM wParam, LPARAM lParam)
{
    if (wParam != SIZE_MINIMIZED && m_templateClient.cx > 0)
        PlaceChartControls(LOWORD(lParam), HIWORD(lParam));
    Default();
    return 0;
}

void CMonitorDlg::PlaceChartControls(int cx, int cy)
{
    int dx = cx > m_templateClient.cx ? cx - m_templateClient.cx : 0;
    int dy = cy > m_templateClient.cy ? cy - m_templateClient.cy : 0;
    auto place = [this](int nID, const RECT& rect, int nMoveX, int nMoveY, int nGrowX, int nGrowY) {
        ::SetWindowPos(GetDlgItem(nID), nullptr, rect.left + nMoveX, rect.top + nMoveY,
                       rect.right - rect.left + nGrowX, rect.bottom - rect.top + nGrowY, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(IDC_MON_CHART, m_chartRect, 0, 0, dx, dy);
    place(IDC_MON_SPAN_LABEL, m_spanRects[0], 0, dy, 0, 0);
    place(IDC_MON_SPAN, m_spanRects[1], 0, dy, 0, 0);
    place(IDC_MON_SAVE_CHART, m_saveRect, dx, dy, 0, 0);
}

LRESULT CMonitorDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam)
{
    MINMAXINFO* pInfo = reinterpret_cast<MINMAXINFO*>(lParam);
    if (m_minSize.cx > 0) {
        pInfo->ptMinTrackSize.x = m_minSize.cx;
        pInfo->ptMinTrackSize.y = m_minSize.cy;
    }
    Default();
    return 0;
}

void CMonitorDlg::OnOK()
{
    // The window shows the device's values and takes none: OK hides it as Cancel does,
    // whatever the device sent (a part volume of 150 L included).
    EndDialog(IDOK);
}

void CMonitorDlg::OnPaint()
{
    PAINTSTRUCT ps;
    ::BeginPaint(m_hWnd, &ps);
    // The bar moves with the read-outs: Wine's bar repaints itself at every position set,
    // which cost more than all the rest of a frame when set with each one.
    if (m_nBarPos != m_nBarShown) {
        m_FlowBar.SetPos(m_nBarPos);
        m_nBarShown = m_nBarPos;
    }
    UpdateData(FALSE);
    ::EndPaint(m_hWnd, &ps);
}

void CMonitorDlg::ShowValues()
{
    // The first frame after a pause shows at once; a stream's frames at most every
    // kShowSpacingMs, the last of them always.
    DWORD nNow = ::GetTickCount();
    if (nNow - m_nLastShown >= kShowSpacingMs) {
        m_nLastShown = nNow;
        RequestPaint();
    } else if (!m_bShowPending) {
        m_bShowPending = TRUE;
        SetTimer(kShowTimer, kShowSpacingMs - (nNow - m_nLastShown));
    }
}

void CMonitorDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kShowTimer) {
        Default();
        return;
    }
    KillTimer(kShowTimer);
    m_bShowPending = FALSE;
    m_nLastShown = ::GetTickCount();
    RequestPaint();
}

void CMonitorDlg::RequestPaint()
{
    // The window's own paint, not its controls': the paint handler hands each control its
    // value, and only a control whose value changed repaints (every control of the window
    // repainting ten times a second cost more than the rest of a frame).
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
}

void CMonitorDlg::OnRecord()
{
    // Posted: the file dialog opens from the main window's message loop, not inside the click.
    if (m_hWndMain)
        ::PostMessageA(m_hWndMain, WM_MONITOR_RECORD, 0, 0);
}

void CMonitorDlg::ShowRecording(BOOL bRecording)
{
    ::SetDlgItemTextA(m_hWnd, IDC_MON_RECORD, LoadText(bRecording ? IDS_MON_STOP_BUTTON : IDS_MON_RECORD_BUTTON));
}

void CMonitorDlg::OnDestroy()
{
    m_bShowPending = FALSE; // the window's timer goes with it
    ReleaseContexts();
    Default();
}

void CMonitorDlg::ReleaseContexts()
{
    // The contexts first, while their controls exist; the fonts they held after them.
    if (m_pErrorsDC)
        ::ReleaseDC(GetDlgItem(IDC_MON_ERRORS), m_pErrorsDC);
    if (m_pFlowDC)
        ::ReleaseDC(GetDlgItem(IDC_MON_FLOW), m_pFlowDC);
    m_pErrorsDC = nullptr;
    m_pFlowDC = nullptr;
    m_pErrorsFont.reset();
    m_pFlowFont.reset();
}

BOOL CMonitorDlg::DecodeFrame(const unsigned char* pFrame, CString& strLog)
{
    if (!::IsWindowVisible(m_hWnd))
        return FALSE;
    MonitorValues values = DecodeMonitorFrame(pFrame);
    m_nImpulseErrors = values.nImpulseErrors;
    m_nFlowRate = values.nFlowRate;
    m_strVolume.Format("%10.2f", values.dVolume);
    m_strReading1.Format("%10.2f", values.dReading1);
    m_strReading2.Format("%10.2f", values.dReading2);
    m_strDeviation.Format("%+.2f", values.dDeviation);
    m_strCounters.Format("(%d : %d)", values.nCounter1, values.nCounter2);
    m_fLitres = values.fLitres;
    m_nWholeReading = TruncateToInt(values.dWhole);

    // The bar takes every frame's flow, and shows it when the read-outs show theirs.
    m_nBarPos = m_nFlowRate > 1000 ? 1000 : m_nFlowRate;
    ShowValues();
    if (m_bChartShown) {
        // A sample a frame, nothing drawn: the chart paints on its own timer.
        ULONGLONG nNow = ::GetTickCount64();
        if (!m_nChartStart)
            m_nChartStart = nNow;
        m_Chart.AddSample({ static_cast<double>(nNow - m_nChartStart) / 1000.0, m_nFlowRate, m_nImpulseErrors });
    }

    MonitorLogRule rule{ m_nLastErrors, m_nLastFlow };
    BOOL bLog = rule.Take(m_nImpulseErrors, m_nFlowRate);
    m_nLastErrors = rule.nLastErrors;
    m_nLastFlow = rule.nLastFlow;
    if (bLog)
        strLog = FormatImpulseLine(values).c_str();
    return bLog;
}
