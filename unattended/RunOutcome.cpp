#include "RunOutcome.h"

int ExitCodeOf(RunFailure failure)
{
    switch (failure) {
    case RunFailure::None: return EXIT_DONE;
    case RunFailure::BadArguments: return EXIT_BAD_ARGUMENTS;
    case RunFailure::PortFailed:
    case RunFailure::LinkLost: return EXIT_PORT;
    case RunFailure::NoAnswer: return EXIT_NO_ANSWER;
    case RunFailure::TimeOut:
    case RunFailure::Nak: return EXIT_STEP_FAILED;
    case RunFailure::FileFailed: return EXIT_FILE;
    case RunFailure::NotVerified: return EXIT_NOT_VERIFIED;
    case RunFailure::Stopped: return EXIT_STOPPED;
    case RunFailure::Other: return EXIT_OTHER;
    }
    return EXIT_OTHER;
}

const char* OutcomeWord(RunFailure failure)
{
    switch (failure) {
    case RunFailure::None: return "done";
    case RunFailure::BadArguments: return "failed: bad arguments";
    case RunFailure::PortFailed: return "failed: port cannot be opened";
    case RunFailure::LinkLost: return "failed: link lost";
    case RunFailure::NoAnswer: return "failed: no answer";
    case RunFailure::TimeOut: return "failed: time-out";
    case RunFailure::Nak: return "failed: NAK";
    case RunFailure::FileFailed: return "failed: file";
    case RunFailure::NotVerified: return "failed: not verified";
    case RunFailure::Stopped: return "failed: stopped";
    case RunFailure::Other: return "failed";
    }
    return "failed";
}
