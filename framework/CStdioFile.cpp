#include "CStdioFile.h"
#include "TextLineReader.h"

#include <cstdlib>
#include <fcntl.h>
#include <io.h>

CString CFileException::GetErrorMessage() const
{
    char szText[512] = {};
    DWORD nLength = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                     m_lOsError, 0, szText, sizeof szText, nullptr);
    while (nLength > 0 && (szText[nLength - 1] == '\n' || szText[nLength - 1] == '\r' || szText[nLength - 1] == ' '))
        szText[--nLength] = '\0';
    CString strMessage(szText);
    if (strMessage.IsEmpty())
        strMessage.Format("system error %lu", static_cast<unsigned long>(m_lOsError));
    return strMessage;
}

CStdioFile::~CStdioFile()
{
    Abort();
}

BOOL CStdioFile::Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError)
{
    Abort();
    // The file is opened by CreateFile so that a failure carries the system's reason.
    DWORD nAccess = GENERIC_READ;
    int nFdFlags = _O_RDONLY;
    const char* pszMode = "r";
    if (nOpenFlags & modeWrite) {
        nAccess = GENERIC_WRITE;
        nFdFlags = _O_WRONLY;
        pszMode = "w";
    }
    DWORD nShare = FILE_SHARE_READ | ((nOpenFlags & shareDenyWrite) ? 0 : FILE_SHARE_WRITE);
    DWORD nDisposition = (nOpenFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE hFile = ::CreateFileA(pszFileName, nAccess, nShare, nullptr, nDisposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        if (pError) {
            pError->m_lOsError = ::GetLastError();
            pError->m_strFileName = pszFileName;
        }
        return FALSE;
    }
    // A text file that is only read is read as bytes, and ReadString takes its line ends
    // itself: the C library's text mode gets the position wrong in a file whose lines
    // end in LF alone.
    m_bTextRead = (nOpenFlags & typeBinary) == 0 && (nOpenFlags & modeWrite) == 0;
    bool bBinary = (nOpenFlags & typeBinary) != 0 || m_bTextRead;
    int nFd = _open_osfhandle(reinterpret_cast<intptr_t>(hFile), nFdFlags | (bBinary ? _O_BINARY : _O_TEXT));
    if (nFd == -1) {
        ::CloseHandle(hFile);
        if (pError) {
            pError->m_lOsError = ERROR_TOO_MANY_OPEN_FILES;
            pError->m_strFileName = pszFileName;
        }
        return FALSE;
    }
    char szMode[4] = {};
    snprintf(szMode, sizeof szMode, "%s%c", pszMode, bBinary ? 'b' : 't');
    m_pStream = _fdopen(nFd, szMode);
    if (!m_pStream) {
        _close(nFd);
        if (pError) {
            pError->m_lOsError = ERROR_TOO_MANY_OPEN_FILES;
            pError->m_strFileName = pszFileName;
        }
        return FALSE;
    }
    m_strFileName = pszFileName;
    m_nWriteError = 0;
    m_nReadError = 0;
    m_bWriting = (nOpenFlags & modeWrite) != 0;
    m_bTextWrite = m_bWriting && !bBinary;
    // A failed write never cuts into what the file held before it was opened.
    LARGE_INTEGER size = {};
    m_nFlushedLength = (nOpenFlags & modeCreate) == 0 && ::GetFileSizeEx(hFile, &size)
                           ? static_cast<ULONGLONG>(size.QuadPart)
                           : 0;
    return TRUE;
}

BOOL CStdioFile::WriteString(const char* pszText)
{
    if (!m_pStream || m_nWriteError != 0)
        return FALSE;
    BeginWrite();
    // A flush that failed earlier (Flush, or a full buffer) leaves the stream's error set.
    if (std::fputs(pszText, m_pStream) != EOF && !std::ferror(m_pStream))
        return TRUE;
    return NoteWriteFailure();
}

BOOL CStdioFile::Write(const void* pData, UINT nCount)
{
    if (!m_pStream || m_nWriteError != 0)
        return FALSE;
    BeginWrite();
    if ((nCount == 0 || std::fwrite(pData, 1, nCount, m_pStream) == nCount) && !std::ferror(m_pStream))
        return TRUE;
    return NoteWriteFailure();
}

CString CStdioFile::GetWriteErrorMessage() const
{
    CFileException error;
    error.m_lOsError = m_nWriteError;
    return error.GetErrorMessage();
}

HANDLE CStdioFile::StreamHandle() const
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(m_pStream)));
}

void CStdioFile::BeginWrite()
{
    // The C library takes its error code from the system's last error even when the
    // system reported none (a write that took only part of the bytes): an old code
    // would stand for the reason.
    _doserrno = 0;
    ::SetLastError(ERROR_SUCCESS);
}

BOOL CStdioFile::NoteWriteFailure()
{
    if (m_nWriteError == 0) {
        m_nWriteError = SystemWriteError();
        if (m_bWriting)
            CutToWholeLines();
    }
    return FALSE;
}

DWORD CStdioFile::SystemWriteError()
{
    DWORD nError = static_cast<DWORD>(_doserrno);
    if (nError != 0)
        return nError; // the system refused a write: its own reason
    if (!m_bWriting)
        return ERROR_WRITE_FAULT;
    // The system took only part of a write (a disk that fills up in the middle of it),
    // which to it is no error, and the C library gave up on the rest. The system's
    // reason is what a write of the rest meets; the byte is cut away with the rest.
    DWORD nWritten = 0;
    if (!::WriteFile(StreamHandle(), " ", 1, &nWritten, nullptr) && ::GetLastError() != ERROR_SUCCESS)
        return ::GetLastError();
    return ERROR_WRITE_FAULT;
}

