// The launch's wait budget for files held by other programs, kept by the Win32 backend: one
// budget for the phase before the game starts and a fresh one for the phase after it has ended,
// so that however many files are held, the player waits at most about one and a half seconds
// more on each side of the game.
#pragma once

#include "platform/transient_retry.h"

// Runs attempt under the transient retry policy, taking its waiting from the current phase's
// budget, with the system's tick count as the clock and Sleep as the pause.
bool RetryWithinLaunchBudget(RetryableAttempt attempt, void* context);

// Starts the phase after the game: called once the game process has ended (or could not be
// started), it gives the operations that put the folder back a budget of their own.
void StartRestorePhaseRetryBudget();
