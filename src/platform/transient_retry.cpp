#include "platform/transient_retry.h"

bool RetryWhileTransient(RetryableAttempt attempt, void* context, RetryPause pause) {
    for (unsigned tries = 1;; ++tries) {
        bool transient = false;
        if (attempt(context, &transient)) {
            return true;
        }
        if (!transient || tries == kTransientRetryAttempts) {
            return false;
        }
        pause(kTransientRetryPauseMilliseconds);
    }
}
