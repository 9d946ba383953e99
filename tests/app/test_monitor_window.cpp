// The monitor window in the program's own process: started from the main window, fed
// with frames through the receive path, hidden, closed by the return to idle, and made
// anew two hundred times without losing a context, a font or a handle. The link is
// closed, so "M" goes nowhere.
#include "BoxAnswerer.h"
#include "MainWindowFixture.h"
#include "HandleCount.h"
#include "MonitorDlg.h"

#include <doctest.h>

#include <cstring>

namespace {
struct MonitorFixture : MainWindowFixture {
    MonitorFixture()
    {
        dlg.m_nComIndex = 7;
        dlg.m_bConnected = TRUE;
    }

    // A frame of nLength bytes with flow, twice the error count and the counters set,
    // sent as the device sends it: control values DLE-escaped, then CR.
    void SendFrame(size_t nLength, int nFlow, int nTwiceErrors, int nCounter1 = 42, int nCounter2 = 43)
    {
        std::string full(146, '\x11'); // XON bytes inside a frame are data
        full[80] = static_cast<char>(nFlow >> 8);
        full[81] = static_cast<char>(nFlow);
        full[132] = static_cast<char>(nTwiceErrors >> 8);
        full[133] = static_cast<char>(nTwiceErrors);
        for (int i = 0; i < 4; ++i) {
            full[138 + i] = static_cast<char>(nCounter1 >> (24 - 8 * i));
            full[142 + i] = static_cast<char>(nCounter2 >> (24 - 8 * i));
        }
        std::memset(&full[56], 0, 8);      // volume 0.0
        std::string frame = nLength == 140 ? full.substr(0, 126) + full.substr(132) : full.substr(0, nLength);
        std::string wire;
        for (char ch : frame) {
            unsigned char byte = static_cast<unsigned char>(ch);
            if (byte == 0x06 || byte == 0x0D || byte == 0x10 || byte == 0x15 || byte == 0x1B) {
                wire += '\x10';
                byte = static_cast<unsigned char>(byte + 0x20);
            }
            wire += static_cast<char>(byte);
        }
        wire += '\r';
        dlg.ReceiveBytes(reinterpret_cast<const BYTE*>(wire.data()), static_cast<int>(wire.size()));
        PumpMessages(150); // the window shows a stream of frames every 100 ms
    }

    HWND Monitor() const { return dlg.m_pMonitorDlg ? dlg.m_pMonitorDlg->m_hWnd : nullptr; }
    std::string Text(int nID) const
    {
        char szText[256] = {};
        ::GetDlgItemTextA(Monitor(), nID, szText, sizeof szText);
        return szText;
    }
    int BarPosition() const
    {
        return static_cast<int>(::SendDlgItemMessageA(Monitor(), IDC_MON_FLOW_BAR, PBM_GETPOS, 0, 0));
    }
    size_t LogCount(const std::string& strText) const
    {
        size_t nCount = 0;
        for (const std::string& line : LogWindowLines())
            nCount += line == strText;
        return nCount;
    }
};
}

TEST_CASE("the monitor shows each frame and logs the changes of the impulse errors")
{
    MonitorFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.SendMessage(WM_COMMAND, ID_MONITOR);
    REQUIRE(fixture.Monitor() != nullptr);
    CHECK(::IsWindowVisible(fixture.Monitor()));
    CHECK(dlg.m_nOperation == OP_MONITOR);
    CHECK_FALSE(dlg.KillTimer(TIMER_RESPONSE)); // the monitor runs without a time-out
    CHECK(fixture.LogWindowLines().back() == "Durchflussmonitor gestartet");

    fixture.SendFrame(146, 120, 7);
    CHECK(fixture.Text(IDC_MON_FLOW) == "120");
    CHECK(fixture.Text(IDC_MON_ERRORS) == "3");
    CHECK(fixture.BarPosition() == 120);
    CHECK(fixture.Text(IDC_MON_COUNTERS) == "(42 : 43)");
    CHECK(fixture.Text(IDC_MON_VOLUME) == "      0.00");
    CHECK(fixture.LogWindowLines().back() == "Impulserror  3 (   42:   43)     0L  120L/min (0.00L)");

    fixture.SendFrame(144, 1200, 7);
    CHECK(fixture.Text(IDC_MON_FLOW) == "1200");
    CHECK(fixture.BarPosition() == 1000);
    fixture.SendFrame(140, 1200, 7, 7, 8);
    CHECK(fixture.Text(IDC_MON_COUNTERS) == "(7 : 8)");
    CHECK(fixture.LogCount("Impulserror  3 (   42:   43)     0L  120L/min (0.00L)") == 1); // no change, no line

    fixture.SendFrame(145, 0, 0);
    CHECK(fixture.LogWindowLines().back() == "* Frame Length Error (145) *");
    CHECK(fixture.Text(IDC_MON_FLOW) == "1200"); // not decoded
    fixture.SendFrame(146, 0, 7);
    CHECK(fixture.LogWindowLines().back() == "Impulserror  3 (   42:   43)     0L    0L/min (0.00L)"); // stopped
    CHECK(dlg.m_nOperation == OP_MONITOR);
}

