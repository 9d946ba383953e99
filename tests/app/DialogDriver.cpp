#include "DialogDriver.h"

#include <algorithm>
#include <string>

namespace {
struct Search {
    bool bMessageBox;
    HWND hExcept;
    HWND hFound;
    const std::vector<HWND>* pExcept;
    std::vector<HWND>* pAll; // every one found, when given
};

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam)
{
    Search* pSearch = reinterpret_cast<Search*>(lParam);
    char szClass[32] = {};
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    // A message box is a dialog with its text in control 0xFFFF.
    bool bMessageBox = ::GetDlgItem(hWnd, 0xFFFF) != nullptr;
    if (std::string(szClass) != "#32770" || !::IsWindowVisible(hWnd) || hWnd == pSearch->hExcept ||
        bMessageBox != pSearch->bMessageBox)
        return TRUE;
    if (pSearch->pExcept &&
        std::find(pSearch->pExcept->begin(), pSearch->pExcept->end(), hWnd) != pSearch->pExcept->end())
        return TRUE;
    if (pSearch->pAll) {
        pSearch->pAll->push_back(hWnd);
        return TRUE;
    }
    pSearch->hFound = hWnd;
    return FALSE;
}

HWND FindThreadDialog(DWORD nThreadId, bool bMessageBox, HWND hExcept, const std::vector<HWND>* pExcept = nullptr)
{
    Search search = { bMessageBox, hExcept, nullptr, pExcept, nullptr };
    ::EnumThreadWindows(nThreadId, FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::vector<HWND> ThreadDialogs(DWORD nThreadId)
{
    std::vector<HWND> dialogs;
    Search search = { false, nullptr, nullptr, nullptr, &dialogs };
    ::EnumThreadWindows(nThreadId, FindDialog, reinterpret_cast<LPARAM>(&search));
    return dialogs;
}
}

HWND WaitThreadDialog(DWORD nThreadId, bool bMessageBox, HWND hExcept, DWORD nTimeoutMs)
{
    DWORD nStart = ::GetTickCount();
    for (;;) {
        if (HWND hDlg = FindThreadDialog(nThreadId, bMessageBox, hExcept))
            return hDlg;
        if (::GetTickCount() - nStart >= nTimeoutMs)
            return nullptr;
        ::Sleep(10);
    }
}

std::string AnswerMessageBox(HWND hDlg, int nButton)
{
    HWND hBox = WaitThreadDialog(::GetWindowThreadProcessId(hDlg, nullptr), true);
    if (!hBox)
        return std::string();
    char szText[1024] = {};
    ::GetDlgItemTextA(hBox, 0xFFFF, szText, sizeof szText);
    ::PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED), 0);
    while (::IsWindow(hBox))
        ::Sleep(10);
    // A sent message is taken when the thread next asks for messages: in the dialog's
    // loop, now that the box has gone.
    ::SendMessageTimeoutA(hDlg, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
    return szText;
}

DialogDriver::DialogDriver(std::function<void(HWND)> fnSteps)
    : m_fnSteps(std::move(fnSteps)), m_nThreadId(::GetCurrentThreadId()), m_before(ThreadDialogs(m_nThreadId)),
      m_thread(&DialogDriver::Watch, this)
{
}

DialogDriver::~DialogDriver()
{
    Join();
}

bool DialogDriver::Join()
{
    m_bStop = true;
    if (m_thread.joinable())
        m_thread.join();
    return m_bRan;
}

void DialogDriver::Watch()
{
    while (!m_bStop) {
        if (HWND hDlg = FindThreadDialog(m_nThreadId, false, nullptr, &m_before)) {
            m_fnSteps(hDlg);
            m_bRan = true;
            return;
        }
        ::Sleep(10);
    }
}
