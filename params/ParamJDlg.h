// CParamJDlg: edits the device's switch j (read with j, written with J). The box stands for the
// device's 0: the caller puts in and takes back the inverse of the device's value.
#pragma once

#include "afxwin.h"

class CParamJDlg : public CDialog {
public:
    explicit CParamJDlg(CWnd* pParentWnd = nullptr);

    int m_nOn; // the box: 0 unchecked, 1 checked; a value outside 0 to 2 shows unchecked

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
