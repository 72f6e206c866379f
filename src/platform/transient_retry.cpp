#include "platform/transient_retry.h"

namespace {

unsigned Smaller(unsigned first, unsigned second) {
    return first < second ? first : second;
}

// What is left of limit after used, never less than zero.
unsigned Left(unsigned limit, unsigned used) {
    return used < limit ? limit - used : 0;
}

}  // namespace

bool RetryWhileTransient(RetryableAttempt attempt, void* context, RetryBudget* budget,
                         RetryClock clock, RetryPause pause) {
    TryFailure failure = TryFailure::Lasting;
    if (attempt(context, &failure)) {
        return true;
    }
    const unsigned firstFailure = clock();
    unsigned nextPause = kFirstRetryPauseMilliseconds;
    unsigned deniedRetries = 0;
    bool succeeded = false;
    for (;;) {
        if (failure == TryFailure::Lasting ||
            (failure == TryFailure::Denied && deniedRetries == kDeniedRetries)) {
            break;
        }
        const unsigned waited = clock() - firstFailure;
        const unsigned left =
            Smaller(Left(kHeldFileWaitMilliseconds, waited),
                    Left(kPhaseRetryBudgetMilliseconds, budget->spentMilliseconds + waited));
        if (left == 0) {
            break;
        }
        if (failure == TryFailure::Denied) {
            ++deniedRetries;
        }
        pause(Smaller(nextPause, left));
        nextPause = Smaller(nextPause * 2, kLongestRetryPauseMilliseconds);
        if (attempt(context, &failure)) {
            succeeded = true;
            break;
        }
    }
    budget->spentMilliseconds += clock() - firstFailure;
    return succeeded;
}
