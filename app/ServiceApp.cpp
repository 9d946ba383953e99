#include "ServiceApp.h"
#include "DeviceTypes.h"
#include "INIFile.h"
#include "ServiceDlg.h"

#include <cstdio>
#include <cstring>

CServiceApp theApp;

BEGIN_MESSAGE_MAP(CServiceApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

namespace {
// Loads the language library. A file that exists but is no loadable DLL fails like a
// missing one, without Windows' own error box.
HINSTANCE LoadLanguageLibrary(const char* pszName)
{
    UINT nOldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HINSTANCE hLibrary = ::LoadLibraryA(pszName);
    ::SetErrorMode(nOldMode);
    return hLibrary;
}
}

BOOL CServiceApp::InitInstance()
{
    INIFile settings;

    char szLibrary[20];
    settings.ReadString("Setup", "LanguageLibrary", szLibrary, sizeof szLibrary, "ZEV_DE.DLL");
    HINSTANCE hLibrary = LoadLanguageLibrary(szLibrary);
    if (!hLibrary) {
        char szMessage[64];
        std::snprintf(szMessage, sizeof szMessage, "Library %s not found !", szLibrary);
        ::MessageBoxA(nullptr, szMessage, "Error", MB_ICONHAND);
        return FALSE;
    }
    // From here on templates, menus, strings and icons come from the library first.
    // It stays loaded until the process ends.
    AfxSetResourceHandle(hLibrary);

    int nPort = settings.ReadInt("ComPort", "ComPortNo", 1);
    if (nPort <= 0 || nPort > 4)
        nPort = 1;

    char szDevice[20];
    settings.ReadString("Device", "Device", szDevice, sizeof szDevice, "Vantik");
    int nType = DeviceTypeFromName(szDevice);

    Enable3dControls();

    CServiceDlg dlg;
    dlg.m_pSettings = &settings;
    m_pMainWnd = &dlg;
    if (dlg.DoModal(nPort, nType) == -1) {
        // A library without the main window's template (or any other DLL named by
        // mistake): without a word, the program would just vanish.
        char szMessage[96];
        std::snprintf(szMessage, sizeof szMessage, "The main window cannot be created from library %s !", szLibrary);
        ::MessageBoxA(nullptr, szMessage, "Error", MB_ICONHAND);
        return FALSE;
    }

    // -1 (no radio selected) and anything else outside the table count as type 0.
    std::snprintf(szDevice, sizeof szDevice, "%s", DeviceNameOfType(dlg.m_nDeviceType));
    // No range check here: no COM radio selected writes 0, which the next start reads as 1.
    settings.WriteInt("ComPort", "ComPortNo", dlg.m_nComIndex + 1);
    settings.WriteString("Device", "Device", szDevice);
    return FALSE;
}
