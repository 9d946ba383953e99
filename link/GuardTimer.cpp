#include "GuardTimer.h"

namespace {
// How far b lies after a, across the tick count's wrap.
long TicksFrom(unsigned long a, unsigned long b)
{
    return static_cast<int>(static_cast<unsigned int>(b - a));
}
}

unsigned ArmGuard(GuardTimer& guard, unsigned long nNow, unsigned nMs)
{
    guard.bDue = true;
    guard.nDeadline = static_cast<unsigned int>(nNow + nMs);
    if (guard.bRunning && TicksFrom(guard.nDeadline, guard.nFiresAt) <= static_cast<long>(kGuardResolutionMs))
        return 0; // fires by the deadline, or within its resolution after it
    guard.bRunning = true;
    guard.nFiresAt = guard.nDeadline;
    return nMs ? nMs : 1;
}

GuardFiring FireGuard(GuardTimer& guard, unsigned long nNow, unsigned* pnMs)
{
    if (!guard.bDue) {
        guard.bRunning = false;
        return GuardFiring::Stale;
    }
    long nLeft = TicksFrom(static_cast<unsigned int>(nNow), guard.nDeadline);
    if (nLeft <= 0) {
        guard.bDue = false;
        guard.bRunning = false;
        return GuardFiring::Expired;
    }
    guard.nFiresAt = guard.nDeadline;
    *pnMs = static_cast<unsigned>(nLeft);
    return GuardFiring::Rearm;
}
