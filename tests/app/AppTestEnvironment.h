// What the in-process tests share: the framework started as ZEV.EXE starts it, the
// language library as resource module, and a fresh working folder per test.
#pragma once

#define IDS_TEST_NUMBER      9001
#define IDS_TEST_TEXT_FORMAT 9002
#define IDS_TEST_TWO_NUMBERS 9003
#define IDS_TEST_RANGE       9004
#define IDS_TEST_INSERTS     9005

// A dialog of the test program's own for the data exchange.
#define IDD_TEST_EXCHANGE    9100
#define IDC_TEST_TEXT        9101
#define IDC_TEST_UNSIGNED    9102
#define IDC_TEST_SIGNED      9103
#define IDC_TEST_CHECK       9104
#define IDC_TEST_THREE_STATE 9105

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

// Where a control stands in its dialog's client area.
RECT RectIn(HWND hParent, HWND hChild);
#endif
