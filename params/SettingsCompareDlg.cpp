#include "SettingsCompareDlg.h"
#include "resource.h"

namespace {
// Where the columns after the first begin, in dialog units; the column heads of the
// template stand at the same places.
const int kTabStops[] = { 30, 104, 178 };
}

CSettingsCompareDlg::CSettingsCompareDlg(CWnd* pParentWnd) : CDialog(IDD_SETTINGS_COMPARE, pParentWnd)
{
}

BOOL CSettingsCompareDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ::SetDlgItemTextA(m_hWnd, IDC_SETTINGS_FILE, m_strFile);
    CString strRows;
    for (const CString& strRow : m_Rows) {
        if (!strRows.IsEmpty())
            strRows += "\r\n";
        strRows += strRow;
    }
    HWND hRows = GetDlgItem(IDC_SETTINGS_ROWS);
    ::SendMessageA(hRows, EM_SETTABSTOPS, sizeof kTabStops / sizeof kTabStops[0], reinterpret_cast<LPARAM>(kTabStops));
    ::SetWindowTextA(hRows, strRows);
    // OK has the focus: the rows are to be read, Enter writes them.
    ::SetFocus(GetDlgItem(IDOK));
    return FALSE;
}
