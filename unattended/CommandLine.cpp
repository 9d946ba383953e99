#include "CommandLine.h"

#include "DeviceTypes.h"

#include <cstring>

namespace {

enum class Switch { None, Port, Device, Lang, Download, Clock, RestoreSettings, SaveSettings, Readout, Result, Repeat, Quiet };

struct SwitchName {
    const char* pszName;
    Switch which;
};

const SwitchName kSwitches[] = {
    { "port", Switch::Port },
    { "device", Switch::Device },
    { "lang", Switch::Lang },
    { "download", Switch::Download },
    { "clock", Switch::Clock },
    { "restore-settings", Switch::RestoreSettings },
    { "save-settings", Switch::SaveSettings },
    { "readout", Switch::Readout },
    { "result", Switch::Result },
    { "repeat", Switch::Repeat },
    { "quiet", Switch::Quiet },
};

// ASCII only: a locale must not change what a script's switch means.
char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameTextIgnoringCase(const std::string& strText, const char* pszName)
{
    if (strText.size() != std::strlen(pszName))
        return false;
    for (std::size_t i = 0; i < strText.size(); ++i) {
        if (LowerAscii(strText[i]) != LowerAscii(pszName[i]))
            return false;
    }
    return true;
}

Switch SwitchOf(const std::string& strArgument)
{
    if (strArgument.size() < 2 || (strArgument[0] != '/' && strArgument[0] != '-'))
        return Switch::None;
    const std::string strName = strArgument.substr(1);
    for (const SwitchName& name : kSwitches) {
        if (SameTextIgnoringCase(strName, name.pszName))
            return name.which;
    }
    return Switch::None;
}

bool TakesValue(Switch which)
{
    return which != Switch::Clock && which != Switch::Repeat && which != Switch::Quiet;
}

// The step a switch asks for; false for the choices that hold for the whole run.
bool StepOfSwitch(Switch which, StepKind& kind)
{
    switch (which) {
    case Switch::Download: kind = StepKind::Download; return true;
    case Switch::Clock: kind = StepKind::Clock; return true;
    case Switch::RestoreSettings: kind = StepKind::RestoreSettings; return true;
    case Switch::SaveSettings: kind = StepKind::SaveSettings; return true;
    case Switch::Readout: kind = StepKind::Readout; return true;
    default: return false;
    }
}

// Digits only, leading zeros allowed ("01" is port 1); 0 for anything else.
int PortOf(const std::string& strValue)
{
    if (strValue.empty())
        return 0;
    int nPort = 0;
    for (char c : strValue) {
        if (c < '0' || c > '9')
            return 0;
        nPort = nPort * 10 + (c - '0');
        if (nPort > 4)
            return 0; // stops before a long number could overflow
    }
    return nPort;
}

int DeviceTypeOf(const std::string& strValue)
{
    for (int nType = 0; nType < DEVICE_TYPE_COUNT; ++nType) {
        if (SameTextIgnoringCase(strValue, DeviceNameOfType(nType)))
            return nType;
    }
    return -1;
}

CommandLineParse Fault(CommandLineParse parse, ArgumentFault fault, const std::string& strArgument)
{
    parse.fault = fault;
    parse.strArgument = strArgument;
    return parse;
}

} // namespace

