// Data exchange between a dialog's members and its controls. DoDataExchange lists one
// DDX_ call per control, each followed by its DDV_ checks; UpdateData(TRUE) reads the
// controls into the members, UpdateData(FALSE) writes the members into the controls.
#pragma once

#include "CWnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CWnd* m_pDlgWnd;
    BOOL m_bFailed = FALSE;  // a validation failed; the remaining exchanges are skipped
    int m_idLastControl = 0; // the control of the exchange in progress, for Fail and DDV_
    BOOL m_bEditLastControl = FALSE;

    // The control nIDC, noted as the one the following checks are about.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);

    // Called when a value cannot be taken: the exchange fails, the remaining DDX_ and
    // DDV_ calls do nothing, and the user is taken back to the control last prepared
    // (an edit's text selected, ready to be typed over). The caller has said why.
    void Fail();
};

// Attaches control nIDC to a control object.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// A radio group that starts at control nIDC (the one with WS_GROUP) and runs to the next
// control with WS_GROUP: value is the index of the checked button, -1 for none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);

// A check box: 0 unchecked, 1 checked, 2 indeterminate (three-state boxes). A value
// outside 0 to 2 shows the box unchecked.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

// An edit's text. A number is shown in decimal; a text that is not a whole number in
// the type's range is refused with a message, and the exchange fails.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
// A decimal number, shown with the digits a float holds.
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);

// The check of the text just exchanged: on saving, a text longer than nChars is refused
// with a message and the exchange fails; when the members are written into the controls,
// it limits the edit to nChars. (A dialog's range checks are its own: the configuration
// editor's CheckRangeU.)
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
