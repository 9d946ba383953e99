// Acts on a dialog that the code under test runs modally on this thread, from a second
// thread, as a user would: waits for a dialog to show that was not there when the driver
// was made, then runs the given steps on it (through the robot's window messages). What the steps see is kept in the caller's
// variables and checked after the modal run has ended and the driver is gone.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND)> fnSteps);
    // Waits for the steps to end; stops waiting for a dialog that never showed.
    ~DialogDriver();

    // TRUE when a dialog showed and the steps ran on it (after the destructor's join,
    // read it through Join()).
    bool Join();

private:
    void Watch();

    std::function<void(HWND)> m_fnSteps;
    DWORD m_nThreadId;
    std::vector<HWND> m_before; // the dialogs already there: not the one to drive
    std::atomic<bool> m_bStop{ false };
    bool m_bRan = false;
    std::thread m_thread;
};

// The first visible window of thread nThreadId of the dialog class other than hExcept:
// bMessageBox picks a message box, otherwise any other dialog. Waits up to nTimeoutMs.
HWND WaitThreadDialog(DWORD nThreadId, bool bMessageBox, HWND hExcept = nullptr, DWORD nTimeoutMs = 10000);

// Waits for the message box that the dialog hDlg's thread opens, presses nButton on it,
// and returns when the thread has gone back to hDlg's message loop (so what the code did
// after the box, such as moving the focus, is done). The box's text; empty when none came.
std::string AnswerMessageBox(HWND hDlg, int nButton);
