#include "RecordingDlg.h"
#include "RecordingView.h"
#include "ServiceDlg.h"
#include "StringFormats.h"
#include "resource.h"

namespace {
const int kSpanButtons[kReviewSpanCount] = { IDC_REC_SPAN_WHOLE, IDC_REC_SPAN_15, IDC_REC_SPAN_5, IDC_REC_SPAN_1 };

// The file's name without its folder, for the title.
CString FileName(const CString& strPath)
{
    std::string strFull(strPath.GetString());
    std::size_t nSlash = strFull.find_last_of("\\/");
    return nSlash == std::string::npos ? strPath : CString(strFull.substr(nSlash + 1).c_str());
}

ReviewScrollRequest RequestOf(UINT nCode)
{
    switch (nCode) {
    case SB_LINELEFT:  return ReviewScrollRequest::LineBack;
    case SB_LINERIGHT: return ReviewScrollRequest::LineOn;
    case SB_PAGELEFT:  return ReviewScrollRequest::PageBack;
    case SB_PAGERIGHT: return ReviewScrollRequest::PageOn;
    case SB_LEFT:      return ReviewScrollRequest::Start;
    case SB_RIGHT:     return ReviewScrollRequest::End;
    default:           return ReviewScrollRequest::Track;
    }
}
}

BEGIN_MESSAGE_MAP(CRecordingDlg, CDialog)
    ON_MESSAGE(WM_SIZE, &CRecordingDlg::OnSize)
    ON_MESSAGE(WM_GETMINMAXINFO, &CRecordingDlg::OnGetMinMaxInfo)
    ON_MESSAGE(WM_HSCROLL, &CRecordingDlg::OnHScroll)
    ON_BN_CLICKED(IDC_REC_SPAN_WHOLE, &CRecordingDlg::OnSpan)
    ON_BN_CLICKED(IDC_REC_SPAN_15, &CRecordingDlg::OnSpan)
    ON_BN_CLICKED(IDC_REC_SPAN_5, &CRecordingDlg::OnSpan)
    ON_BN_CLICKED(IDC_REC_SPAN_1, &CRecordingDlg::OnSpan)
    ON_BN_CLICKED(IDC_REC_SAVE_CHART, &CRecordingDlg::OnSaveChart)
END_MESSAGE_MAP()

CRecordingDlg::CRecordingDlg(CServiceDlg* pMain, const CString& strPath, std::vector<FlowSample> samples,
                             const CString& strSummary)
    : CDialog(IDD_RECORDING), m_pMain(pMain), m_strPath(strPath), m_strSummary(strSummary),
      m_samples(std::move(samples))
{
    if (!m_samples.empty())
        m_dDuration = m_samples.back().dSeconds;
    // The template names the chart's class: it must be known before the window is made.
    CFlowChart::RegisterWindowClass();
}

BOOL CRecordingDlg::Open(CWnd* pOwner)
{
    if (!Create(IDD_RECORDING, pOwner))
        return FALSE;
    ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

BOOL CRecordingDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(FormatById(IDS_REC_TITLE, "s", FileName(m_strPath).GetString()));
    ::SetDlgItemTextA(m_hWnd, IDC_REC_SUMMARY, m_strSummary);
    TakeLayout();
    m_Chart.Attach(GetDlgItem(IDC_REC_CHART));
    m_Chart.SetSeries(std::move(m_samples));
    ::CheckRadioButton(m_hWnd, kSpanButtons[0], kSpanButtons[kReviewSpanCount - 1], kSpanButtons[0]);
    ShowSpan(0);
    return TRUE;
}

void CRecordingDlg::OnOK()
{
}

void CRecordingDlg::OnCancel()
{
    DestroyWindow();
}

void CRecordingDlg::PostNcDestroy()
{
    delete this;
}

void CRecordingDlg::TakeLayout()
{
    RECT client;
    GetClientRect(&client);
    m_templateClient = { client.right, client.bottom };
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    m_minTrack = { window.right - window.left, window.bottom - window.top };
    const Anchor anchors[] = {
        { IDC_REC_CHART,      true,  true,  false, false, {} },
        { IDC_REC_SCROLL,     true,  false, false, true,  {} },
        { IDC_REC_SPAN_LABEL, false, false, false, true,  {} },
        { IDC_REC_SPAN_WHOLE, false, false, false, true,  {} },
        { IDC_REC_SPAN_15,    false, false, false, true,  {} },
        { IDC_REC_SPAN_5,     false, false, false, true,  {} },
        { IDC_REC_SPAN_1,     false, false, false, true,  {} },
        { IDC_REC_SUMMARY,    true,  false, false, true,  {} },
        { IDC_REC_SAVE_CHART, false, false, true,  true,  {} },
        { IDCANCEL,           false, false, true,  true,  {} },
    };
    for (Anchor anchor : anchors) {
        HWND hControl = GetDlgItem(anchor.nID);
        if (!hControl)
            continue;
        ::GetWindowRect(hControl, &anchor.rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&anchor.rect), 2);
        m_layout.push_back(anchor);
    }
}

