#include "AppTestEnvironment.h"
#include "afxwin.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
// The tests run as the program does: one application object, the framework started.
struct TestApp : CWinApp {
    TestApp() : CWinApp("Zevanto tests") { AfxWinInit(::GetModuleHandleA(nullptr)); }
} g_testApp;

std::string FolderFromEnvironment(const char* pszVariable)
{
    const char* pszValue = std::getenv(pszVariable);
    std::string strPath = pszValue ? pszValue : ".";
    // Wine hands the Unix path over as it is; Z: is the root of the Unix file system.
    if (!strPath.empty() && strPath[0] == '/')
        strPath = "Z:" + strPath;
    return strPath;
}
}

std::string DistPath(const char* pszName)
{
    return FolderFromEnvironment("ZEV_DIST") + "/" + pszName;
}

std::string TestBinPath(const char* pszName)
{
    return FolderFromEnvironment("ZEV_TEST_BIN") + "/" + pszName;
}

void UseLanguageLibrary(const char* pszName)
{
    HINSTANCE hLibrary = ::LoadLibraryA(DistPath(pszName).c_str());
    AfxSetResourceHandle(hLibrary ? hLibrary : AfxGetInstanceHandle());
}

TempFolder::TempFolder()
{
    // No dot in the name: the settings file's path rules look for the first one.
    static unsigned s_nCount = 0;
    char szTemp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, szTemp);
    char szFolder[MAX_PATH];
    do {
        std::snprintf(szFolder, sizeof szFolder, "%szevtest%lu_%u", szTemp, ::GetCurrentProcessId(), ++s_nCount);
    } while (!::CreateDirectoryA(szFolder, nullptr));
    m_strPath = szFolder;
    char szCurrent[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, szCurrent);
    m_strPrevious = szCurrent;
    ::SetCurrentDirectoryA(m_strPath.c_str());
}

TempFolder::~TempFolder()
{
    ::SetCurrentDirectoryA(m_strPrevious.c_str());
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((m_strPath + "\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::string strName = data.cFileName;
            if (strName != "." && strName != "..")
                ::DeleteFileA(Path(strName.c_str()).c_str());
        } while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    ::RemoveDirectoryA(m_strPath.c_str());
}

std::string ReadFileBytes(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& strPath, const std::string& strBytes)
{
    std::ofstream file(strPath, std::ios::binary | std::ios::trunc);
    file << strBytes;
}

RECT RectIn(HWND hParent, HWND hChild)
{
    RECT rect = {};
    ::GetWindowRect(hChild, &rect);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
