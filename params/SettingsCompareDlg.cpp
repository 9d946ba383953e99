#include "SettingsCompareDlg.h"
#include "resource.h"

namespace {
// Where the columns after the first begin, in dialog units; the column heads of the
// template stand at the same places.
const int kTabStops[] = { 36, 126, 216 };
}

CSettingsCompareDlg::CSettingsCompareDlg(CWnd* pParentWnd) : CDialog(IDD_SETTINGS_COMPARE, pParentWnd)
{
}

BOOL CSettingsCompareDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ::SetDlgItemTextA(m_hWnd, IDC_SETTINGS_FILE, m_strFile);
    HWND hRows = GetDlgItem(IDC_SETTINGS_ROWS);
    ::SendMessageA(hRows, LB_SETTABSTOPS, sizeof kTabStops / sizeof kTabStops[0],
                   reinterpret_cast<LPARAM>(kTabStops));
    for (const CString& strRow : m_Rows)
        ::SendMessageA(hRows, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strRow.GetString()));
    return TRUE;
}
