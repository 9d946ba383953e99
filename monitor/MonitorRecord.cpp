// The monitor's recording: started and stopped with the monitor window's button, one CSV
// row for every decoded frame while the monitor runs, hidden window or not; the log rule
// stays as it is. The recording ends with the monitor (the return to idle). Each row goes
// to the disk at once: a full disk is said at the row it hits, in the log and in a box
// (the monitor's stream would scroll a log line away), and the file ends with the last
// whole row.
#include "ServiceDlg.h"
#include "MonitorDlg.h"
#include "MonitorFrame.h"
#include "StringFormats.h"
#include "TimeOfDay.h"

LRESULT CServiceDlg::OnMonitorRecord(WPARAM, LPARAM)
{
    if (m_MonitorCsvFile.IsOpen()) {
        StopMonitorRecord();
        return 0;
    }
    if (m_nOperation != OP_MONITOR || PromptForFileOfKind(FALSE, "CSV", IDS_CSV_FILES) != IDOK)
        return 0;
    // The monitor may have ended while the dialog was open.
    if (m_nOperation != OP_MONITOR)
        return 0;
    CFileException error;
    std::string strHeader = MonitorCsvHeader();
    if (!m_MonitorCsvFile.Open(m_strFilePath, CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText,
                               &error)) {
        LogLine(FormatTwoTexts(IDS_MON_RECORD_FAILED, m_strFilePath, error.GetErrorMessage()));
        return 0;
    }
    m_MonitorCsvFile.WriteString(strHeader.c_str());
    LogByIdText(IDS_MON_RECORD_START, m_MonitorCsvFile.GetFilePath());
    if (m_pMonitorDlg)
        m_pMonitorDlg->ShowRecording(TRUE);
    return 0;
}

void CServiceDlg::RecordFrame(const unsigned char* pFrame)
{
    if (!m_MonitorCsvFile.IsOpen())
        return;
    std::string strRow = FormatMonitorCsvRow(TimeOfDayWithMilliseconds(), DecodeMonitorFrame(pFrame));
    if (m_MonitorCsvFile.WriteString(strRow.c_str()) && m_MonitorCsvFile.Flush())
        return;
    // A full disk: said once, and the recording ends with what it has.
    ReportFileFailure(FormatTwoTexts(IDS_MON_RECORD_FAILED, m_MonitorCsvFile.GetFilePath(),
                                     m_MonitorCsvFile.GetWriteErrorMessage()));
    StopMonitorRecord();
}

void CServiceDlg::StopMonitorRecord()
{
    if (!m_MonitorCsvFile.IsOpen())
        return;
    CString strPath = m_MonitorCsvFile.GetFilePath();
    m_MonitorCsvFile.Close();
    LogByIdText(IDS_MON_RECORD_END, strPath);
    if (m_pMonitorDlg && m_pMonitorDlg->m_hWnd)
        m_pMonitorDlg->ShowRecording(FALSE);
}
