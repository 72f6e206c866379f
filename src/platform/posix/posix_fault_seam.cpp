// The fault seam's state: one call counter and one plan per kind of call, and the held path.
#include "platform/fault_seam.h"

#if LAUNCHER_FAULT_SEAM

#include <errno.h>
#include <signal.h>

namespace {

struct FaultPlan {
    bool armed;
    unsigned failFrom;  // The call count at which the plan strikes first.
    int errorNumber;
    FaultRepeat repeat;
};

constexpr unsigned kKinds = static_cast<unsigned>(FaultKind::Count);
unsigned callCounts[kKinds];
FaultPlan plans[kKinds];

// The held path with its NUL, empty when none is held; a longer path is never held.
constexpr unsigned kHeldCapacity = 260;
char heldPath[kHeldCapacity];
int heldErrorNumber;

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool FaultStrikes(FaultKind kind) {
    const unsigned index = static_cast<unsigned>(kind);
    const unsigned call = ++callCounts[index];
    FaultPlan& plan = plans[index];
    if (!plan.armed || call < plan.failFrom) {
        return false;
    }
    if (plan.repeat == FaultRepeat::EndProcess && call == plan.failFrom) {
        // SIGKILL cannot be caught: nothing of the process runs after it, as after a kill.
        raise(SIGKILL);
    }
    if (plan.repeat != FaultRepeat::FromThenOn) {
        if (call != plan.failFrom) {
            return false;
        }
        plan.armed = false;
    }
    errno = plan.errorNumber;
    return true;
}

void ArmFault(FaultKind kind, unsigned nthCall, int errorNumber, FaultRepeat repeat) {
    const unsigned index = static_cast<unsigned>(kind);
    plans[index] =
        FaultPlan{true, callCounts[index] + (nthCall == 0 ? 1 : nthCall), errorNumber, repeat};
}

unsigned FaultCallCount(FaultKind kind) {
    return callCounts[static_cast<unsigned>(kind)];
}

void ResetFaults() {
    for (unsigned i = 0; i < kKinds; ++i) {
        callCounts[i] = 0;
        plans[i] = FaultPlan{false, 0, 0, FaultRepeat::Once};
    }
    heldPath[0] = '\0';
}

void HoldPath(const char* path, int errorNumber) {
    unsigned length = 0;
    while (path[length] != '\0' && length + 1 < kHeldCapacity) {
        heldPath[length] = path[length];
        ++length;
    }
    heldPath[path[length] == '\0' ? length : 0] = '\0';
    heldErrorNumber = errorNumber;
}

bool FaultHolds(const char* path) {
    if (heldPath[0] == '\0' || path == nullptr) {
        return false;
    }
    unsigned i = 0;
    while (heldPath[i] != '\0' && FoldCase(heldPath[i]) == FoldCase(path[i])) {
        ++i;
    }
    if (heldPath[i] != '\0' || path[i] != '\0') {
        return false;
    }
    errno = heldErrorNumber;
    return true;
}

#endif
