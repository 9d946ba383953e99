// What a user does to a dialog that runs modally on another thread, for the steps of a
// DialogDriver: move the focus, press a button without moving it, answer message boxes.
#pragma once

#include <windows.h>

#include <string>

// Moves the focus to control nID as Tab or a click into it would, and returns when the
// dialog has handled the move (the edit left has run its checks).
void MoveFocus(HWND hDlg, int nID);
// The same without waiting: for a move whose check opens a message box.
void PostMoveFocus(HWND hDlg, int nID);

// Presses button nID the way Enter presses the default button: the dialog gets the
// button's command, and the focus stays where it is. PressInPlace waits until the dialog
// has handled it; PostPressInPlace does not, for a press that opens a message box.
void PressInPlace(HWND hDlg, int nID);
void PostPressInPlace(HWND hDlg, int nID);

// Takes the activation from hDlg as another program's window does (a window of this
// thread, which has input of its own), and returns once hDlg's thread has dealt with the
// loss; the window is gone again, and hDlg stays inactive until something activates it.
void SwitchToAnotherWindow(HWND hDlg);

bool IsEnabled(HWND hDlg, int nID);

// The control of hDlg that has the focus. When another program has taken the activation
// (tests run side by side), the dialog is brought to the front again first: it then
// gives the focus back to the control that had it.
int FocusedControl(HWND hDlg);

// A message box as the user saw it before pressing OK on it.
struct SeenMessage {
    std::string caption;
    std::string text;
    bool bExclamation = false; // the exclamation icon
    HWND hOwner = nullptr;
    bool bOwnerDisabled = false; // the owner took no input while the box was up
};
// Waits for the message box that hDlg's thread opens, notes it, presses OK and returns
// when the thread is back in hDlg's loop. An empty text when no box came.
SeenMessage AnswerMessage(HWND hDlg);

// A message box of hDlg's thread that is open now (no waiting); nullptr when none is.
HWND OpenMessageBox(HWND hDlg);
// Answers every message box of hDlg's thread that is open now with OK; how many.
int CloseOpenMessageBoxes(HWND hDlg);

// Waits until hWnd has closed and its thread is back in hBackTo's loop (so what the code
// did after hWnd closed is done).
void WaitClosed(HWND hWnd, HWND hBackTo);

// Waits until hDlg has closed after its Cancel was pressed. A message box that keeps it
// open is answered, and Esc pressed again, so that a wrong box fails a test instead of
// hanging it; how many there were.
int WaitCancelled(HWND hDlg);

// The dialog that hOwner's thread opens on top of it (waits for it); nullptr when none
// comes.
HWND WaitDialogOver(HWND hOwner);
