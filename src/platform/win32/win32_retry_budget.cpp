// The per-launch wait budget of the Win32 backend. The launcher is one thread that runs once,
// so one budget in static storage serves the whole launch.
//
// What the pauses add up to, measured under Wine 8 on this project's build machines with
// bench/wine/retry_pauses.cpp (medians of 21 sleeps, of 5 waits): Sleep wakes 0.1 ms late
// (2.5 ms at worst), so Sleep(15) waits 15.1 ms and Sleep(250) 250.4 ms. The pauses of one held
// file (15, 30, 60, 120, 240, then 250 ms, the last one cut to what is left of its second) come
// to 1.01 s in nine tries, and twenty files held for good, three operations each, to 1.26 s
// for the phase. Windows at its default timer resolution ends each Sleep at a 15.6 ms tick
// (Sleep(25) waits about 31 ms); as the budget is measured with the tick count, not summed
// from the pauses asked for, that lateness moves the tries a little and stretches a wait by
// one tick at most.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/win32/win32_retry_budget.h"

namespace {

RetryBudget phaseBudget;

unsigned TickCount() {
    return GetTickCount();
}

void Pause(unsigned milliseconds) {
    Sleep(milliseconds);
}

}  // namespace

bool RetryWithinLaunchBudget(RetryableAttempt attempt, void* context) {
    return RetryWhileTransient(attempt, context, &phaseBudget, TickCount, Pause);
}

void StartRestorePhaseRetryBudget() {
    phaseBudget.spentMilliseconds = 0;
}
