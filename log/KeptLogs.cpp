// The logs of earlier sessions (KeptLogPlan.h). The program owns the log once it holds
// ZevLog.TXT for writing, which no second start in the same folder can while it runs: so
// the log is claimed first, and only the owner moves the kept logs on. A second start
// fails at the claim and changes no file.
//
// The claim lets others read and rename the file, not write it: the last session's log is
// renamed to ZevLog.1.TXT while it is held, and the new ZevLog.TXT is created before the
// claim lets go. A rename or delete that fails (a kept log held open by a viewer) stops the
// moves where they are, with every file still under a name of its own; the new log is
// then written as ever, and its line after the start says which file stood in the way.
#include "ServiceDlg.h"
#include "KeptLogPlan.h"
#include "StringFormats.h"

namespace {
const char kLogFileName[] = "ZevLog.TXT";

CString SystemReason(DWORD nError)
{
    CFileException error;
    error.m_lOsError = nError;
    return error.GetErrorMessage();
}
}

HANDLE CServiceDlg::ClaimLogFile(CFileException& error)
{
    HANDLE hClaim = ::CreateFileA(kLogFileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hClaim == INVALID_HANDLE_VALUE) {
        error.m_lOsError = ::GetLastError();
        error.m_strFileName = kLogFileName;
    }
    return hClaim;
}

BOOL CServiceDlg::KeepPreviousLog(HANDLE hClaim)
{
    m_strKeptLogFailure.Empty();
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(hClaim, &size) || size.QuadPart == 0)
        return FALSE; // the first start in this folder: nothing to keep
    bool abKept[kKeptLogs] = {};
    for (int n = 1; n <= kKeptLogs; ++n)
        abKept[n - 1] = ::GetFileAttributesA(KeptLogName(n).c_str()) != INVALID_FILE_ATTRIBUTES;
    for (const KeptLogStep& step : PlanKeptLogs(abKept)) {
        const std::string strFrom = KeptLogName(step.nFrom);
        if (step.nTo == KeptLogStep::kDeleteLog) {
            if (!::DeleteFileA(strFrom.c_str())) {
                m_strKeptLogFailure = FormatTwoTexts(IDS_KEPT_LOG_NOT_DELETED, strFrom.c_str(),
                                                     SystemReason(::GetLastError()));
                return FALSE;
            }
            continue;
        }
        // No rename replaces a file: a name that is taken stops the moves.
        const std::string strTo = KeptLogName(step.nTo);
        if (!::MoveFileExA(strFrom.c_str(), strTo.c_str(), 0)) {
            CString strReason = SystemReason(::GetLastError());
            m_strKeptLogFailure = FormatById(IDS_KEPT_LOG_NOT_MOVED, "sss", strFrom.c_str(), strTo.c_str(),
                                             strReason.GetString());
            return FALSE;
        }
    }
    return TRUE;
}

void CServiceDlg::SayKeptLogFailure()
{
    if (!m_strKeptLogFailure.IsEmpty())
        LogLine(m_strKeptLogFailure);
}
