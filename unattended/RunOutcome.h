// How an unattended run, and each unit of it, ends: the failure kinds, the exit code of
// each, and the words the result rows use. Plain rules, no window.
#pragma once

enum class RunFailure {
    None,         // every step done
    BadArguments, // nothing was sent
    PortFailed,   // the port cannot be opened
    LinkLost,     // the port failed during the run (the adapter was pulled)
    NoAnswer,     // the device did not answer the wake-up
    TimeOut,      // a step's answer did not come, or its send did not go out
    Nak,          // the device refused a step
    FileFailed,   // a file cannot be read or written
    NotVerified,  // a settings restore read back other values than the file's
    Stopped,      // the window was closed before the steps were done
    Other,        // a step failed otherwise
};

// The exit codes a script sees; documented in the guide.
enum ExitCode {
    EXIT_DONE = 0,
    EXIT_BAD_ARGUMENTS = 1,
    EXIT_PORT = 2,
    EXIT_NO_ANSWER = 3,
    EXIT_STEP_FAILED = 4, // a time-out or a NAK in a step
    EXIT_FILE = 5,
    EXIT_NOT_VERIFIED = 6,
    EXIT_STOPPED = 7,
    EXIT_OTHER = 8,
};

int ExitCodeOf(RunFailure failure);
// The outcome as the result rows give it: "done", or "failed: " and the kind.
const char* OutcomeWord(RunFailure failure);
