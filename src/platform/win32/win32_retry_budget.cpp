// The per-launch wait budget of the Win32 backend. The launcher is one thread that runs once,
// so one budget in static storage serves the whole launch.
//
// What the pauses add up to: Sleep under Wine 8 here wakes 0.1 to 0.2 ms late, so the pauses of
// one held file (15, 30, 60, 120, 240, then 250 ms, the last one cut to what is left of its
// second) come to 1.0 s in nine tries. Windows at its default timer resolution rounds each
// Sleep up to the next 15.6 ms tick (Sleep(15) waits about 16 ms, Sleep(25) about 31 ms); the
// budget is measured with the tick count, not summed from the pauses asked for, so the
// lateness only moves the tries a little and never stretches the total beyond a tick.
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
