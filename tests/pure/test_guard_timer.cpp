// The guards' deadlines: when the window timer is set, and what its firing means.
#include "GuardTimer.h"

#include <doctest.h>

TEST_CASE("a deadline that only moves later sets the timer once, and its firing sets it for the rest")
{
    GuardTimer guard;
    CHECK(ArmGuard(guard, 1000, 10000) == 10000); // the first frame: set
    DisarmGuard(guard);                            // its ACK
    CHECK(ArmGuard(guard, 1012, 10000) == 0);     // the next frames: the running timer serves
    DisarmGuard(guard);
    CHECK(ArmGuard(guard, 1030, 10000) == 0);
    unsigned nMs = 0;
    // the timer fires at the first frame's deadline: the last frame's lies 30 ms on
    CHECK(FireGuard(guard, 11000, &nMs) == GuardFiring::Rearm);
    CHECK(nMs == 30);
    // no answer meanwhile: the time-out is reported at the last frame's deadline, not before
    CHECK(FireGuard(guard, 11030, &nMs) == GuardFiring::Expired);
    CHECK_FALSE(guard.bDue);
    CHECK_FALSE(guard.bRunning);
    CHECK(ArmGuard(guard, 12000, 1000) == 1000); // killed with its report: set again
}

TEST_CASE("a timer fired late or early reports only a deadline passed")
{
    GuardTimer guard;
    CHECK(ArmGuard(guard, 500, 1000) == 1000);
    unsigned nMs = 0;
    CHECK(FireGuard(guard, 1499, &nMs) == GuardFiring::Rearm);
    CHECK(nMs == 1);
    CHECK(FireGuard(guard, 1600, &nMs) == GuardFiring::Expired); // a busy window handles it late
}

TEST_CASE("a disarmed guard reports nothing when its timer fires, and the timer is killed")
{
    GuardTimer guard;
    ArmGuard(guard, 0, 1000);
    DisarmGuard(guard);
    unsigned nMs = 0;
    CHECK(FireGuard(guard, 1000, &nMs) == GuardFiring::Stale);
    CHECK_FALSE(guard.bRunning);
    CHECK(ArmGuard(guard, 2000, 1000) == 1000); // no timer runs: set
}

TEST_CASE("a deadline earlier than the running timer by more than its resolution sets it at once")
{
    GuardTimer guard;
    ArmGuard(guard, 0, 15000);                    // 'D' of an image: 15 s
    CHECK(ArmGuard(guard, 100, 10000) == 10000);  // its first block: 10 s, 4.9 s earlier
    CHECK(ArmGuard(guard, 100, 10000 - kGuardResolutionMs) == 0); // earlier by no more than the resolution
    CHECK(ArmGuard(guard, 120, 50) == 50);
    unsigned nMs = 0;
    CHECK(FireGuard(guard, 170, &nMs) == GuardFiring::Expired);
}

TEST_CASE("deadlines across the tick count's wrap")
{
    GuardTimer guard;
    const unsigned long nNearWrap = 0xFFFFFF00ul;
    CHECK(ArmGuard(guard, nNearWrap, 1000) == 1000);
    CHECK(ArmGuard(guard, nNearWrap + 0x80, 1000) == 0); // later, though its value wrapped
    unsigned nMs = 0;
    CHECK(FireGuard(guard, (nNearWrap + 1000) & 0xFFFFFFFFul, &nMs) == GuardFiring::Rearm);
    CHECK(nMs == 0x80);
    CHECK(FireGuard(guard, (nNearWrap + 0x80 + 1000) & 0xFFFFFFFFul, &nMs) == GuardFiring::Expired);
}

TEST_CASE("a deadline of no time still sets the timer")
{
    GuardTimer guard;
    CHECK(ArmGuard(guard, 40, 0) == 1);
    unsigned nMs = 0;
    CHECK(FireGuard(guard, 41, &nMs) == GuardFiring::Expired);
}
