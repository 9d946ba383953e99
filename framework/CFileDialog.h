// CFileDialog: the system's common dialog for opening or saving one file. The caller may
// change m_ofn before DoModal; the filter may be given in the '|'-separated form.
#pragma once

#include "CDialog.h"

#include <commdlg.h>

class CFileDialog : public CDialog {
public:
    // lpszFilter: pairs of description and pattern, each ended by '|', the list by "||".
    explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);

    // Shows the dialog; IDOK when the user chose a file, otherwise IDCANCEL, and then
    // GetPathName has no path.
    INT_PTR DoModal() override;

    // The full path of the chosen file.
    CString GetPathName() const { return m_ofn.lpstrFile ? m_ofn.lpstrFile : ""; }

    OPENFILENAMEA m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CString m_strFilter;            // the filter with NULs, where m_ofn.lpstrFilter points
    char m_szFileName[4 * MAX_PATH]; // the file-name field, in and out
};
