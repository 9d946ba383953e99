#include "CFileDialog.h"

#include <cstring>

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : CDialog(0, pParentWnd), m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_szFileName()
{
    if (lpszFileName)
        ::lstrcpynA(m_szFileName, lpszFileName, sizeof m_szFileName);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrDefExt = lpszDefExt;
    m_ofn.Flags = dwFlags;
    if (lpszFilter) {
        // The system wants NUL where the '|' form has its bars, and two at the end: one
        // more is added, for a filter that does not end in "||".
        int nLength = static_cast<int>(std::strlen(lpszFilter));
        char* pch = m_strFilter.GetBuffer(nLength + 1);
        for (int i = 0; i < nLength; ++i)
            pch[i] = lpszFilter[i] == '|' ? '\0' : lpszFilter[i];
        pch[nLength] = '\0';
        m_strFilter.ReleaseBuffer(nLength + 1);
        m_ofn.lpstrFilter = m_strFilter.GetString();
    }
}

INT_PTR CFileDialog::DoModal()
{
    m_ofn.hwndOwner = OwnerForModal();
    BOOL bChosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    if (!bChosen) {
        // Otherwise the field would still hold what it started with, a pattern perhaps.
        if (m_ofn.lpstrFile && m_ofn.nMaxFile > 0)
            m_ofn.lpstrFile[0] = '\0';
        return IDCANCEL;
    }
    return IDOK;
}
