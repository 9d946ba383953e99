#include "CWinApp.h"

#include <commctrl.h>

namespace {
CWinApp* g_pApp = nullptr;
HINSTANCE g_hInstance = nullptr;
HINSTANCE g_hResource = nullptr;

std::string ModulePath(HINSTANCE hInstance)
{
    char szPath[MAX_PATH] = {};
    DWORD nLength = ::GetModuleFileNameA(hInstance, szPath, MAX_PATH);
    return std::string(szPath, nLength < MAX_PATH ? nLength : 0);
}
}

CWinApp::CWinApp(const char* pszAppName)
{
    if (pszAppName)
        m_strAppName = pszAppName;
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    ExitInstance();
    return static_cast<int>(msg.wParam);
}

void CWinApp::OnHelp()
{
    ::WinHelpA(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, m_pszHelpFilePath, HELP_FINDER, 0);
}

void AfxWinInit(HINSTANCE hInstance)
{
    // Templates name the common controls (the progress bar) by class.
    INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_WIN95_CLASSES };
    ::InitCommonControlsEx(&icc);

    g_hInstance = hInstance;
    g_hResource = hInstance;
    CWinApp* pApp = g_pApp;
    if (!pApp)
        return;
    pApp->m_hInstance = hInstance;

    std::string strPath = ModulePath(hInstance);
    std::string::size_type nSlash = strPath.find_last_of("\\/");
    std::string::size_type nDot = strPath.find_last_of('.');
    std::string strBase = strPath.substr(nSlash == std::string::npos ? 0 : nSlash + 1);
    if (nDot != std::string::npos && (nSlash == std::string::npos || nDot > nSlash)) {
        strBase = strBase.substr(0, strBase.find_last_of('.'));
        pApp->m_strHelpFilePath = strPath.substr(0, nDot) + ".HLP";
    } else {
        pApp->m_strHelpFilePath = strPath + ".HLP";
    }
    pApp->m_pszHelpFilePath = pApp->m_strHelpFilePath.c_str();

    if (pApp->m_strAppName.empty()) {
        char szTitle[256] = {};
        if (::LoadStringA(hInstance, AFX_IDS_APP_TITLE, szTitle, sizeof szTitle) > 0)
            pApp->m_strAppName = szTitle;
        else
            pApp->m_strAppName = strBase;
    }
    pApp->m_pszAppName = pApp->m_strAppName.c_str();
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

const char* AfxGetAppName()
{
    return g_pApp && g_pApp->m_pszAppName ? g_pApp->m_pszAppName : "";
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_hInstance ? g_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return g_hResource ? g_hResource : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hResource)
{
    g_hResource = hResource;
}

HINSTANCE AfxFindResourceHandle(LPCSTR pszName, LPCSTR pszType)
{
    HINSTANCE hResource = AfxGetResourceHandle();
    if (hResource != AfxGetInstanceHandle() && ::FindResourceA(hResource, pszName, pszType))
        return hResource;
    return AfxGetInstanceHandle();
}

int AfxMessageBox(const char* pszText, UINT nType)
{
    // Owned by the window in front of the main window (the modal dialog that runs over
    // it), or by the active window when there is no main window: the box then takes
    // that window's input while it is up, as a dialog's own box does.
    CWnd* pMainWnd = g_pApp ? g_pApp->m_pMainWnd : nullptr;
    HWND hOwner = pMainWnd ? pMainWnd->m_hWnd : ::GetActiveWindow();
    if (hOwner)
        hOwner = ::GetLastActivePopup(hOwner);
    return ::MessageBoxA(hOwner, pszText, AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType)
{
    CString strText;
    strText.LoadString(nIDPrompt);
    return AfxMessageBox(strText, nType);
}
