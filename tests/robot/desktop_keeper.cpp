// desktop_keeper: holds a test prefix's desktop for the whole test run.
//
// Wine's desktop process (explorer.exe /desktop) ends a second or two after the last
// program that uses the desktop, and the next program to open a window starts it again,
// waiting up to 10 s for it. Between two tests that happens in every lane, and on a busy
// machine a test that waits for a window may spend its time on the desktop instead. This
// program has a hidden window and answers its messages until the prefix's server ends it
// (tools/wine/stop_prefix.sh). A second copy in the same prefix ends at once.
#include <windows.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    HANDLE hOnce = ::CreateMutexA(nullptr, FALSE, "Local\\ZevDesktopKeeper");
    if (!hOnce || ::GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;
    // Never shown: the tests look only at visible windows, and only at their own programs'.
    HWND hWnd = ::CreateWindowExA(0, "STATIC", "desktop keeper", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  hInstance, nullptr);
    if (!hWnd)
        return 1;
    // Answered, so that a message sent to every window never waits on this one.
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
