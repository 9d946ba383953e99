// The event log: every event leaves one time-stamped line in the log window, which keeps
// as many lines as it shows, and in the log file ZevLog.TXT, which keeps them all.
//
// The window is the slow part: under Wine each change of the edit's text costs a few
// milliseconds once the window is full, so a device that sends hundreds of short lines a
// second would freeze the tool. Lines logged during one receive event (a log burst)
// therefore reach the window together, in one replacement and one repaint, placed so
// that the window ends exactly as the line-by-line rule leaves it (LogWindowPlan.h), and
// the turns of a quick conversation, or the receive events of a flood, share a change, at
// most 50 ms late. The file gets each line at once, and goes to the disk at the end of
// each burst: a crash or a power cut loses no line the window has shown. A line logged
// outside a burst is a burst of its own.
//
// The file is open for this program alone to write (others may read it): a second
// start in the same folder cannot empty it under the running one.
//
// A write of the file that fails (a full disk) is said once, in the window and in a box,
// and the file is written no more: it ends with the last whole line that reached the
// disk, with no gap after it that would read as a quiet device. The window goes on as
// before. The trace and the monitor's recording say their failures the same way.
#include "ServiceDlg.h"
#include "LogWindowPlan.h"
#include "StringFormats.h"
#include "VersionString.h"

namespace {
const char kLogFileName[] = "ZevLog.TXT";
// Turns of a conversation closer than this share one change of the window: a settings
// run's turns and a download's frames each end a burst that sends the next letter or
// frame, and a change costs several milliseconds under Wine (the device's next answer
// would wait for it). A flood's receive events share changes the same way.
const DWORD kLogWindowSpacingMs = 50;
// Longer lines are cut in the window (the file keeps them whole): a line of a megabyte
// of noise would make every later change of the edit's text crawl.
const int kMaxShownLogLine = 4096;
}

