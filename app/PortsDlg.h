// CPortsDlg: where each COM choice of the main window leads, the four [Ports] values of
// the settings file in one dialog. OK checks each field (empty, or a port the program can
// open) and names the field and what is wrong with it; Cancel changes nothing.
#pragma once

#include "PortTarget.h"
#include "afxwin.h"

// Why a port text is refused, in the user's language.
CString PortFaultText(PortFault fault);

class CPortsDlg : public CDialog {
public:
    explicit CPortsDlg(CWnd* pParentWnd = nullptr);

    // The targets of COM1 to COM4 as shown at the start and, after OK, as entered (empty:
    // the COM port of the choice's own number).
    CString m_astrTargets[4];

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};
