// CParamFDlg: asks for the value that F alone writes: checked writes 0, unchecked 1.
#pragma once

#include "afxwin.h"

class CParamFDlg : public CDialog {
public:
    explicit CParamFDlg(CWnd* pParentWnd = nullptr);

    int m_nOn; // the box: 0 unchecked, 1 checked

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
