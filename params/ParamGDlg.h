// CParamGDlg: edits the device's switch g (read with g, written with G).
#pragma once

#include "afxwin.h"

class CParamGDlg : public CDialog {
public:
    explicit CParamGDlg(CWnd* pParentWnd = nullptr);

    int m_nOn; // the box: 0 unchecked, 1 checked; a value outside 0 to 2 shows unchecked

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
