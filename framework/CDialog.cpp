#include "CDialog.h"
#include "CWinApp.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::~CDialog()
{
    // The window's procedure reaches this object; it must not outlive it.
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

HWND CDialog::OwnerForModal() const
{
    if (m_pParentWnd)
        return m_pParentWnd->m_hWnd;
    CWinApp* pApp = AfxGetApp();
    CWnd* pMainWnd = pApp ? pApp->m_pMainWnd : nullptr;
    return pMainWnd && pMainWnd != this ? pMainWnd->m_hWnd : nullptr;
}

namespace {
HHOOK g_hMessageFilter = nullptr;
bool g_bFiltering = false;
}

void CDialog::InstallMessageFilter()
{
    // Once, for the thread that runs the dialogs: the program has no other.
    if (!g_hMessageFilter)
        g_hMessageFilter = ::SetWindowsHookExA(WH_MSGFILTER, MessageFilter, nullptr, ::GetCurrentThreadId());
}

LRESULT CALLBACK CDialog::MessageFilter(int nCode, WPARAM wParam, LPARAM lParam)
{
    // Every message of a modal loop passes here, a download's events among them; the
    // dialogs look only at keys (PreTranslateMessage). Anything else goes on at once, and
    // without the walk down the hook chain: the program sets no other filter on its thread.
    MSG* pMsg = reinterpret_cast<MSG*>(lParam);
    if (nCode >= 0 && (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST))
        return 0;
    // A modeless dialog's own IsDialogMessage calls the filter again: that call is the
    // dialog manager's.
    if (nCode == MSGF_DIALOGBOX && !g_bFiltering) {
        // The dialog the message is on its way to: the window itself or the nearest
        // parent that is one of ours (a control's dialog).
        HWND hWnd = pMsg->hwnd;
        CDialog* pDlg = FromHandle(hWnd);
        while (!pDlg && hWnd && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)) {
            hWnd = ::GetParent(hWnd);
            pDlg = FromHandle(hWnd);
        }
        g_bFiltering = true;
        BOOL bTaken = pDlg && pDlg->PreTranslateMessage(pMsg);
        g_bFiltering = false;
        if (bTaken)
            return 1;
    }
    return ::CallNextHookEx(g_hMessageFilter, nCode, wParam, lParam);
}

CDialog* CDialog::FromHandle(HWND hWnd)
{
    // Windows' dialog class with this framework's procedure; message boxes and the
    // file dialog are dialogs of their own.
    if (!hWnd || ::GetClassLongPtrA(hWnd, GCW_ATOM) != reinterpret_cast<ULONG_PTR>(WC_DIALOG))
        return nullptr;
    if (::GetWindowLongPtrA(hWnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&CDialog::DialogProc))
        return nullptr;
    return reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (!m_bModeless || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

INT_PTR CDialog::DoModal()
{
    InstallMessageFilter();
    m_bModeless = FALSE;
    LPCSTR pszTemplate = MAKEINTRESOURCEA(m_nIDTemplate);
    HINSTANCE hInst = AfxFindResourceHandle(pszTemplate, RT_DIALOG);
    return ::DialogBoxParamA(hInst, pszTemplate, OwnerForModal(), DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    InstallMessageFilter();
    m_bModeless = TRUE;
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    LPCSTR pszTemplate = MAKEINTRESOURCEA(nIDTemplate);
    HINSTANCE hInst = AfxFindResourceHandle(pszTemplate, RT_DIALOG);
    return ::CreateDialogParamA(hInst, pszTemplate, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                                DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode)
{
    if (CWnd::OnCmdMsg(nID, nCode))
        return TRUE;
    // Commands no window handles go to the application object (ID_HELP, for one).
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode);
}

// Messages whose result a dialog procedure returns itself instead of in DWLP_MSGRESULT.
static bool ReturnsResultDirectly(UINT message)
{
    switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        pDlg->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        return pDlg->OnInitDialog();
    }

    CDialog* pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!pDlg)
        return FALSE; // messages before WM_INITDIALOG: Windows' defaults

    LRESULT lResult = 0;
    BOOL bHandled = pDlg->OnWndMsg(message, wParam, lParam, &lResult);

    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pDlg->m_hWnd = nullptr;
        pDlg->PostNcDestroy();
        return FALSE;
    }
    if (!bHandled)
        return FALSE;
    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(lResult);
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}
