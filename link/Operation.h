// The operation codes: which transaction is in progress. The code is set when the
// command goes out; the receive dispatcher routes the device's answer by it.
#pragma once

#include "ControlBytes.h"

#include <windows.h>

enum Operation {
    OP_IDLE = 0,
    OP_WAKEUP = 1,          // "**" CAN "B" nn: the identification line
    OP_IMAGE_START = 2,     // "D" for an image file: ESC, then the first block
    OP_DOWNLOAD = 3,        // one firmware frame at a time, ACK or NAK each
    OP_CLOCK = 4,           // "T": ESC, then the clock text
    OP_TEXT_S = 5,          // "S": ESC, then the pending text
    OP_QUERY = 6,           // "L": one line
    OP_READOUT = 7,         // "V": lines up to an empty one
    OP_CAPTURE = 8,         // "O": the same, into a capture file
    OP_COMMAND_Y = 9,       // "Y": ESC
    OP_COMMAND_X = 10,      // "X" or "x": ESC
    OP_TEXT_N = 11,         // "N": ESC, then the pending text
    OP_TEXT_H = 12,         // "H": ESC, then the pending text
    OP_CFG_VALUES = 13,     // "r"
    OP_CFG_MODE = 14,       // "h"
    OP_CFG_KIND = 15,       // "3"
    OP_CFG_OPTION = 16,     // "b"
    OP_CFG_WRITE_R = 17,    // "R", then the 'H' step
    OP_CFG_WRITE_H = 18,    // "H", then the '1' step
    OP_CFG_WRITE_1 = 19,    // "1", then the 'B' step
    OP_CFG_WRITE_B = 20,    // "B"
    OP_READ_G = 21,
    OP_WRITE_G = 22,
    OP_READ_J = 23,
    OP_WRITE_J = 24,
    OP_READ_W = 25,         // "w", then the 'f' read
    OP_WRITE_W = 26,        // "W", then the 'F' follow-up
    OP_READ_4 = 27,
    OP_READ_C = 28,
    OP_WRITE_C = 29,
    OP_READ_F = 30,
    OP_WRITE_F = 31,
    OP_WRITE_2 = 32,
    OP_MONITOR = 33,        // "M": one frame per CR until idle
    OP_WRITE_F_ALONE = 34,  // "F" without a read
};

// The four steps of the configuration write.
inline bool IsConfigWrite(Operation nOperation)
{
    return nOperation >= OP_CFG_WRITE_R && nOperation <= OP_CFG_WRITE_B;
}

// Private messages of the main window: steps that open a dialog are posted, so that no
// modal dialog runs inside a command's start or the receive handling.
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
    WM_SETTINGS_SAVE = WM_USER + 15,   // the settings file to save, then the reads
    WM_SETTINGS_RESTORE = WM_USER + 16, // the settings file to restore, then the reads
    WM_SETTINGS_COMPARE = WM_USER + 17, // the reads are done: device and file compared
    WM_UNATTENDED_STEP = WM_USER + 18,  // an unattended run: see whether its step has ended
};

// The window timers of the main window.
enum Timer {
    TIMER_WATCHDOG = 101,   // a send has not been reported complete
    TIMER_RESPONSE = 102,   // the device has not answered
    TIMER_BAUD_SWITCH = 103, // 30 ms after the wake-up: the working baud rate
    TIMER_LINE_ERRORS = 104, // the next line about line errors is due (link/LineErrors.cpp)
    TIMER_NEXT_UNIT = 105,   // an unattended run with /repeat: the next unit's wake-up
    TIMER_QUIET = 106        // /quiet: minimise the window once it is shown
};

