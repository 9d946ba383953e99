#include "TextEntryDlg.h"
#include "resource.h"

// OK and Cancel as every dialog has them.
BEGIN_MESSAGE_MAP(CTextEntryDlg, CDialog)
END_MESSAGE_MAP()

CTextEntryDlg::CTextEntryDlg(CWnd* pParentWnd) : CDialog(IDD_TEXT_ENTRY, pParentWnd)
{
}

void CTextEntryDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_TEXT_ENTRY, m_Edit);
    DDX_Text(pDX, IDC_TEXT_ENTRY, m_strText);
    // Also limits the edit, so that a ninth character is not even taken.
    DDV_MaxChars(pDX, m_strText, MAX_TEXT_LENGTH);
}

BOOL CTextEntryDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(m_strTitle);
    m_Edit.SetFocus();
    return FALSE; // the focus is where it belongs; the dialog must not move it
}
