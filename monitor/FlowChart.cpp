#include "FlowChart.h"
#include "ChartAxis.h"
#include "StringFormats.h"
#include "resource.h"

#include <algorithm>
#include <cmath>

namespace {
const char kClassName[] = "ZevFlowChart";
// The window's extra bytes: the chart object, and the font the dialog gave the window
// (it may come before an object takes the window over).
const int kObjectSlot = 0;
const int kFontSlot = sizeof(LONG_PTR);
const UINT_PTR kRepaintTimer = 1;
// Live samples further apart than this are a pause: the line is broken there.
const double kGapSeconds = 2.0;
// The live series drops its old samples in batches of this much time, not a sample a frame.
const double kDropBatchSeconds = 60.0;

const COLORREF kBackground = RGB(255, 255, 255);
const COLORREF kGrid = RGB(221, 221, 221);
const COLORREF kFrame = RGB(0, 0, 0);
const COLORREF kFlowColour = RGB(0, 64, 192);
const COLORREF kErrorsColour = RGB(208, 0, 0);
const COLORREF kNoDataColour = RGB(128, 128, 128);

int TextWidth(HDC hDC, const std::string& strText)
{
    SIZE size = {};
    ::GetTextExtentPoint32A(hDC, strText.c_str(), static_cast<int>(strText.size()), &size);
    return size.cx;
}

void DrawLine(HDC hDC, int x1, int y1, int x2, int y2)
{
    ::MoveToEx(hDC, x1, y1, nullptr);
    ::LineTo(hDC, x2, y2);
}

// Text drawn with its reference point as the flags say (TA_ flags), in a colour.
void DrawLabel(HDC hDC, int x, int y, UINT nAlign, COLORREF colour, const std::string& strText)
{
    ::SetTextAlign(hDC, nAlign);
    ::SetTextColor(hDC, colour);
    ::TextOutA(hDC, x, y, strText.c_str(), static_cast<int>(strText.size()));
}

// The plot's area and scales: where a time and a value lie in pixels. The frame is drawn
// on the rectangle's edge; times and values lie inside it, so a flow of 0 stays in sight.
struct PlotArea {
    RECT rect;
    TimeWindow window;
    double dFlowTop;
    double dErrorsTop;

    int Columns() const { return rect.right - rect.left - 2; }
    int X(double dSeconds) const
    {
        double dWidth = window.dEnd - window.dStart;
        return rect.left + 1 + static_cast<int>(std::lround((dSeconds - window.dStart) / dWidth * (Columns() - 1)));
    }
    // A value on a scale whose top is dTop, held within the plot.
    int Y(double dValue, double dTop) const
    {
        double dBottom = rect.bottom - 2;
        double dY = dBottom - dValue / dTop * (dBottom - (rect.top + 1));
        dY = std::min(std::max(dY, static_cast<double>(rect.top + 1)), dBottom);
        return static_cast<int>(std::lround(dY));
    }
};

// A trace through the columns: each column's first, lowest, highest and last value, so a
// spike inside a column still shows; broken where the samples pause.
template <typename Values>
void DrawTrace(HDC hDC, const PlotArea& plot, const std::vector<FlowColumn>& columns, double dTop, Values values)
{
    std::vector<POINT> points;
    points.reserve(columns.size() * 4);
    double dColumnSeconds = (plot.window.dEnd - plot.window.dStart) / std::max<size_t>(columns.size(), 1);
    int nLastColumn = -1;
    auto flush = [&]() {
        if (points.size() == 1)
            points.push_back(points.front()); // a single sample: a dot
        if (!points.empty())
            ::Polyline(hDC, points.data(), static_cast<int>(points.size()));
        points.clear();
    };
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].bEmpty)
            continue;
        if (nLastColumn >= 0 && (static_cast<int>(i) - nLastColumn - 1) * dColumnSeconds > kGapSeconds)
            flush();
        int nFirst, nLast, nMin, nMax;
        values(columns[i], nFirst, nLast, nMin, nMax);
        LONG x = plot.rect.left + 1 + static_cast<LONG>(i);
        points.push_back({ x, plot.Y(nFirst, dTop) });
        if (nMin != nMax) {
            bool bFallsFirst = nLast < nFirst;
            points.push_back({ x, plot.Y(bFallsFirst ? nMax : nMin, dTop) });
            points.push_back({ x, plot.Y(bFallsFirst ? nMin : nMax, dTop) });
        }
        points.push_back({ x, plot.Y(nLast, dTop) });
        nLastColumn = static_cast<int>(i);
    }
    flush();
}
}

