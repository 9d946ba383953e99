// The monitor window's chart in the program's own process: the chart and the controls below
// it lie clear of the read-outs and of each other and inside the window, their texts fit,
// in both languages and at every resolution the tests run at (app_unit at 96,
// app_monitor_chart_144dpi at 144 pixels per inch); the chart takes what the window grows
// by and the window shrinks no further than its template; a PNG saved is the chart's size.
#include "AppTestEnvironment.h"
#include "MonitorDlg.h"
#include "resource.h"

#include <doctest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {
std::string ClassOf(HWND hWnd)
{
    char szClass[64] = {};
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    return szClass;
}

// A static text's or a button's text, as drawn in its font (a mnemonic's '&' is none).
int TextWidth(HWND hControl)
{
    char szText[256] = {};
    ::GetWindowTextA(hControl, szText, sizeof szText);
    std::string strDrawn;
    for (const char* p = szText; *p; ++p) {
        if (*p == '&' && p[1])
            ++p;
        strDrawn += *p;
    }
    HDC hDC = ::GetDC(hControl);
    HGDIOBJ hOld = ::SelectObject(hDC, reinterpret_cast<HGDIOBJ>(::SendMessageA(hControl, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    ::GetTextExtentPoint32A(hDC, strDrawn.c_str(), static_cast<int>(strDrawn.size()), &extent);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hControl, hDC);
    return extent.cx;
}

// Every visible control inside the client area, no two overlapping, the texts of static
// texts and buttons within their controls.
void CheckLayout(HWND hDlg)
{
    RECT client = {};
    ::GetClientRect(hDlg, &client);
    std::vector<std::pair<int, RECT>> controls;
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(hChild))
            continue;
        int nID = ::GetDlgCtrlID(hChild);
        RECT rect = RectIn(hDlg, hChild);
        CAPTURE(nID);
        CHECK(rect.left >= 0);
        CHECK(rect.top >= 0);
        CHECK(rect.right <= client.right);
        CHECK(rect.bottom <= client.bottom);
        std::string strClass = ClassOf(hChild);
        if (strClass == "Static" || strClass == "Button") {
            // a button's text keeps clear of its edges
            int nMargin = strClass == "Button" ? 4 : 0;
            CHECK(TextWidth(hChild) + nMargin <= rect.right - rect.left);
        }
        controls.emplace_back(nID, rect);
    }
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            RECT overlap = {};
            CAPTURE(controls[i].first);
            CAPTURE(controls[j].first);
            CHECK_FALSE(::IntersectRect(&overlap, &controls[i].second, &controls[j].second));
        }
    }
}

SIZE ClientSize(HWND hWnd)
{
    RECT rect = {};
    ::GetClientRect(hWnd, &rect);
    return { rect.right, rect.bottom };
}

// The width and height a PNG file's header gives.
SIZE PngSize(const std::string& strPath)
{
    unsigned char header[24] = {};
    FILE* pFile = std::fopen(strPath.c_str(), "rb");
    if (!pFile)
        return {};
    size_t nRead = std::fread(header, 1, sizeof header, pFile);
    std::fclose(pFile);
    if (nRead != sizeof header || std::string(reinterpret_cast<char*>(header) + 12, 4) != "IHDR")
        return {};
    auto number = [&](int nAt) {
        return static_cast<LONG>(header[nAt] << 24 | header[nAt + 1] << 16 | header[nAt + 2] << 8 | header[nAt + 3]);
    };
    return { number(16), number(20) };
}
}

