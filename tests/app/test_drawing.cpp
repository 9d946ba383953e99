// The version text, the text grid, fonts sized in tenths of a point, and the about box
// that shows the version.
#include "AboutDlg.h"
#include "AppTestEnvironment.h"
#include "DeviceFont.h"
#include "TextGrid.h"
#include "VersionString.h"
#include "resource.h"
#include "commit.h"

#include <doctest.h>

namespace {
std::string VersionOf(const std::string& path)
{
    CString text;
    GetVersionString(text, path.c_str());
    return std::string(text);
}

LOGFONTA FontOf(const CDeviceFont& font)
{
    LOGFONTA logFont = {};
    ::GetObjectA(font.m_hFont, sizeof logFont, &logFont);
    return logFont;
}

// A memory context on a white 32-bit bitmap, for drawing that can be read back.
struct Canvas {
    HDC hDC = ::CreateCompatibleDC(nullptr);
    HBITMAP hBitmap = nullptr;
    HGDIOBJ hOld = nullptr;
    DWORD* pBits = nullptr;
    int cx, cy;

    Canvas(int width, int height) : cx(width), cy(height)
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader = { sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB };
        hBitmap = ::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, reinterpret_cast<void**>(&pBits), nullptr, 0);
        hOld = ::SelectObject(hDC, hBitmap);
        RECT all = { 0, 0, width, height };
        ::FillRect(hDC, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::GdiFlush();
    }
    ~Canvas()
    {
        ::SelectObject(hDC, hOld);
        ::DeleteObject(hBitmap);
        ::DeleteDC(hDC);
    }
    // The box around every pixel that is no longer white.
    RECT Inked() const
    {
        ::GdiFlush();
        RECT box = { cx, cy, -1, -1 };
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x)
                if ((pBits[y * cx + x] & 0xFFFFFF) != 0xFFFFFF) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x);
                    box.bottom = std::max<LONG>(box.bottom, y);
                }
        return box;
    }
};
}

TEST_CASE("the version text comes from the file version")
{
    CHECK(VersionOf(TestBinPath("version_1_2_3_45.dll")) == "Version 1.2.3.0045");
    CHECK(VersionOf(TestBinPath("version_2_0_0_7.dll")) == "Version 2.0.0.0007");
    CHECK(VersionOf(TestBinPath("version_3_4_5_12345.dll")) == "Version 3.4.5.12345");

    // The product version text adds what follows its number: the build's commit.
    CHECK(VersionOf(TestBinPath("version_note.dll")) == "Version 1.2.3.0045 (abc1234, modified)");
    // ... from the string block of the translation the file names.
    CHECK(VersionOf(TestBinPath("version_note_de.dll")) == "Version 2.0.0.0007 (commit unknown)");

    std::string expected = std::string("Version ") + ZEV_PROJECT_VERSION;
    std::string program = VersionOf(DistPath("ZEV.EXE"));
    CHECK(program.substr(0, expected.rfind('.')) == expected.substr(0, expected.rfind('.')));
    std::string commit = std::string(" (") + ZEV_COMMIT_TEXT + ")";
    REQUIRE(program.size() > commit.size());
    CHECK(program.substr(program.size() - commit.size()) == commit);

    SUBCASE("a file without version information still gives a text that says so")
    {
        std::string text = VersionOf(DistPath("ZEV_DE.DLL"));
        CHECK(text.find("ZEV_DE.DLL") != std::string::npos);
        CHECK(VersionOf("Z:\\no\\such\\ZEV.EXE").find("unknown") != std::string::npos);
    }
}