CFlowChart::CFlowChart() = default;

CFlowChart::~CFlowChart()
{
    if (m_hWnd) {
        ::SetWindowLongPtrA(m_hWnd, kObjectSlot, 0);
        m_hWnd = nullptr;
    }
    ReleaseBitmap();
}

BOOL CFlowChart::RegisterWindowClass()
{
    HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExA(hInstance, kClassName, &wc))
        return TRUE;
    wc.cbSize = sizeof wc;
    // Global: the dialog templates that name it are in the language library, not this module.
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = &CFlowChart::ChartProc;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR);
    wc.hInstance = hInstance;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    return ::RegisterClassExA(&wc) != 0;
}

BOOL CFlowChart::Create(HWND hWndParent, const RECT& rect, UINT nID)
{
    if (!RegisterWindowClass())
        return FALSE;
    HWND hWnd = ::CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, hWndParent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), ::GetModuleHandleA(nullptr), nullptr);
    if (!hWnd)
        return FALSE;
    ::SendMessageA(hWnd, WM_SETFONT, ::SendMessageA(hWndParent, WM_GETFONT, 0, 0), FALSE);
    return Attach(hWnd);
}

BOOL CFlowChart::Attach(HWND hWnd)
{
    char szClass[32] = {};
    if (!hWnd || !::GetClassNameA(hWnd, szClass, sizeof szClass) || lstrcmpiA(szClass, kClassName) != 0)
        return FALSE;
    m_hWnd = hWnd;
    ::SetWindowLongPtrA(hWnd, kObjectSlot, reinterpret_cast<LONG_PTR>(this));
    m_bChanged = TRUE;
    Invalidate();
    return TRUE;
}

void CFlowChart::SetSeries(std::vector<FlowSample> series)
{
    m_series = std::move(series);
    m_bChanged = TRUE;
    Redraw();
}

void CFlowChart::AddSample(const FlowSample& sample)
{
    m_series.push_back(sample);
    if (m_dKeepSeconds > 0 && sample.dSeconds - m_series.front().dSeconds > m_dKeepSeconds + kDropBatchSeconds)
        DropOldSamples(m_series, m_dKeepSeconds);
    m_bChanged = TRUE;
    // The timer paints what came since; a chart already waiting for it has nothing to do.
    if (m_hWnd && !m_bTimerRunning) {
        m_bTimerRunning = ::SetTimer(m_hWnd, kRepaintTimer, kRepaintMs, nullptr) != 0;
        if (!m_bTimerRunning)
            Invalidate();
    }
}

void CFlowChart::Clear()
{
    m_series.clear();
    m_bChanged = TRUE;
    Invalidate();
}

void CFlowChart::SetSpan(double dSpan)
{
    m_dSpan = dSpan > 0 ? dSpan : 0.0;
    m_bChanged = TRUE;
    Redraw();
}

void CFlowChart::SetEndTime(double dEnd)
{
    m_dEnd = dEnd;
    m_bChanged = TRUE;
    Redraw();
}

TimeWindow CFlowChart::GetWindow() const
{
    return ChartWindow(m_series, m_dSpan, m_dEnd);
}

void CFlowChart::Redraw()
{
    if (!m_hWnd)
        return;
    Invalidate();
    ::UpdateWindow(m_hWnd);
}

