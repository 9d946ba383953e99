// zevrobot: the UI robot as a program, for scripts and Python tests.
//   zevrobot.exe serve            one command per line on stdin, one answer per line
//   zevrobot.exe COMMAND ARGS...  one command
// Commands (arguments separated by tabs in serve mode):
//   start PROGRAM FOLDER [ARGS]      start a program; answers "ok PID"
//   startline PROGRAM FOLDER LINE    start with a command line of our own
//   window TITLE TIMEOUT_MS          a top-level window of the program ("" = any)
//   other HWND TIMEOUT_MS            a top-level window other than HWND (a dialog, a box)
//   gone HWND TIMEOUT_MS             wait until the window no longer exists
//   title HWND / class HWND          a window's title or class name
//   text HWND ID                     a control's text (\r \n \t \\ escaped)
//   checked HWND ID                  1 when the button is checked
//   click HWND ID                    click a button and wait until it is handled
//   postclick HWND ID                click a button without waiting (it opens a box)
//   uncheck HWND ID                  take the check from a button, as no click can
//   command HWND ID                  WM_COMMAND id (a menu command, posted)
//   syscommand HWND VALUE            WM_SYSCOMMAND value (posted)
//   close HWND                       WM_CLOSE (posted)
//   settext HWND ID TEXT             set a control's text (WM_SETTEXT, no edit limit)
//   type HWND ID TEXT                type a text into a control, a WM_CHAR per character
//   focus HWND                       the id of the window's control with the focus, or 0
//   movefocus HWND ID                move the focus to a control as Tab would, and wait
//   key HWND VK                      press and release key VK (decimal) where the focus of
//                                    HWND's thread is (posted, as the keyboard does)
//   syschar HWND CHAR                Alt and the letter CHAR, as the dialog manager sees it
//   enabled HWND ID                  1 when the control takes input
//   iconic HWND                      1 when the window is minimised
//   filedialog HWND PATH             in an open file dialog: PATH as file name, then OK
//   controls HWND                    the child controls: ID, class and text of each, all
//                                    tab-separated (the texts escaped)
//   memory PID                       a process's working set in bytes
//   progress HWND ID                 a progress bar: "ok POSITION UPPER" (the range's
//                                    upper end)
//   lock PATH / unlock PATH          hold a file open with no sharing / let it go; a
//                                    lock that fails answers "error CODE"
//   exit TIMEOUT_MS                  wait for the program's end: "ok CODE" or "running"
//   kill [PID]                       end the program (the one with this process id) at once
// Window handles are written and read in hexadecimal. Errors answer "error TEXT".
// A TEXT argument carries \r \n \t \\ escaped, as the answers do; a PATH is taken as it
// stands (its backslashes are its own).
#include "UiRobot.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {
std::string Escape(const std::string& text)
{
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default: out += ch;
        }
    }
    return out;
}

std::string Hex(HWND hWnd)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hWnd)));
    return text;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        out += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : next;
    }
    return out;
}

HWND ParseHwnd(const std::string& text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text.c_str(), nullptr, 16)));
}

DWORD ParseNumber(const std::string& text)
{
    return static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 0));
}

