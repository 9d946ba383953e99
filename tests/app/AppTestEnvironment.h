// What the in-process tests share: the framework started as ZEV.EXE starts it, the
// language library as resource module, and a fresh working folder per test.
#pragma once

#define IDS_TEST_NUMBER      9001
#define IDS_TEST_TEXT_FORMAT 9002
#define IDS_TEST_TWO_NUMBERS 9003

#ifndef RC_INVOKED
#include <string>
#include <windows.h>

// The folder of the runnable set (build/dist) and of the test programs.
std::string DistPath(const char* pszName);
std::string TestBinPath(const char* pszName);

// Loads a language library from build/dist and makes it the resource module.
void UseLanguageLibrary(const char* pszName = "ZEV_DE.DLL");

// A new empty folder under the temporary folder; the current folder while it lives.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    std::string Path(const char* pszName) const { return m_strPath + "\\" + pszName; }
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
    std::string m_strPrevious;
};

std::string ReadFileBytes(const std::string& strPath);
void WriteFileBytes(const std::string& strPath, const std::string& strBytes);
#endif
