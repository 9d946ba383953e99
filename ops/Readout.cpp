// The one-line query and the read-outs: the device's lines into the log, and for a
// capture into a text file as well.
#include "ServiceDlg.h"
#include "StringFormats.h"

void CServiceDlg::ParseSingleLine()
{
    KillTimer(TIMER_RESPONSE);
    LogByIdText(IDS_QUERY_REPLY, m_strRxLine);
    // A Vantik wants its line acknowledged with a lone CR.
    if (m_nDeviceType == 0) {
        const char chCr = CR;
        if (!SendCommand(&chCr, 1))
            return; // refused: reported, and idle already
    }
    ReturnToIdle();
}

void CServiceDlg::OnQueryTaken()
{
    // Type 0 may answer with ESC alone; type 1 says ESC first and sends its line after.
    if (m_nDeviceType == 0)
        ParseSingleLine();
    else if (m_nDeviceType == 1)
        OnLetterTaken(1000);
}

void CServiceDlg::OnReadoutTaken()
{
    // The device has taken the command; its lines follow.
    OnLetterTaken(2000);
}

void CServiceDlg::OnReadoutLine()
{
    CString strLine;
    strLine.Format(">> %s", m_strRxLine.GetString());
    LogLine(strLine);
    if (!m_strRxLine.IsEmpty()) {
        if (m_nOperation == OP_CAPTURE) {
            m_strCapture += m_strRxLine;
            m_strCapture += '\n';
        }
        ArmResponseTimer(1000);
        m_strRxLine.Empty();
        return;
    }
    // An empty line ends the read-out; a capture is written in one piece.
    KillTimer(TIMER_RESPONSE);
    if (m_nOperation == OP_CAPTURE)
        WriteCapture();
    m_nOperation = OP_IDLE;
    ReturnToIdle();
}

BOOL CServiceDlg::WriteCapture()
{
    // The file is text: each line feed becomes the platform's line end. The write goes
    // out at once, so that a full disk is said now and not lost in the close.
    BOOL bWritten = m_DownloadFile.Write(m_strCapture.GetString(), static_cast<UINT>(m_strCapture.GetLength())) &&
                    m_DownloadFile.Flush();
    if (!bWritten) {
        NoteStepFailure(RunFailure::FileFailed);
        LogLine(FormatTwoTexts(IDS_CAPTURE_WRITE_FAILED,
                               "The read-out file %s could not be written (%s): its lines are in the log",
                               m_DownloadFile.GetFilePath(), m_DownloadFile.GetWriteErrorMessage()));
    }
    m_strCapture.Empty();
    return bWritten;
}

void CServiceDlg::KeepCaptureCutShort()
{
    // A time-out, the busy question, a disconnect or a link error: the file keeps the
    // lines as the device sent them, and says it is not the whole read-out.
    if (!m_DownloadFile.IsOpen())
        return;
    int nLines = 0;
    for (int i = 0; i < m_strCapture.GetLength(); ++i)
        nLines += m_strCapture[i] == '\n';
    CString strPath = m_DownloadFile.GetFilePath();
    if (WriteCapture())
        LogLine(FormatById(IDS_CAPTURE_ENDED_EARLY, "ds", "Read-out ended early: %d lines kept in %s", nLines,
                           strPath.GetString()));
}

// Posted by the capture command once the busy check has agreed: the file, then 'O'.
LRESULT CServiceDlg::OnCaptureFile(WPARAM, LPARAM)
{
    if (PromptForFile(FALSE, "LOG") != IDOK) {
        ReturnToIdle();
        return 0;
    }
    CFileException error;
    if (!m_DownloadFile.Open(m_strFilePath, CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText,
                             &error)) {
        NoteStepFailure(RunFailure::FileFailed);
        LogLine(FormatTwoTexts(IDS_CAPTURE_UNWRITABLE, "The capture file %s cannot be created (%s)", m_strFilePath,
                               error.GetErrorMessage()));
        ReturnToIdle();
        return 0;
    }
    LogByIdText(IDS_CAPTURE_START, m_strFilePath);
    m_strCapture.Empty();
    SendLetter(OP_CAPTURE);
    return 0;
}