std::string Run(UiRobot& robot, const std::vector<std::string>& args)
{
    if (args.empty())
        return "error no command";
    const std::string& cmd = args[0];
    auto need = [&](size_t count) { return args.size() >= count + 1; };

    if (cmd == "start" && need(2)) {
        if (!robot.Start(args[1], args[2], need(3) ? args[3] : ""))
            return "error start failed " + std::to_string(::GetLastError());
        return "ok " + std::to_string(robot.ProcessId());
    }
    if (cmd == "startline" && need(3)) {
        if (!robot.Start(args[1], args[2], "", &args[3]))
            return "error start failed " + std::to_string(::GetLastError());
        return "ok " + std::to_string(robot.ProcessId());
    }
    if (cmd == "window" && need(2)) {
        HWND hWnd = robot.WaitWindow(args[1], ParseNumber(args[2]));
        return hWnd ? "ok " + Hex(hWnd) : "none";
    }
    if (cmd == "other" && need(2)) {
        HWND hWnd = robot.WaitWindow("", ParseNumber(args[2]), ParseHwnd(args[1]));
        return hWnd ? "ok " + Hex(hWnd) : "none";
    }
    if (cmd == "gone" && need(2)) {
        HWND hWnd = ParseHwnd(args[1]);
        DWORD start = ::GetTickCount();
        while (::IsWindow(hWnd)) {
            if (::GetTickCount() - start >= ParseNumber(args[2]))
                return "still";
            ::Sleep(20);
        }
        return "ok";
    }
    if (cmd == "title" && need(1))
        return "ok " + Escape(UiRobot::Text(ParseHwnd(args[1])));
    if (cmd == "class" && need(1))
        return "ok " + UiRobot::ClassName(ParseHwnd(args[1]));
    if (cmd == "text" && need(2))
        return "ok " + Escape(UiRobot::ItemText(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2]))));
    if (cmd == "checked" && need(2))
        return UiRobot::IsChecked(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2]))) ? "ok 1" : "ok 0";
    if (cmd == "click" && need(2)) {
        UiRobot::Click(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2])));
        return "ok";
    }
    if (cmd == "postclick" && need(2)) {
        UiRobot::PostClick(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2])));
        return "ok";
    }
    if (cmd == "uncheck" && need(2)) {
        ::SendMessageA(::GetDlgItem(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2]))), BM_SETCHECK,
                       BST_UNCHECKED, 0);
        return "ok";
    }
    if (cmd == "command" && need(2)) {
        UiRobot::Command(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2])));
        return "ok";
    }
    if (cmd == "syscommand" && need(2)) {
        UiRobot::SysCommand(ParseHwnd(args[1]), ParseNumber(args[2]));
        return "ok";
    }
    if (cmd == "close" && need(1)) {
        UiRobot::Close(ParseHwnd(args[1]));
        return "ok";
    }
    if (cmd == "settext" && need(3)) {
        if (!UiRobot::SetText(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2])), Unescape(args[3])))
            return "error no such control, or no answer";
        return "ok";
    }
    if (cmd == "type" && need(3)) {
        if (!UiRobot::Type(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2])), Unescape(args[3])))
            return "error no such control, or no answer";
        return "ok";
    }
    if (cmd == "focus" && need(1))
        return "ok " + std::to_string(UiRobot::FocusId(ParseHwnd(args[1])));
    if (cmd == "movefocus" && need(2)) {
        if (!UiRobot::MoveFocus(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2]))))
            return "error no such control, or no answer";
        return "ok";
    }
    if (cmd == "key" && need(2)) {
        UiRobot::Key(ParseHwnd(args[1]), static_cast<UINT>(ParseNumber(args[2])));
        return "ok";
    }
    if (cmd == "syschar" && need(2) && !args[2].empty()) {
        UiRobot::SysChar(ParseHwnd(args[1]), args[2][0]);
        return "ok";
    }
    if (cmd == "enabled" && need(2))
        return UiRobot::IsEnabled(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2]))) ? "ok 1" : "ok 0";
    if (cmd == "iconic" && need(1))
        return ::IsIconic(ParseHwnd(args[1])) ? "ok 1" : "ok 0";
    if (cmd == "filedialog" && need(2)) {
        if (!UiRobot::FileDialog(ParseHwnd(args[1]), args[2]))
            return "error not a file dialog";
        return "ok";
    }
    if (cmd == "controls" && need(1)) {
        std::string answer = "ok";
        const char* separator = " ";
        for (const UiRobot::Control& control : UiRobot::Controls(ParseHwnd(args[1]))) {
            answer += separator + std::to_string(control.id) + "\t" + control.className + "\t" + Escape(control.text);
            separator = "\t";
        }
        return answer;
    }
    if (cmd == "clientsize" && need(2)) {
        RECT rect = {};
        HWND hControl = ::GetDlgItem(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2])));
        if (!hControl || !::GetClientRect(hControl, &rect))
            return "error no such control";
        return "ok " + std::to_string(rect.right) + " " + std::to_string(rect.bottom);
    }
    if (cmd == "memory" && need(1)) {
        SIZE_T bytes = UiRobot::WorkingSet(ParseNumber(args[1]));
        if (!bytes)
            return "error working set not readable";
        return "ok " + std::to_string(static_cast<unsigned long long>(bytes));
    }
    if (cmd == "progress" && need(2)) {
        int position = 0, upper = 0;
        if (!UiRobot::Progress(ParseHwnd(args[1]), static_cast<int>(ParseNumber(args[2])), position, upper))
            return "error no such progress bar, or no answer";
        return "ok " + std::to_string(position) + " " + std::to_string(upper);
    }
    if (cmd == "lock" && need(1)) {
        DWORD error = 0;
        if (!robot.Lock(args[1], error))
            return "error " + std::to_string(error);
        return "ok";
    }
    if (cmd == "unlock" && need(1))
        return robot.Unlock(args[1]) ? "ok" : "error not locked";
    if (cmd == "exit" && need(1)) {
        DWORD code = robot.WaitExit(ParseNumber(args[1]));
        return code == STILL_ACTIVE ? "running" : "ok " + std::to_string(code);
    }
    if (cmd == "kill") {
        robot.Kill(need(1) ? ParseNumber(args[1]) : 0);
        return "ok";
    }
    return "error unknown command or missing arguments: " + cmd;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return parts;
        start = tab + 1;
    }
}
}

int main(int argc, char** argv)
{
    UiRobot robot;
    if (argc > 1 && std::string(argv[1]) != "serve") {
        std::vector<std::string> args(argv + 1, argv + argc);
        std::string answer = Run(robot, args);
        std::printf("%s\n", answer.c_str());
        return answer.compare(0, 5, "error") == 0 ? 1 : 0;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == "quit")
            break;
        std::printf("%s\n", Run(robot, SplitTabs(line)).c_str());
        std::fflush(stdout);
    }
    // A program the robot started does not outlive it (see UiRobot's job).
    return 0;
}
