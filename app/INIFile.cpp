#include "INIFile.h"
#include "SettingsPath.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const char kDefaultFile[] = "DEFAULT.INI";
}

INIFile::INIFile(const char* pszFileName)
{
    SetFileName(pszFileName);
}

INIFile::~INIFile()
{
    std::free(m_pszPath);
}

void INIFile::SetPath(const char* pszPath, size_t nLength)
{
    std::free(m_pszPath);
    m_pszPath = static_cast<char*>(std::calloc(nLength + 1, 1));
    if (!m_pszPath) {
        ::MessageBoxA(nullptr, "No memory for creation of INIFile Object available !", "Error",
                      MB_ICONEXCLAMATION);
        return;
    }
    std::memcpy(m_pszPath, pszPath, nLength);
}

void INIFile::SetFileName(const char* pszFileName)
{
    std::string strPath;
    if (!pszFileName) {
        char szModule[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, szModule, MAX_PATH);
        const char* pszCommandLine = ::GetCommandLineA();
        std::string strBuffer(std::strlen(pszCommandLine ? pszCommandLine : "") + MAX_PATH + 8, '\0');
        SettingsPathFromCommandLine(pszCommandLine, szModule, &strBuffer[0], strBuffer.size());
        strPath = strBuffer.c_str();
        if (strPath.empty()) {
            ::MessageBoxA(nullptr, "Location of EXE-File could not be determined", "Error",
                          MB_ICONEXCLAMATION);
            strPath = kDefaultFile;
        }
    } else if (!std::strchr(pszFileName, '.')) {
        strPath = kDefaultFile;
    } else {
        strPath = WithIniAfterFirstDot(pszFileName);
    }
    SetPath(strPath.c_str(), strPath.size());
}

void INIFile::ReadString(const char* pszSection, const char* pszKey, char* pszBuffer, DWORD nBufferSize,
                         const char* pszDefault)
{
    ::GetPrivateProfileStringA(pszSection, pszKey, pszDefault, pszBuffer, nBufferSize, m_pszPath);
    if (std::strcmp(pszDefault, pszBuffer) == 0)
        WriteString(pszSection, pszKey, pszDefault);
}

void INIFile::ReadOptionalString(const char* pszSection, const char* pszKey, char* pszBuffer, DWORD nBufferSize)
{
    ::GetPrivateProfileStringA(pszSection, pszKey, "", pszBuffer, nBufferSize, m_pszPath);
}

int INIFile::ReadInt(const char* pszSection, const char* pszKey, int nDefault)
{
    int nValue = static_cast<int>(::GetPrivateProfileIntA(pszSection, pszKey, nDefault, m_pszPath));
    if (nValue == nDefault)
        WriteInt(pszSection, pszKey, nDefault);
    return nValue;
}

BOOL INIFile::WriteString(const char* pszSection, const char* pszKey, const char* pszText)
{
    return ::WritePrivateProfileStringA(pszSection, pszKey, pszText, m_pszPath);
}

void INIFile::WriteInt(const char* pszSection, const char* pszKey, int nValue)
{
    char szText[16];
    std::snprintf(szText, sizeof szText, "%d", nValue);
    WriteString(pszSection, pszKey, szText);
}

DWORD INIFile::WriteAccessError() const
{
    if (!m_pszPath)
        return ERROR_NOT_ENOUGH_MEMORY;
    // A name without a folder is where the profile functions put it: the Windows folder.
    std::string strPath = m_pszPath;
    if (strPath.find_first_of("\\/:") == std::string::npos) {
        char szWindows[MAX_PATH] = {};
        ::GetWindowsDirectoryA(szWindows, MAX_PATH);
        strPath = std::string(szWindows) + "\\" + strPath;
    }
    HANDLE hFile = ::CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    bool bCreated = ::GetLastError() != ERROR_ALREADY_EXISTS;
    ::CloseHandle(hFile);
    if (bCreated)
        ::DeleteFileA(strPath.c_str()); // the probe leaves nothing behind
    return 0;
}
