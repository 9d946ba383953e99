// The firmware download: 'D', then the file one frame at a time, each answered by the
// device with ACK (the next frame) or NAK (the same frame again). S-record files (types
// 0 and 2) go line by line; image files (type 1) in 132-byte blocks after the device has
// taken 'D' with ESC, closed by an end frame. The progress bar follows the file position,
// and the line under it the frames sent, the rate and the time left (DownloadStatus.cpp).
//
// A download is complete only when the device has taken all of it: the last line's ACK,
// or the ACK of an image's end frame, which the device may give only once it has checked
// the image. The end frame waits for its answer as every block does.
//
// A download is complete only when the whole file, as it was when it was chosen, has
// gone out: every read is checked, and a file that cannot be read to its end, or that
// changes on the way, stops the download without its end frame. A file is looked at
// before 'D': one with nothing to send is refused, and S-records the device would refuse
// are named first. A frame the device refuses kMaxRefusals times in a row ends it too.
#include "ServiceDlg.h"
#include "FirmwareFileCheck.h"
#include "FirmwareFrames.h"
#include "StringFormats.h"

#include <climits>

namespace {
const UINT kMaxRefusals = 100;

UINT ClampToUInt(ULONGLONG nValue)
{
    return nValue > UINT_MAX ? UINT_MAX : static_cast<UINT>(nValue);
}

// A file position for the progress bar, whose range is an int.
int ProgressPosition(ULONGLONG nValue)
{
    return nValue > INT_MAX ? INT_MAX : static_cast<int>(nValue);
}
}

void CServiceDlg::StartDownload()
{
    BOOL bImage = IsImageDevice(m_nDeviceType);
    if (PromptForFile(TRUE, bImage ? "IMG" : "S19") != IDOK) {
        ReturnToIdle();
        return;
    }
    // Opened and looked at before 'D': a device told to take firmware must get it.
    if (!OpenFirmwareFile() || !SurveyFirmwareFile())
        return;
    // Held open without write sharing until the download ends: what is digested here is
    // what goes out.
    m_FirmwareDigest = DigestOfFile(m_strFilePath);
    LogByIdText(IDS_DOWNLOAD_START, m_strFilePath);
    m_nFrameCount = 0;
    m_nFrameRefusals = 0;
    m_nFirmwareSent = 0;
    m_bEndFrameSent = FALSE;
    const OperationRow& start = OperationOf(OP_IMAGE_START);
    if (!SendCommand(&start.chLetter, 1))
        return; // refused: reported, idle, the file closed
    m_ProgressCtrl.SetRange32(0, ProgressPosition(m_nFirmwareEnd));
    StartDownloadPace();
    if (bImage) {
        m_nOperation = OP_IMAGE_START;
        ArmResponseTimer(start.nTimeoutMs);
    } else {
        // An S-record device takes its first line right after 'D'.
        m_nOperation = OP_DOWNLOAD;
        SendNextFrame(FALSE);
    }
}

BOOL CServiceDlg::OpenFirmwareFile()
{
    CFileException error;
    if (m_DownloadFile.Open(m_strFilePath, FirmwareOpenFlags(IsImageDevice(m_nDeviceType)), &error))
        return TRUE;
    NoteStepFailure(RunFailure::FileFailed);
    CString strMessage = FirmwareUnopenedText(m_strFilePath, error.GetErrorMessage());
    LogLine(strMessage);
    MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
    ReturnToIdle();
    return FALSE;
}

