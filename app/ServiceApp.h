// CServiceApp: reads the settings, loads the language library, runs the main window
// modally and writes the chosen port and device back. Its whole life is InitInstance.
#pragma once

#include "afxwin.h"

class CServiceApp : public CWinApp {
public:
    // Always FALSE: the modal run of the main window is the program's only message loop.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