TEST_CASE("a hidden monitor decodes nothing; the next start asks first; idle closes the window")
{
    MonitorFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.SendMessage(WM_COMMAND, ID_MONITOR);
    fixture.SendFrame(146, 120, 2);
    ::SendMessageA(fixture.Monitor(), WM_COMMAND, IDCANCEL, 0);
    CHECK_FALSE(::IsWindowVisible(fixture.Monitor()));
    fixture.SendFrame(146, 500, 2);
    CHECK(fixture.Text(IDC_MON_FLOW) == "120");

    {
        BoxAnswerer answerer(IDYES); // operation 33 still runs: the busy question
        dlg.SendMessage(WM_COMMAND, ID_MONITOR);
        CHECK(answerer.Boxes().size() == 1);
    }
    CHECK(::IsWindowVisible(fixture.Monitor())); // made anew and shown
    CHECK(dlg.m_pMonitorDlg->m_nLastErrors == 1); // kept by the object
    dlg.ReturnToIdle();
    CHECK(dlg.m_pMonitorDlg != nullptr);
    CHECK(fixture.Monitor() == nullptr);
    fixture.SendFrame(146, 500, 2); // idle now: an unexpected line
    CHECK(fixture.LogWindowLines().back().rfind(">> (CR) ", 0) == 0);
}

TEST_CASE("starting and stopping the monitor two hundred times loses no context, font or handle")
{
    MonitorFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.SendMessage(WM_COMMAND, ID_MONITOR);
    dlg.ReturnToIdle();
    // Windows counts a process's handles and GDI objects; Wine reports 0 for both, so
    // there the handles are probed one by one, and each window's fonts are checked to be
    // gone and its contexts given back.
    HANDLE hProcess = ::GetCurrentProcess();
    DWORD nHandles = 0;
    ::GetProcessHandleCount(hProcess, &nHandles);
    unsigned nProbed = count_open_handles();
    DWORD nGdi = ::GetGuiResources(hProcess, GR_GDIOBJECTS);
    DWORD nUser = ::GetGuiResources(hProcess, GR_USEROBJECTS);
    int nFontsLeft = 0;
    int nContextsKept = 0;
    // A start that leaves one handle, font or context behind shows as 200 of them; the
    // margin of 5 is for what Windows itself keeps (a cached brush, a class atom).
    for (int i = 0; i < 200; ++i) {
        dlg.SendMessage(WM_COMMAND, ID_MONITOR);
        HGDIOBJ hErrorsFont = reinterpret_cast<HGDIOBJ>(::SendDlgItemMessageA(fixture.Monitor(), IDC_MON_ERRORS, WM_GETFONT, 0, 0));
        HGDIOBJ hFlowFont = reinterpret_cast<HGDIOBJ>(::SendDlgItemMessageA(fixture.Monitor(), IDC_MON_FLOW, WM_GETFONT, 0, 0));
        REQUIRE(::GetObjectType(hErrorsFont) == OBJ_FONT);
        REQUIRE(::GetObjectType(hFlowFont) == OBJ_FONT);
        dlg.ReturnToIdle();
        nFontsLeft += (::GetObjectType(hErrorsFont) != 0) + (::GetObjectType(hFlowFont) != 0);
        nContextsKept += (dlg.m_pMonitorDlg->m_pErrorsDC != nullptr) + (dlg.m_pMonitorDlg->m_pFlowDC != nullptr);
    }
    PumpMessages(50);
    CHECK(nFontsLeft == 0);
    CHECK(nContextsKept == 0);
    DWORD nHandlesAfter = 0;
    ::GetProcessHandleCount(hProcess, &nHandlesAfter);
    CHECK(nHandlesAfter <= nHandles + 5);
    CHECK(count_open_handles() <= nProbed + 5);
    CHECK(::GetGuiResources(hProcess, GR_GDIOBJECTS) <= nGdi + 5);
    CHECK(::GetGuiResources(hProcess, GR_USEROBJECTS) <= nUser + 5);
}

TEST_CASE("a monitor window that cannot be made: said in the log, idle, no \"M\"")
{
    MonitorFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    // A resource module without the monitor's template; a link that counts as open, so
    // a send would arm the watchdog.
    HINSTANCE hLibrary = AfxGetResourceHandle();
    HMODULE hNoTemplates = ::LoadLibraryA(TestBinPath("version_1_2_3_45.dll").c_str());
    REQUIRE(hNoTemplates != nullptr);
    AfxSetResourceHandle(hNoTemplates);
    dlg.m_bLinkOpen = 1;
    dlg.m_bTxDone = TRUE;
    dlg.SendMessage(WM_COMMAND, ID_MONITOR);
    BOOL bSent = dlg.KillTimer(TIMER_WATCHDOG);
    dlg.m_bLinkOpen = 0;
    AfxSetResourceHandle(hLibrary);
    ::FreeLibrary(hNoTemplates);
    CHECK_FALSE(bSent);
    CHECK(dlg.m_nOperation == OP_IDLE);
    CHECK(dlg.m_bBusy == FALSE);
    CHECK(fixture.Monitor() == nullptr);
    // the start and the failure were logged, by ids that module does not hold either
    std::vector<std::string> lines = fixture.LogWindowLines();
    REQUIRE(lines.size() >= 3);
    CHECK(lines[lines.size() - 2] == "IDS-Error");
    CHECK(lines.back() == "IDS-Error");
    dlg.LogById(IDS_MONITOR_FAILED); // and the library has the failure's text
    CHECK(fixture.LogWindowLines().back() ==
          "Das Monitorfenster kann nicht geöffnet werden: der Monitor wird nicht gestartet");
}
