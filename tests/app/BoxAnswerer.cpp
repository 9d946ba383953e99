#include "BoxAnswerer.h"

#include <algorithm>

namespace {
std::string WindowText(HWND hWnd)
{
    char szText[1024] = {};
    ::GetWindowTextA(hWnd, szText, sizeof szText);
    return szText;
}

BOOL CALLBACK CollectBox(HWND hWnd, LPARAM lParam)
{
    char szClass[32] = {};
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    // A message box is a dialog with its text in control 0xFFFF.
    if (std::string(szClass) == "#32770" && ::IsWindowVisible(hWnd) && ::GetDlgItem(hWnd, 0xFFFF))
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}
}

BoxAnswerer::BoxAnswerer(int nButton)
    : m_nButton(nButton), m_nThreadId(::GetCurrentThreadId()), m_thread(&BoxAnswerer::Watch, this)
{
}

BoxAnswerer::~BoxAnswerer()
{
    m_bStop = true;
    m_thread.join();
}

std::vector<SeenBox> BoxAnswerer::Boxes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

void BoxAnswerer::Watch()
{
    std::vector<HWND> answered; // boxes answered that have not closed yet
    while (!m_bStop) {
        answered.erase(std::remove_if(answered.begin(), answered.end(), [](HWND h) { return !::IsWindow(h); }),
                       answered.end());
        std::vector<HWND> boxes;
        ::EnumThreadWindows(m_nThreadId, CollectBox, reinterpret_cast<LPARAM>(&boxes));
        for (HWND hBox : boxes) {
            if (std::find(answered.begin(), answered.end(), hBox) != answered.end())
                continue;
            answered.push_back(hBox);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_boxes.push_back({ WindowText(hBox), WindowText(::GetDlgItem(hBox, 0xFFFF)) });
            }
            ::PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(m_nButton, BN_CLICKED), 0);
        }
        ::Sleep(10);
    }
}

void PumpMessages(DWORD nMilliseconds)
{
    DWORD nStart = ::GetTickCount();
    while (::GetTickCount() - nStart < nMilliseconds) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}