void CRecordingDlg::PlaceControls(int cx, int cy)
{
    // The window is never smaller than the template (OnGetMinMaxInfo); a frame drawn
    // smaller by the system is taken as it is.
    int dx = cx - m_templateClient.cx;
    int dy = cy - m_templateClient.cy;
    HDWP hPlaces = ::BeginDeferWindowPos(static_cast<int>(m_layout.size()));
    for (const Anchor& anchor : m_layout) {
        RECT rect = anchor.rect;
        if (anchor.bMoveX)
            ::OffsetRect(&rect, dx, 0);
        if (anchor.bMoveY)
            ::OffsetRect(&rect, 0, dy);
        if (anchor.bGrowX)
            rect.right += dx;
        if (anchor.bGrowY)
            rect.bottom += dy;
        if (hPlaces)
            hPlaces = ::DeferWindowPos(hPlaces, GetDlgItem(anchor.nID), nullptr, rect.left, rect.top,
                                       rect.right - rect.left, rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (hPlaces)
        ::EndDeferWindowPos(hPlaces);
    // Controls moved over what the window drew before: it is drawn anew.
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT CRecordingDlg::OnSize(WPARAM wParam, LPARAM lParam)
{
    if (wParam != SIZE_MINIMIZED && !m_layout.empty())
        PlaceControls(LOWORD(lParam), HIWORD(lParam));
    return 0;
}

LRESULT CRecordingDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam)
{
    MINMAXINFO* pInfo = reinterpret_cast<MINMAXINFO*>(lParam);
    if (m_minTrack.cx > 0) {
        pInfo->ptMinTrackSize.x = m_minTrack.cx;
        pInfo->ptMinTrackSize.y = m_minTrack.cy;
    }
    return 0;
}

LRESULT CRecordingDlg::OnHScroll(WPARAM wParam, LPARAM lParam)
{
    HWND hScroll = reinterpret_cast<HWND>(lParam);
    UINT nCode = LOWORD(wParam);
    if (hScroll != GetDlgItem(IDC_REC_SCROLL) || nCode == SB_ENDSCROLL)
        return 0;
    SCROLLINFO info = { sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0 };
    ::GetScrollInfo(hScroll, SB_CTL, &info);
    ReviewScroll scroll = ReviewScrollFor(m_dDuration, kReviewSpans[m_nSpan]);
    ShowSpan(ReviewScrollTo(RequestOf(nCode), m_nPos, info.nTrackPos, scroll));
    return 0;
}

void CRecordingDlg::OnSpan()
{
    int nSpan = m_nSpan;
    for (int i = 0; i < kReviewSpanCount; ++i) {
        if (::IsDlgButtonChecked(m_hWnd, kSpanButtons[i]) == BST_CHECKED)
            nSpan = i;
    }
    if (nSpan == m_nSpan)
        return;
    TimeWindow shown = m_Chart.GetWindow();
    m_nSpan = nSpan;
    ShowSpan(ReviewPosForNewSpan(shown, m_dDuration, kReviewSpans[nSpan]));
}

void CRecordingDlg::ShowSpan(int nPos)
{
    double dSpan = kReviewSpans[m_nSpan];
    ReviewScroll scroll = ReviewScrollFor(m_dDuration, dSpan);
    m_nPos = ReviewScrollTo(ReviewScrollRequest::Track, 0, nPos, scroll);
    HWND hScroll = GetDlgItem(IDC_REC_SCROLL);
    SCROLLINFO info = { sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, scroll.nMax,
                        static_cast<UINT>(scroll.nPage), m_nPos, 0 };
    ::SetScrollInfo(hScroll, SB_CTL, &info, TRUE);
    ::EnableWindow(hScroll, scroll.bEnabled);
    m_Chart.SetEndTime(dSpan > 0 ? ReviewEndAt(m_nPos, m_dDuration, dSpan) : -1.0);
    m_Chart.SetSpan(dSpan);
}

void CRecordingDlg::OnSaveChart()
{
    CString strFilter;
    strFilter.Format("%s (*.PNG)|*.PNG|%s (*.*)|*.*||", LoadText(IDS_PNG_FILES).GetString(),
                     LoadText(IDS_ALL_FILES).GetString());
    CFileDialog dlg(FALSE, "PNG", "*.PNG", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, strFilter, this);
    if (dlg.DoModal() != IDOK)
        return;
    CString strPath = dlg.GetPathName();
    CString strError;
    if (m_Chart.SaveAsPng(strPath, strError))
        m_pMain->LogByIdText(IDS_CHART_SAVED, strPath);
    else
        m_pMain->ReportFileFailure(FormatTwoTexts(IDS_CHART_SAVE_FAILED, strPath, strError));
}
