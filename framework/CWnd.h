// CWnd: a window handle with its message map. Every call is the Win32 function of the
// same name on m_hWnd; the object keeps no state that Windows already keeps.
#pragma once

#include "CCmdTarget.h"
#include "CString.h"

class CDataExchange;
class CMenu;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }

    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    // Returns the window that had the keyboard focus.
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    void SetWindowText(const char* pszText) { ::SetWindowTextA(m_hWnd, pszText); }
    CString GetWindowText() const;
    HMENU GetSystemMenu(BOOL bRevert) const { return ::GetSystemMenu(m_hWnd, bRevert); }
    BOOL SetMenu(CMenu* pMenu);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
    {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon, reinterpret_cast<LPARAM>(hIcon)));
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    HDC GetDC() const { return ::GetDC(m_hWnd); }
    int ReleaseDC(HDC hDC) const { return ::ReleaseDC(m_hWnd, hDC); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    virtual BOOL DestroyWindow();

    // A message box owned by this window; the caption defaults to the application's title.
    int MessageBox(const char* pszText, const char* pszCaption = nullptr, UINT nType = MB_OK);

    // Data exchange between the members and the controls: bSaveAndValidate TRUE reads
    // the controls into the members. FALSE when a validation failed.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Dispatches a message through the message maps. TRUE when a handler took it and did
    // not ask for the default handling; *pResult then holds the handler's result.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Called with a message on its way to this window or one of its controls, before the
    // dialog manager sees it (CDialog says when). TRUE when the window has dealt with it:
    // it then goes no further.
    virtual BOOL PreTranslateMessage(MSG* pMsg) { return FALSE; }

protected:
    virtual void DoDataExchange(CDataExchange* pDX) {}
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

    // Asks for the window's default handling of the message being handled. It runs
    // after the handler returns, so handlers call it last.
    LRESULT Default();

    // Handlers whose base behaviour is the default handling.
    void OnPaint() { Default(); }
    void OnSysCommand(UINT nID, LPARAM lParam) { Default(); }
    void OnTimer(UINT_PTR nIDEvent) { Default(); }
    // The main window's destruction ends the application's message loop: it stops being
    // the main window and posts the quit request (exit code 0).
    void OnDestroy();
    HCURSOR OnQueryDragIcon() { Default(); return nullptr; }

    DECLARE_MESSAGE_MAP()

private:
    BOOL m_bDefaultAsked = FALSE;
};
