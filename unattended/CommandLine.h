// The command line of an unattended run: the steps a script gives, in its order, and the
// choices that hold for this run only. Plain rules, no window: the program turns a fault
// into its message from the language library.
#pragma once

#include "PortTarget.h"

#include <string>
#include <vector>

// The device steps, each what the technician would choose in the menu.
enum class StepKind { Download, Clock, RestoreSettings, SaveSettings, Readout };

struct RunStep {
    StepKind kind = StepKind::Clock;
    std::string strFile; // as given (relative to the current folder); empty for the clock
};

struct CommandLine {
    int nPort = 0;            // 1 to 4: a choice of the window, with its mapping; 0 when /port gave none
    bool bPortTarget = false; // /port named a port itself (COMn, rfc2217://, socket://) ...
    PortTarget portTarget;    // ... this one
    int nDeviceType = -1;     // 0 Vantik, 1 Corlaxa, 2 Brennix; -1 when not given
    std::string strLanguage;  // the language library; empty when not given
    std::vector<RunStep> steps;
    std::string strResult;    // the file the result rows go to; empty when not given
    bool bRepeat = false;
    bool bQuiet = false;
};

enum class ArgumentFault {
    None,
    Unknown,       // no such switch (or a value where a switch belongs)
    MissingValue,  // the switch's value is missing, or is the next switch
    BadPort,       // not a number from 1 to 4, COMn (1 to 256), rfc2217://HOST:PORT or socket://HOST:PORT
    BadDevice,     // not one of the three device names
    Twice,         // a choice given twice (the steps may repeat)
    NoSteps,       // /result or /repeat without a device step
};

struct CommandLineParse {
    ArgumentFault fault = ArgumentFault::None;
    std::string strArgument; // the argument at fault, as given
    CommandLine line;
};

// The arguments after the program's name. A switch starts with '/' or '-' and is matched
// without regard to case; /port, /device, /lang, /download, /restore-settings,
// /save-settings, /readout and /result take the next argument as their value.
CommandLineParse ParseCommandLine(const std::vector<std::string>& args);

// The name a step has in the result rows and the log: the switch without its '/'.
const char* StepName(StepKind kind);

// Whether a device type (0 Vantik, 1 Corlaxa, 2 Brennix) offers a step: the one table of
// it, which the window's menu follows as well. The firmware download is every type's; the
// clock, the read-out and the settings are a Corlaxa's.
bool DeviceTypeOffersStep(int nDeviceType, StepKind kind);

// The first type that offers the step, for the message that names it; -1 when none does.
int DeviceTypeOfferingStep(StepKind kind);

// The first step of the line that the device type does not offer (StepKind in kind), or
// false when it offers all of them.
bool FindStepNotOffered(const CommandLine& line, int nDeviceType, StepKind& kind);

// With /repeat, each unit's files get the unit's number before the extension (the
// folder's dots are left alone): "out\\read.txt" and 3 give "out\\read-3.txt"; a name
// without an extension gets it at the end.
std::string NumberedFileName(const std::string& strPath, unsigned nUnit);
