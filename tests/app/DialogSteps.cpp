#include "DialogSteps.h"
#include "DialogDriver.h"
#include "UiRobot.h"

namespace {
DWORD ThreadOf(HWND hWnd)
{
    return ::GetWindowThreadProcessId(hWnd, nullptr);
}
}

void MoveFocus(HWND hDlg, int nID)
{
    // The dialog manager's own way to the next control: lParam TRUE, wParam the control.
    ::SendMessageTimeoutA(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(hDlg, nID)), TRUE,
                          SMTO_NORMAL, 10000, nullptr);
}

void PostMoveFocus(HWND hDlg, int nID)
{
    ::PostMessageA(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(hDlg, nID)), TRUE);
}

void PressInPlace(HWND hDlg, int nID)
{
    // What the dialog manager sends for Enter.
    ::SendMessageTimeoutA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                          reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)), SMTO_NORMAL, 10000, nullptr);
}

void PostPressInPlace(HWND hDlg, int nID)
{
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
}

void SwitchToAnotherWindow(HWND hDlg)
{
    HWND hOther = ::CreateWindowA("STATIC", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(hOther);
    ::SendMessageTimeoutA(hDlg, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
    ::DestroyWindow(hOther);
    ::SendMessageTimeoutA(hDlg, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
}

bool IsEnabled(HWND hDlg, int nID)
{
    return ::IsWindowEnabled(::GetDlgItem(hDlg, nID)) != FALSE;
}

SeenMessage AnswerMessage(HWND hDlg)
{
    SeenMessage seen;
    HWND hBox = WaitThreadDialog(ThreadOf(hDlg), true);
    if (!hBox)
        return seen;
    char szCaption[256] = {};
    ::GetWindowTextA(hBox, szCaption, sizeof szCaption);
    seen.caption = szCaption;
    // The box's icon is one of the system's shared icons, the same handle in every call.
    HICON hExclamation = ::LoadIconA(nullptr, IDI_EXCLAMATION);
    for (HWND hChild = ::GetWindow(hBox, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (reinterpret_cast<HICON>(::SendMessageA(hChild, STM_GETICON, 0, 0)) == hExclamation)
            seen.bExclamation = true;
    }
    seen.hOwner = ::GetWindow(hBox, GW_OWNER);
    seen.bOwnerDisabled = seen.hOwner && !::IsWindowEnabled(seen.hOwner);
    seen.text = AnswerMessageBox(hDlg, IDOK);
    return seen;
}

int FocusedControl(HWND hDlg)
{
    int nID = UiRobot::FocusId(hDlg);
    for (int nTry = 0; nID == 0 && nTry < 5; ++nTry) {
        ::SetForegroundWindow(hDlg);
        ::SendMessageTimeoutA(hDlg, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
        nID = UiRobot::FocusId(hDlg);
    }
    return nID;
}

HWND OpenMessageBox(HWND hDlg)
{
    return WaitThreadDialog(ThreadOf(hDlg), true, nullptr, 0);
}

int CloseOpenMessageBoxes(HWND hDlg)
{
    int nClosed = 0;
    while (OpenMessageBox(hDlg)) {
        AnswerMessageBox(hDlg, IDOK);
        ++nClosed;
    }
    return nClosed;
}

HWND WaitDialogOver(HWND hOwner)
{
    return WaitThreadDialog(ThreadOf(hOwner), false, hOwner);
}

void WaitClosed(HWND hWnd, HWND hBackTo)
{
    while (::IsWindow(hWnd))
        ::Sleep(10);
    ::SendMessageTimeoutA(hBackTo, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
}

int WaitCancelled(HWND hDlg)
{
    int nBoxes = 0;
    while (::IsWindow(hDlg)) {
        if (OpenMessageBox(hDlg)) {
            nBoxes += CloseOpenMessageBoxes(hDlg);
            PostPressInPlace(hDlg, IDCANCEL);
        }
        ::Sleep(10);
    }
    return nBoxes;
}
