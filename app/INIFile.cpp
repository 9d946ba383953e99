#include "INIFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const char kDefaultFile[] = "DEFAULT.INI";

// Everything after the first '.' becomes "INI".
std::string WithIniAfterFirstDot(const std::string& strName)
{
    return strName.substr(0, strName.find('.') + 1) + "INI";
}

// The folder and base name of a module file with the extension INI.
std::string IniBesideModule(const std::string& strModule)
{
    std::string::size_type nName = strModule.find_last_of("\\/");
    nName = nName == std::string::npos ? 0 : nName + 1;
    std::string::size_type nDot = strModule.find_last_of('.');
    std::string strBase = nDot != std::string::npos && nDot >= nName ? strModule.substr(0, nDot) : strModule;
    return strBase + ".INI";
}

// The quoted program path of a command line that begins with a quotation mark.
bool QuotedProgramPath(const std::string& strCommandLine, std::string& strProgram)
{
    if (strCommandLine.empty() || strCommandLine[0] != '"')
        return false;
    std::string::size_type nClose = strCommandLine.find('"', 1);
    strProgram = strCommandLine.substr(1, nClose == std::string::npos ? std::string::npos : nClose - 1);
    return true;
}
}

void SettingsPathFromCommandLine(const char* pszCommandLine, const char* pszModulePath,
                                 char* pszPath, size_t nPathSize)
{
    std::string strCommandLine = pszCommandLine ? pszCommandLine : "";
    std::string strPath;
    std::string strProgram;
    if (strCommandLine.empty()) {
        strPath.clear();
    } else if (QuotedProgramPath(strCommandLine, strProgram)) {
        std::string::size_type nName = strProgram.find_last_of("\\/");
        std::string strFolder = nName == std::string::npos ? "" : strProgram.substr(0, nName);
        bool bDotInName = strProgram.find('.', nName == std::string::npos ? 0 : nName) != std::string::npos;
        if (!strFolder.empty() && strFolder.find('.') == std::string::npos && bDotInName)
            strPath = WithIniAfterFirstDot(strCommandLine.substr(1));
        else
            strPath = IniBesideModule(pszModulePath);
    } else {
        strPath = IniBesideModule(pszModulePath);
    }
    std::snprintf(pszPath, nPathSize, "%s", strPath.c_str());
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
