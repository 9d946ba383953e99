// The deadline of an unattended run's step: no step outlives its own time-outs. Each
// arming of the response timer moves the step's deadline a margin past the answer's
// time-out; a step still running then is stopped and fails, so that a unit never waits
// for an operation that has lost its way.
#include "ServiceDlg.h"
#include "StringFormats.h"
#include "UnattendedRun.h"

namespace {
// A step that has not ended this long after its answer was due is stopped.
const UINT kStepDeadlineMarginMs = 5000;
}

void CServiceDlg::ArmStepDeadline(UINT nAnswerDueMs)
{
    if (!m_pRun || !m_pRun->IsInUnit())
        return;
    SetTimer(TIMER_STEP_DEADLINE, nAnswerDueMs + kStepDeadlineMarginMs);
}

void CServiceDlg::OnStepDeadline()
{
    KillTimer(TIMER_STEP_DEADLINE);
    if (!m_pRun || !m_pRun->IsInUnit())
        return;
    UnattendedRun& run = *m_pRun;
    LogLine(FormatById(IDS_RUN_STEP_DEADLINE, "su", run.StepRunningName(), kStepDeadlineMarginMs / 1000));
    NoteStepFailure(run.m_phase == UnattendedRun::Waking ? RunFailure::NoAnswer : RunFailure::TimeOut);
    if (!IsIdleForRun())
        ReturnToIdle();
}
