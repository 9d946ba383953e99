// The event log: every event leaves one time-stamped line in the log window, which keeps
// as many lines as it shows, and in the log file ZevLog.TXT, which keeps them all.
#include "ServiceDlg.h"
#include "FormatCheck.h"
#include "VersionString.h"

namespace {
const char kLogFileName[] = "ZevLog.TXT";
const char kMissingString[] = "IDS-Error";
}

BOOL CServiceDlg::OpenLogFile()
{
    CFileException error;
    if (!m_LogFile.Open(kLogFileName, CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText,
                        &error)) {
        // Without its log the program does not run; the user learns why first.
        CString strFormat;
        CString strMessage;
        if (strFormat.LoadString(IDS_LOGFILE_FAILED) && IsFormatFor(strFormat, "ss"))
            strMessage.Format(strFormat, kLogFileName, error.GetErrorMessage().GetString());
        else
            strMessage.Format("The log file %s cannot be created:\n%s", kLogFileName,
                              error.GetErrorMessage().GetString());
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
    CString strLine(strText);

    // Trim the window to its line limit; the count includes the empty line after the last
    // line end. The log edit is read-only, so the first line is replaced by nothing.
    int nLines = m_LogEdit.GetLineCount();
    while (nLines > m_nMaxLogLines) {
        m_LogEdit.SetSel(0, m_LogEdit.LineIndex(1));
        m_LogEdit.ScrollCaret();
        m_LogEdit.ReplaceSel("", FALSE);
        int nLeft = m_LogEdit.GetLineCount();
        if (nLeft >= nLines)
            break;
        nLines = nLeft;
    }

    strLine.Insert(0, CTime::GetCurrentTime().Format("%H:%M:%S "));
    if (m_LogFile.IsOpen()) {
        m_LogFile.WriteString(strLine);
        m_LogFile.WriteString("\n");
    }

    strLine += "\r\n";
    m_LogEdit.SetSel(m_LogEdit.LineIndex(nLines - 1), -1);
    m_LogEdit.ScrollCaret();
    m_LogEdit.ReplaceSel(strLine, FALSE);
    m_LogEdit.UpdateWindow();
}

void CServiceDlg::LogById(UINT nID)
{
    CString strText;
    if (!strText.LoadString(nID))
        strText = kMissingString;
    LogLine(strText);
}

void CServiceDlg::LogByIdNum(UINT nID, int nNumber)
{
    CString strFormat;
    CString strText;
    // A string that is not a format for one number would read past the argument.
    if (strFormat.LoadString(nID) && IsFormatFor(strFormat, "d"))
        strText.Format(strFormat, nNumber);
    else
        strText = kMissingString;
    LogLine(strText);
}

void CServiceDlg::LogText(const char* pszText)
{
    LogLine(pszText);
}
