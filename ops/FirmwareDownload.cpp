// The firmware download: 'D', then the file one frame at a time, each answered by the
// device with ACK (the next frame) or NAK (the same frame again). S-record files (types
// 0 and 2) go line by line; image files (type 1) in 132-byte blocks after the device has
// taken 'D' with ESC, closed by an end frame. The progress bar follows the file position.
#include "ServiceDlg.h"
#include "FirmwareFrames.h"
#include "FormatCheck.h"
#include "StringFormats.h"

#include <climits>

namespace {
BOOL IsImageDevice(int nDeviceType)
{
    return nDeviceType == 1;
}
}

void CServiceDlg::StartDownload()
{
    BOOL bImage = IsImageDevice(m_nDeviceType);
    if (PromptForFile(TRUE, bImage ? "IMG" : "S19") != IDOK) {
        ReturnToIdle();
        return;
    }
    // Opened before 'D': a device told to take firmware must get it.
    if (!OpenFirmwareFile())
        return;
    LogByIdText(IDS_DOWNLOAD_START, m_strFilePath);
    m_nFrameCount = 0;
    if (!SendCommand("D", 1))
        return; // refused: reported, idle, the file closed
    ULONGLONG nLength = m_DownloadFile.GetLength();
    m_ProgressCtrl.SetRange32(0, nLength > INT_MAX ? INT_MAX : static_cast<int>(nLength));
    if (bImage) {
        m_nOperation = OP_IMAGE_START;
        SetTimer(TIMER_RESPONSE, 15000);
    } else {
        // An S-record device takes its first line right after 'D'.
        m_nOperation = OP_DOWNLOAD;
        SendNextFrame(FALSE);
    }
}

BOOL CServiceDlg::OpenFirmwareFile()
{
    UINT nFlags = CStdioFile::modeRead | (IsImageDevice(m_nDeviceType) ? CStdioFile::typeBinary : CStdioFile::typeText);
    CFileException error;
    if (m_DownloadFile.Open(m_strFilePath, nFlags, &error))
        return TRUE;
    CString strMessage = FormatTwoTexts(IDS_FIRMWARE_UNREADABLE, "The firmware file %s cannot be opened (%s)",
                                        m_strFilePath, error.GetErrorMessage());
    LogLine(strMessage);
    MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
    ReturnToIdle();
    return FALSE;
}

void CServiceDlg::SendNextFrame(BOOL bResend)
{
    // ACK and NAK outside a download mean nothing here.
    if (m_nOperation != OP_DOWNLOAD)
        return;
    if (bResend) {
        CString strFormat;
        CString strLine = "IDS-Error";
        if (strFormat.LoadString(IDS_DOWNLOAD_RESEND) && IsFormatFor(strFormat, "uu"))
            strLine.Format(strFormat, m_nFrameCount, static_cast<UINT>(m_DownloadFile.GetPosition()));
        LogLine(strLine);
        if (SendCommand(m_strFrame.GetString(), m_strFrame.GetLength()))
            SetTimer(TIMER_RESPONSE, 10000);
        return;
    }

    BOOL bEnd = FALSE;
    if (IsImageDevice(m_nDeviceType)) {
        bEnd = BuildImageFrame();
    } else {
        CString strLine;
        bEnd = !m_DownloadFile.ReadString(strLine);
        if (!bEnd) {
            std::string strFrame = BuildS19Frame(std::string(strLine.GetString(), strLine.GetLength()));
            m_strFrame = CString(strFrame.data(), static_cast<int>(strFrame.size()));
        }
    }
    if (bEnd) {
        // Complete only if the end frame (if any) went out: a refused one is idle already.
        if (m_nOperation == OP_DOWNLOAD) {
            LogById(IDS_DOWNLOAD_DONE);
            ReturnToIdle();
        }
        return;
    }
    m_ProgressCtrl.SetPos(static_cast<int>(m_DownloadFile.GetPosition()));
    m_strRxLine.Empty();
    ++m_nFrameCount;
    if (SendCommand(m_strFrame.GetString(), m_strFrame.GetLength()))
        SetTimer(TIMER_RESPONSE, 10000);
}

BOOL CServiceDlg::BuildImageFrame()
{
    unsigned char block[kImageBlockSize];
    UINT nRead = m_DownloadFile.Read(block, sizeof block);
    std::string strFrame = nRead == 0 ? ImageEndFrame() : BuildImageBlock(block, nRead, m_nFrameCount);
    m_strFrame = CString(strFrame.data(), static_cast<int>(strFrame.size()));
    if (nRead > 0)
        return FALSE;
    SendCommand(m_strFrame.GetString(), m_strFrame.GetLength());
    return TRUE;
}
