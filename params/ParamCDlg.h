// CParamCDlg: chooses the device's value c (read with c, written with C): 0 or 1,
// positions 0 and 1 of its radio group.
#pragma once

#include "afxwin.h"

class CParamCDlg : public CDialog {
public:
    explicit CParamCDlg(CWnd* pParentWnd = nullptr);

    int m_nSelection; // the position of the chosen button; -1 for none

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
