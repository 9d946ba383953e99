// CStdioFile: a file read and written through a C stream. In text mode every line feed
// written becomes CR LF, and CR LF reads back as a line feed; a text file opened only for
// reading ends at a Ctrl+Z, and its position counts every byte of the file.
//
// A write that fails (a full disk) is the file's last: it is cut back to the end of its
// last whole line (a binary file to its length at the last good Flush), so that it never
// ends in half a line, and every later write fails at once without touching it.
#pragma once

#include "CString.h"

#include <cstdio>

// Why an Open failed: the system's error code and the file's name.
struct CFileException {
    DWORD m_lOsError = 0;
    CString m_strFileName;

    // The system's description of the error, without a trailing line end.
    CString GetErrorMessage() const;
};

class CStdioFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        shareDenyWrite = 0x0020,
        modeCreate = 0x1000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };

    CStdioFile() = default;
    ~CStdioFile();
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

    // modeCreate empties an existing file. FALSE on failure, with the reason in *pError.
    BOOL Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    BOOL IsOpen() const { return m_pStream != nullptr; }
    const CString& GetFilePath() const { return m_strFileName; }

    // FALSE once a write has failed (a full disk shows when the stream's buffer goes
    // out, or at Flush); GetWriteErrorMessage gives the system's reason.
    // shareDenyWrite: no other program may write the file while it is open.
    BOOL WriteString(const char* pszText);
    BOOL Write(const void* pData, UINT nCount);
    CString GetWriteErrorMessage() const;
    // Reads one line without its line end; FALSE at the end of the file, or when the
    // read failed (ReadFailed tells the two apart).
    BOOL ReadString(CString& rString);
    UINT Read(void* pBuffer, UINT nCount);
    // TRUE once a read has failed: what Read and ReadString gave so far is all there is,
    // and the file's end was not reached. GetReadErrorMessage gives the system's reason.
    BOOL ReadFailed() const;
    CString GetReadErrorMessage() const;
    // TRUE when a read has met the end of the file.
    BOOL IsAtEnd() const;
    BOOL SeekToBegin();
    ULONGLONG GetLength() const;
    ULONGLONG GetPosition() const;
    BOOL Flush();
    // A file being written is flushed first: a failure there is cut back as any other.
    void Close();
    // Closes without reporting anything, whatever state the file is in.
    void Abort();

    FILE* m_pStream = nullptr;

private:
    CString m_strFileName;
    bool m_bTextRead = false; // a text file read as bytes: ReadString takes CR LF as the line end
    void BeginWrite();
    BOOL NoteWriteFailure();
    void NoteReadFailure();
    DWORD SystemWriteError();
    void CutToWholeLines();
    HANDLE StreamHandle() const;
    DWORD m_nWriteError = 0;  // the system's reason of the first failed write, 0 while none
    DWORD m_nReadError = 0;   // the same for the first failed read
    bool m_bWriting = false;  // opened for writing
    bool m_bTextWrite = false; // written in text mode: whole lines end in a line feed
    ULONGLONG m_nFlushedLength = 0; // the file's length after the last good Flush
};
