#include "MonitorDlg.h"
#include "DeviceFont.h"
#include "MonitorFrame.h"
#include "ServiceMessages.h"
#include "StringFormats.h"
#include "TextGrid.h"
#include "resource.h"

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
END_MESSAGE_MAP()

CMonitorDlg::CMonitorDlg() : CDialog(IDD_MONITOR)
{
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
    m_nBarPos = 0; // where a new bar stands
    return TRUE;
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

    // The bar takes every frame's flow, as the read-outs show it; a bar that does not move
    // is left alone, since every position set repaints it.
    int nBarPos = m_nFlowRate > 1000 ? 1000 : m_nFlowRate;
    if (nBarPos != m_nBarPos) {
        m_FlowBar.SetPos(nBarPos);
        m_nBarPos = nBarPos;
    }
    ShowValues();

    MonitorLogRule rule{ m_nLastErrors, m_nLastFlow };
    BOOL bLog = rule.Take(m_nImpulseErrors, m_nFlowRate);
    m_nLastErrors = rule.nLastErrors;
    m_nLastFlow = rule.nLastFlow;
    if (bLog)
        strLog = FormatImpulseLine(values).c_str();
    return bLog;
}
