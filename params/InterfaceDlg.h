// CInterfaceDlg: chooses the device's interface (read with 4, written with 2): RS232,
// RS232 MODIFIED, RS485 or another one, positions 0 to 3 of its radio group.
#pragma once

#include "afxwin.h"

class CInterfaceDlg : public CDialog {
public:
    explicit CInterfaceDlg(CWnd* pParentWnd = nullptr);

    int m_nSelection; // the position of the chosen button; -1 for none

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
