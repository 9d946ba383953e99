#include "ResultFile.h"
#include "ResultRow.h"

#include <vector>

namespace {
// How long a file held by another program is waited for, and how often it is tried.
const ULONGLONG kHeldForMs = 10000;
const DWORD kRetryMs = 50;
// A pending file larger than this is no file of ours: it is left as it is.
const LONGLONG kMaxPendingBytes = 64LL * 1024 * 1024;

bool IsHeld(DWORD nError)
{
    return nError == ERROR_SHARING_VIOLATION || nError == ERROR_LOCK_VIOLATION;
}

CString ErrorText(DWORD nError)
{
    CFileException error;
    error.m_lOsError = nError;
    return error.GetErrorMessage();
}

// A file opened for this process alone (share mode 0): another bench's append, or a
// spreadsheet that has it open, is waited for until nUntil. INVALID_HANDLE_VALUE and
// nError when it cannot be opened (ERROR_FILE_NOT_FOUND with OPEN_EXISTING: there is none).
HANDLE OpenAlone(const std::string& strPath, DWORD nAccess, DWORD nDisposition, ULONGLONG nUntil,
                 const std::function<void()>& onHeld, DWORD& nError)
{
    bool bHeldSaid = false;
    for (;;) {
        HANDLE hFile = ::CreateFileA(strPath.c_str(), nAccess, 0, nullptr, nDisposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE)
            return hFile;
        nError = ::GetLastError();
        if (!IsHeld(nError) || ::GetTickCount64() >= nUntil)
            return INVALID_HANDLE_VALUE;
        if (!bHeldSaid && onHeld)
            onHeld();
        bHeldSaid = true;
        // The unit's steps are over and nothing on the line waits for the window: the
        // wait blocks, so that no other message runs into the half-finished unit.
        ::Sleep(kRetryMs);
    }
}

// The file's size and its last byte ('\n' when it is empty).
bool SizeAndLastByte(HANDLE hFile, LONGLONG& nSize, char& chLast, DWORD& nError)
{
    LARGE_INTEGER size = {};
    chLast = '\n';
    if (!::GetFileSizeEx(hFile, &size)) {
        nError = ::GetLastError();
        return false;
    }
    nSize = size.QuadPart;
    if (nSize == 0)
        return true;
    LARGE_INTEGER last = {};
    last.QuadPart = nSize - 1;
    DWORD nRead = 0;
    if (!::SetFilePointerEx(hFile, last, nullptr, FILE_BEGIN) || !::ReadFile(hFile, &chLast, 1, &nRead, nullptr) ||
        nRead != 1) {
        nError = ::GetLastError() ? ::GetLastError() : ERROR_READ_FAULT;
        return false;
    }
    return true;
}

// Up to nCount bytes from the file's start.
std::string ReadStart(HANDLE hFile, std::size_t nCount)
{
    std::string strStart(nCount, '\0');
    LARGE_INTEGER start = {};
    DWORD nRead = 0;
    if (!::SetFilePointerEx(hFile, start, nullptr, FILE_BEGIN) ||
        !::ReadFile(hFile, &strStart[0], static_cast<DWORD>(nCount), &nRead, nullptr))
        nRead = 0;
    strStart.resize(nRead);
    return strStart;
}

bool ReadAll(HANDLE hFile, std::string& strText, DWORD& nError)
{
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(hFile, &size) || size.QuadPart > kMaxPendingBytes) {
        nError = size.QuadPart > kMaxPendingBytes ? ERROR_FILE_TOO_LARGE : ::GetLastError();
        return false;
    }
    strText.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t nDone = 0;
    while (nDone < strText.size()) {
        DWORD nRead = 0;
        if (!::ReadFile(hFile, &strText[nDone], static_cast<DWORD>(strText.size() - nDone), &nRead, nullptr) ||
            nRead == 0) {
            nError = ::GetLastError() ? ::GetLastError() : ERROR_HANDLE_EOF;
            return false;
        }
        nDone += nRead;
    }
    return true;
}

// Writes strText at the end of a file of nSize bytes and flushes it. When any of it fails
// the file is cut back to nSize, so that it ends with its last whole row as before. The
// system's error, 0 when all of it is on the disk.
DWORD WriteWhole(HANDLE hFile, LONGLONG nSize, const std::string& strText)
{
    LARGE_INTEGER end = {};
    end.QuadPart = nSize;
    DWORD nError = 0;
    if (!::SetFilePointerEx(hFile, end, nullptr, FILE_BEGIN))
        return ::GetLastError();
    std::size_t nDone = 0;
    // A disk that fills takes part of a write: the rest is written again, which gives
    // the system's reason.
    while (nDone < strText.size() && nError == 0) {
        DWORD nWritten = 0;
        if (!::WriteFile(hFile, strText.data() + nDone, static_cast<DWORD>(strText.size() - nDone), &nWritten, nullptr))
            nError = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
        else if (nWritten == 0)
            nError = ERROR_HANDLE_DISK_FULL;
        nDone += nWritten;
    }
    if (nError == 0 && !::FlushFileBuffers(hFile))
        nError = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
    if (nError != 0 && nDone > 0) {
        ::SetFilePointerEx(hFile, end, nullptr, FILE_BEGIN);
        ::SetEndOfFile(hFile);
        ::FlushFileBuffers(hFile);
    }
    return nError;
}

