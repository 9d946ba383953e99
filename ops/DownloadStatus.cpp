// The download's status line under the progress bar: the frames sent of the file's, the
// rate over the last few seconds and the time left (DownloadPace.h). A window timer
// brings it up to date a few times a second, so that a frame costs nothing for it, and
// it catches up with the last frame while the device thinks. Empty while no download
// runs. And the time a complete download took, for the log.
#include "ServiceDlg.h"
#include "FirmwareFileCheck.h"
#include "StringFormats.h"

namespace {
// At most four changes of the text a second: it stays readable, and costs nothing.
const UINT kPaceShowMs = 250;
}

void CServiceDlg::StartDownloadPace()
{
    m_DownloadPace.Start(::GetTickCount64(), m_nFrameCount);
    m_bDownloadPace = TRUE;
    SetTimer(TIMER_DOWNLOAD_PACE, kPaceShowMs);
    ShowDownloadPace();
}

void CServiceDlg::OnDownloadPaceTimer()
{
    if (!m_bDownloadPace)
        return;
    m_DownloadPace.Sample(::GetTickCount64(), m_nFrameCount);
    ShowDownloadPace();
}

void CServiceDlg::ShowDownloadPace()
{
    BOOL bImage = IsImageDevice(m_nDeviceType);
    UINT nRate = m_DownloadPace.RateTenths();
    CString strText;
    if (nRate == 0) {
        // The first second, or a line that has stopped: the count alone.
        strText = FormatById(bImage ? IDS_DOWNLOAD_PACE_BLOCKS : IDS_DOWNLOAD_PACE_LINES, "uu", m_nFrameCount,
                             m_nFirmwareFrames);
    } else {
        std::string strLeft = ClockDuration(m_DownloadPace.SecondsLeft(m_nFrameCount, m_nFirmwareFrames));
        strText = FormatById(bImage ? IDS_DOWNLOAD_RATE_BLOCKS : IDS_DOWNLOAD_RATE_LINES, "uuuus", m_nFrameCount,
                             m_nFirmwareFrames, nRate / 10, nRate % 10, strLeft.c_str());
    }
    SetDownloadStatus(strText);
}

void CServiceDlg::SetDownloadStatus(const CString& strText)
{
    if (strText == m_strDownloadStatus)
        return;
    m_strDownloadStatus = strText;
    ::SetWindowTextA(GetDlgItem(IDC_DOWNLOAD_STATUS), strText);
}

void CServiceDlg::EndDownloadPace()
{
    if (!m_bDownloadPace)
        return;
    m_bDownloadPace = FALSE;
    KillTimer(TIMER_DOWNLOAD_PACE);
    SetDownloadStatus(CString());
}

void CServiceDlg::LogDownloadTime()
{
    ULONGLONG nMs = m_DownloadPace.ElapsedMs(::GetTickCount64());
    UINT nRate = AverageRateTenths(m_nFrameCount, nMs);
    std::string strTook = ClockDuration(RoundedSeconds(nMs));
    LogLine(FormatById(IsImageDevice(m_nDeviceType) ? IDS_DOWNLOAD_TOOK_BLOCKS : IDS_DOWNLOAD_TOOK_LINES, "suu",
                       strTook.c_str(), nRate / 10, nRate % 10));
}
