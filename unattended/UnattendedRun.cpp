// The unattended run: the command line's steps carried out as if the technician chose
// each command from the menu, unit after unit with /repeat. Nothing waits for a person:
// a question is answered No, an error box's text goes to the log, and the step fails.
// Each unit ends with its row in the result file.
//
// A step is started by the menu command's own handler; the operations say nothing to the
// run when they end, they only return to idle, which posts WM_UNATTENDED_STEP. Failures
// are noted where they are found (NoteStepFailure), so a step that returns to idle with
// nothing noted has been done. No step outlives its own time-outs (StepDeadline.cpp).
//
// This file: the run's start, and what moves it from phase to phase. A unit's steps are
// in RunSteps.cpp, the bench of /repeat in BenchUnits.cpp, the ends in RunEnd.cpp.
#include "ServiceDlg.h"
#include "RunFileChecks.h"
#include "ScriptOutput.h"
#include "StringFormats.h"
#include "UnattendedRun.h"

#include <vector>

namespace {
// /quiet: how often the window looks whether it has been shown, to minimise itself.
const UINT kQuietCheckMs = 50;

// Relative names are taken from the current folder when the run starts: a file dialog
// may change the folder later, a script's names must not change with it.
std::string FullPath(const std::string& strPath)
{
    char szFull[MAX_PATH];
    DWORD nLength = ::GetFullPathNameA(strPath.c_str(), sizeof szFull, szFull, nullptr);
    return nLength > 0 && nLength < sizeof szFull ? std::string(szFull) : strPath;
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
}

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
        CString strRefused = LoadText(IDS_RUN_FILES_REFUSED);
        LogLine(strRefused);
        TellCaller(strRefused);
        run.m_nExitCode = EXIT_FILE;
        EndRun();
        EndDialog(IDOK);
        return;
    }
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

void CServiceDlg::OnQuietTimer()
{
    if (!::IsWindowVisible(m_hWnd))
        return;
    KillTimer(TIMER_QUIET);
    ShowWindow(SW_MINIMIZE);
}
