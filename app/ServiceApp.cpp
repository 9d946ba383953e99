#include "ServiceApp.h"
#include "CommandLine.h"
#include "RunOutcome.h"
#include "DeviceTypes.h"
#include "INIFile.h"
#include "ScriptOutput.h"
#include "ServiceDlg.h"
#include "StringFormats.h"
#include "VersionString.h"

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

// A fault in the arguments and how the program is called, from the language library when
// it is loaded.
CString WithUsage(const CString& strFault)
{
    return strFault + "\n\n" + LoadText(IDS_USAGE);
}

// What is wrong with the arguments.
CString ArgumentFaultText(ArgumentFault fault, const char* pszArgument)
{
    CString strFault;
    switch (fault) {
    case ArgumentFault::MissingValue:
        strFault = FormatById(IDS_ARG_MISSING, "s", pszArgument);
        break;
    case ArgumentFault::BadPort:
        strFault = FormatById(IDS_ARG_BAD_PORT, "s", pszArgument);
        break;
    case ArgumentFault::BadDevice:
        strFault = FormatById(IDS_ARG_BAD_DEVICE, "s", pszArgument);
        break;
    case ArgumentFault::Twice:
        strFault = FormatById(IDS_ARG_TWICE, "s", pszArgument);
        break;
    case ArgumentFault::NoSteps:
        strFault = FormatById(IDS_ARG_NO_STEPS, "s", pszArgument);
        break;
    default:
        strFault = FormatById(IDS_ARG_UNKNOWN, "s", pszArgument);
        break;
    }
    return WithUsage(strFault);
}

// A step the device type does not offer, and the type that does.
CString StepNotOfferedText(StepKind kind, int nType)
{
    const std::string strSwitch = std::string("/") + StepName(kind);
    const char* pszOffering = DeviceNameOfType(DeviceTypeOfferingStep(kind));
    return WithUsage(FormatById(IDS_ARG_NOT_OFFERED, "ssss", strSwitch.c_str(), pszOffering, pszOffering,
                                DeviceNameOfType(nType)));
}

// The log of a start that ends before its window: emptied as every start empties it, with
// the version and the text's lines. Only for a caller with nowhere else to read it: a
// script with a console reads the text there and finds the log of its last run as it was.
void WriteStartLog(const char* pszText)
{
    CStdioFile file;
    if (!file.Open("ZevLog.TXT", CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::shareDenyWrite |
                                     CStdioFile::typeText))
        return; // another copy holds it: the error file has the text
    CString strVersion;
    GetVersionString(strVersion, "ZEV.EXE");
    file.WriteString("Zevanto " + strVersion);
    file.WriteString("\n" + CString('=', 69) + "\n");
    const CString strTime = CTime::GetCurrentTime().Format("%H:%M:%S ");
    std::string strText = pszText;
    std::size_t nStart = 0;
    while (nStart <= strText.size()) {
        std::size_t nEnd = strText.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = strText.size();
        std::string strLine = strText.substr(nStart, nEnd - nStart);
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        if (!strLine.empty())
            file.WriteString(strTime + strLine.c_str() + "\n");
        nStart = nEnd + 1;
    }
    file.Close();
}

// A start that cannot go on says why: to the script that started it (with nobody
// listening: in the log and the error file, never in a box a scheduled task would leave
// waiting), else in a box.
void SayStartFailure(const char* pszMessage, bool bScript)
{
    if (!bScript)
        ::MessageBoxA(nullptr, pszMessage, "Error", MB_ICONHAND);
    else if (!TellCaller(pszMessage))
        WriteStartLog(pszMessage);
}

// The port choice (1 to 4) and the device type of this start: the command line's, else
// the settings'. A port the command line names itself (/port COM7) leaves the choice as
// the settings have it; the window opens that port instead (LinkTarget).
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
        SayStartFailure(ArgumentFaultText(parse.fault, parse.strArgument.c_str()), true);
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
    // Only the steps the device type offers, as its menu offers them.
    StepKind notOffered = StepKind::Clock;
    if (FindStepNotOffered(line, nType, notOffered)) {
        SayStartFailure(StepNotOfferedText(notOffered, nType), true);
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
    // A port the command line named holds for its run only, as a choice it gave does.
    if (line.nPort == 0 && !line.bPortTarget)
        settings.WriteInt("ComPort", "ComPortNo", dlg.m_nComIndex + 1);
    // -1 (no radio selected) and anything else outside the table count as type 0.
    if (line.nDeviceType < 0)
        settings.WriteString("Device", "Device", DeviceNameOfType(dlg.m_nDeviceType));
    return FALSE;
}
