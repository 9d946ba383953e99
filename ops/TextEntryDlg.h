// CTextEntryDlg: asks for the short text that the letters S, N and H carry to the device.
#pragma once

#include "afxwin.h"

class CTextEntryDlg : public CDialog {
public:
    explicit CTextEntryDlg(CWnd* pParentWnd = nullptr);

    // The device keeps at most this many characters of a text.
    enum { MAX_TEXT_LENGTH = 8 };

    CEdit m_Edit;
    CString m_strText;  // the text shown at the start and, after OK, the text entered
    CString m_strTitle; // the window title; the caller loads it before DoModal

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Called when the controls exist: the title, and the cursor in the edit.
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
