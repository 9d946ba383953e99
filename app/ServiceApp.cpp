#include "ServiceApp.h"
#include "CommandLine.h"
#include "RunOutcome.h"
#include "DeviceTypes.h"
#include "INIFile.h"
#include "ScriptOutput.h"
#include "ServiceDlg.h"
#include "StringFormats.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

CServiceApp theApp;

BEGIN_MESSAGE_MAP(CServiceApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

namespace {
// Loads the language library. A file that exists but is no loadable DLL fails like a
// missing one, without Windows' own error box.
HINSTANCE LoadLanguageLibrary(const char* pszName)
{
    UINT nOldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HINSTANCE hLibrary = ::LoadLibraryA(pszName);
    ::SetErrorMode(nOldMode);
    return hLibrary;
}

std::vector<std::string> ProgramArguments()
{
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i)
        args.emplace_back(__argv[i]);
    return args;
}

// The arguments as a script gave them, for the log; quoted where they hold a blank.
CString JoinedArguments(const std::vector<std::string>& args)
{
    CString strText;
    for (const std::string& strArg : args) {
        if (!strText.IsEmpty())
            strText += ' ';
        bool bQuote = strArg.empty() || strArg.find_first_of(" \t") != std::string::npos;
        strText += bQuote ? ("\"" + strArg + "\"").c_str() : strArg.c_str();
    }
    return strText;
}

// What is wrong with the arguments, from the language library when it is loaded, and
// how the program is called.
CString ArgumentFaultText(ArgumentFault fault, const char* pszArgument)
{
    CString strFault;
    switch (fault) {
    case ArgumentFault::MissingValue:
        strFault = FormatById(IDS_ARG_MISSING, "s", "%s needs a value", pszArgument);
        break;
    case ArgumentFault::BadPort:
        strFault = FormatById(IDS_ARG_BAD_PORT, "s", "/port %s: the port is a number from 1 to 4", pszArgument);
        break;
    case ArgumentFault::BadDevice:
        strFault =
            FormatById(IDS_ARG_BAD_DEVICE, "s", "/device %s: the device is Vantik, Corlaxa or Brennix", pszArgument);
        break;
    case ArgumentFault::Twice:
        strFault = FormatById(IDS_ARG_TWICE, "s", "%s is given twice", pszArgument);
        break;
    case ArgumentFault::NoSteps:
        strFault = FormatById(IDS_ARG_NO_STEPS, "s",
                              "%s needs at least one step: /download, /clock, /restore-settings, /save-settings or "
                              "/readout",
                              pszArgument);
        break;
    case ArgumentFault::NeedsCorlaxa:
        strFault = FormatById(IDS_RUN_NEEDS_CORLAXA, "s", "%s needs a Corlaxa (/device Corlaxa)", pszArgument);
        break;
    default:
        strFault = FormatById(IDS_ARG_UNKNOWN, "s", "Unknown argument: %s", pszArgument);
        break;
    }
    return strFault + "\n\n" +
           LoadText(IDS_USAGE, "Usage: ZEV.EXE [/port N] [/device Vantik|Corlaxa|Brennix] [/lang FILE.DLL]\n"
                               "        [/download FILE] [/clock] [/restore-settings FILE] [/save-settings FILE]\n"
                               "        [/readout FILE] [/result FILE] [/repeat] [/quiet]");
}

// A start that cannot go on says why: to the script that started it, else in a box.
void SayStartFailure(const char* pszMessage, bool bScript)
{
    if (bScript)
        TellCaller(pszMessage);
    else
        ::MessageBoxA(nullptr, pszMessage, "Error", MB_ICONHAND);
}

// The port (1 to 4) and the device type of this start: the command line's, else the
// settings'.
void StartChoices(INIFile& settings, const CommandLine& line, int& nPort, int& nType)
{
    nPort = settings.ReadInt("ComPort", "ComPortNo", 1);
    if (nPort <= 0 || nPort > 4)
        nPort = 1;
    if (line.nPort > 0)
        nPort = line.nPort;
    char szDevice[20];
    settings.ReadString("Device", "Device", szDevice, sizeof szDevice, "Vantik");
    nType = line.nDeviceType >= 0 ? line.nDeviceType : DeviceTypeFromName(szDevice);
}

// The settings steps are a Corlaxa's, as their menu commands are: the first one given
// for another device, or nothing.
const char* SettingsStepForOtherType(const CommandLine& line, int nType)
{
    if (nType == 1)
        return nullptr;
    for (const RunStep& step : line.steps) {
        if (step.kind == StepKind::RestoreSettings)
            return "/restore-settings";
        if (step.kind == StepKind::SaveSettings)
            return "/save-settings";
    }
    return nullptr;
}
}

