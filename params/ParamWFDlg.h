// CParamWFDlg: edits the device's switch w and the two bits of f together (read with w
// and f, written with W and then F). Each box: 0 unchecked, 1 checked; a value outside
// 0 to 2 shows unchecked.
#pragma once

#include "afxwin.h"

class CParamWFDlg : public CDialog {
public:
    explicit CParamWFDlg(CWnd* pParentWnd = nullptr);

    int m_nHigh; // the high bit of f (2)
    int m_nLow;  // the low bit of f (1)
    int m_nW;    // the switch w

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
