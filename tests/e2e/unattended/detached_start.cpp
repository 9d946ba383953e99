// Starts a program as a scheduled task does: no console to attach to and no standard
// handles, so nobody listens to what it says. Waits for it and exits with its exit code;
// a program still running after the time given (a box waiting for a person) is ended and
// the exit code is 200 (Unix keeps the low byte of an exit code: STILL_ACTIVE, 259, would
// read as 3). 250: the program could not be started (said on stderr).
//
//     detached_start.exe MILLISECONDS FOLDER "PROGRAM" ARGUMENTS...
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
const DWORD kStillRunning = 200;
}

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: detached_start MILLISECONDS FOLDER PROGRAM [ARGUMENTS...]\n");
        return 250;
    }
    const DWORD nTimeoutMs = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    std::string strLine = std::string("\"") + argv[3] + "\"";
    for (int i = 4; i < argc; ++i) {
        const std::string strArg = argv[i];
        strLine += strArg.find_first_of(" \t") == std::string::npos ? " " + strArg : " \"" + strArg + "\"";
    }

    // Not this launcher's console either: the program's parent has none.
    ::FreeConsole();
    STARTUPINFOA si = { sizeof si };
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = nullptr;
    si.hStdError = nullptr;
    PROCESS_INFORMATION pi = {};
    // Wine now and then fails a start with ERROR_INTERNAL_ERROR (the new process died
    // before it ran a line of its own): such a start is tried again, as the robot does.
    for (int nAttempt = 1;; ++nAttempt) {
        if (::CreateProcessA(nullptr, &strLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, argv[2], &si,
                             &pi))
            break;
        const DWORD nError = ::GetLastError();
        if (nError != ERROR_INTERNAL_ERROR || nAttempt == 3) {
            std::fprintf(stderr, "detached_start: %s cannot be started (error %lu)\n", strLine.c_str(), nError);
            return 250;
        }
        ::Sleep(200);
    }
    DWORD nCode = kStillRunning;
    if (::WaitForSingleObject(pi.hProcess, nTimeoutMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(pi.hProcess, &nCode);
    else
        ::TerminateProcess(pi.hProcess, kStillRunning);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return static_cast<int>(nCode);
}
