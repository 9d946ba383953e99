#include "ConfigMessages.h"

#include <cstdio>

void ShowConfigMessage(CWnd* pDlg, const char* pszText)
{
    pDlg->MessageBox(pszText, "ZEV", MB_OK | MB_ICONEXCLAMATION);
}

void ShowRangeMessage(UINT nMin, UINT nMax, UINT nIDPrompt)
{
    char szMin[16];
    char szMax[16];
    std::snprintf(szMin, sizeof szMin, "%lu", static_cast<unsigned long>(nMin));
    std::snprintf(szMax, sizeof szMax, "%lu", static_cast<unsigned long>(nMax));
    CString strMessage;
    AfxFormatString2(strMessage, nIDPrompt, szMin, szMax);
    // Without its string the user would get an empty box.
    if (strMessage.IsEmpty())
        strMessage.Format("Please enter a value from %s to %s.", szMin, szMax);
    AfxMessageBox(strMessage, MB_OK | MB_ICONEXCLAMATION);
}

void CheckRangeU(CDataExchange* pDX, UINT value, UINT nMin, UINT nMax, UINT nIDPrompt)
{
    if (!pDX->m_bSaveAndValidate || pDX->m_bFailed)
        return;
    if (value < nMin || value > nMax) {
        // The message first: the focus that Fail sets must not be taken by the box.
        ShowRangeMessage(nMin, nMax, nIDPrompt);
        pDX->Fail();
    }
}

BOOL IsFocusWithin(const CWnd* pDlg)
{
    HWND hFocus = ::GetFocus();
    return hFocus && ::IsChild(pDlg->m_hWnd, hFocus);
}

BOOL IsFocusOn(const CWnd* pDlg, int nID)
{
    HWND hFocus = ::GetFocus();
    return hFocus && hFocus == pDlg->GetDlgItem(nID);
}
