// The retry policy for file operations that fail only for a moment: on Windows a virus scanner
// or an indexer briefly holds a file that has just appeared, and a move, copy or delete that
// meets it fails with a sharing, lock or access error although it would succeed a moment
// later. Such an operation is tried again a bounded number of times with a short pause in
// between; any other failure ends the operation at once. The policy itself calls no system,
// so it is tested natively; the backend supplies the attempt and the pause.
#pragma once

// One try of the operation. Returns true on success; on failure it sets *transient to whether
// the failure may go away by itself (the file held by someone else) rather than stay (a missing
// source, a read-only target, another volume).
using RetryableAttempt = bool (*)(void* context, bool* transient);

// Waits the given number of milliseconds.
using RetryPause = void (*)(unsigned milliseconds);

// How many tries an operation gets at most, and the pause after each failed one but the last:
// about a quarter of a second in all, long enough for a scanner to let go of a small file and
// short enough that a file locked for good costs the launch little.
constexpr unsigned kTransientRetryAttempts = 11;
constexpr unsigned kTransientRetryPauseMilliseconds = 25;

// Runs attempt until it succeeds, fails for good, or has failed transiently on every one of
// kTransientRetryAttempts tries, pausing between tries. Returns whether it succeeded.
bool RetryWhileTransient(RetryableAttempt attempt, void* context, RetryPause pause);
