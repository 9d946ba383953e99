// CWinApp: the application object. Exactly one exists, as a global; the framework's
// WinMain initialises it and calls InitInstance.
#pragma once

#include "CCmdTarget.h"
#include "CWnd.h"
#include "afxres.h"

#include <string>

class CWinApp : public CCmdTarget {
public:
    // Without a name, the application takes its title from the program file's string
    // AFX_IDS_APP_TITLE, or else the program file's base name.
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;

    // Starts the application. TRUE runs the message loop; FALSE ends the program.
    virtual BOOL InitInstance() { return TRUE; }
    // The message loop, for applications whose InitInstance returns TRUE.
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    // Windows draws every control in 3-D itself; kept so start-up reads as it always has.
    BOOL Enable3dControls() { return TRUE; }

    // Called for ID_HELP: opens the application's help file.
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    const char* m_pszAppName = nullptr;
    const char* m_pszHelpFilePath = nullptr;

private:
    friend void AfxWinInit(HINSTANCE hInstance);
    std::string m_strAppName;
    std::string m_strHelpFilePath;
};

// Sets the instance and resource handles and the application's names. WinMain calls it;
// test programs that have no WinMain call it themselves.
void AfxWinInit(HINSTANCE hInstance);

CWinApp* AfxGetApp();
const char* AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();

// The module in which dialogs, menus, strings and icons are looked up first.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hResource);
// The resource module if it holds the resource, else the program file.
HINSTANCE AfxFindResourceHandle(LPCSTR pszName, LPCSTR pszType);

// A message box with the application's title as caption, owned by the window in front
// of the main window (a modal dialog running over it), or by the active window.
int AfxMessageBox(const char* pszText, UINT nType = MB_OK);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK);