void CFlowChart::Invalidate()
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CFlowChart::ReleaseBitmap()
{
    if (m_hMemDC) {
        ::SelectObject(m_hMemDC, m_hOldBitmap);
        ::DeleteDC(m_hMemDC);
    }
    if (m_hBitmap)
        ::DeleteObject(m_hBitmap);
    m_hMemDC = nullptr;
    m_hBitmap = nullptr;
    m_hOldBitmap = nullptr;
    m_pBits = nullptr;
    m_cxBitmap = m_cyBitmap = 0;
}

void CFlowChart::Render()
{
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    int cx = client.right;
    int cy = client.bottom;
    if (cx <= 0 || cy <= 0)
        return;
    if (cx != m_cxBitmap || cy != m_cyBitmap || !m_hMemDC) {
        ReleaseBitmap();
        HDC hWindowDC = ::GetDC(m_hWnd);
        m_hMemDC = ::CreateCompatibleDC(hWindowDC);
        ::ReleaseDC(m_hWnd, hWindowDC);
        // A DIB of its own, top-down and 32 bits a pixel: what a PNG takes without a conversion.
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
        bmi.bmiHeader.biWidth = cx;
        bmi.bmiHeader.biHeight = -cy;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* pBits = nullptr;
        m_hBitmap = ::CreateDIBSection(m_hMemDC, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
        if (!m_hMemDC || !m_hBitmap) {
            ReleaseBitmap();
            return;
        }
        m_pBits = static_cast<unsigned char*>(pBits);
        m_hOldBitmap = ::SelectObject(m_hMemDC, m_hBitmap);
        m_cxBitmap = cx;
        m_cyBitmap = cy;
    }
    m_bChanged = FALSE;
    HDC hDC = m_hMemDC;
    HBRUSH hBackground = ::CreateSolidBrush(kBackground);
    ::FillRect(hDC, &client, hBackground);
    ::DeleteObject(hBackground);

    HFONT hFont = reinterpret_cast<HFONT>(::GetWindowLongPtrA(m_hWnd, kFontSlot));
    HGDIOBJ hOldFont = ::SelectObject(hDC, hFont ? static_cast<HGDIOBJ>(hFont) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(hDC, TRANSPARENT);
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(hDC, &tm);
    int nLine = tm.tmHeight;
    int nGap = std::max(2, static_cast<int>(nLine / 3));
    int nDpi = ::GetDeviceCaps(hDC, LOGPIXELSY);

    // The scales follow the highest values in the window.
    TimeWindow window = GetWindow();
    SampleRange range = SamplesInWindow(m_series, window);
    int nHighestFlow = 0;
    int nHighestErrors = 0;
    for (size_t i = range.nFirst; i < range.nEnd; ++i) {
        nHighestFlow = std::max(nHighestFlow, m_series[i].nFlowRate);
        nHighestErrors = std::max(nHighestErrors, m_series[i].nImpulseErrors);
    }
    ValueAxis flowAxis = ValueAxisFor(nHighestFlow);
    ValueAxis errorsAxis = ValueAxisFor(nHighestErrors);
    TimeAxis timeAxis = TimeAxisFor(window.dEnd - window.dStart);

    int nFlowLabels = 0;
    for (int i = 0; i <= flowAxis.nSteps; ++i)
        nFlowLabels = std::max(nFlowLabels, TextWidth(hDC, FormatValueLabel(i * flowAxis.dStep, flowAxis.dStep)));
    int nErrorLabels = 0;
    for (int i = 0; i <= errorsAxis.nSteps; ++i)
        nErrorLabels = std::max(nErrorLabels, TextWidth(hDC, FormatValueLabel(i * errorsAxis.dStep, errorsAxis.dStep)));
    // Room for the last time label, centred on the plot's right edge.
    int nTimeLabel = TextWidth(hDC, FormatTimeLabel(window.dEnd, timeAxis));

    PlotArea plot{ { nFlowLabels + 2 * nGap, nLine + 2 * nGap,
                     cx - std::max(nErrorLabels + 2 * nGap, nTimeLabel / 2 + nGap), cy - nLine - 2 * nGap },
                   window, flowAxis.Top(), errorsAxis.Top() };
    CString strFlow = LoadText(IDS_CHART_FLOW);
    CString strErrors = LoadText(IDS_CHART_ERRORS);
    DrawLabel(hDC, plot.rect.left, nGap / 2, TA_LEFT | TA_TOP, kFlowColour, strFlow.GetString());
    DrawLabel(hDC, cx - nGap, nGap / 2, TA_RIGHT | TA_TOP, kErrorsColour, strErrors.GetString());
    if (plot.rect.right - plot.rect.left < 8 || plot.rect.bottom - plot.rect.top < 8) {
        ::SelectObject(hDC, hOldFont);
        return; // too small for a plot: the legend alone
    }

    // The grid: a line at each value step, the flow's labels at the left; a tick at each of
    // the errors' steps at the right with its label; a line at each time step.
    HPEN hGridPen = ::CreatePen(PS_SOLID, 1, kGrid);
    HGDIOBJ hOldPen = ::SelectObject(hDC, hGridPen);
    for (int i = 0; i <= flowAxis.nSteps; ++i) {
        int y = plot.Y(i * flowAxis.dStep, plot.dFlowTop);
        if (i > 0 && i < flowAxis.nSteps) // the frame is the first and the last
            DrawLine(hDC, plot.rect.left, y, plot.rect.right, y);
        DrawLabel(hDC, plot.rect.left - nGap, y - nLine / 2, TA_RIGHT | TA_TOP, kFrame,
                 FormatValueLabel(i * flowAxis.dStep, flowAxis.dStep));
    }
    double dFirstTick = std::ceil(window.dStart / timeAxis.dStep - 1e-9) * timeAxis.dStep;
    for (double t = dFirstTick; t <= window.dEnd + 1e-9; t += timeAxis.dStep) {
        int x = plot.X(t);
        DrawLine(hDC, x, plot.rect.top, x, plot.rect.bottom);
        DrawLabel(hDC, x, plot.rect.bottom + nGap / 2, TA_CENTER | TA_TOP, kFrame, FormatTimeLabel(t, timeAxis));
    }
    HPEN hFramePen = ::CreatePen(PS_SOLID, 1, kFrame);
    ::SelectObject(hDC, hFramePen);
    ::SelectObject(hDC, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(hDC, plot.rect.left, plot.rect.top, plot.rect.right, plot.rect.bottom);
    HPEN hErrorsTickPen = ::CreatePen(PS_SOLID, 1, kErrorsColour);
    ::SelectObject(hDC, hErrorsTickPen);
    for (int i = 0; i <= errorsAxis.nSteps; ++i) {
        int y = plot.Y(i * errorsAxis.dStep, plot.dErrorsTop);
        DrawLine(hDC, plot.rect.right, y, plot.rect.right + nGap, y);
        DrawLabel(hDC, plot.rect.right + nGap + 1, y - nLine / 2, TA_LEFT | TA_TOP, kErrorsColour,
                 FormatValueLabel(i * errorsAxis.dStep, errorsAxis.dStep));
    }

    // The traces, inside the frame: the errors first, thin, the flow over them.
    std::vector<FlowColumn> columns = DecimateToColumns(m_series, range, window, plot.Columns());
    ::IntersectClipRect(hDC, plot.rect.left + 1, plot.rect.top + 1, plot.rect.right - 1, plot.rect.bottom - 1);
    int nErrorsWidth = std::max(1, ::MulDiv(1, nDpi, 96));
    HPEN hErrorsPen = ::CreatePen(PS_SOLID, nErrorsWidth, kErrorsColour);
    ::SelectObject(hDC, hErrorsPen);
    DrawTrace(hDC, plot, columns, plot.dErrorsTop, [](const FlowColumn& c, int& nFirst, int& nLast, int& nMin, int& nMax) {
        nFirst = c.nFirstErrors;
        nLast = c.nLastErrors;
        nMin = c.nMinErrors;
        nMax = c.nMaxErrors;
    });
    HPEN hFlowPen = ::CreatePen(PS_SOLID, std::max(2, ::MulDiv(2, nDpi, 96)), kFlowColour);
    ::SelectObject(hDC, hFlowPen);
    DrawTrace(hDC, plot, columns, plot.dFlowTop, [](const FlowColumn& c, int& nFirst, int& nLast, int& nMin, int& nMax) {
        nFirst = c.nFirstFlow;
        nLast = c.nLastFlow;
        nMin = c.nMinFlow;
        nMax = c.nMaxFlow;
    });
    ::SelectClipRgn(hDC, nullptr);
    if (range.nFirst == range.nEnd) {
        CString strNoData = LoadText(IDS_CHART_NO_VALUES);
        DrawLabel(hDC, (plot.rect.left + plot.rect.right) / 2, (plot.rect.top + plot.rect.bottom - nLine) / 2,
                 TA_CENTER | TA_TOP, kNoDataColour, strNoData.GetString());
    }

    ::SelectObject(hDC, hOldPen);
    ::SelectObject(hDC, hOldFont);
    ::DeleteObject(hGridPen);
    ::DeleteObject(hFramePen);
    ::DeleteObject(hErrorsTickPen);
    ::DeleteObject(hErrorsPen);
    ::DeleteObject(hFlowPen);
}

LRESULT CALLBACK CFlowChart::ChartProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETFONT:
        ::SetWindowLongPtrA(hWnd, kFontSlot, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam))
            ::InvalidateRect(hWnd, nullptr, FALSE);
        break;
    case WM_GETFONT:
        return ::GetWindowLongPtrA(hWnd, kFontSlot);
    case WM_ERASEBKGND:
        return 1; // the bitmap covers the window
    default:
        break;
    }
    CFlowChart* pChart = reinterpret_cast<CFlowChart*>(::GetWindowLongPtrA(hWnd, kObjectSlot));
    if (pChart && pChart->m_hWnd == hWnd)
        return pChart->OnMessage(message, wParam, lParam);
    if (message == WM_PAINT) {
        // No object yet: the background alone.
        PAINTSTRUCT ps;
        HDC hDC = ::BeginPaint(hWnd, &ps);
        HBRUSH hBrush = ::CreateSolidBrush(kBackground);
        ::FillRect(hDC, &ps.rcPaint, hBrush);
        ::DeleteObject(hBrush);
        ::EndPaint(hWnd, &ps);
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

LRESULT CFlowChart::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hDC = ::BeginPaint(m_hWnd, &ps);
        RECT client = {};
        ::GetClientRect(m_hWnd, &client);
        if (m_bChanged || client.right != m_cxBitmap || client.bottom != m_cyBitmap)
            Render();
        if (m_hMemDC)
            ::BitBlt(hDC, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                     ps.rcPaint.bottom - ps.rcPaint.top, m_hMemDC, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client = {};
        ::GetClientRect(m_hWnd, &client);
        if (m_bChanged || client.right != m_cxBitmap || client.bottom != m_cyBitmap)
            Render();
        if (m_hMemDC)
            ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, m_cxBitmap, m_cyBitmap, m_hMemDC, 0, 0, SRCCOPY);
        return 0;
    }
    case WM_SIZE:
        m_bChanged = TRUE;
        Invalidate();
        return 0;
    case WM_TIMER:
        if (wParam != kRepaintTimer)
            break;
        // Samples came since the last paint: one paint for all of them. A quiet stretch
        // ends the timer; the next sample sets it again.
        if (m_bChanged) {
            Invalidate();
        } else {
            ::KillTimer(m_hWnd, kRepaintTimer);
            m_bTimerRunning = FALSE;
        }
        return 0;
    case WM_NCDESTROY:
        ::SetWindowLongPtrA(m_hWnd, kObjectSlot, 0);
        m_hWnd = nullptr;
        m_bTimerRunning = FALSE;
        ReleaseBitmap();
        m_bChanged = TRUE;
        return 0;
    default:
        break;
    }
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}
