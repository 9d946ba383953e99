#include "ScriptOutput.h"

#include <windows.h>

#include <string>

namespace {
bool WriteAll(HANDLE hOutput, const std::string& strText)
{
    if (hOutput == nullptr || hOutput == INVALID_HANDLE_VALUE)
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
}

bool TellCallerIfListening(const char* pszText)
{
    std::string strText = pszText;
    strText += "\r\n";
    // A script that redirects or pipes the program's output has given it a handle; a
    // program started from a console window gets that console.
    if (WriteAll(::GetStdHandle(STD_ERROR_HANDLE), strText))
        return true;
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE hConsole = ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        bool bWritten = WriteAll(hConsole, "\r\n" + strText);
        if (hConsole != INVALID_HANDLE_VALUE)
            ::CloseHandle(hConsole);
        ::FreeConsole();
        return bWritten;
    }
    return false;
}

void TellCaller(const char* pszText)
{
    if (!TellCallerIfListening(pszText))
        ::MessageBoxA(nullptr, pszText, "Zevanto", MB_OK | MB_ICONEXCLAMATION);
}
