#include "UiRobot.h"

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>

namespace {
struct EnumContext {
    DWORD pid;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    EnumContext* context = reinterpret_cast<EnumContext*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid == context->pid && ::IsWindowVisible(hWnd))
        context->windows->push_back(hWnd);
    return TRUE;
}
}

UiRobot::UiRobot()
{
    m_hJob = ::CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (m_hJob)
        ::SetInformationJobObject(m_hJob, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

UiRobot::~UiRobot()
{
    for (const auto& locked : m_locked)
        ::CloseHandle(locked.second);
    for (const PROCESS_INFORMATION& pi : m_started) {
        Kill(pi.dwProcessId);
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
    }
    if (m_hJob)
        ::CloseHandle(m_hJob);
}

bool UiRobot::Start(const std::string& program, const std::string& folder, const std::string& arguments,
                    const std::string* commandLine)
{
    std::string line = commandLine ? *commandLine : "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si = { sizeof si };
    PROCESS_INFORMATION pi = {};
    // Suspended until it is in the job, so that nothing it starts escapes the job. Wine
    // now and then fails a start with ERROR_INTERNAL_ERROR (the new process died before
    // it ran a line of its own); such a start is tried again.
    for (int attempt = 1;; ++attempt) {
        if (::CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                             folder.empty() ? nullptr : folder.c_str(), &si, &pi))
            break;
        if (::GetLastError() != ERROR_INTERNAL_ERROR || attempt == 3)
            return false;
        std::fprintf(stderr, "zevrobot: the start of %s failed inside Wine; once more\n", program.c_str());
        ::Sleep(200);
    }
    if (m_hJob)
        ::AssignProcessToJobObject(m_hJob, pi.hProcess);
    ::ResumeThread(pi.hThread);
    m_started.push_back(pi);
    m_pi = pi;
    return true;
}

DWORD UiRobot::WaitExit(DWORD timeoutMs)
{
    if (!m_pi.hProcess)
        return 0;
    ::WaitForSingleObject(m_pi.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_pi.hProcess, &code);
    return code;
}

void UiRobot::Kill(DWORD processId)
{
    if (!processId)
        processId = m_pi.dwProcessId;
    for (const PROCESS_INFORMATION& pi : m_started) {
        if (pi.dwProcessId == processId && ::WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(pi.hProcess, 99);
            ::WaitForSingleObject(pi.hProcess, 5000);
        }
    }
}

std::vector<HWND> UiRobot::TopWindows() const
{
    std::vector<HWND> windows;
    EnumContext context = { m_pi.dwProcessId, &windows };
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
    return windows;
}

HWND UiRobot::WaitWindow(const std::string& title, DWORD timeoutMs, HWND except) const
{
    DWORD start = ::GetTickCount();
    for (;;) {
        for (HWND hWnd : TopWindows()) {
            if (hWnd != except && (title.empty() || Text(hWnd) == title))
                return hWnd;
        }
        if (::GetTickCount() - start >= timeoutMs)
            return nullptr;
        ::Sleep(20);
    }
}

std::string UiRobot::Text(HWND hWnd)
{
    std::string text(65536, '\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                               SMTO_ABORTIFHUNG, 5000, &copied))
        return std::string();
    text.resize(copied < text.size() ? copied : 0);
    return text;
}

std::string UiRobot::ClassName(HWND hWnd)
{
    char name[256] = {};
    ::GetClassNameA(hWnd, name, sizeof name);
    return name;
}

bool UiRobot::IsChecked(HWND hDlg, int id)
{
    return ::SendMessageA(::GetDlgItem(hDlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void UiRobot::Click(HWND hDlg, int id)
{
    ::SendMessageTimeoutA(::GetDlgItem(hDlg, id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, nullptr);
}

void UiRobot::PostClick(HWND hDlg, int id)
{
    ::PostMessageA(::GetDlgItem(hDlg, id), BM_CLICK, 0, 0);
}

void UiRobot::Command(HWND hWnd, int id)
{
    ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void UiRobot::SysCommand(HWND hWnd, WPARAM command)
{
    ::PostMessageA(hWnd, WM_SYSCOMMAND, command, 0);
}

void UiRobot::Close(HWND hWnd)
{
    ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
}

bool UiRobot::SetText(HWND hDlg, int id, const std::string& text)
{
    HWND hCtrl = ::GetDlgItem(hDlg, id);
    DWORD_PTR result = 0;
    return hCtrl && ::SendMessageTimeoutA(hCtrl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                          SMTO_NORMAL, 10000, &result);
}

bool UiRobot::Type(HWND hDlg, int id, const std::string& text)
{
    HWND hCtrl = ::GetDlgItem(hDlg, id);
    if (!hCtrl)
        return false;
    for (char ch : text) {
        // lParam: one key press (repeat count 1).
        if (!::SendMessageTimeoutA(hCtrl, WM_CHAR, static_cast<unsigned char>(ch), 1, SMTO_NORMAL, 10000, nullptr))
            return false;
    }
    return true;
}

int UiRobot::FocusId(HWND hDlg)
{
    GUITHREADINFO info = { sizeof info };
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(hDlg, nullptr), &info))
        return 0;
    for (HWND hWnd = info.hwndFocus; hWnd; hWnd = ::GetAncestor(hWnd, GA_PARENT)) {
        if (::GetAncestor(hWnd, GA_PARENT) == hDlg)
            return ::GetDlgCtrlID(hWnd);
    }
    return 0;
}

bool UiRobot::MoveFocus(HWND hDlg, int id)
{
    HWND hCtrl = ::GetDlgItem(hDlg, id);
    return hCtrl && ::SendMessageTimeoutA(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hCtrl), TRUE,
                                          SMTO_NORMAL, 10000, nullptr);
}

namespace {
HWND FocusOf(HWND hWnd)
{
    GUITHREADINFO info = { sizeof info };
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(hWnd, nullptr), &info) && info.hwndFocus)
        return info.hwndFocus;
    return hWnd;
}
}

void UiRobot::Key(HWND hWnd, UINT vk)
{
    HWND hFocus = FocusOf(hWnd);
    UINT nScan = ::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    // The loop's translation makes the character of the key, where the dialog manager
    // leaves the key to the control.
    ::PostMessageA(hFocus, WM_KEYDOWN, vk, 1 | (nScan << 16));
    ::PostMessageA(hFocus, WM_KEYUP, vk, 1 | (nScan << 16) | 0xC0000000u);
}

void UiRobot::SysChar(HWND hWnd, char ch)
{
    // Bit 29: Alt is down.
    ::PostMessageA(FocusOf(hWnd), WM_SYSCHAR, static_cast<unsigned char>(ch), 1 | (1u << 29));
}

bool UiRobot::IsEnabled(HWND hDlg, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(hDlg, id)) != FALSE;
}

bool UiRobot::FileDialog(HWND hDlg, const std::string& path)
{
    // The file-name field: the combo box cmb13 of the Explorer-style dialog (Wine's, and
    // Windows' since 2000), or the edit edt1 where the dialog has no such combo box.
    const int cmb13 = 0x47C, edt1 = 0x480;
    int nameId = ::GetDlgItem(hDlg, cmb13) ? cmb13 : edt1;
    if (!SetText(hDlg, nameId, path))
        return false;
    // Its toolbar carries id 1 too: the button is the one of class Button.
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(hChild) == IDOK && ClassName(hChild) == "Button") {
            ::PostMessageA(hChild, BM_CLICK, 0, 0);
            return true;
        }
    }
    return false;
}

