// CServiceApp: reads the settings, loads the language library, runs the main window
// modally and writes the chosen port and device back. Its whole life is InitInstance.
#pragma once

#include "afxwin.h"

class CServiceApp : public CWinApp {
public:
    // Always FALSE: the modal run of the main window is the program's only message loop.
    BOOL InitInstance() override;
    // The exit code a script sees (unattended/RunOutcome.h); 0 for a start without arguments.
    int ExitInstance() override { return m_nExitCode; }

    int m_nExitCode = 0;

    DECLARE_MESSAGE_MAP()
};
