#include "ScriptOutput.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {
const char kErrorFileName[] = "ZEV-ERROR.TXT";

bool IsHandle(HANDLE hOutput)
{
    return hOutput != nullptr && hOutput != INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE hOutput, const std::string& strText)
{
    if (!IsHandle(hOutput))
        return false;
    DWORD nMode = 0;
    if (::GetConsoleMode(hOutput, &nMode)) {
        // A console shows its own code page: the text goes as Unicode, so that umlauts
        // stay umlauts. A file or pipe gets the program's own (ANSI) bytes.
        int nWide = ::MultiByteToWideChar(CP_ACP, 0, strText.data(), static_cast<int>(strText.size()), nullptr, 0);
        std::wstring strWide(static_cast<std::size_t>(nWide), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, strText.data(), static_cast<int>(strText.size()), &strWide[0], nWide);
        DWORD nShown = 0;
        return ::WriteConsoleW(hOutput, strWide.data(), static_cast<DWORD>(strWide.size()), &nShown, nullptr) != 0;
    }
    DWORD nWritten = 0;
    return ::WriteFile(hOutput, strText.data(), static_cast<DWORD>(strText.size()), &nWritten, nullptr) &&
           nWritten == strText.size();
}

// The parent's console, borrowed for one write: a window program has none of its own.
bool WriteToParentConsole(const std::string& strText)
{
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    HANDLE hConsole = ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    bool bWritten = WriteAll(hConsole, "\r\n" + strText);
    if (hConsole != INVALID_HANDLE_VALUE)
        ::CloseHandle(hConsole);
    ::FreeConsole();
    return bWritten;
}

// Lines end with CR LF in the file, whatever the text used.
std::string WithCrLf(const char* pszText)
{
    std::string strText;
    for (const char* p = pszText; *p; ++p) {
        if (*p == '\r')
            continue;
        if (*p == '\n')
            strText += '\r';
        strText += *p;
    }
    return strText;
}
}

bool CallerListens()
{
    // A handle the caller gave is one a write reaches: a file, a pipe, a console. One
    // inherited by mistake from a parent with none is no handle here.
    HANDLE hError = ::GetStdHandle(STD_ERROR_HANDLE);
    if (IsHandle(hError) && ::GetFileType(hError) != FILE_TYPE_UNKNOWN)
        return true;
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    ::FreeConsole();
    return true;
}

bool TellCaller(const char* pszText)
{
    std::string strText = pszText;
    strText += "\r\n";
    // A script that redirects or pipes the program's output has given it a handle; a
    // program started from a console window gets that console.
    if (WriteAll(::GetStdHandle(STD_ERROR_HANDLE), strText) || WriteToParentConsole(strText))
        return true;
    KeepInErrorFile(pszText);
    return false;
}

void KeepInErrorFile(const char* pszText)
{
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    char szStamp[32];
    std::snprintf(szStamp, sizeof szStamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    std::string strText = szStamp + WithCrLf(pszText) + "\r\n";
    // Appended in one write: two programs that end at once do not mix their lines.
    HANDLE hFile = ::CreateFileA(kErrorFileName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return; // nowhere left to say it: the exit code still does
    DWORD nWritten = 0;
    ::WriteFile(hFile, strText.data(), static_cast<DWORD>(strText.size()), &nWritten, nullptr);
    ::CloseHandle(hFile);
}
