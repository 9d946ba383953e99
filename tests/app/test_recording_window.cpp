// A recording of the monitor reviewed in the program's own process: opened from its file in
// a window of its own with the whole recording in the chart; the span's buttons zoom about
// the middle of what is shown and the scroll bar moves the span; the window grows with its
// frame and nothing in it overlaps or is cut, in both languages (also run at 144 pixels per
// inch); windows still open go with the main window.
#include "AppTestEnvironment.h"
#include "MonitorFrame.h"
#include "RecordingDlg.h"
#include "ServiceDlg.h"

#include <doctest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
// A recording of nSeconds at nPerSecond frames a second from 14:00:00, as the monitor writes it.
std::string RecordingText(int nSeconds, int nPerSecond)
{
    std::string strText = MonitorCsvHeader();
    for (int i = 0; i <= nSeconds * nPerSecond; ++i) {
        long long nMs = 14 * 3600 * 1000LL + i * 1000LL / nPerSecond;
        char szTime[16];
        std::snprintf(szTime, sizeof szTime, "%02lld:%02lld:%02lld.%03lld", nMs / 3600000, nMs / 60000 % 60,
                      nMs / 1000 % 60, nMs % 1000);
        MonitorValues values = {};
        values.nFlowRate = i % 400;
        values.nImpulseErrors = i / 1000;
        strText += FormatMonitorCsvRow(szTime, values);
    }
    return strText;
}

struct ReviewFixture {
    // The main window in a fresh folder; the language library is chosen before (Review).
    TempFolder folder;
    CServiceDlg dlg;

    ReviewFixture()
    {
        dlg.m_nComIndex = 7; // an unmapped port: the teardown's good-bye goes nowhere
        dlg.m_nDeviceType = 0;
        dlg.Create(IDD_SERVICE_DIALOG);
        dlg.m_nComIndex = 7;
    }
    ~ReviewFixture() { dlg.DestroyWindow(); }

    // The review window of the file written with strText, opened by the main window.
    CRecordingDlg* Open(const char* pszName, const std::string& strText, const char* pszTitle)
    {
        WriteFileBytes(folder.Path(pszName), strText);
        REQUIRE(dlg.OpenRecording(folder.Path(pszName).c_str()));
        HWND hWnd = ::FindWindowA(nullptr, pszTitle);
        REQUIRE(hWnd);
        CRecordingDlg* pReview = dynamic_cast<CRecordingDlg*>(CDialog::FromHandle(hWnd));
        REQUIRE(pReview);
        return pReview;
    }
};

// The library is the resource module before the main window's object is made (its icon).
struct LibraryFirst {
    explicit LibraryFirst(const char* pszLibrary) { UseLanguageLibrary(pszLibrary); }
};

struct Review : LibraryFirst, ReviewFixture {
    explicit Review(const char* pszLibrary = "ZEV_DE.DLL") : LibraryFirst(pszLibrary) {}
};

SCROLLINFO ScrollOf(const CRecordingDlg& review)
{
    SCROLLINFO info = { sizeof info, SIF_ALL, 0, 0, 0, 0, 0 };
    ::GetScrollInfo(review.GetDlgItem(IDC_REC_SCROLL), SB_CTL, &info);
    return info;
}

void Click(const CRecordingDlg& review, int nID)
{
    ::SendMessageA(review.GetDlgItem(nID), BM_CLICK, 0, 0);
}

void Scroll(const CRecordingDlg& review, UINT nCode)
{
    ::SendMessageA(review.m_hWnd, WM_HSCROLL, nCode, reinterpret_cast<LPARAM>(review.GetDlgItem(IDC_REC_SCROLL)));
}

RECT RectOf(HWND hParent, HWND hControl)
{
    RECT rect = {};
    ::GetWindowRect(hControl, &rect);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// No two controls overlap, each lies within the client area, and each text fits its
// control in the window's font (a radio button's text beside its circle).
void CheckNothingOverlaps(const CRecordingDlg& review)
{
    RECT client = {};
    ::GetClientRect(review.m_hWnd, &client);
    std::vector<HWND> controls;
    for (HWND hChild = ::GetWindow(review.m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        controls.push_back(hChild);
    CHECK(controls.size() == 10);
    HDC hDC = ::GetDC(review.m_hWnd);
    HGDIOBJ hOldFont = ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageA(review.m_hWnd, WM_GETFONT, 0, 0)));
    for (std::size_t i = 0; i < controls.size(); ++i) {
        RECT rect = RectOf(review.m_hWnd, controls[i]);
        CAPTURE(::GetDlgCtrlID(controls[i]));
        CHECK(rect.left >= 0);
        CHECK(rect.top >= 0);
        CHECK(rect.right <= client.right);
        CHECK(rect.bottom <= client.bottom);
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            RECT other = RectOf(review.m_hWnd, controls[j]), overlap = {};
            CAPTURE(::GetDlgCtrlID(controls[j]));
            CHECK_FALSE(::IntersectRect(&overlap, &rect, &other));
        }
        char szText[128] = {};
        ::GetWindowTextA(controls[i], szText, sizeof szText);
        std::string strText;
        for (const char* p = szText; *p; ++p)
            if (*p != '&')
                strText += *p;
        char szClass[32] = {};
        ::GetClassNameA(controls[i], szClass, sizeof szClass);
        if (strText.empty() || lstrcmpiA(szClass, "Button") != 0 || ::GetDlgCtrlID(controls[i]) == IDCANCEL)
            continue;
        SIZE extent = {};
        ::GetTextExtentPoint32A(hDC, strText.c_str(), static_cast<int>(strText.size()), &extent);
        CHECK(extent.cx + ::GetSystemMetrics(SM_CXMENUCHECK) + 4 <= rect.right - rect.left);
    }
    ::SelectObject(hDC, hOldFont);
    ::ReleaseDC(review.m_hWnd, hDC);
}
}