void CStdioFile::CutToWholeLines()
{
    HANDLE hFile = StreamHandle();
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(hFile, &size) || static_cast<ULONGLONG>(size.QuadPart) <= m_nFlushedLength)
        return;
    ULONGLONG nEnd = m_nFlushedLength;
    // A text file keeps every whole line that reached the disk: the last line feed after
    // the last good flush is searched from the end, through a handle that may read.
    HANDLE hRead = m_bTextWrite ? ::ReOpenFile(hFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0)
                                : INVALID_HANDLE_VALUE;
    if (hRead != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        ULONGLONG nTo = static_cast<ULONGLONG>(size.QuadPart);
        while (nTo > nEnd) {
            DWORD nChunk = static_cast<DWORD>(nTo - nEnd < sizeof buffer ? nTo - nEnd : sizeof buffer);
            LARGE_INTEGER from;
            from.QuadPart = static_cast<LONGLONG>(nTo - nChunk);
            DWORD nRead = 0;
            if (!::SetFilePointerEx(hRead, from, nullptr, FILE_BEGIN) ||
                !::ReadFile(hRead, buffer, nChunk, &nRead, nullptr) || nRead != nChunk)
                break;
            DWORD i = nChunk;
            while (i > 0 && buffer[i - 1] != '\n')
                --i;
            if (i > 0) {
                nEnd = static_cast<ULONGLONG>(from.QuadPart) + i;
                break;
            }
            nTo = static_cast<ULONGLONG>(from.QuadPart);
        }
        ::CloseHandle(hRead);
    }
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(nEnd);
    if (::SetFilePointerEx(hFile, end, nullptr, FILE_BEGIN))
        ::SetEndOfFile(hFile);
}

BOOL CStdioFile::ReadString(CString& rString)
{
    rString.Empty();
    if (!m_pStream)
        return FALSE;
    _doserrno = 0; // the reason of a read that fails, not an old code
    BOOL bLine = FALSE;
    if (m_bTextRead) {
        std::string strLine;
        bLine = ReadTextLine(m_pStream, strLine);
        if (bLine)
            rString = CString(strLine.data(), static_cast<int>(strLine.size()));
    } else {
        int ch;
        while ((ch = std::fgetc(m_pStream)) != EOF) {
            bLine = TRUE;
            if (ch == '\n')
                break;
            rString += static_cast<char>(ch);
        }
    }
    // A line cut off by a failed read is no line.
    if (std::ferror(m_pStream)) {
        NoteReadFailure();
        rString.Empty();
        return FALSE;
    }
    return bLine;
}

UINT CStdioFile::Read(void* pBuffer, UINT nCount)
{
    if (!m_pStream)
        return 0;
    _doserrno = 0;
    UINT nRead = static_cast<UINT>(std::fread(pBuffer, 1, nCount, m_pStream));
    if (nRead < nCount && std::ferror(m_pStream))
        NoteReadFailure();
    return nRead;
}

void CStdioFile::NoteReadFailure()
{
    if (m_nReadError == 0) {
        m_nReadError = static_cast<DWORD>(_doserrno);
        if (m_nReadError == 0)
            m_nReadError = ERROR_READ_FAULT;
    }
}

BOOL CStdioFile::ReadFailed() const
{
    return m_nReadError != 0;
}

CString CStdioFile::GetReadErrorMessage() const
{
    CFileException error;
    error.m_lOsError = m_nReadError;
    return error.GetErrorMessage();
}

BOOL CStdioFile::IsAtEnd() const
{
    return m_pStream && std::feof(m_pStream);
}

BOOL CStdioFile::SeekToBegin()
{
    if (!m_pStream)
        return FALSE;
    m_nReadError = 0;
    BOOL bDone = _fseeki64(m_pStream, 0, SEEK_SET) == 0;
    std::clearerr(m_pStream); // the end mark of the read before
    return bDone;
}

ULONGLONG CStdioFile::GetLength() const
{
    if (!m_pStream)
        return 0;
    LARGE_INTEGER size = {};
    HANDLE hFile = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(m_pStream)));
    return ::GetFileSizeEx(hFile, &size) ? static_cast<ULONGLONG>(size.QuadPart) : 0;
}

ULONGLONG CStdioFile::GetPosition() const
{
    if (!m_pStream)
        return 0;
    long long nPos = _ftelli64(m_pStream);
    return nPos < 0 ? 0 : static_cast<ULONGLONG>(nPos);
}

BOOL CStdioFile::Flush()
{
    if (!m_pStream || m_nWriteError != 0)
        return FALSE;
    if (m_bWriting)
        BeginWrite();
    if (std::fflush(m_pStream) == 0 && !std::ferror(m_pStream)) {
        LARGE_INTEGER zero = {}, position = {};
        if (m_bWriting && ::SetFilePointerEx(StreamHandle(), zero, &position, FILE_CURRENT))
            m_nFlushedLength = static_cast<ULONGLONG>(position.QuadPart);
        return TRUE;
    }
    return NoteWriteFailure();
}

void CStdioFile::Close()
{
    if (m_pStream) {
        // After a failure the C library's buffer is empty: a failed flush drops it.
        if (m_bWriting && m_nWriteError == 0)
            Flush();
        std::fclose(m_pStream);
        m_pStream = nullptr;
    }
    m_bWriting = false;
}

void CStdioFile::Abort()
{
    Close();
}
