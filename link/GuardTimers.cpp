// The watchdog of a send and the response timer as guards (GuardTimer.h): a frame arms
// and disarms them without a call to the window system, as long as their deadlines only
// move later; the window timer, when it fires, is set again for the rest or reports the
// deadline missed.
#include "ServiceDlg.h"

namespace {
GuardTimer* GuardOf(CServiceDlg& dlg, UINT_PTR nIDEvent)
{
    switch (nIDEvent) {
    case TIMER_WATCHDOG:
        return &dlg.m_WatchdogGuard;
    case TIMER_RESPONSE:
        return &dlg.m_ResponseGuard;
    default:
        return nullptr;
    }
}
}

UINT_PTR CServiceDlg::SetTimer(UINT_PTR nIDEvent, UINT nElapse)
{
    GuardTimer* pGuard = GuardOf(*this, nIDEvent);
    if (!pGuard)
        return CWnd::SetTimer(nIDEvent, nElapse);
    UINT nSetMs = ArmGuard(*pGuard, ::GetTickCount(), nElapse);
    return nSetMs ? CWnd::SetTimer(nIDEvent, nSetMs) : nIDEvent;
}

BOOL CServiceDlg::KillTimer(UINT_PTR nIDEvent)
{
    GuardTimer* pGuard = GuardOf(*this, nIDEvent);
    if (!pGuard)
        return CWnd::KillTimer(nIDEvent);
    BOOL bArmed = pGuard->bDue;
    DisarmGuard(*pGuard); // the timer, when it fires, finds nothing due and is killed then
    return bArmed;
}

BOOL CServiceDlg::IsGuardExpired(UINT_PTR nIDEvent)
{
    GuardTimer& guard = *GuardOf(*this, nIDEvent);
    UINT nMs = 0;
    switch (FireGuard(guard, ::GetTickCount(), &nMs)) {
    case GuardFiring::Expired:
        CWnd::KillTimer(nIDEvent);
        return TRUE;
    case GuardFiring::Rearm:
        CWnd::SetTimer(nIDEvent, nMs);
        return FALSE;
    case GuardFiring::Stale:
    default:
        CWnd::KillTimer(nIDEvent);
        return FALSE;
    }
}
