// A recording of the monitor opened for a review: the menu command, which needs no device
// and leaves whatever runs alone, the file read in pieces, and what is said about it. A
// file that is no recording is refused in the log and a box with its first wrong line and
// why; the tool goes on as it was.
#include "ServiceDlg.h"
#include "RecordingDlg.h"
#include "RecordingReader.h"
#include "StringFormats.h"

#include <vector>

namespace {
// What the file dialog shows: CSV files and all files.
CString RecordingFilter()
{
    CString strFilter;
    strFilter.Format("%s (*.CSV)|*.CSV|%s (*.*)|*.*||", LoadText(IDS_CSV_FILES).GetString(),
                     LoadText(IDS_ALL_FILES).GetString());
    return strFilter;
}

CString WhyText(const RecordingReadResult& result)
{
    switch (result.fault) {
    case RecordingFault::WrongHeader:
        return LoadText(IDS_REC_WHY_HEADER);
    case RecordingFault::ColumnCount:
        return FormatById(IDS_REC_WHY_COLUMNS, "u", result.nDetail);
    case RecordingFault::BadTime:
        return LoadText(IDS_REC_WHY_TIME);
    case RecordingFault::NotNumber:
        return FormatById(IDS_REC_WHY_NUMBER, "us", result.nDetail, RecordingColumnName(result.nDetail).c_str());
    case RecordingFault::TimeBackwards:
        return FormatById(IDS_REC_WHY_BACKWARDS, "s", result.strDetail.c_str());
    case RecordingFault::NotText:
        return LoadText(IDS_REC_WHY_NOT_TEXT);
    case RecordingFault::LineTooLong:
        return LoadText(IDS_REC_WHY_TOO_LONG);
    case RecordingFault::None:
    case RecordingFault::Empty:
    case RecordingFault::NoRows:
        break;
    }
    return CString();
}

// Why the file cannot be reviewed, empty when result holds its rows.
CString RefusalText(const CString& strPath, const RecordingReadResult& result)
{
    switch (result.fault) {
    case RecordingFault::None:
        return CString();
    case RecordingFault::Empty:
        return FormatById(IDS_REC_EMPTY, "s", strPath.GetString());
    case RecordingFault::NoRows:
        return FormatById(IDS_REC_NO_ROWS, "s", strPath.GetString());
    default:
        return FormatById(IDS_REC_REFUSED, "suss", strPath.GetString(), result.nLine,
                          ShownRecordingLine(result.strLine).c_str(), WhyText(result).GetString());
    }
}

// Reads the file into result in pieces; the message that says why it cannot be reviewed,
// empty when it can.
CString ReadRecordingFile(const CString& strPath, RecordingReadResult& result)
{
    CStdioFile file;
    CFileException error;
    if (!file.Open(strPath, CStdioFile::modeRead | CStdioFile::typeBinary, &error))
        return FormatTwoTexts(IDS_REC_UNREADABLE, strPath, error.GetErrorMessage());
    RecordingReader reader;
    std::vector<char> buffer(1 << 20);
    UINT nRead;
    // A file that is no recording is known by its first lines: the rest is not read.
    while (!reader.HasFailed() && (nRead = file.Read(buffer.data(), static_cast<UINT>(buffer.size()))) > 0)
        reader.Feed(buffer.data(), nRead);
    if (file.ReadFailed())
        return FormatTwoTexts(IDS_REC_UNREADABLE, strPath, file.GetReadErrorMessage());
    file.Close();
    result = reader.Finish();
    return RefusalText(strPath, result);
}
}

void CServiceDlg::OnOpenRecording()
{
    // A dialog of its own, not PromptForFileOfKind: the operation's file (m_strFilePath,
    // which a download in progress still names) stays as it is, and an unattended run's
    // files are its steps', not this.
    CFileDialog dlg(TRUE, "CSV", "*.CSV", OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, RecordingFilter());
    if (dlg.DoModal() == IDOK)
        OpenRecording(dlg.GetPathName());
}

BOOL CServiceDlg::OpenRecording(const CString& strPath)
{
    RecordingReadResult result;
    CString strMessage = ReadRecordingFile(strPath, result);
    if (!strMessage.IsEmpty()) {
        LogLine(strMessage);
        MessageBox(strMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (result.nCutLine)
        LogLine(FormatById(IDS_REC_CUT_SHORT, "su", strPath.GetString(), result.nCutLine));
    unsigned nFrames = static_cast<unsigned>(result.samples.size());
    std::string strDuration = FormatRecordingDuration(result.samples.back().dSeconds);
    CString strSummary = FormatById(IDS_REC_SUMMARY, "uss", nFrames, result.strFirstTime.c_str(), strDuration.c_str());
    CRecordingDlg* pDlg = new CRecordingDlg(this, strPath, std::move(result.samples), strSummary);
    if (!pDlg->Open(this)) {
        delete pDlg;
        LogLine(FormatById(IDS_REC_WINDOW_FAILED, "s", strPath.GetString()));
        return FALSE;
    }
    LogLine(FormatById(IDS_REC_OPENED, "suss", strPath.GetString(), nFrames, result.strFirstTime.c_str(),
                       strDuration.c_str()));
    return TRUE;
}
