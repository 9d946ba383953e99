// Private messages of the main window: steps that open a dialog are posted, so that no
// modal dialog runs inside a command's start or the receive handling.
#pragma once

#include <windows.h>

enum PrivateMessage : UINT {
    WM_TEXT_ENTRY = WM_USER + 1,      // the text for 'S', then the letter
    WM_CAPTURE_FILE = WM_USER + 2,    // the capture file, then 'O'
    WM_TEXT_COMMAND = WM_USER + 3,    // the text for 'N' (wParam 0) or 'H' (wParam 1)
    WM_CONFIG_EDITOR = WM_USER + 5,   // the configuration read: the editor
    WM_PARAM_INTERFACE = WM_USER + 7, // the parameter dialogs
    WM_PARAM_F = WM_USER + 8,
    WM_PARAM_C = WM_USER + 9,
    WM_PARAM_WF = WM_USER + 10,
    WM_PARAM_G = WM_USER + 11,
    WM_PARAM_J = WM_USER + 12,
    WM_LOG_FILE_FAILED = WM_USER + 13, // the box that says the log file cannot be written
    WM_MONITOR_RECORD = WM_USER + 14,  // the monitor window's record button: start or stop
    WM_SETTINGS_SAVE = WM_USER + 15,   // the device settings file to save, then the reads
    WM_SETTINGS_RESTORE = WM_USER + 16, // the device settings file to restore, then the reads
    WM_SETTINGS_COMPARE = WM_USER + 17, // the reads are done: device and file compared
    WM_UNATTENDED_STEP = WM_USER + 18,  // an unattended run: see whether its step has ended
    WM_MONITOR_SAVE_CHART = WM_USER + 40, // the monitor window's chart to a PNG file
};
