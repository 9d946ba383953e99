// The unattended run: the command line's steps carried out as if the technician chose
// each command from the menu, unit after unit with /repeat. Nothing waits for a person:
// a question is answered No, an error box's text goes to the log, and the step fails.
// Each unit ends with its row in the result file.
//
// A step is started by the menu command's own handler; the operations say nothing to the
// run when they end, they only return to idle, which posts WM_UNATTENDED_STEP. Failures
// are noted where they are found (NoteStepFailure), so a step that returns to idle with
// nothing noted has been done. No step outlives its own time-outs: each arming of the
// response timer moves the step's deadline, a margin later (ArmStepDeadline).
//
// With /repeat a unit is served once: after its row the bench is woken every 2 s until
// the unit no longer answers (it has been taken off); only then is an answer a new unit.
#include "ServiceDlg.h"
#include "DeviceTypes.h"
#include "FileDigest.h"
#include "ResultFile.h"
#include "RunFileChecks.h"
#include "ScriptOutput.h"
#include "StringFormats.h"
#include "UnattendedRun.h"
#include "UnitFiles.h"

#include <cstdio>
#include <vector>

namespace {
// A unit done, the next one is woken up this often until one answers.
const UINT kNextUnitPeriodMs = 2000;
// /quiet: how often the window looks whether it has been shown, to minimise itself.
const UINT kQuietCheckMs = 50;
// A step that has not ended this long after its answer was due is stopped.
const UINT kStepDeadlineMarginMs = 5000;

bool StepWritesFile(StepKind kind)
{
    return kind == StepKind::SaveSettings || kind == StepKind::Readout;
}

// Relative names are taken from the current folder when the run starts: a file dialog
// may change the folder later, a script's names must not change with it.
std::string FullPath(const std::string& strPath)
{
    char szFull[MAX_PATH];
    DWORD nLength = ::GetFullPathNameA(strPath.c_str(), sizeof szFull, szFull, nullptr);
    return nLength > 0 && nLength < sizeof szFull ? std::string(szFull) : strPath;
}

std::string FileNameOf(const std::string& strPath)
{
    std::size_t nSlash = strPath.find_last_of("\\/");
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

// A box's text as one log line: its line breaks become blanks.
CString OneLine(const char* pszText)
{
    CString strLine;
    bool bBreak = false;
    for (const char* p = pszText; *p; ++p) {
        if (*p == '\r' || *p == '\n') {
            bBreak = !strLine.IsEmpty();
            continue;
        }
        if (bBreak)
            strLine += ' ';
        bBreak = false;
        strLine += *p;
    }
    return strLine;
}

CString ExitCodeText(int nCode)
{
    static const char* const kFallbacks[] = {
        "every step done", "bad arguments", "the port cannot be opened, or it failed", "no answer to the wake-up",
        "a time-out or a NAK in a step", "a file cannot be read or written", "the settings restore did not verify",
        "the window was closed before the steps were done", "a step failed otherwise"};
    if (nCode < 0 || nCode > EXIT_OTHER)
        nCode = EXIT_OTHER;
    return LoadText(IDS_EXIT_0 + nCode, kFallbacks[nCode]);
}

// What the log says of a row's append: rows moved in from the pending file, and where
// the row went when the result file did not take it (in the log itself when no file did).
std::vector<CString> ResultAppendLines(const ResultAppend& append, const std::string& strPath,
                                       const std::string& strRow)
{
    std::vector<CString> lines;
    if (append.bOtherHeader)
        lines.push_back(FormatById(IDS_RUN_RESULT_OTHER_HEADER, "s",
                                   "The result file %s begins with another header: its columns are not this "
                                   "version's, the rows are appended all the same",
                                   strPath.c_str()));
    if (append.nMovedRows > 0)
        lines.push_back(FormatById(IDS_RUN_PENDING_MOVED, "us", "%u earlier rows moved into the result file from %s",
                                   append.nMovedRows, append.strPendingPath.c_str()));
    if (append.where == ResultAppend::Pending) {
        lines.push_back(FormatById(IDS_RUN_RESULT_PENDING, "sss",
                                   "The result file %s cannot be written (%s): the unit's row is kept in %s, and "
                                   "the next append moves it in",
                                   strPath.c_str(), append.strReason.GetString(), append.strPendingPath.c_str()));
    } else if (append.where == ResultAppend::Lost) {
        lines.push_back(FormatTwoTexts(IDS_RUN_RESULT_FAILED, "The result file %s cannot be written (%s)",
                                       strPath.c_str(), append.strReason));
        lines.push_back(FormatById(IDS_RUN_ROW_LOST, "sss", "Nor can %s be written (%s); the unit's row: %s",
                                   append.strPendingPath.c_str(), append.strPendingReason.GetString(),
                                   strRow.substr(0, strRow.size() - 2).c_str()));
    }
    return lines;
}

// The names a folder holds, to number a unit's file past them.
std::vector<std::string> NamesInFolderOf(const std::string& strPath)
{
    std::vector<std::string> names;
    std::string::size_type nSlash = strPath.find_last_of("\\/");
    std::string strPattern = (nSlash == std::string::npos ? std::string() : strPath.substr(0, nSlash + 1)) + "*";
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(strPattern.c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
    return names;
}
}

std::string UnattendedRun::ChooseStepFile() const
{
    if (m_nStep >= m_line.steps.size())
        return std::string();
    const std::string& strFile = m_files[m_nStep];
    if (!m_line.bRepeat || !StepWritesFile(m_line.steps[m_nStep].kind))
        return strFile;
    return NumberedFileName(strFile, UnitFileNumber(strFile, m_nUnit, NamesInFolderOf(strFile)));
}

// --- the run ------------------------------------------------------------------------------------

BOOL CServiceDlg::IsScripted() const
{
    return m_pCommandLine && !m_pCommandLine->steps.empty();
}

void CServiceDlg::StartUnattendedRun()
{
    // Minimised once it has been shown: the dialog manager shows a modal dialog normally
    // when its loop first has nothing to do, which would undo an earlier minimise.
    if (m_pCommandLine && m_pCommandLine->bQuiet)
        SetTimer(TIMER_QUIET, kQuietCheckMs);
    if (!IsScripted())
        return; // choices for this start only: the window is the technician's
    m_pRun = std::make_unique<UnattendedRun>();
    UnattendedRun& run = *m_pRun;
    run.m_line = *m_pCommandLine;
    for (const RunStep& step : run.m_line.steps)
        run.m_files.push_back(step.strFile.empty() ? std::string() : FullPath(step.strFile));
    if (!run.m_line.strResult.empty())
        run.m_strResultPath = FullPath(run.m_line.strResult);

    // The run's commands are the steps: a menu command or another port in the middle of
    // a unit would fail the step that runs. The window can still be closed.
    if (HMENU hMenu = ::GetMenu(m_hWnd)) {
        for (int nItem = 0, nCount = ::GetMenuItemCount(hMenu); nItem < nCount; ++nItem)
            ::EnableMenuItem(hMenu, static_cast<UINT>(nItem), MF_BYPOSITION | MF_GRAYED);
        ::DrawMenuBar(m_hWnd);
    }
    for (int nID : {IDC_COM1, IDC_COM2, IDC_COM3, IDC_COM4, IDC_DEVICE_VANTIK, IDC_DEVICE_CORLAXA, IDC_DEVICE_BRENNIX})
        ::EnableWindow(::GetDlgItem(m_hWnd, nID), FALSE);

    LogByIdText(IDS_RUN_START, m_strRunArguments);
    // Every file the steps read is looked at before the device is touched: a missing
    // firmware file found only after a restore had written the unit would leave it half
    // done. A bad one ends the run before its port is opened.
    const std::vector<CString> faults = RunFileFaults(run.m_line.steps, run.m_files, m_nDeviceType);
    if (!faults.empty()) {
        for (const CString& strFault : faults) {
            LogLine(strFault);
            TellCaller(strFault);
        }
        CString strRefused = LoadText(IDS_RUN_FILES_REFUSED, "Nothing is sent: a file the command line names cannot "
                                                             "be used (each is checked before the device is touched).");
        LogLine(strRefused);
        TellCaller(strRefused);
        run.m_nExitCode = EXIT_FILE;
        EndRun();
        EndDialog(IDOK);
        return;
    }
    PostMessage(WM_UNATTENDED_STEP);
}

void CServiceDlg::NoteStepFailure(RunFailure failure)
{
    if (!m_pRun || (m_pRun->m_phase != UnattendedRun::Waking && m_pRun->m_phase != UnattendedRun::Running))
        return;
    // The first failure is the step's: what follows from it (the box, the return to
    // idle) says nothing new.
    if (m_pRun->m_stepFailure != RunFailure::None)
        return;
    m_pRun->m_stepFailure = failure;
    PostMessage(WM_UNATTENDED_STEP);
}

int CServiceDlg::AnswerUnattended(const char* pszText, UINT nType)
{
    // Most boxes repeat the line just logged; the others are logged here.
    CString strLine = OneLine(pszText);
    if (strLine != OneLine(m_strLastLogText))
        LogLine(strLine);
    NoteStepFailure(RunFailure::Other);
    switch (nType & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        LogById(IDS_RUN_ANSWERED_NO);
        return IDNO;
    case MB_OKCANCEL:
    case MB_RETRYCANCEL:
        LogById(IDS_RUN_ANSWERED_NO);
        return IDCANCEL;
    default:
        return IDOK;
    }
}

LRESULT CServiceDlg::OnUnattendedStep(WPARAM, LPARAM)
{
    if (!m_pRun)
        return 0;
    UnattendedRun& run = *m_pRun;
    switch (run.m_phase) {
    case UnattendedRun::Starting:
        if (run.m_line.bRepeat) {
            WaitForUnits();
        } else {
            BeginUnit();
            ConnectDevice();
        }
        break;
    case UnattendedRun::Waking:
        if (run.m_stepFailure != RunFailure::None) {
            run.m_unit.steps.emplace_back("connect", OutcomeWord(run.m_stepFailure));
            run.m_unitFailure = run.m_stepFailure;
            EndUnit();
        } else if (m_bConnected && m_nOperation == OP_IDLE) {
            OnUnitAnswered();
        }
        break;
    case UnattendedRun::Running:
        if (run.m_stepFailure != RunFailure::None || IsIdleForRun())
            EndStep();
        break;
    case UnattendedRun::Removing:
        if (m_bConnected && m_nOperation == OP_IDLE && IsUnitLeftOn()) {
            EndRemovedUnitSession();
            break;
        }
        [[fallthrough]];
    case UnattendedRun::Waiting:
        if (m_bConnected && m_nOperation == OP_IDLE) {
            KillTimer(TIMER_NEXT_UNIT);
            BeginUnit();
            OnUnitAnswered();
        }
        break;
    case UnattendedRun::Ended:
        break;
    }
    return 0;
}

BOOL CServiceDlg::IsIdleForRun() const
{
    return m_nOperation == OP_IDLE && !m_bBusy && !m_pSettingsRun;
}

void CServiceDlg::BeginUnit()
{
    UnattendedRun& run = *m_pRun;
    ++run.m_nUnit;
    run.m_nStep = 0;
    run.m_stepFailure = RunFailure::None;
    run.m_unitFailure = RunFailure::None;
    run.m_unit = UnitResult();
    CTime now = CTime::GetCurrentTime();
    run.m_unit.strDate = now.Format("%Y-%m-%d").GetString();
    run.m_unit.strTime = now.Format("%H:%M:%S").GetString();
    run.m_unit.nPort = m_nComIndex + 1;
    run.m_unit.strDevice = DeviceNameOfType(m_nDeviceType);
    if (run.m_phase == UnattendedRun::Starting)
        run.m_nUnitStart = ::GetTickCount64(); // a waiting run set it at the wake-up that was answered
    run.m_phase = UnattendedRun::Waking;
    LogLine(FormatById(IDS_RUN_UNIT_START, "u", "Unit %u", run.m_nUnit));
    ArmStepDeadline(15000); // the wake-up's own time-out
}

void CServiceDlg::OnUnitAnswered()
{
    UnattendedRun& run = *m_pRun;
    // A device quicker than the baud switch has answered before the port was re-opened at
    // the working rate: the switch is made now, before the first step, or the re-open
    // would cut that step's letter or its answer.
    if (KillTimer(TIMER_BAUD_SWITCH))
        SwitchBaudRate();
    std::string strIdent(m_strDeviceIdent.GetString(), m_strDeviceIdent.GetLength());
    run.m_unit.strIdent = strIdent;
    // Units of one kind differ in their serial numbers: the same line again is most
    // likely the unit before, not yet taken off. Said, not refused: it may be meant.
    if (run.m_nUnit > 1 && strIdent == run.m_strLastIdent)
        LogByIdText(IDS_RUN_SAME_IDENT, m_strDeviceIdent);
    run.m_strLastIdent = strIdent;
    run.m_unit.steps.emplace_back("connect", OutcomeWord(RunFailure::None));
    run.m_phase = UnattendedRun::Running;
    RunNextStep();
}

void CServiceDlg::RunNextStep()
{
    UnattendedRun& run = *m_pRun;
    if (run.m_nStep >= run.m_line.steps.size()) {
        EndUnit();
        return;
    }
    run.m_stepFailure = RunFailure::None;
    run.m_strStepFile = run.ChooseStepFile();
    ArmStepDeadline(0); // until the step's first letter is out
    switch (run.m_line.steps[run.m_nStep].kind) {
    case StepKind::Download:
        // The record names what the unit got: the download's own digest of the file it
        // sends, which nobody may change while it runs (RecordFirmware).
        run.m_unit.strFirmware = FileNameOf(run.CurrentFile());
        m_FirmwareDigest = FileDigest();
        OnFirmwareDownload();
        break;
    case StepKind::Clock:
        OnClock();
        break;
    case StepKind::RestoreSettings:
        OnSettingsRestore();
        break;
    case StepKind::SaveSettings:
        OnSettingsSave();
        break;
    case StepKind::Readout:
        OnCapture();
        break;
    }
    // A step that ended at once (refused before anything was sent) is seen ended too.
    PostMessage(WM_UNATTENDED_STEP);
}

void CServiceDlg::RecordFirmware()
{
    UnattendedRun& run = *m_pRun;
    if (run.m_nStep < run.m_line.steps.size() && run.m_line.steps[run.m_nStep].kind == StepKind::Download) {
        run.m_unit.nFirmwareBytes = m_FirmwareDigest.nBytes;
        run.m_unit.strFirmwareSha256 = m_FirmwareDigest.strSha256;
    }
}

void CServiceDlg::EndStep()
{
    UnattendedRun& run = *m_pRun;
    KillTimer(TIMER_STEP_DEADLINE);
    RecordFirmware();
    RunFailure failure = run.m_stepFailure;
    run.m_unit.steps.emplace_back(StepName(run.m_line.steps[run.m_nStep].kind), OutcomeWord(failure),
                                  run.CurrentFile());
    if (failure == RunFailure::None) {
        ++run.m_nStep;
        RunNextStep();
        return;
    }
    run.m_unitFailure = failure;
    // A step that failed while its operation still runs (a NAK that ends nothing by
    // itself) is ended here, and says where it stopped.
    if (!IsIdleForRun())
        ReturnToIdle();
    ++run.m_nStep;
    EndUnit();
}

void CServiceDlg::FinishUnit()
{
    UnattendedRun& run = *m_pRun;
    for (std::size_t nStep = run.m_nStep; nStep < run.m_line.steps.size(); ++nStep)
        run.m_unit.steps.emplace_back(StepName(run.m_line.steps[nStep].kind), "skipped");
    run.m_nStep = run.m_line.steps.size();
    run.m_unit.dSeconds = static_cast<double>(::GetTickCount64() - run.m_nUnitStart) / 1000.0;
    run.m_unit.nExitCode = ExitCodeOf(run.m_unitFailure);

    if (run.m_unitFailure == RunFailure::None) {
        char szSeconds[32];
        std::snprintf(szSeconds, sizeof szSeconds, "%.1f", run.m_unit.dSeconds);
        LogLine(FormatById(IDS_RUN_UNIT_DONE, "us", "Unit %u: every step done (%s s)", run.m_nUnit, szSeconds));
    } else {
        // The step that failed is the last one with an outcome other than "skipped".
        std::string strStep = "connect";
        for (const StepOutcome& step : run.m_unit.steps)
            if (step.strOutcome != "skipped")
                strStep = step.strName;
        LogLine(FormatById(IDS_RUN_UNIT_FAILED, "ussu", "Unit %u: %s failed: %s (exit code %u)", run.m_nUnit,
                           strStep.c_str(), ExitCodeText(run.m_unit.nExitCode).GetString(),
                           static_cast<unsigned>(run.m_unit.nExitCode)));
        run.m_nExitCode = run.m_unit.nExitCode;
    }

    if (!run.m_strResultPath.empty()) {
        const std::string strRow = ResultCsvRow(run.m_unit);
        ResultAppend append = AppendResultRow(run.m_strResultPath, strRow, [&] {
            LogLine(FormatById(IDS_RUN_RESULT_HELD, "s", "The result file %s is held by another program: waiting up to 10 s",
                               run.m_strResultPath.c_str()));
        });
        for (const CString& strLine : ResultAppendLines(append, run.m_strResultPath, strRow)) {
            LogLine(strLine);
            if (append.where != ResultAppend::Written)
                TellCaller(strLine);
        }
        // The unit's row is not where the script reads it: a script must not take the run
        // for a good one.
        if (append.where != ResultAppend::Written && run.m_nExitCode == EXIT_DONE)
            run.m_nExitCode = EXIT_FILE;
    }
}

void CServiceDlg::EndUnit()
{
    UnattendedRun& run = *m_pRun;
    FinishUnit();
    if (!run.m_line.bRepeat) {
        EndRun();
        EndDialog(IDOK); // the usual end: the device gets its disconnect
        return;
    }
    if (m_bConnected)
        Disconnect();
    // The unit stays on the bench until the technician takes it off: until then its
    // answers are not a new unit.
    LogById(IDS_RUN_TAKE_OFF);
    run.m_phase = UnattendedRun::Removing;
    run.m_bWakeUpOut = false;
    run.m_bAnswered = false;
    SetTimer(TIMER_NEXT_UNIT, kNextUnitPeriodMs);
}

BOOL CServiceDlg::IsUnitLeftOn() const
{
    // Another identification is another unit: the one done was swapped for it between two
    // wake-ups.
    return m_pRun && m_pRun->m_phase == UnattendedRun::Removing &&
           std::string(m_strDeviceIdent.GetString(), m_strDeviceIdent.GetLength()) == m_pRun->m_strLastIdent;
}

void CServiceDlg::EndRemovedUnitSession()
{
    // It is still there: its session is ended at once, so that it hears the next wake-up.
    m_pRun->m_bAnswered = true;
    SendCommand("E", 1);
    ReturnToIdle();
    m_bConnected = FALSE;
    ReopenForWakeUp();
}

void CServiceDlg::ArmStepDeadline(UINT nAnswerDueMs)
{
    if (!m_pRun || (m_pRun->m_phase != UnattendedRun::Waking && m_pRun->m_phase != UnattendedRun::Running))
        return;
    SetTimer(TIMER_STEP_DEADLINE, nAnswerDueMs + kStepDeadlineMarginMs);
}

void CServiceDlg::OnStepDeadline()
{
    KillTimer(TIMER_STEP_DEADLINE);
    if (!m_pRun || (m_pRun->m_phase != UnattendedRun::Waking && m_pRun->m_phase != UnattendedRun::Running))
        return;
    UnattendedRun& run = *m_pRun;
    const char* pszStep =
        run.m_phase == UnattendedRun::Waking ? "connect" : StepName(run.m_line.steps[run.m_nStep].kind);
    LogLine(FormatById(IDS_RUN_STEP_DEADLINE, "su",
                       "The step %s has not ended %u s after its answer was due: it is stopped", pszStep,
                       kStepDeadlineMarginMs / 1000));
    NoteStepFailure(run.m_phase == UnattendedRun::Waking ? RunFailure::NoAnswer : RunFailure::TimeOut);
    if (m_nOperation != OP_IDLE || m_bBusy || m_pSettingsRun)
        ReturnToIdle();
}

void CServiceDlg::WaitForUnits()
{
    // A bench is started before its first unit is connected: that unit is waited for as
    // every next one is. A port that cannot be opened is no unit to wait for: the script
    // is told at once.
    OpenPort();
    if (!m_bLinkOpen) {
        ShowPortFailure();
        m_pRun->m_nExitCode = EXIT_PORT;
        EndRun();
        EndDialog(IDOK);
        return;
    }
    LogById(IDS_RUN_NEXT_UNIT);
    m_pRun->m_phase = UnattendedRun::Waiting;
    m_pRun->m_nUnitStart = ::GetTickCount64();
    WakeUpDevice();
    SetTimer(TIMER_NEXT_UNIT, kNextUnitPeriodMs);
}

void CServiceDlg::OnQuietTimer()
{
    if (!::IsWindowVisible(m_hWnd))
        return;
    KillTimer(TIMER_QUIET);
    ShowWindow(SW_MINIMIZE);
}

void CServiceDlg::OnNextUnitTimer()
{
    if (m_bLinkOpen)
        OnReceive(); // an answer that has arrived is not dropped by the re-open below
    if (!m_pRun)
        return;
    UnattendedRun& run = *m_pRun;
    if (run.m_phase == UnattendedRun::Removing && run.m_bWakeUpOut && !run.m_bAnswered) {
        // The last wake-up went unanswered: the unit has been taken off.
        LogById(IDS_RUN_NEXT_UNIT);
        run.m_phase = UnattendedRun::Waiting;
    }
    if ((run.m_phase != UnattendedRun::Waiting && run.m_phase != UnattendedRun::Removing) || m_bConnected)
        return;
    run.m_bWakeUpOut = true;
    run.m_bAnswered = false;
    // Quietly: a wake-up every 2 s would bury the log. A port that is not there now
    // (the adapter is being changed) is tried again next time.
    if (!OpenLink(9600) && !m_bLinkOpen) {
        KillTimer(TIMER_RESPONSE);
        return;
    }
    m_pRun->m_nUnitStart = ::GetTickCount64();
    WakeUpDevice();
}

void CServiceDlg::EndRun()
{
    UnattendedRun& run = *m_pRun;
    if (run.m_phase == UnattendedRun::Ended)
        return;
    KillTimer(TIMER_NEXT_UNIT);
    KillTimer(TIMER_STEP_DEADLINE);
    run.m_phase = UnattendedRun::Ended;
    m_nExitCode = run.m_nExitCode;
    CString strEnd = FormatById(IDS_RUN_END, "us", "Unattended run ended: exit code %u (%s)",
                                static_cast<unsigned>(m_nExitCode), ExitCodeText(m_nExitCode).GetString());
    LogLine(strEnd);
    // A scheduled task's run that failed: the error file says how it ended, after the
    // messages that led there.
    if (m_nExitCode != EXIT_DONE && !CallerListens())
        KeepInErrorFile(strEnd);
}

void CServiceDlg::StopUnattendedRun()
{
    if (!m_pRun || m_pRun->m_phase == UnattendedRun::Ended)
        return;
    UnattendedRun& run = *m_pRun;
    if (run.m_phase == UnattendedRun::Waking || run.m_phase == UnattendedRun::Running) {
        // The window was closed in the middle of a unit: what runs says where it stopped,
        // and the unit's row says the step that was stopped.
        RunFailure failure = run.m_stepFailure != RunFailure::None ? run.m_stepFailure : RunFailure::Stopped;
        ReturnToIdle();
        if (run.m_phase == UnattendedRun::Running)
            RecordFirmware();
        const char* pszStep = run.m_phase == UnattendedRun::Waking ? "connect"
                                                                    : StepName(run.m_line.steps[run.m_nStep].kind);
        run.m_unit.steps.emplace_back(pszStep, OutcomeWord(failure),
                                      run.m_phase == UnattendedRun::Running ? run.CurrentFile() : std::string());
        if (run.m_phase == UnattendedRun::Running)
            ++run.m_nStep;
        run.m_unitFailure = failure;
        FinishUnit();
    }
    EndRun();
}
