// The monitor on the main window's side: the command that starts it and the frames that
// feed it. The device streams frames after "M" until the connection returns to idle,
// which also closes the window.
#include "ServiceDlg.h"
#include "MonitorDlg.h"
#include "MonitorFrame.h"

void CServiceDlg::StartMonitor()
{
    if (!CheckBusy())
        return;
    LogById(IDS_MONITOR_START);
    if (!m_pMonitorDlg)
        m_pMonitorDlg = std::make_unique<CMonitorDlg>();
    if (!m_pMonitorDlg->m_hWnd) {
        if (!m_pMonitorDlg->Create(IDD_MONITOR)) {
            // Frames nobody shows would only fill the log: the device is not asked for them.
            LogById(IDS_MONITOR_FAILED);
            ReturnToIdle();
            return;
        }
        PlaceBeside(m_pMonitorDlg->m_hWnd);
    }
    m_pMonitorDlg->m_hWndMain = m_hWnd;
    m_pMonitorDlg->ShowWindow(SW_SHOWNORMAL);
    SendLetter(OP_MONITOR); // no response timer: the frames come until idle
}

void CServiceDlg::CloseMonitor()
{
    // The recording ends with the monitor; its window closes, the object stays for the
    // next start.
    StopMonitorRecord();
    if (m_pMonitorDlg)
        m_pMonitorDlg->DestroyWindow();
}

void CServiceDlg::PlaceBeside(HWND hWnd)
{
    // To the right of the main window if the screen has room there, else to its left.
    RECT main, own, work;
    ::GetWindowRect(m_hWnd, &main);
    ::GetWindowRect(hWnd, &own);
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int nWidth = own.right - own.left;
    int nX = main.right + nWidth <= work.right ? main.right : main.left - nWidth;
    if (nX < work.left)
        nX = work.left;
    ::SetWindowPos(hWnd, nullptr, nX, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CServiceDlg::OnFrame()
{
    int nLength = m_strRxLine.GetLength();
    BOOL bLogged = FALSE;
    if (!IsMonitorFrameLength(static_cast<size_t>(nLength))) {
        CString strLine;
        strLine.Format("* Frame Length Error (%u) *", static_cast<unsigned>(nLength));
        LogLine(strLine);
        bLogged = TRUE;
    } else if (m_pMonitorDlg) {
        unsigned char full[kMonitorFrameSize];
        ToFullFrame(reinterpret_cast<const unsigned char*>(m_strRxLine.GetString()), static_cast<size_t>(nLength), full);
        RecordFrame(full);
        CString strLog;
        if (m_pMonitorDlg->DecodeFrame(full, strLog)) {
            LogLine(strLog);
            bLogged = TRUE;
        }
    }
    m_strRxLine.Empty();
    // Every frame's line on the disk at once; a frame that logged nothing has nothing to
    // flush (asking the file for its position was a fifth of a frame's cost).
    if (bLogged)
        m_LogFile.Flush();
}