CommandLineParse ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLineParse parse;
    CommandLine& line = parse.line;
    bool bSeen[static_cast<int>(Switch::Quiet) + 1] = {};
    std::string strNeedsStep; // the first /result or /repeat, as given

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& strSwitch = args[i];
        const Switch which = SwitchOf(strSwitch);
        if (which == Switch::None)
            return Fault(parse, ArgumentFault::Unknown, strSwitch);

        StepKind kind = StepKind::Clock;
        const bool bStep = StepOfSwitch(which, kind);
        bool& bGiven = bSeen[static_cast<int>(which)];
        if (!bStep && bGiven)
            return Fault(parse, ArgumentFault::Twice, strSwitch);
        bGiven = true;

        std::string strValue;
        if (TakesValue(which)) {
            // A switch where the value belongs means the value was left out.
            if (i + 1 >= args.size() || args[i + 1].empty() || SwitchOf(args[i + 1]) != Switch::None)
                return Fault(parse, ArgumentFault::MissingValue, strSwitch);
            strValue = args[++i];
        }

        switch (which) {
        case Switch::Port: {
            line.nPort = PortOf(strValue);
            if (line.nPort > 0)
                break;
            // Not a choice of the window: a port of its own, for this run.
            const PortTargetParse port = ParsePortTarget(strValue);
            if (port.fault != PortFault::None)
                return Fault(parse, ArgumentFault::BadPort, strValue);
            line.bPortTarget = true;
            line.portTarget = port.target;
            break;
        }
        case Switch::Device:
            line.nDeviceType = DeviceTypeOf(strValue);
            if (line.nDeviceType < 0)
                return Fault(parse, ArgumentFault::BadDevice, strValue);
            break;
        case Switch::Lang: line.strLanguage = strValue; break;
        case Switch::Result:
            line.strResult = strValue;
            if (strNeedsStep.empty())
                strNeedsStep = strSwitch;
            break;
        case Switch::Repeat:
            line.bRepeat = true;
            if (strNeedsStep.empty())
                strNeedsStep = strSwitch;
            break;
        case Switch::Quiet: line.bQuiet = true; break;
        default: line.steps.push_back(RunStep { kind, strValue }); break;
        }
    }
    if (line.steps.empty() && !strNeedsStep.empty())
        return Fault(parse, ArgumentFault::NoSteps, strNeedsStep);
    return parse;
}

const char* StepName(StepKind kind)
{
    switch (kind) {
    case StepKind::Download: return "download";
    case StepKind::Clock: return "clock";
    case StepKind::RestoreSettings: return "restore-settings";
    case StepKind::SaveSettings: return "save-settings";
    case StepKind::Readout: return "readout";
    }
    return "step";
}

namespace {
// Which type offers which step, by type number.
struct StepOffer {
    StepKind kind;
    bool bOffered[DEVICE_TYPE_COUNT];
};

const StepOffer kStepOffers[] = {
    { StepKind::Download, { true, true, true } },
    { StepKind::Clock, { false, true, false } },
    { StepKind::RestoreSettings, { false, true, false } },
    { StepKind::SaveSettings, { false, true, false } },
    { StepKind::Readout, { false, true, false } },
};
}

bool DeviceTypeOffersStep(int nDeviceType, StepKind kind)
{
    if (nDeviceType < 0 || nDeviceType >= DEVICE_TYPE_COUNT)
        return false;
    for (const StepOffer& offer : kStepOffers) {
        if (offer.kind == kind)
            return offer.bOffered[nDeviceType];
    }
    return false;
}

int DeviceTypeOfferingStep(StepKind kind)
{
    for (int nType = 0; nType < DEVICE_TYPE_COUNT; ++nType) {
        if (DeviceTypeOffersStep(nType, kind))
            return nType;
    }
    return -1;
}

bool FindStepNotOffered(const CommandLine& line, int nDeviceType, StepKind& kind)
{
    for (const RunStep& step : line.steps) {
        if (!DeviceTypeOffersStep(nDeviceType, step.kind)) {
            kind = step.kind;
            return true;
        }
    }
    return false;
}

std::string NumberedFileName(const std::string& strPath, unsigned nUnit)
{
    // The name is what follows the last folder separator or a drive's colon ("C:read.txt").
    const std::string::size_type nSeparator = strPath.find_last_of("\\/:");
    const std::string::size_type nName = nSeparator == std::string::npos ? 0 : nSeparator + 1;
    std::string::size_type nDot = strPath.find_last_of('.');
    // A dot that starts the name (".hidden") begins no extension.
    if (nDot == std::string::npos || nDot <= nName)
        nDot = strPath.size();
    return strPath.substr(0, nDot) + "-" + std::to_string(nUnit) + strPath.substr(nDot);
}
