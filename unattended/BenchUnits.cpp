// The bench of an unattended run with /repeat: unit after unit until the window is
// closed. A unit is served once: after its row the bench is woken every 2 s until the
// unit no longer answers (it has been taken off); only then is an answer a new unit.
#include "ServiceDlg.h"
#include "UnattendedRun.h"

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
    run.m_nUnitStart = ::GetTickCount64();
    WakeUpDevice();
}