// The file goes when its handle is closed; emptied first, in case it cannot go, so that
// its rows are never moved in twice.
void RemoveOnClose(HANDLE hFile)
{
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    if (::SetFileInformationByHandle(hFile, FileDispositionInfo, &disposition, sizeof disposition))
        return;
    LARGE_INTEGER start = {};
    ::SetFilePointerEx(hFile, start, nullptr, FILE_BEGIN);
    ::SetEndOfFile(hFile);
}

unsigned CountRows(const std::string& strRows)
{
    unsigned nRows = 0;
    for (char c : strRows)
        nRows += c == '\n';
    return nRows;
}

// Into the result file: the pending file's rows first, when it can be had, then the row.
DWORD AppendToResultFile(const std::string& strPath, const std::string& strPendingPath, const std::string& strRow,
                         const std::function<void()>& onHeld, ResultAppend& result)
{
    DWORD nError = 0;
    const ULONGLONG nUntil = ::GetTickCount64() + kHeldForMs;
    HANDLE hFile = OpenAlone(strPath, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, nUntil, onHeld, nError);
    if (hFile == INVALID_HANDLE_VALUE)
        return nError;
    const std::string strHeader = ResultCsvHeader();
    // Rows that waited in the pending file go in before this one, as they are older. A
    // pending file that cannot be had now waits for a later append.
    DWORD nPendingError = 0;
    std::string strPendingRows;
    HANDLE hPending = OpenAlone(strPendingPath, GENERIC_READ | GENERIC_WRITE | DELETE, OPEN_EXISTING,
                                ::GetTickCount64() + kHeldForMs, nullptr, nPendingError);
    if (hPending != INVALID_HANDLE_VALUE) {
        std::string strPendingText;
        if (ReadAll(hPending, strPendingText, nPendingError)) {
            strPendingRows = PendingRows(strPendingText, strHeader);
        } else {
            ::CloseHandle(hPending);
            hPending = INVALID_HANDLE_VALUE;
        }
    }
    LONGLONG nSize = 0;
    char chLast = '\n';
    if (SizeAndLastByte(hFile, nSize, chLast, nError)) {
        // Rows are appended whatever the header: the file is the line's, not to be replaced.
        result.bOtherHeader = nSize > 0 && !StartsWithResultHeader(ReadStart(hFile, strHeader.size()));
        nError = WriteWhole(hFile, nSize, AppendText(nSize, chLast, strHeader, strPendingRows + strRow));
    }
    if (hPending != INVALID_HANDLE_VALUE) {
        if (nError == 0) {
            result.nMovedRows = CountRows(strPendingRows);
            RemoveOnClose(hPending);
        }
        ::CloseHandle(hPending);
    }
    ::CloseHandle(hFile);
    return nError;
}

DWORD AppendToPendingFile(const std::string& strPendingPath, const std::string& strRow)
{
    DWORD nError = 0;
    HANDLE hFile = OpenAlone(strPendingPath, GENERIC_READ | GENERIC_WRITE | DELETE, OPEN_ALWAYS,
                             ::GetTickCount64() + kHeldForMs, nullptr, nError);
    if (hFile == INVALID_HANDLE_VALUE)
        return nError;
    LONGLONG nSize = 0;
    char chLast = '\n';
    if (SizeAndLastByte(hFile, nSize, chLast, nError))
        nError = WriteWhole(hFile, nSize, AppendText(nSize, chLast, ResultCsvHeader(), strRow));
    // A pending file made for this row and left empty is no file to keep.
    if (nError != 0 && nSize == 0)
        RemoveOnClose(hFile);
    ::CloseHandle(hFile);
    return nError;
}
}

ResultAppend AppendResultRow(const std::string& strPath, const std::string& strRow,
                             const std::function<void()>& onHeld)
{
    ResultAppend result;
    result.strPendingPath = PendingFileName(strPath);
    DWORD nError = AppendToResultFile(strPath, result.strPendingPath, strRow, onHeld, result);
    if (nError == 0)
        return result;
    result.strReason = ErrorText(nError);
    nError = AppendToPendingFile(result.strPendingPath, strRow);
    if (nError == 0) {
        result.where = ResultAppend::Pending;
        return result;
    }
    result.where = ResultAppend::Lost;
    result.strPendingReason = ErrorText(nError);
    return result;
}
