// Data exchange between a dialog's members and its controls. DoDataExchange lists one
// DDX_ call per control; UpdateData(TRUE) reads the controls into the members,
// UpdateData(FALSE) writes the members into the controls.
#pragma once

#include "CWnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CWnd* m_pDlgWnd;
    BOOL m_bFailed = FALSE;  // a validation failed; the remaining exchanges are skipped

    HWND PrepareCtrl(int nIDC) const { return m_pDlgWnd->GetDlgItem(nIDC); }
};

// Attaches control nIDC to a control object.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// A radio group that starts at control nIDC (the one with WS_GROUP) and runs to the next
// control with WS_GROUP: value is the index of the checked button, -1 for none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
