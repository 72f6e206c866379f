// The retry policy for file operations that fail only for a moment: on Windows a virus scanner
// or an indexer briefly holds a file that has just appeared, and a move, copy or delete that
// meets it fails with a sharing, lock or access error although it would succeed a moment
// later. Such an operation is tried again with a growing pause in between; any other failure
// ends the operation at once.
//
// The waiting is bounded twice: each operation waits at most about a second for its file, and
// all operations of one phase of the launch (before the game starts, after it has ended) wait
// at most a second and a quarter together, however many files are held. Once a phase's
// budget is spent, every further operation of that phase gets one try. The policy itself calls
// no system, so it is tested natively; the backend supplies the attempt, the clock, the pause
// and the phase's budget.
#pragma once

// Why one try failed.
enum class TryFailure : unsigned {
    Lasting,  // Will not go away by itself: a missing source, a read-only target, another volume.
    Held,     // Sharing or lock violation: someone holds the file open, often only for a moment.
    Denied,   // Access denied without a known lasting cause: now and then a scanner, more often
              // permissions, a protected folder or its file virtualisation, which last.
};

// One try of the operation. Returns true on success; on failure it sets *failure.
using RetryableAttempt = bool (*)(void* context, TryFailure* failure);

// The time in milliseconds since some fixed instant; it may wrap around, as only differences
// are taken.
using RetryClock = unsigned (*)();

// Waits about the given number of milliseconds (the system may wait longer; the clock tells).
using RetryPause = void (*)(unsigned milliseconds);

// The waiting already done in the current phase of the launch, kept by the backend.
struct RetryBudget {
    unsigned spentMilliseconds;
};

// The pauses after a held try grow from the first one by doubling up to the longest one:
// 15, 30, 60, 120, 240, then 250 ms, so that a file let go soon after is tried again soon,
// and a long hold costs few tries. An operation on one held file waits at most
// kHeldFileWaitMilliseconds; access denied gets at most kDeniedRetries retries.
constexpr unsigned kFirstRetryPauseMilliseconds = 15;
constexpr unsigned kLongestRetryPauseMilliseconds = 250;
constexpr unsigned kHeldFileWaitMilliseconds = 1000;
constexpr unsigned kDeniedRetries = 2;

// The most that the retries of one phase wait in all, across every operation. A quarter of a
// second short of the one and a half seconds that a phase may cost the player with files held:
// a volume whose rename is refused because it is held is copied instead, and those copies (20
// small volumes take about a fifth of a second under Wine) come on top of the waiting.
constexpr unsigned kPhaseRetryBudgetMilliseconds = 1250;

// Runs attempt until it succeeds, fails for good, or its file's or the phase's time is up,
// pausing between tries; the time from the first failed try to the end of the operation is
// taken from the budget. The operation never waits beyond what either limit leaves, save for
// the system's lateness in ending the last pause and the last try itself. Returns whether the
// operation succeeded.
bool RetryWhileTransient(RetryableAttempt attempt, void* context, RetryBudget* budget,
                         RetryClock clock, RetryPause pause);
