// UiRobot: drives a running Windows program from another process the way a user
// would: finds its windows, clicks buttons, picks menu commands, answers message
// boxes and reads controls. Everything goes through cross-process window messages.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

class UiRobot {
public:
    UiRobot();
    ~UiRobot();
    UiRobot(const UiRobot&) = delete;
    UiRobot& operator=(const UiRobot&) = delete;

    // Starts a program in a working folder. The command line is the quoted program path
    // followed by arguments, as the shell makes it, unless commandLine is given. The
    // newest program is the one the other functions work on; the earlier ones stay
    // known, so that each can still be ended.
    bool Start(const std::string& program, const std::string& folder, const std::string& arguments = "",
               const std::string* commandLine = nullptr);
    DWORD ProcessId() const { return m_pi.dwProcessId; }

    // Waits for the exit; the exit code, or STILL_ACTIVE after the time-out.
    DWORD WaitExit(DWORD timeoutMs);
    // Ends the newest program, or the one with this process id; fine when it has ended.
    void Kill(DWORD processId = 0);

    // The visible top-level windows of the program, newest first.
    std::vector<HWND> TopWindows() const;
    // Waits for a top-level window with this title (any title when empty), other than `except`.
    HWND WaitWindow(const std::string& title, DWORD timeoutMs, HWND except = nullptr) const;

    static std::string Text(HWND hWnd);
    static std::string ItemText(HWND hDlg, int id) { return Text(::GetDlgItem(hDlg, id)); }
    static std::string ClassName(HWND hWnd);
    static bool IsChecked(HWND hDlg, int id);

    // Clicks a button as the user would, and waits until the program has handled it.
    static void Click(HWND hDlg, int id);
    // Clicks without waiting: for a click whose handler opens a modal box.
    static void PostClick(HWND hDlg, int id);
    static void Command(HWND hWnd, int id);
    static void SysCommand(HWND hWnd, WPARAM command);
    static void Close(HWND hWnd);

    // A message box: its text (control 0xFFFF) and the ids of its buttons.
    static std::string MessageBoxText(HWND hBox) { return ItemText(hBox, 0xFFFF); }

    // Sets a control's text (WM_SETTEXT) and waits until the program has taken it. An
    // edit's text limit does not apply. False when there is no such control or no answer.
    static bool SetText(HWND hDlg, int id, const std::string& text);
    // Types a text into a control as the keyboard would, one WM_CHAR per character, at
    // the caret: an edit takes no more than its limit.
    static bool Type(HWND hDlg, int id, const std::string& text);
    // The control of hDlg that has its thread's keyboard focus (the child of hDlg that
    // holds the focus window, for a combo box's edit); 0 when the focus is elsewhere.
    static int FocusId(HWND hDlg);
    // Moves the focus to a control of hDlg the dialog manager's way (Tab, or a click into
    // it, does the same): the control left gets its kill-focus, an edit reached has its
    // text selected. Waits until the dialog has handled it (up to 10 s: a check that
    // opens a box holds it); false when there is no such control or no answer.
    static bool MoveFocus(HWND hDlg, int id);
    // Key vk pressed and released at the focus of hWnd's thread (hWnd when none has it),
    // posted as the keyboard's messages are: the dialog manager of the thread's loop sees
    // them first.
    static void Key(HWND hWnd, UINT vk);
    // Alt and a letter: the WM_SYSCHAR that the keyboard's Alt+letter becomes.
    static void SysChar(HWND hWnd, char ch);
    static bool IsEnabled(HWND hDlg, int id);
    // In an open common file dialog (Open or Save As): enters path in the file-name
    // field and presses the dialog's OK button, as a user would. It does not wait: a
    // question that follows (replace the file?) is for the caller to answer.
    static bool FileDialog(HWND hDlg, const std::string& path);

    // A process's working set in bytes; 0 when it cannot be read.
    static SIZE_T WorkingSet(DWORD processId);

    // A progress bar's position and the upper end of its range; false when the control
    // is no progress bar.
    static bool Progress(HWND hDlg, int id, int& position, int& upper);

    // Holds an existing file open with no sharing, as another program might, so that
    // every other open of it fails with a sharing violation while it still exists for a
    // look at its name. Unlock lets it go (so does the robot's end). The error code of a
    // failed lock is in lastError.
    bool Lock(const std::string& path, DWORD& lastError);
    bool Unlock(const std::string& path);

    struct Control {
        int id;
        std::string className;
        std::string text;
    };
    // The child controls of a dialog in their order (the tab order of a template).
    static std::vector<Control> Controls(HWND hDlg);

private:
    PROCESS_INFORMATION m_pi = {};
    std::vector<PROCESS_INFORMATION> m_started;
    // Every program started goes into this job, which ends them all when its last handle
    // closes: when the robot ends, even when it is killed.
    HANDLE m_hJob = nullptr;
    std::map<std::string, HANDLE> m_locked;
};
