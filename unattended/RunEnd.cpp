// The end of a unit of an unattended run and of the run itself: the log's lines that say
// how each ended, the unit's row in the result file, and the exit code the script sees
// (in the error file too when nobody listens to the program).
#include "ServiceDlg.h"
#include "ResultFile.h"
#include "ScriptOutput.h"
#include "StringFormats.h"
#include "UnattendedRun.h"

#include <cstdio>
#include <vector>

namespace {
CString ExitCodeText(int nCode)
{
    if (nCode < 0 || nCode > EXIT_OTHER)
        nCode = EXIT_OTHER;
    return LoadText(IDS_EXIT_0 + nCode);
}

// What the log says of a row's append: rows moved in from the pending file, and where
// the row went when the result file did not take it (in the log itself when no file did).
std::vector<CString> ResultAppendLines(const ResultAppend& append, const std::string& strPath,
                                       const std::string& strRow)
{
    std::vector<CString> lines;
    if (append.bOtherHeader)
        lines.push_back(FormatById(IDS_RUN_RESULT_OTHER_HEADER, "s", strPath.c_str()));
    if (append.nMovedRows > 0)
        lines.push_back(FormatById(IDS_RUN_PENDING_MOVED, "us", append.nMovedRows, append.strPendingPath.c_str()));
    if (append.where == ResultAppend::Pending) {
        lines.push_back(FormatById(IDS_RUN_RESULT_PENDING, "sss", strPath.c_str(), append.strReason.GetString(),
                                   append.strPendingPath.c_str()));
    } else if (append.where == ResultAppend::Lost) {
        lines.push_back(FormatTwoTexts(IDS_RUN_RESULT_FAILED, strPath.c_str(), append.strReason));
        lines.push_back(FormatById(IDS_RUN_ROW_LOST, "sss", append.strPendingPath.c_str(),
                                   append.strPendingReason.GetString(), strRow.substr(0, strRow.size() - 2).c_str()));
    }
    return lines;
}
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
        LogLine(FormatById(IDS_RUN_UNIT_DONE, "us", run.m_nUnit, szSeconds));
    } else {
        // The step that failed is the last one with an outcome other than "skipped".
        std::string strStep = "connect";
        for (const StepOutcome& step : run.m_unit.steps)
            if (step.strOutcome != "skipped")
                strStep = step.strName;
        LogLine(FormatById(IDS_RUN_UNIT_FAILED, "ussu", run.m_nUnit, strStep.c_str(),
                           ExitCodeText(run.m_unit.nExitCode).GetString(),
                           static_cast<unsigned>(run.m_unit.nExitCode)));
        run.m_nExitCode = run.m_unit.nExitCode;
    }

    if (!run.m_strResultPath.empty()) {
        const std::string strRow = ResultCsvRow(run.m_unit);
        ResultAppend append = AppendResultRow(run.m_strResultPath, strRow, [&] {
            LogLine(FormatById(IDS_RUN_RESULT_HELD, "s", run.m_strResultPath.c_str()));
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
    // answers are not a new unit (BenchUnits.cpp).
    LogById(IDS_RUN_TAKE_OFF);
    run.m_phase = UnattendedRun::Removing;
    run.m_bWakeUpOut = false;
    run.m_bAnswered = false;
    SetTimer(TIMER_NEXT_UNIT, kNextUnitPeriodMs);
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
    CString strEnd = FormatById(IDS_RUN_END, "us", static_cast<unsigned>(m_nExitCode),
                                ExitCodeText(m_nExitCode).GetString());
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
    if (run.IsInUnit()) {
        // The window was closed in the middle of a unit: what runs says where it stopped,
        // and the unit's row says the step that was stopped.
        RunFailure failure = run.m_stepFailure != RunFailure::None ? run.m_stepFailure : RunFailure::Stopped;
        ReturnToIdle();
        const bool bRunning = run.m_phase == UnattendedRun::Running;
        if (bRunning)
            RecordFirmware();
        run.m_unit.steps.emplace_back(run.StepRunningName(), OutcomeWord(failure),
                                      bRunning ? run.CurrentFile() : std::string());
        if (bRunning)
            ++run.m_nStep;
        run.m_unitFailure = failure;
        FinishUnit();
    }
    EndRun();
}