TEST_CASE("the monitor's chart lies clear of the read-outs and takes the room the window grows by, in both languages")
{
    for (const char* pszLibrary : { "ZEV_DE.DLL", "ZEV_EN.DLL" }) {
        INFO(pszLibrary);
        UseLanguageLibrary(pszLibrary);
        CMonitorDlg dlg;
        REQUIRE(dlg.Create(IDD_MONITOR));
        dlg.ShowWindow(SW_SHOWNORMAL);
        HWND hChart = dlg.GetDlgItem(IDC_MON_CHART);
        REQUIRE(hChart != nullptr);
        CHECK(ClassOf(hChart) == "ZevFlowChart");
        CHECK(dlg.m_Chart.m_hWnd == hChart);
        SIZE chart = ClientSize(hChart);
        CHECK(chart.cx > 200);
        CHECK(chart.cy > 150);
        {
            INFO("as made");
            CheckLayout(dlg.m_hWnd);
        }

        // Grown: the chart by as much as the window, the save button along the right edge.
        RECT window = {};
        ::GetWindowRect(dlg.m_hWnd, &window);
        SIZE made = { window.right - window.left, window.bottom - window.top };
        RECT save = RectIn(dlg.m_hWnd, dlg.GetDlgItem(IDC_MON_SAVE_CHART));
        SIZE client = ClientSize(dlg.m_hWnd);
        // As far as the screen lets a window grow, up to 300 by 200 pixels.
        int nGrowX = std::min<int>(300, ::GetSystemMetrics(SM_CXMAXTRACK) - made.cx);
        int nGrowY = std::min<int>(200, ::GetSystemMetrics(SM_CYMAXTRACK) - made.cy);
        REQUIRE(nGrowX > 20);
        REQUIRE(nGrowY > 20);
        ::SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, made.cx + nGrowX, made.cy + nGrowY, SWP_NOMOVE | SWP_NOZORDER);
        SIZE grown = ClientSize(hChart);
        CHECK(grown.cx == chart.cx + nGrowX);
        CHECK(grown.cy == chart.cy + nGrowY);
        RECT saveGrown = RectIn(dlg.m_hWnd, dlg.GetDlgItem(IDC_MON_SAVE_CHART));
        CHECK(client.cx - save.right == ClientSize(dlg.m_hWnd).cx - saveGrown.right);
        CHECK(saveGrown.top == save.top + nGrowY);
        {
            INFO("grown");
            CheckLayout(dlg.m_hWnd);
        }

        // Shrunk below its template: held at the size it was made.
        ::SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, made.cx / 2, made.cy / 2, SWP_NOMOVE | SWP_NOZORDER);
        ::GetWindowRect(dlg.m_hWnd, &window);
        CHECK(window.right - window.left == made.cx);
        CHECK(window.bottom - window.top == made.cy);
        CHECK(ClientSize(hChart).cx == chart.cx);
        {
            INFO("shrunk");
            CheckLayout(dlg.m_hWnd);
        }

        // The chart saved is the chart's size, grown or not.
        ::SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, made.cx + nGrowX / 2, made.cy + nGrowY / 2, SWP_NOMOVE | SWP_NOZORDER);
        dlg.m_Chart.SetSeries({ { 0, 0, 0 }, { 1, 50, 0 }, { 2, 120, 1 }, { 3, 120, 2 } });
        char szFolder[MAX_PATH] = {};
        ::GetTempPathA(sizeof szFolder, szFolder);
        std::string strPath = std::string(szFolder) + "zev_chart_size.png";
        CString strError;
        REQUIRE(dlg.m_Chart.SaveAsPng(strPath.c_str(), strError));
        SIZE png = PngSize(strPath);
        CHECK(png.cx == ClientSize(hChart).cx);
        CHECK(png.cy == ClientSize(hChart).cy);
        ::DeleteFileA(strPath.c_str());
        dlg.DestroyWindow();
        CHECK(dlg.m_Chart.m_hWnd == nullptr);
        // A chart without its window says so and writes nothing.
        CHECK_FALSE(dlg.m_Chart.SaveAsPng(strPath.c_str(), strError));
        CHECK_FALSE(strError.IsEmpty());
        CHECK(::GetFileAttributesA(strPath.c_str()) == INVALID_FILE_ATTRIBUTES);
    }
    UseLanguageLibrary();
}

namespace {
WNDPROC g_pChartProc = nullptr;
int g_nChartPaints = 0;

LRESULT CALLBACK CountingChartProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
        ++g_nChartPaints;
    return ::CallWindowProcA(g_pChartProc, hWnd, message, wParam, lParam);
}

void PumpFor(DWORD nMs)
{
    DWORD nEnd = ::GetTickCount() + nMs;
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(1);
    } while (static_cast<int>(nEnd - ::GetTickCount()) > 0);
}
}

TEST_CASE("the monitor's chart paints at most four times a second, however fast the samples come")
{
    UseLanguageLibrary();
    CMonitorDlg dlg;
    REQUIRE(dlg.Create(IDD_MONITOR));
    dlg.ShowWindow(SW_SHOWNORMAL);
    HWND hChart = dlg.GetDlgItem(IDC_MON_CHART);
    PumpFor(100); // the first paint, of the window's showing
    g_pChartProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hChart, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingChartProc)));
    g_nChartPaints = 0;
    // A thousand samples a second for two seconds, the messages handled between them: a
    // machine that is slow here paints less often, never more.
    DWORD nStart = ::GetTickCount();
    for (int i = 0; i < 2000; ++i) {
        dlg.m_Chart.AddSample({ i / 1000.0, i % 300, i / 100 });
        if (i % 20 == 0)
            PumpFor(20);
    }
    PumpFor(600); // the timer paints what came last, then stops
    DWORD nElapsed = ::GetTickCount() - nStart;
    CHECK(g_nChartPaints >= 1);
    CHECK(g_nChartPaints <= static_cast<int>(nElapsed / CFlowChart::kRepaintMs) + 2);
    int nPaints = g_nChartPaints;
    PumpFor(600); // nothing new: no paint
    CHECK(g_nChartPaints == nPaints);
    CHECK(dlg.m_Chart.GetSeries().size() == 2000);
    ::SetWindowLongPtrA(hChart, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_pChartProc));
    dlg.DestroyWindow();
}
