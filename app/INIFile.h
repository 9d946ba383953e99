// INIFile: the program's settings file, next to the program, read and written one value
// at a time through the private-profile functions. A value read as its default is
// written back, so after the first run the file shows every setting.
#pragma once

#include <windows.h>

class INIFile {
public:
    // Without a name the file is the program's own path with the extension INI.
    explicit INIFile(const char* pszFileName = nullptr);
    ~INIFile();
    INIFile(const INIFile&) = delete;
    INIFile& operator=(const INIFile&) = delete;

    void SetFileName(const char* pszFileName);
    const char* GetFileName() const { return m_pszPath; }

    void ReadString(const char* pszSection, const char* pszKey, char* pszBuffer, DWORD nBufferSize,
                    const char* pszDefault);
    int ReadInt(const char* pszSection, const char* pszKey, int nDefault);
    // A key that is there only when the user put it there ([Ports]): read without the
    // write-back, an empty text when it is missing.
    void ReadOptionalString(const char* pszSection, const char* pszKey, char* pszBuffer, DWORD nBufferSize);
    // A null text removes the key.
    BOOL WriteString(const char* pszSection, const char* pszKey, const char* pszText);
    void WriteInt(const char* pszSection, const char* pszKey, int nValue);

    // Why the file could not be written now (a system error code), or 0 when it can.
    // The profile functions report nothing, so this asks the file system.
    DWORD WriteAccessError() const;

private:
    void SetPath(const char* pszPath, size_t nLength);
    char* m_pszPath = nullptr; // owned; null when it could not be allocated
};

