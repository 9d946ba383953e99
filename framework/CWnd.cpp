#include "CWnd.h"
#include "CMenu.h"
#include "CWinApp.h"
#include "DataExchange.h"

// A plain window handles nothing itself: every message has its default handling.
BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CString CWnd::GetWindowText() const
{
    CString str;
    int nLength = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, str.GetBuffer(nLength + 1), nLength + 1);
    str.ReleaseBuffer();
    return str;
}

BOOL CWnd::SetMenu(CMenu* pMenu)
{
    return ::SetMenu(m_hWnd, pMenu ? pMenu->GetSafeHmenu() : nullptr);
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

int CWnd::MessageBox(const char* pszText, const char* pszCaption, UINT nType)
{
    if (!pszCaption)
        pszCaption = AfxGetAppName();
    return ::MessageBoxA(m_hWnd, pszText, pszCaption, nType);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

LRESULT CWnd::Default()
{
    m_bDefaultAsked = TRUE;
    return 0;
}

void CWnd::OnDestroy()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this) {
        pApp->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    Default();
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // A handler may send messages to its own window; each dispatch keeps its own answer.
    BOOL bOuterDefaultAsked = m_bDefaultAsked;
    m_bDefaultAsked = FALSE;
    BOOL bHandled = FALSE;
    LRESULT lResult = 0;

    if (message == WM_COMMAND) {
        bHandled = OnCommand(wParam, lParam);
    } else if (const AFX_MSGMAP_ENTRY* pEntry = FindEntry(message, 0, 0)) {
        bHandled = TRUE;
        switch (pEntry->nSig) {
        case AfxSig_vv:
            (this->*pEntry->pfn)();
            break;
        case AfxSig_hv:
            lResult = reinterpret_cast<LRESULT>(
                (this->*reinterpret_cast<HCURSOR (CCmdTarget::*)()>(pEntry->pfn))());
            break;
        case AfxSig_vwl:
            (this->*reinterpret_cast<void (CCmdTarget::*)(UINT, LPARAM)>(pEntry->pfn))(
                static_cast<UINT>(wParam), lParam);
            break;
        case AfxSig_vt:
            (this->*reinterpret_cast<void (CCmdTarget::*)(UINT_PTR)>(pEntry->pfn))(wParam);
            break;
        case AfxSig_lwl:
            lResult = (this->*reinterpret_cast<LRESULT (CCmdTarget::*)(WPARAM, LPARAM)>(pEntry->pfn))(
                wParam, lParam);
            break;
        case AfxSig_end:
            bHandled = FALSE;
            break;
        }
    }

    if (m_bDefaultAsked)
        bHandled = FALSE;
    m_bDefaultAsked = bOuterDefaultAsked;
    *pResult = lResult;
    return bHandled;
}
