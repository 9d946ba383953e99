// The download's status line under the progress bar: its longest texts fit it in both
// languages at every resolution the tests run at (app_unit at 96, app_download_status_144dpi
// at 144 pixels per inch), it overlaps no other control, and it shows the count from the
// download's start and nothing once it has ended. And every control of the main window lies
// within its client area, below the menu bar.
#include "AppTestEnvironment.h"
#include "ServiceDlg.h"
#include "StringFormats.h"

#include <doctest.h>

#include <string>

namespace {

std::string ControlText(HWND hWnd)
{
    char szText[512] = {};
    ::GetWindowTextA(hWnd, szText, sizeof szText);
    return szText;
}

// The width a text takes in the control's font.
int DrawnWidth(HWND hControl, const CString& strText)
{
    HDC hDC = ::GetDC(hControl);
    HGDIOBJ hOld = ::SelectObject(hDC, reinterpret_cast<HGDIOBJ>(::SendMessageA(hControl, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    ::GetTextExtentPoint32A(hDC, strText.GetString(), strText.GetLength(), &extent);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hControl, hDC);
    return extent.cx;
}

} // namespace

TEST_CASE("the download's status line holds its longest texts in both languages and overlaps nothing")
{
    for (const char* pszLibrary : { "ZEV_DE.DLL", "ZEV_EN.DLL" }) {
        INFO(pszLibrary);
        TempFolder folder;
        UseLanguageLibrary(pszLibrary);
        CServiceDlg dlg;
        dlg.m_nComIndex = 0;
        dlg.m_nDeviceType = 1;
        REQUIRE(dlg.Create(IDD_SERVICE_DIALOG));
        HWND hStatus = dlg.GetDlgItem(IDC_DOWNLOAD_STATUS);
        REQUIRE(hStatus != nullptr);
        CHECK(ControlText(hStatus).empty());

        // Counts of five digits, a rate of four, hours left: more than a real download shows.
        RECT client = {};
        ::GetClientRect(hStatus, &client);
        for (UINT nID : { IDS_DOWNLOAD_RATE_LINES, IDS_DOWNLOAD_RATE_BLOCKS }) {
            CString strLongest = FormatById(nID, "uuuus", 99999u, 99999u, 9999u, 9u, "99:59:59");
            CAPTURE(strLongest.GetString());
            CHECK(strLongest.Find("99999") >= 0); // the library's text, not the missing one
            CHECK(DrawnWidth(hStatus, strLongest) <= client.right);
        }

        // The menu bar, set after the template made the window, takes no room from the controls.
        RECT area = {};
        ::GetClientRect(dlg.m_hWnd, &area);
        for (HWND hChild = ::GetWindow(dlg.m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
            const RECT control = RectIn(dlg.m_hWnd, hChild);
            CAPTURE(::GetDlgCtrlID(hChild));
            CHECK(control.left >= area.left);
            CHECK(control.right <= area.right);
            CHECK(control.bottom <= area.bottom);
        }

        const RECT status = RectIn(dlg.m_hWnd, hStatus);
        for (HWND hChild = ::GetWindow(dlg.m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
            if (hChild == hStatus)
                continue;
            RECT overlap = {};
            const RECT other = RectIn(dlg.m_hWnd, hChild);
            CAPTURE(::GetDlgCtrlID(hChild));
            CHECK_FALSE(::IntersectRect(&overlap, &status, &other));
        }
        dlg.m_nComIndex = 199; // nothing maps COM200: the teardown's good-bye goes nowhere
        dlg.DestroyWindow();
    }
}

TEST_CASE("the status line shows the count from a download's start and nothing after its end")
{
    TempFolder folder;
    UseLanguageLibrary();
    CServiceDlg dlg;
    dlg.m_nComIndex = 0;
    dlg.m_nDeviceType = 1;
    REQUIRE(dlg.Create(IDD_SERVICE_DIALOG));
    HWND hStatus = dlg.GetDlgItem(IDC_DOWNLOAD_STATUS);
    dlg.m_nFrameCount = 0;
    dlg.m_nFirmwareFrames = 480;
    dlg.StartDownloadPace();
    CHECK(ControlText(hStatus) == "Block 0 von 480");
    dlg.m_nFrameCount = 7;
    dlg.OnDownloadPaceTimer(); // within the first second: the count alone
    CHECK(ControlText(hStatus) == "Block 7 von 480");
    dlg.EndDownloadPace();
    CHECK(ControlText(hStatus).empty());
    dlg.OnDownloadPaceTimer(); // a tick already queued when it ended brings nothing back
    CHECK(ControlText(hStatus).empty());

    dlg.m_nDeviceType = 0;
    dlg.m_nFrameCount = 1;
    dlg.m_nFirmwareFrames = 2012;
    dlg.StartDownloadPace();
    CHECK(ControlText(hStatus) == "Zeile 1 von 2012");
    dlg.EndDownloadPace();
    CHECK(ControlText(hStatus).empty());
    dlg.m_nComIndex = 199;
    dlg.DestroyWindow();
}
