// CAboutDlg: the about box, opened from the system menu. It paints the program version.
#pragma once

#include "afxwin.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    // Called on every paint: the version text at column 6, row 2 of the system font.
    void OnPaint();

    DECLARE_MESSAGE_MAP()
};