TEST_CASE("the text grid is measured on the context's font")
{
    Canvas canvas(400, 120);
    SUBCASE("a fixed-pitch font: one average width per column")
    {
        ::SelectObject(canvas.hDC, ::GetStockObject(SYSTEM_FIXED_FONT));
        CTextGrid grid(canvas.hDC);
        CHECK((grid.m_tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0);
        CHECK(grid.m_nColumnWidth == grid.m_tm.tmAveCharWidth);
        CHECK(grid.m_nLineHeight == grid.m_tm.tmHeight + grid.m_tm.tmExternalLeading);
        CHECK(::GetBkMode(canvas.hDC) == TRANSPARENT);

        grid.PutText(6, 2, "X");
        RECT inked = canvas.Inked();
        CHECK(inked.left >= 6 * grid.m_nColumnWidth);
        CHECK(inked.right < 7 * grid.m_nColumnWidth);
        CHECK(inked.top >= 2 * grid.m_nLineHeight);
        CHECK(inked.bottom < 3 * grid.m_nLineHeight);
    }
    SUBCASE("a variable-pitch font: one and a half average widths, truncated")
    {
        ::SelectObject(canvas.hDC, ::GetStockObject(ANSI_VAR_FONT));
        CTextGrid grid(canvas.hDC);
        CHECK((grid.m_tm.tmPitchAndFamily & TMPF_FIXED_PITCH) != 0);
        CHECK(grid.m_nColumnWidth == grid.m_tm.tmAveCharWidth * 3 / 2);
    }
}

// The heights the log and the monitor's read-outs get, by the display's resolution (the
// tests run at 96 and, in a prefix of their own, at 120 pixels per inch).
TEST_CASE("fonts sized in tenths of a point")
{
    HDC hDC = ::CreateCompatibleDC(nullptr);
    int nPixelsPerInch = ::GetDeviceCaps(hDC, LOGPIXELSY);
    REQUIRE((nPixelsPerInch == 96 || nPixelsPerInch == 120));
    bool b120 = nPixelsPerInch == 120;

    SUBCASE("heights at the display's pixels per inch")
    {
        CDeviceFont log(hDC, "Courier New", 90, 0, 0, TRUE);
        CHECK(FontOf(log).lfHeight == (b120 ? -15 : -12)); // 120 dpi: y = 150, 15.5 truncated
        CHECK(FontOf(log).lfWidth == 0);
        CHECK(std::string(FontOf(log).lfFaceName) == "Courier New");
        CHECK(::GetCurrentObject(hDC, OBJ_FONT) == log.m_hFont);
        CDeviceFont big(hDC, "Arial", 360, 0, CDeviceFont::styleBold, TRUE);
        CHECK(FontOf(big).lfHeight == (b120 ? -60 : -48));
    }
    SUBCASE("the size is converted to the context's logical units")
    {
        // Twips follow the display's physical size, which matches 96 pixels per inch here.
        if (!b120) {
            ::SetMapMode(hDC, MM_TWIPS); // 1440 units per inch, y upwards: 9 points are 180
            CDeviceFont font(hDC, "Arial", 90, 0, 0, TRUE);
            CHECK(FontOf(font).lfHeight == -180);
            ::SetMapMode(hDC, MM_TEXT);
        }
    }
    SUBCASE("style bits")
    {
        CDeviceFont bold(hDC, "Arial", 90, 0, 1, TRUE);
        CHECK(FontOf(bold).lfWeight == 700);
        CHECK(FontOf(bold).lfItalic == 0);
        CDeviceFont rest(hDC, "Arial", 90, 0, 14, TRUE);
        CHECK(FontOf(rest).lfWeight == 0);
        CHECK(FontOf(rest).lfItalic == 1);
        CHECK(FontOf(rest).lfUnderline == 1);
        CHECK(FontOf(rest).lfStrikeOut == 1);
        CDeviceFont high(hDC, "Arial", 90, 0, 16, TRUE);
        CHECK(FontOf(high).lfWeight == 0);
        CHECK(FontOf(high).lfItalic == 0);
        CHECK(FontOf(high).lfUnderline == 0);
    }
    SUBCASE("a width scales the natural average width")
    {
        CDeviceFont natural(hDC, "Courier New", 90, 0, 0, TRUE);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(hDC, &tm);
        CDeviceFont wide(hDC, "Courier New", 90, 180, 0, TRUE);
        CHECK(FontOf(wide).lfWidth == 2 * tm.tmAveCharWidth);
        CHECK(FontOf(wide).lfHeight == FontOf(natural).lfHeight);
    }
    SUBCASE("the font is handed to a control")
    {
        HWND hEdit = ::CreateWindowA("EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
        CDeviceFont font(hDC, "Courier New", 90, 0, 0, TRUE);
        font.ApplyToWindow(hEdit);
        CHECK(reinterpret_cast<HFONT>(::SendMessageA(hEdit, WM_GETFONT, 0, 0)) == font.m_hFont);
        ::DestroyWindow(hEdit);
    }
    ::DeleteDC(hDC);
}

TEST_CASE("the about box's version text lies clear of its controls, in both languages")
{
    // Painted in the system font, at column 6 and row 2 of its grid: the text does not
    // grow with the dialog units as the controls do, so the layout keeps that band free.
    for (const char* pszLibrary : { "ZEV_DE.DLL", "ZEV_EN.DLL" }) {
        INFO(pszLibrary);
        UseLanguageLibrary(pszLibrary);
        CAboutDlg dlg;
        REQUIRE(dlg.Create(IDD_ABOUTBOX));
        HDC hDC = ::GetDC(dlg.m_hWnd);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(hDC, &tm);
        int nLine = tm.tmHeight + tm.tmExternalLeading;
        int nColumn = tm.tmAveCharWidth * (2 + (tm.tmPitchAndFamily & 1)) / 2;
        // A long version text: two-digit numbers, a commit and the sources modified.
        const char szVersion[] = "Version 10.10.10.1000 (0123abc, modified)";
        SIZE extent = {};
        ::GetTextExtentPoint32A(hDC, szVersion, sizeof szVersion - 1, &extent);
        ::ReleaseDC(dlg.m_hWnd, hDC);
        RECT text = { 6 * nColumn, 2 * nLine, 6 * nColumn + extent.cx, 2 * nLine + extent.cy };
        RECT client = {};
        ::GetClientRect(dlg.m_hWnd, &client);
        CHECK(text.right <= client.right);
        int nControls = 0;
        for (HWND hChild = ::GetWindow(dlg.m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
            RECT control = {};
            ::GetWindowRect(hChild, &control);
            ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&control), 2);
            RECT overlap = {};
            CAPTURE(::GetDlgCtrlID(hChild));
            CHECK_FALSE(::IntersectRect(&overlap, &text, &control));
            ++nControls;
        }
        CHECK(nControls == 4); // the icon, the name, the purpose, OK
        dlg.DestroyWindow();
    }
}
