// The traffic trace for support: with [Debug] Trace=1 in the settings file every byte
// sent and received goes to ZevTrace.TXT beside the log, each piece with its time to the
// millisecond, its direction and the operation in progress. Each record is on the disk
// when the receive event or the command that wrote it is handled, with the log's lines,
// so the file is whole up to the moment a field problem ends the program.
//
// The trace stops at its size limit ([Debug] TraceLimitMB, 100 MB unless set; a monitor
// writes about 1 KB a frame, 100 MB an hour) with a last line that says so, and the log
// says so too: a trace left on for a day must not fill the disk.
#include "ServiceDlg.h"
#include "INIFile.h"
#include "StringFormats.h"
#include "TimeOfDay.h"
#include "TraceFormat.h"

namespace {
const char kTraceFileName[] = "ZevTrace.TXT";

// Said once, in the log and in a box; the tool goes on without a trace rather than with
// one that has gaps.
void ReportTraceFailure(CServiceDlg& dlg)
{
    CString strReason = dlg.m_TraceFile.GetWriteErrorMessage();
    dlg.m_TraceFile.Abort();
    dlg.ReportFileFailure(FormatTwoTexts(IDS_TRACE_FAILED, kTraceFileName, strReason));
}
}

void CServiceDlg::OpenTrace()
{
    if (!m_pSettings)
        return;
    int nTrace = m_pSettings->ReadInt("Debug", "Trace", 0);
    // Read whether or not the trace is on, so that the settings file shows the key.
    m_nTraceLimitMB = TraceLimitMegabytes(m_pSettings->ReadInt("Debug", "TraceLimitMB", kDefaultTraceLimitMB));
    if (nTrace != 1)
        return;
    m_nTraceLimit = static_cast<ULONGLONG>(m_nTraceLimitMB) * 1024 * 1024;
    CFileException error;
    if (!m_TraceFile.Open(kTraceFileName, CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText,
                          &error)) {
        LogLine(FormatTwoTexts(IDS_TRACE_FAILED, kTraceFileName, error.GetErrorMessage()));
        return;
    }
    std::string strHeader = TraceHeader(CTime::GetCurrentTime().Format("%Y-%m-%d %H:%M:%S"));
    m_TraceFile.WriteString(strHeader.c_str());
    m_nTraceBytes = TextFileBytes(strHeader);
    LogByIdText(IDS_TRACE_ON, kTraceFileName);
}

void CServiceDlg::TraceBytes(bool bSent, const void* pBytes, int nCount)
{
    if (!m_TraceFile.IsOpen() || nCount <= 0)
        return;
    CString strTime = TimeOfDayWithMilliseconds();
    std::string strRecord = FormatTraceRecord(strTime, bSent, m_nOperation, static_cast<const unsigned char*>(pBytes),
                                              static_cast<std::size_t>(nCount));
    std::string strLastLine = TraceLimitLine(strTime, m_nTraceLimitMB);
    // The last line always has room: the file never passes its limit.
    ULONGLONG nRecordBytes = TextFileBytes(strRecord);
    if (m_nTraceBytes + nRecordBytes + TextFileBytes(strLastLine) > m_nTraceLimit) {
        StopTraceAtLimit(strLastLine);
        return;
    }
    // Within a burst the record goes to the disk with the log's lines when the burst ends:
    // a download's next frame does not wait for the write of the ACK's record.
    if (!m_TraceFile.WriteString(strRecord.c_str()) || (!m_bLogBurst && !m_TraceFile.Flush())) {
        ReportTraceFailure(*this);
        return;
    }
    m_nTraceBytes += nRecordBytes;
}

void CServiceDlg::FlushTrace()
{
    if (m_TraceFile.IsOpen() && !m_TraceFile.Flush())
        ReportTraceFailure(*this);
}

void CServiceDlg::StopTraceAtLimit(const std::string& strLastLine)
{
    if (!m_TraceFile.WriteString(strLastLine.c_str()) || !m_TraceFile.Flush()) {
        ReportTraceFailure(*this);
        return;
    }
    m_nTraceBytes += TextFileBytes(strLastLine);
    m_TraceFile.Close();
    CString strLimit;
    strLimit.Format("%d", m_nTraceLimitMB);
    LogLine(FormatTwoTexts(IDS_TRACE_LIMIT, kTraceFileName, strLimit));
}

void CServiceDlg::CloseTrace()
{
    if (m_TraceFile.IsOpen())
        m_TraceFile.Close();
}