TEST_CASE("a recording opens in a window of its own, the whole of it in the chart")
{
    Review review;
    CRecordingDlg* pReview = review.Open("hour.csv", RecordingText(3600, 25), "hour.csv - Aufzeichnung");
    CHECK(::IsWindowVisible(pReview->m_hWnd));
    CHECK(::GetWindow(pReview->m_hWnd, GW_OWNER) == review.dlg.m_hWnd); // owned: it goes with the main window
    CHECK(pReview->GetChart().GetSeries().size() == 90001u);
    CHECK(pReview->GetChart().GetSeries()[25].nFlowRate == 25);
    TimeWindow shown = pReview->GetChart().GetWindow();
    CHECK(shown.dStart == 0.0);
    CHECK(shown.dEnd == 3600.0);
    CHECK(pReview->GetSpanIndex() == 0);
    CHECK(::IsDlgButtonChecked(pReview->m_hWnd, IDC_REC_SPAN_WHOLE) == BST_CHECKED);
    CHECK_FALSE(::IsWindowEnabled(pReview->GetDlgItem(IDC_REC_SCROLL)));
    char szSummary[128] = {};
    ::GetDlgItemTextA(pReview->m_hWnd, IDC_REC_SUMMARY, szSummary, sizeof szSummary);
    CHECK(std::string(szSummary) == "90001 Frames ab 14:00:00.000, Dauer 1:00:00");
    std::string strLog(review.dlg.m_LogEdit.GetWindowText());
    CHECK(strLog.find("Aufzeichnung " + review.folder.Path("hour.csv")
                      + " geöffnet: 90001 Frames ab 14:00:00.000, Dauer 1:00:00\r\n") != std::string::npos);
}

TEST_CASE("the span's buttons zoom about the middle and the scroll bar moves the span")
{
    Review review;
    CRecordingDlg* pReview = review.Open("hour.csv", RecordingText(3600, 25), "hour.csv - Aufzeichnung");
    const CFlowChart& chart = pReview->GetChart();

    Click(*pReview, IDC_REC_SPAN_1);
    CHECK(pReview->GetSpanIndex() == 3);
    CHECK(chart.GetSpan() == 60.0);
    CHECK(::IsWindowEnabled(pReview->GetDlgItem(IDC_REC_SCROLL)));
    SCROLLINFO info = ScrollOf(*pReview);
    CHECK(info.nMin == 0);
    CHECK(info.nMax == 3599);
    CHECK(info.nPage == 60u);
    CHECK(info.nPos == 1770);
    CHECK(chart.GetWindow().dStart == 1770.0);
    CHECK(chart.GetWindow().dEnd == 1830.0);

    Scroll(*pReview, SB_PAGERIGHT);
    CHECK(ScrollOf(*pReview).nPos == 1830);
    CHECK(chart.GetWindow().dStart == 1830.0);
    Scroll(*pReview, SB_RIGHT);
    CHECK(ScrollOf(*pReview).nPos == 3540);
    CHECK(chart.GetWindow().dEnd == 3600.0);
    Scroll(*pReview, SB_LINELEFT);
    CHECK(ScrollOf(*pReview).nPos == 3534);
    Scroll(*pReview, SB_LEFT);
    CHECK(chart.GetWindow().dStart == 0.0);
    CHECK(chart.GetWindow().dEnd == 60.0);
    Scroll(*pReview, SB_ENDSCROLL); // the end of a drag moves nothing
    CHECK(ScrollOf(*pReview).nPos == 0);

    // 15 minutes about the middle of the first minute: held at the start
    Click(*pReview, IDC_REC_SPAN_15);
    CHECK(chart.GetWindow().dStart == 0.0);
    CHECK(chart.GetWindow().dEnd == 900.0);
    CHECK(ScrollOf(*pReview).nPage == 900u);
    Scroll(*pReview, SB_RIGHT);
    Click(*pReview, IDC_REC_SPAN_5);
    CHECK(chart.GetWindow().dStart == 3000.0); // 5 minutes about 3150, the middle of 2700..3600
    CHECK(chart.GetWindow().dEnd == 3300.0);

    Click(*pReview, IDC_REC_SPAN_WHOLE);
    CHECK(chart.GetSpan() == 0.0);
    CHECK(chart.GetWindow().dStart == 0.0);
    CHECK(chart.GetWindow().dEnd == 3600.0);
    CHECK_FALSE(::IsWindowEnabled(pReview->GetDlgItem(IDC_REC_SCROLL)));
}