BOOL CServiceDlg::OpenLogFile()
{
    // The log is claimed first; the last session's log is kept only by the program that
    // holds it (log/KeptLogs.cpp).
    CFileException error;
    HANDLE hClaim = ClaimLogFile(error);
    BOOL bOpened = FALSE;
    if (hClaim != INVALID_HANDLE_VALUE) {
        BOOL bKept = KeepPreviousLog(hClaim);
        // Not kept: the claim, which holds ZevLog.TXT against writers, lets go for the
        // open that empties it. Kept: it holds ZevLog.1.TXT now, and lets go after.
        if (!bKept)
            ::CloseHandle(hClaim);
        bOpened = m_LogFile.Open(kLogFileName,
                                 CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::shareDenyWrite |
                                     CStdioFile::typeText,
                                 &error);
        if (bKept)
            ::CloseHandle(hClaim);
    }
    if (!bOpened) {
        // Without its log the program does not run; the user learns why first.
        CString strMessage = FormatTwoTexts(IDS_LOGFILE_FAILED, kLogFileName, error.GetErrorMessage());
        MessageBox(strMessage, nullptr, MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    CString strVersion;
    GetVersionString(strVersion, "ZEV.EXE");
    m_LogFile.WriteString("Zevanto " + strVersion);
    m_LogFile.WriteString("\n" + CString('=', 69) + "\n");
    return TRUE;
}

void CServiceDlg::CloseLogFile()
{
    m_LogFile.Close();
}

void CServiceDlg::LogLine(const CString& strText)
{
    CString strLine = CTime::GetCurrentTime().Format("%H:%M:%S ") + strText;
    m_strLastLogText = strText;
    BOOL bFileFailed = FALSE;
    if (m_LogFile.IsOpen() && !m_bLogFileFailed)
        bFileFailed = !m_LogFile.WriteString(strLine) || !m_LogFile.WriteString("\n");

    // The window shows the text up to a NUL, as every Win32 text does.
    CString strShown(strLine.GetString());
    if (strShown.GetLength() > kMaxShownLogLine) {
        CString strMark;
        strMark.Format(" [... cut: %d characters, the log file holds them all]", strShown.GetLength());
        strShown = strShown.Left(kMaxShownLogLine) + strMark;
    }
    strShown += "\r\n";
    m_strLogPending += strShown;
    m_LogPendingLines.push_back(LogEntryLines(std::string(strShown.GetString(), strShown.GetLength())));
    m_bLogBurstLogged = m_bLogBurst;
    if (bFileFailed)
        OnLogFileFailed();
    if (!m_bLogBurst)
        FlushLog();
}

void CServiceDlg::FlushLog()
{
    FlushLogWindow();
    FlushLogFile();
    FlushTrace();
}

void CServiceDlg::EndLogBurst()
{
    FlushLogFile();
    FlushTrace();
    BOOL bSent = m_bLogBurstSent, bLogged = m_bLogBurstLogged, bMore = m_bLogBurstMore;
    m_bLogBurstSent = m_bLogBurstLogged = m_bLogBurstMore = FALSE;
    if (m_LogPendingLines.empty())
        return;
    // The lines wait while a conversation goes on: a burst that has sent the device its next
    // letter or frame (the answer comes within milliseconds, and a change of the window now
    // would hold it up), or a piece of the answer that logs nothing. So do a flood's lines
    // while more of it waits. A burst that logs and sends nothing ends the conversation,
    // opens a dialog or ends a stream: shown now.
    DWORD nSince = ::GetTickCount() - m_nLogWindowChangedAt;
    if ((bLogged && !bSent && !bMore) || nSince >= kLogWindowSpacingMs || !m_hWnd) {
        FlushLogWindow();
        return;
    }
    if (!m_bLogWindowDue) {
        m_bLogWindowDue = TRUE;
        SetTimer(TIMER_LOG_WINDOW, kLogWindowSpacingMs - nSince);
    }
}

void CServiceDlg::OnLogWindowTimer()
{
    FlushLogWindow();
}

void CServiceDlg::FlushLogFile()
{
    if (m_LogFile.IsOpen() && !m_bLogFileFailed && !m_LogFile.Flush())
        OnLogFileFailed();
}

void CServiceDlg::OnLogFileFailed()
{
    if (m_bLogFileFailed)
        return;
    m_bLogFileFailed = TRUE;
    ReportFileFailure(FormatTwoTexts(IDS_LOGFILE_UNWRITABLE, kLogFileName, m_LogFile.GetWriteErrorMessage()));
}

void CServiceDlg::ReportFileFailure(const CString& strText)
{
    NoteStepFailure(RunFailure::FileFailed);
    LogLine(strText);
    // The box waits for the message loop: a failed write may come in the middle of the
    // receive handling, which must not run again inside it. Failures that come before
    // the box shows share it.
    if (m_strFileFailures.IsEmpty())
        PostMessage(WM_LOG_FILE_FAILED);
    else
        m_strFileFailures += "\n\n";
    m_strFileFailures += strText;
}

LRESULT CServiceDlg::OnLogFileFailedBox(WPARAM, LPARAM)
{
    CString strText = m_strFileFailures;
    m_strFileFailures.Empty();
    if (!strText.IsEmpty())
        MessageBox(strText, nullptr, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

void CServiceDlg::FlushLogWindow()
{
    if (m_bLogWindowDue) {
        m_bLogWindowDue = FALSE;
        KillTimer(TIMER_LOG_WINDOW);
    }
    if (m_LogPendingLines.empty())
        return;
    LogAppendPlan plan = PlanLogAppend(m_LogEdit.GetLineCount(), m_nMaxLogLines, m_LogPendingLines.data(),
                                       static_cast<int>(m_LogPendingLines.size()));
    int nStart = 0;
    for (int i = 0; i < plan.nSkipNew; ++i)
        nStart = m_strLogPending.Find("\r\n", nStart) + 2;
    // The lines kept and the new ones in one replacement: every change of the edit's text
    // costs about as much as all the lines it holds.
    CString strText = m_LogEdit.GetWindowText().Mid(m_LogEdit.LineIndex(plan.nDropOld));
    strText += m_strLogPending.GetString() + nStart;
    m_LogEdit.SetSel(0, -1);
    m_LogEdit.ReplaceSel(strText, FALSE);
    m_LogEdit.ScrollCaret();
    m_LogEdit.UpdateWindow();
    m_nLogWindowChangedAt = ::GetTickCount();
    m_strLogPending.Empty();
    m_LogPendingLines.clear();
}

// The library's words or the missing text (kMissingText): a string that is missing, or is
// no format for the argument given (it would read past it), is logged as missing.
void CServiceDlg::LogById(UINT nID)
{
    LogLine(LibraryText(nID));
}

void CServiceDlg::LogByIdNum(UINT nID, int nNumber)
{
    CString strText;
    strText.Format(LibraryFormatFor(nID, "d"), nNumber);
    LogLine(strText);
}

void CServiceDlg::LogByIdText(UINT nID, const char* pszText)
{
    CString strText;
    strText.Format(LibraryFormatFor(nID, "s"), pszText);
    LogLine(strText);
}

void CServiceDlg::LogText(const char* pszText)
{
    LogLine(pszText);
}
