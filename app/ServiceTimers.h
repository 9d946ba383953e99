// The window timers of the main window.
#pragma once

enum Timer {
    TIMER_WATCHDOG = 101,   // a send has not been reported complete
    TIMER_RESPONSE = 102,   // the device has not answered
    TIMER_BAUD_SWITCH = 103, // 30 ms after the wake-up: the working baud rate
    TIMER_LINE_ERRORS = 104, // the next line about line errors is due (link/LineErrors.cpp)
    TIMER_NEXT_UNIT = 105,   // an unattended run with /repeat: the next unit's wake-up
    TIMER_QUIET = 106,       // /quiet: minimise the window once it is shown
    TIMER_STEP_DEADLINE = 107, // an unattended run: the step has not ended in time
    TIMER_DOWNLOAD_PACE = 108, // a download's status line is due again (ops/DownloadStatus.cpp)
    TIMER_LOG_WINDOW = 109   // lines of a log burst wait for the log window's next change
};