TEST_CASE("the review window grows with its frame and nothing in it overlaps, in both languages")
{
    for (const char* pszLibrary : { "ZEV_DE.DLL", "ZEV_EN.DLL" }) {
        INFO(pszLibrary);
        Review review(pszLibrary);
        bool bGerman = pszLibrary[4] == 'D';
        CRecordingDlg* pReview = review.Open("short.csv", RecordingText(30, 4),
                                             bGerman ? "short.csv - Aufzeichnung" : "short.csv - Recording");
        CheckNothingOverlaps(*pReview);
        HWND hChart = pReview->GetDlgItem(IDC_REC_CHART);
        RECT chart = RectOf(pReview->m_hWnd, hChart);
        RECT scroll = RectOf(pReview->m_hWnd, pReview->GetDlgItem(IDC_REC_SCROLL));
        RECT close = RectOf(pReview->m_hWnd, pReview->GetDlgItem(IDCANCEL));
        RECT span = RectOf(pReview->m_hWnd, pReview->GetDlgItem(IDC_REC_SPAN_1));

        RECT frame = {}, client = {};
        ::GetWindowRect(pReview->m_hWnd, &frame);
        ::GetClientRect(pReview->m_hWnd, &client);
        ::SetWindowPos(pReview->m_hWnd, nullptr, 0, 0, frame.right - frame.left + 120, frame.bottom - frame.top + 80,
                       SWP_NOMOVE | SWP_NOZORDER);
        // what the window grew by: the screen may hold it back
        RECT larger = {};
        ::GetClientRect(pReview->m_hWnd, &larger);
        int dx = larger.right - client.right, dy = larger.bottom - client.bottom;
        CHECK(dx > 40);
        CHECK(dy > 40);
        RECT grown = RectOf(pReview->m_hWnd, hChart);
        CHECK(grown.left == chart.left);
        CHECK(grown.top == chart.top);
        CHECK(grown.right == chart.right + dx);
        CHECK(grown.bottom == chart.bottom + dy);
        RECT moved = RectOf(pReview->m_hWnd, pReview->GetDlgItem(IDC_REC_SCROLL));
        CHECK(moved.top == scroll.top + dy);
        CHECK(moved.right == scroll.right + dx);
        moved = RectOf(pReview->m_hWnd, pReview->GetDlgItem(IDCANCEL));
        CHECK(moved.left == close.left + dx);
        CHECK(moved.top == close.top + dy);
        moved = RectOf(pReview->m_hWnd, pReview->GetDlgItem(IDC_REC_SPAN_1));
        CHECK(moved.left == span.left);
        CHECK(moved.top == span.top + dy);
        CheckNothingOverlaps(*pReview);

        // no smaller than the template made it
        MINMAXINFO limits = {};
        ::SendMessageA(pReview->m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        CHECK(limits.ptMinTrackSize.x == frame.right - frame.left);
        CHECK(limits.ptMinTrackSize.y == frame.bottom - frame.top);
    }
}

TEST_CASE("each recording opens its own window; Close ends one, the main window's end the others")
{
    Review review;
    CRecordingDlg* pFirst = review.Open("a.csv", RecordingText(10, 4), "a.csv - Aufzeichnung");
    HWND hFirst = pFirst->m_hWnd;
    CRecordingDlg* pSecond = review.Open("b.csv", RecordingText(20, 4), "b.csv - Aufzeichnung");
    HWND hSecond = pSecond->m_hWnd;
    CHECK(hFirst != hSecond);
    // Enter takes no values and ends nothing; Close ends the window and its object
    ::SendMessageA(hFirst, WM_COMMAND, IDOK, 0);
    CHECK(::IsWindow(hFirst));
    Click(*pFirst, IDCANCEL);
    CHECK_FALSE(::IsWindow(hFirst));
    CHECK(::IsWindow(hSecond));
    review.dlg.DestroyWindow();
    CHECK_FALSE(::IsWindow(hSecond));
}
