// An unattended run's step has a deadline of its own: should its answer's timer ever be
// stopped without an answer, the step still ends, a margin after the answer was due.
#include "BoxAnswerer.h"
#include "MainWindowFixture.h"
#include "UnattendedRun.h"

#include <doctest.h>

TEST_CASE("a step whose response timer was lost ends by the run's deadline")
{
    MainWindowFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.m_pRun = std::make_unique<UnattendedRun>();
    UnattendedRun& run = *dlg.m_pRun;
    run.m_line.steps.push_back(RunStep());  // the clock
    run.m_files.push_back(std::string());
    run.m_phase = UnattendedRun::Running;
    dlg.m_nOperation = OP_CLOCK;
    dlg.m_bBusy = TRUE;

    dlg.ArmResponseTimer(100);
    dlg.KillTimer(TIMER_RESPONSE); // as a stray byte once did
    PumpMessages(3000);
    CHECK(dlg.m_nOperation == OP_CLOCK); // the margin has not passed yet
    PumpMessages(2500);
    CHECK(fixture.LogWindowText().find("Der Schritt clock ist 5 s nach der") !=
              std::string::npos);
    CHECK(dlg.m_nOperation == OP_IDLE);
    CHECK(run.m_unit.steps.size() == 1);
    CHECK(run.m_unit.steps.back().strOutcome == OutcomeWord(RunFailure::TimeOut));
    CHECK(run.m_phase == UnattendedRun::Ended);
}