BOOL CServiceApp::InitInstance()
{
    INIFile settings;
    const std::vector<std::string> args = ProgramArguments();
    const CommandLineParse parse = ParseCommandLine(args);
    const CommandLine& line = parse.line;
    // With arguments a script may be waiting: nothing it cannot answer is put in a box.
    const bool bScript = !args.empty();

    char szLibrary[MAX_PATH];
    if (!line.strLanguage.empty())
        std::snprintf(szLibrary, sizeof szLibrary, "%s", line.strLanguage.c_str());
    else
        settings.ReadString("Setup", "LanguageLibrary", szLibrary, 20, "ZEV_DE.DLL");
    HINSTANCE hLibrary = LoadLanguageLibrary(szLibrary);
    if (hLibrary)
        // From here on templates, menus, strings and icons come from the library first.
        // It stays loaded until the process ends.
        AfxSetResourceHandle(hLibrary);

    if (parse.fault != ArgumentFault::None) {
        TellCaller(ArgumentFaultText(parse.fault, parse.strArgument.c_str()));
        m_nExitCode = EXIT_BAD_ARGUMENTS;
        return FALSE;
    }
    if (!hLibrary) {
        char szMessage[MAX_PATH + 32];
        std::snprintf(szMessage, sizeof szMessage, "Library %s not found !", szLibrary);
        SayStartFailure(szMessage, bScript);
        if (bScript)
            m_nExitCode = line.strLanguage.empty() ? EXIT_FILE : EXIT_BAD_ARGUMENTS;
        return FALSE;
    }

    // The command line's port and device hold for this run only.
    int nPort, nType;
    StartChoices(settings, line, nPort, nType);
    if (const char* pszStep = SettingsStepForOtherType(line, nType)) {
        TellCaller(ArgumentFaultText(ArgumentFault::NeedsCorlaxa, pszStep));
        m_nExitCode = EXIT_BAD_ARGUMENTS;
        return FALSE;
    }

    Enable3dControls();

    CServiceDlg dlg;
    dlg.m_pSettings = &settings;
    if (bScript) {
        dlg.m_pCommandLine = &line;
        dlg.m_strRunArguments = JoinedArguments(args);
    }
    m_pMainWnd = &dlg;
    if (dlg.DoModal(nPort, nType) == -1) {
        // A library without the main window's template (or any other DLL named by
        // mistake): without a word, the program would just vanish.
        char szMessage[MAX_PATH + 64];
        std::snprintf(szMessage, sizeof szMessage, "The main window cannot be created from library %s !", szLibrary);
        SayStartFailure(szMessage, bScript);
        m_nExitCode = bScript ? EXIT_FILE : 0;
        return FALSE;
    }
    m_nExitCode = dlg.m_nExitCode;

    // No range check here: no COM radio selected writes 0, which the next start reads as 1.
    if (line.nPort == 0)
        settings.WriteInt("ComPort", "ComPortNo", dlg.m_nComIndex + 1);
    // -1 (no radio selected) and anything else outside the table count as type 0.
    if (line.nDeviceType < 0)
        settings.WriteString("Device", "Device", DeviceNameOfType(dlg.m_nDeviceType));
    return FALSE;
}