SIZE_T UiRobot::WorkingSet(DWORD processId)
{
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!hProcess)
        return 0;
    PROCESS_MEMORY_COUNTERS counters = { sizeof counters };
    SIZE_T bytes = ::GetProcessMemoryInfo(hProcess, &counters, sizeof counters) ? counters.WorkingSetSize : 0;
    ::CloseHandle(hProcess);
    return bytes;
}

std::vector<UiRobot::Control> UiRobot::Controls(HWND hDlg)
{
    std::vector<Control> controls;
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        controls.push_back({ ::GetDlgCtrlID(hChild), ClassName(hChild), Text(hChild) });
    return controls;
}

bool UiRobot::Progress(HWND hDlg, int id, int& position, int& upper)
{
    HWND hCtrl = ::GetDlgItem(hDlg, id);
    if (!hCtrl || ClassName(hCtrl) != PROGRESS_CLASSA)
        return false;
    // Both come back as the message's result: no pointer has to cross the processes.
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(hCtrl, PBM_GETPOS, 0, 0, SMTO_NORMAL, 10000, &result))
        return false;
    position = static_cast<int>(result);
    if (!::SendMessageTimeoutA(hCtrl, PBM_GETRANGE, FALSE, 0, SMTO_NORMAL, 10000, &result))
        return false;
    upper = static_cast<int>(result);
    return true;
}

bool UiRobot::Lock(const std::string& path, DWORD& lastError)
{
    HANDLE hFile = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        lastError = ::GetLastError();
        return false;
    }
    // A second lock of a path held already has failed above: share mode 0 refuses it.
    m_locked[path] = hFile;
    return true;
}

bool UiRobot::Unlock(const std::string& path)
{
    auto locked = m_locked.find(path);
    if (locked == m_locked.end())
        return false;
    ::CloseHandle(locked->second);
    m_locked.erase(locked);
    return true;
}
