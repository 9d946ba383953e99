// Starts a program as a scheduled task does: no console to attach to and no standard
// handles, so nobody listens to what it says. Waits for it and exits with its exit code;
// a program still running after the time given (a box waiting for a person) is ended and
// the exit code is 259 (STILL_ACTIVE).
//
//     detached_start.exe MILLISECONDS FOLDER "PROGRAM" ARGUMENTS...
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: detached_start MILLISECONDS FOLDER PROGRAM [ARGUMENTS...]\n");
        return 2;
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
    if (!::CreateProcessA(nullptr, &strLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, argv[2], &si,
                          &pi))
        return 3;
    DWORD nCode = STILL_ACTIVE;
    if (::WaitForSingleObject(pi.hProcess, nTimeoutMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(pi.hProcess, &nCode);
    else
        ::TerminateProcess(pi.hProcess, STILL_ACTIVE);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return static_cast<int>(nCode);
}
