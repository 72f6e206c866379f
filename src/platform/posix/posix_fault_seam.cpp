// The fault seam's state: one call counter and one plan per kind of call.
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
}

#endif