BOOL CServiceDlg::SurveyFirmwareFile()
{
    FirmwareSurvey survey = SurveyFirmware(m_DownloadFile, IsImageDevice(m_nDeviceType));
    m_nFirmwareEnd = survey.nEnd;
    m_nFirmwareFrames = survey.nFrames;
    if (!survey.strReadError.IsEmpty()) {
        StopDownloadUnread(survey.strReadError);
        return FALSE;
    }
    if (survey.HoldsNothingToSend(IsImageDevice(m_nDeviceType))) {
        NoteStepFailure(RunFailure::FileFailed);
        StopDownload(FirmwareEmptyText(m_strFilePath));
        return FALSE;
    }
    if (survey.records.nBad == 0)
        return TRUE;

    // The device decides what it takes: the technician may send the file all the same.
    CString strFinding = FirmwareBadRecordsText(m_strFilePath, survey.records);
    LogLine(strFinding);
    NoteStepFailure(RunFailure::FileFailed); // nothing in an unattended run: its answer is No
    CString strQuestion = LoadText(IDS_FIRMWARE_SEND_ANYWAY);
    if (MessageBox(strFinding + strQuestion, nullptr, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES) {
        ReturnToIdle();
        return FALSE;
    }
    return TRUE;
}

void CServiceDlg::OnImageStartTaken()
{
    // The device has taken 'D': the first block follows.
    KillTimer(TIMER_RESPONSE);
    m_bTxDone = TRUE;
    m_nOperation = OP_DOWNLOAD;
    SendNextFrame(FALSE);
}

void CServiceDlg::SendNextFrame(BOOL bResend)
{
    // ACK and NAK outside a download mean nothing here.
    if (m_nOperation != OP_DOWNLOAD)
        return;
    if (bResend) {
        if (++m_nFrameRefusals >= kMaxRefusals) {
            StopDownloadRefused();
            return;
        }
        LogLine(FormatById(IDS_DOWNLOAD_RESEND, "uu", m_nFrameCount, ClampToUInt(m_DownloadFile.GetPosition())));
        if (SendCommand(m_strFrame.GetString(), m_strFrame.GetLength()))
            ArmResponseTimer(OperationOf(OP_DOWNLOAD).nTimeoutMs);
        return;
    }

    m_nFrameRefusals = 0;
    if (m_bEndFrameSent) {
        CompleteDownload(); // the device has taken the image's end frame
        return;
    }
    BOOL bImage = IsImageDevice(m_nDeviceType);
    BOOL bEnd = bImage ? BuildImageFrame() : BuildLineFrame();
    if (m_nOperation != OP_DOWNLOAD)
        return; // the file failed: reported, idle already
    if (bEnd && !bImage) {
        CompleteDownload(); // the last line's ACK
        return;
    }
    m_strRxLine.Empty();
    if (bEnd) {
        m_bEndFrameSent = TRUE; // not counted: the blocks are
    } else {
        m_nFirmwareSent = m_DownloadFile.GetPosition();
        ++m_nFrameCount;
    }
    if (!SendCommand(m_strFrame.GetString(), m_strFrame.GetLength()))
        return; // refused: reported, idle already
    ArmResponseTimer(OperationOf(OP_DOWNLOAD).nTimeoutMs);
    // The bar repaints at once, which takes longer than all the rest of a frame: it
    // follows the frame, which is on its way by now.
    m_ProgressCtrl.SetPos(ProgressPosition(m_nFirmwareSent));
}

void CServiceDlg::CompleteDownload()
{
    LogById(IDS_DOWNLOAD_DONE);
    LogDownloadTime();
    m_nOperation = OP_IDLE; // complete: nothing abandoned
    ReturnToIdle();
}

BOOL CServiceDlg::BuildLineFrame()
{
    CString strLine;
    BOOL bLine = m_DownloadFile.ReadString(strLine);
    ULONGLONG nPosition = m_DownloadFile.GetPosition();
    if (m_DownloadFile.ReadFailed()) {
        StopDownloadUnread(m_DownloadFile.GetReadErrorMessage());
        return TRUE;
    }
    // A line the file's end cut short, or lines the file did not have when it was
    // chosen, would go out as firmware.
    BOOL bShorter = (bLine ? m_DownloadFile.IsAtEnd() : TRUE) && nPosition < m_nFirmwareEnd;
    if (bShorter || nPosition > m_nFirmwareEnd) {
        StopDownloadUnread(LoadText(IDS_FIRMWARE_CHANGED));
        return TRUE;
    }
    if (!bLine)
        return TRUE;
    std::string strFrame = BuildS19Frame(std::string(strLine.GetString(), strLine.GetLength()));
    m_strFrame = CString(strFrame.data(), static_cast<int>(strFrame.size()));
    return FALSE;
}

BOOL CServiceDlg::BuildImageFrame()
{
    unsigned char block[kImageBlockSize];
    UINT nRead = m_DownloadFile.Read(block, sizeof block);
    ULONGLONG nPosition = m_DownloadFile.GetPosition();
    if (m_DownloadFile.ReadFailed()) {
        StopDownloadUnread(m_DownloadFile.GetReadErrorMessage());
        return TRUE;
    }
    // Only the file's own last block is short, and only its end ends the download.
    if (nPosition > m_nFirmwareEnd || (nRead < kImageBlockSize && nPosition != m_nFirmwareEnd)) {
        StopDownloadUnread(LoadText(IDS_FIRMWARE_CHANGED));
        return TRUE;
    }
    std::string strFrame = nRead == 0 ? ImageEndFrame() : BuildImageBlock(block, nRead, m_nFrameCount);
    m_strFrame = CString(strFrame.data(), static_cast<int>(strFrame.size()));
    return nRead == 0;
}

void CServiceDlg::StopDownload(const CString& strMessage)
{
    // Said before the return to idle, which closes the file and says where a download
    // that began stopped; the box comes last, over a tool that is idle again.
    LogLine(strMessage);
    ReturnToIdle();
    MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CServiceDlg::StopDownloadUnread(const CString& strReason)
{
    NoteStepFailure(RunFailure::FileFailed);
    StopDownload(FormatById(IDS_FIRMWARE_READ_FAILED, "ssuu", m_strFilePath.GetString(), strReason.GetString(),
                            ClampToUInt(m_nFirmwareSent), ClampToUInt(m_nFirmwareEnd)));
}

void CServiceDlg::StopDownloadRefused()
{
    NoteStepFailure(RunFailure::Nak);
    BOOL bImage = IsImageDevice(m_nDeviceType);
    if (m_bEndFrameSent) {
        StopDownload(FormatById(IDS_DOWNLOAD_REFUSED_END, "u", kMaxRefusals));
        return;
    }
    CString strMessage = bImage ? FormatById(IDS_DOWNLOAD_REFUSED_BLOCK, "uu", m_nFrameCount, kMaxRefusals)
                                : FormatById(IDS_DOWNLOAD_REFUSED_LINE, "uu", m_nFrameCount, kMaxRefusals);
    StopDownload(strMessage);
}

void CServiceDlg::LogDownloadAbandoned()
{
    if (m_bEndFrameSent) {
        LogLine(FormatById(IDS_DOWNLOAD_END_NOT_TAKEN, "u", m_nFrameCount));
        return;
    }
    BOOL bImage = IsImageDevice(m_nDeviceType);
    LogLine(FormatById(bImage ? IDS_DOWNLOAD_ABANDONED_BLOCKS : IDS_DOWNLOAD_ABANDONED_LINES, "uu", m_nFrameCount,
                       m_nFirmwareFrames));
}
