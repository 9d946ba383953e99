// The traffic trace for support: with [Debug] Trace=1 in the settings file every byte
// sent and received goes to ZevTrace.TXT beside the log, each piece with its time to the
// millisecond, its direction and the operation in progress. Each record is flushed at
// once, so the file is whole up to the moment a field problem ends the program.
#include "ServiceDlg.h"
#include "INIFile.h"
#include "StringFormats.h"
#include "TimeOfDay.h"
#include "TraceFormat.h"

namespace {
const char kTraceFileName[] = "ZevTrace.TXT";
}

void CServiceDlg::OpenTrace()
{
    if (!m_pSettings || m_pSettings->ReadInt("Debug", "Trace", 0) != 1)
        return;
    CFileException error;
    if (!m_TraceFile.Open(kTraceFileName, CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText,
                          &error)) {
        LogLine(FormatTwoTexts(IDS_TRACE_FAILED, "The trace file %s cannot be written (%s): there is no trace",
                               kTraceFileName, error.GetErrorMessage()));
        return;
    }
    std::string strHeader = TraceHeader(CTime::GetCurrentTime().Format("%Y-%m-%d %H:%M:%S"));
    m_TraceFile.WriteString(strHeader.c_str());
    LogByIdText(IDS_TRACE_ON, kTraceFileName);
}

void CServiceDlg::TraceBytes(bool bSent, const void* pBytes, int nCount)
{
    if (!m_TraceFile.IsOpen() || nCount <= 0)
        return;
    std::string strRecord = FormatTraceRecord(TimeOfDayWithMilliseconds(), bSent, m_nOperation, static_cast<const unsigned char*>(pBytes),
                                              static_cast<std::size_t>(nCount));
    if (m_TraceFile.WriteString(strRecord.c_str()) && m_TraceFile.Flush())
        return;
    // Said once; the tool goes on without a trace rather than with one that has gaps.
    CString strReason = m_TraceFile.GetWriteErrorMessage();
    m_TraceFile.Abort();
    LogLine(FormatTwoTexts(IDS_TRACE_FAILED, "The trace file %s cannot be written (%s): there is no trace",
                           kTraceFileName, strReason));
}

void CServiceDlg::CloseTrace()
{
    if (m_TraceFile.IsOpen())
        m_TraceFile.Close();
}
