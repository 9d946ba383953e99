// A guard: a window timer that reports a deadline missed (the watchdog of a send, the
// time-out of an answer). A download arms both with every frame, and every SetTimer and
// KillTimer is a trip to the window system in the turn between the device's ACK and the
// next frame. So the window timer is left running while the deadline only moves later:
// when it fires before the deadline it is set again for the rest, and a guard that is
// disarmed is killed when it fires. It is set at once only when the deadline would come
// earlier than the timer fires by more than the timer's resolution. A guard fires no
// earlier than its deadline, and at most one resolution later.
#pragma once

// Windows' least timer interval (USER_TIMER_MINIMUM): a timer fires no finer than this.
const unsigned kGuardResolutionMs = 10;

struct GuardTimer {
    bool bDue = false;            // a deadline is guarded
    bool bRunning = false;        // the window timer is set
    unsigned long nDeadline = 0;  // GetTickCount values: they wrap after 49 days
    unsigned long nFiresAt = 0;   // when the window timer will fire
};

// Guards the deadline nNow + nMs. The milliseconds to set the window timer to, or 0 when
// the timer that runs already serves.
unsigned ArmGuard(GuardTimer& guard, unsigned long nNow, unsigned nMs);

// The deadline is met: nothing is reported. The window timer may go on to its end.
inline void DisarmGuard(GuardTimer& guard) { guard.bDue = false; }

// The window timer has fired at nNow.
enum class GuardFiring {
    Expired, // the deadline has passed: the guard reports it (it is disarmed, the timer is to be killed)
    Rearm,   // the deadline lies ahead: set the timer to *pnMs
    Stale    // nothing is guarded: kill the timer
};
GuardFiring FireGuard(GuardTimer& guard, unsigned long nNow, unsigned* pnMs);
