// The retry policy of the Win32 backend's moves, copies and deletes, run natively with a
// scripted operation, a clock that only the test moves and a pause that moves it.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/transient_retry.h"

namespace {

// The test's time in milliseconds. A pause moves it by what was asked plus the lateness of the
// system being modelled; a try may take time of its own.
unsigned now = 0;
unsigned pauses = 0;
unsigned (*lateness)(unsigned milliseconds) = nullptr;

unsigned OnTime(unsigned /*milliseconds*/) {
    return 0;
}

// Windows at its default timer resolution ends a Sleep at a tick of 15.6 ms, after the time
// asked for. The last pause of an operation may end that late beyond its limit.
constexpr unsigned kTick = 16;

unsigned AtNextTick(unsigned milliseconds) {
    return kTick - milliseconds % kTick;
}

unsigned TestClock() {
    return now;
}

void TestPause(unsigned milliseconds) {
    ++pauses;
    now += milliseconds + lateness(milliseconds);
}

// Each character is the outcome of one try: 'S' succeeds, 'H' fails as held (a scanner), 'D'
// as access denied, 'L' for good (a missing source). Tries beyond the script fail as the last
// character says. Each try takes tryMilliseconds.
struct ScriptedOperation {
    std::string outcomes;
    unsigned tryMilliseconds = 0;
    unsigned tries = 0;
};

bool TryScripted(void* context, TryFailure* failure) {
    auto* operation = static_cast<ScriptedOperation*>(context);
    const char outcome = operation->tries < operation->outcomes.size()
                             ? operation->outcomes[operation->tries]
                             : operation->outcomes.back();
    ++operation->tries;
    now += operation->tryMilliseconds;
    *failure = outcome == 'D' ? TryFailure::Denied
                              : (outcome == 'H' ? TryFailure::Held : TryFailure::Lasting);
    return outcome == 'S';
}

// A file held by another program until the given time, then free.
struct HeldUntil {
    unsigned releasedAt;
    unsigned tries = 0;
};

bool TryHeldFile(void* context, TryFailure* failure) {
    auto* file = static_cast<HeldUntil*>(context);
    ++file->tries;
    *failure = TryFailure::Held;
    return now >= file->releasedAt;
}

void StartTest(unsigned (*systemLateness)(unsigned)) {
    now = 1000;  // Any instant: only differences count.
    pauses = 0;
    lateness = systemLateness;
}

struct RetryCase {
    const char* name;
    std::string outcomes;
    bool succeeds;
    unsigned tries;
};

void PrintTo(const RetryCase& c, std::ostream* out) {
    *out << c.name;
}

class RetryWhileTransientTest : public testing::TestWithParam<RetryCase> {};

TEST_P(RetryWhileTransientTest, TriesUntilSuccessOrLastingFailure) {
    const RetryCase& c = GetParam();
    StartTest(OnTime);
    ScriptedOperation operation{c.outcomes};
    RetryBudget budget{};

    EXPECT_EQ(RetryWhileTransient(TryScripted, &operation, &budget, TestClock, TestPause),
              c.succeeds);
    EXPECT_EQ(operation.tries, c.tries);
    EXPECT_EQ(pauses, c.tries - 1) << "a pause comes between two tries, never after the last";
    EXPECT_EQ(budget.spentMilliseconds, now - 1000) << "every wait is taken from the budget";
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, RetryWhileTransientTest,
    testing::Values(RetryCase{"FirstTrySucceeds", "S", true, 1},
                    RetryCase{"LastingFailureIsNotRetried", "L", false, 1},
                    RetryCase{"SucceedsOnceTheHolderLetsGo", "HHS", true, 3},
                    RetryCase{"LastingFailureAfterHeldOnesEndsAtOnce", "HHL", false, 3},
                    RetryCase{"DeniedGetsItsShortRetries", "DDS", true, 3},
                    RetryCase{"DeniedStopsAfterItsShortRetries", "D", false, 1 + kDeniedRetries},
                    RetryCase{"HeldTriesDoNotCountAsDenied", "HHHHDDS", true, 7}),
    [](const testing::TestParamInfo<RetryCase>& test) { return std::string(test.param.name); });

// The lateness of the system's pause: none, or Windows's timer ticks.
class RetryBudgetTest : public testing::TestWithParam<unsigned (*)(unsigned)> {};

// A scanner that holds a file for 0.8 s does not make the move fail.
TEST_P(RetryBudgetTest, FileHeldForEightTenthsOfASecondGetsThrough) {
    StartTest(GetParam());
    HeldUntil file{now + 800};
    RetryBudget budget{};

    EXPECT_TRUE(RetryWhileTransient(TryHeldFile, &file, &budget, TestClock, TestPause));
    EXPECT_GE(now, file.releasedAt);
    EXPECT_LE(budget.spentMilliseconds, kHeldFileWaitMilliseconds + kTick);
    EXPECT_LE(file.tries, 10u) << "the pauses grow, so a long hold costs few tries";
}

// A file held for good costs its operation about a second, then the operation fails.
TEST_P(RetryBudgetTest, FileHeldForGoodCostsAboutASecond) {
    StartTest(GetParam());
    ScriptedOperation heldForGood{"H"};
    RetryBudget budget{};

    EXPECT_FALSE(RetryWhileTransient(TryScripted, &heldForGood, &budget, TestClock, TestPause));
    EXPECT_GE(budget.spentMilliseconds, kHeldFileWaitMilliseconds - kTick);
    EXPECT_LE(budget.spentMilliseconds, kHeldFileWaitMilliseconds + kTick);
}

// Twenty volumes held for good, each meeting three operations (rename, copy, delete) that take
// a few milliseconds a try: the phase waits its budget and no more, and once it is spent every
// operation gets one try.
TEST_P(RetryBudgetTest, TwentyFilesHeldForGoodCostAtMostThePhaseBudget) {
    StartTest(GetParam());
    RetryBudget budget{};
    const unsigned start = now;
    unsigned triesAfterSpent = 0;
    unsigned operationsAfterSpent = 0;
    for (int operation = 0; operation < 60; ++operation) {
        const bool spentBefore = budget.spentMilliseconds >= kPhaseRetryBudgetMilliseconds;
        ScriptedOperation held{"H", 3};
        EXPECT_FALSE(RetryWhileTransient(TryScripted, &held, &budget, TestClock, TestPause));
        if (spentBefore) {
            triesAfterSpent += held.tries;
            ++operationsAfterSpent;
        }
    }
    const unsigned waited = now - start - 60 * 3;  // Less the first try of each operation.
    EXPECT_LE(waited, kPhaseRetryBudgetMilliseconds + kTick + 3);
    EXPECT_GE(budget.spentMilliseconds, kPhaseRetryBudgetMilliseconds);
    EXPECT_GE(operationsAfterSpent, 50u);
    EXPECT_EQ(triesAfterSpent, operationsAfterSpent);
}

// The phase after the game starts with a fresh budget: a file held then still gets its wait.
TEST_P(RetryBudgetTest, AFreshBudgetWaitsAgain) {
    StartTest(GetParam());
    RetryBudget budget{kPhaseRetryBudgetMilliseconds};
    HeldUntil spentPhase{now + 100};
    EXPECT_FALSE(RetryWhileTransient(TryHeldFile, &spentPhase, &budget, TestClock, TestPause));
    EXPECT_EQ(spentPhase.tries, 1u);

    budget = RetryBudget{};
    HeldUntil freshPhase{now + 100};
    EXPECT_TRUE(RetryWhileTransient(TryHeldFile, &freshPhase, &budget, TestClock, TestPause));
}

// A phase with little budget left cuts the wait of the next held file to what is left.
TEST_P(RetryBudgetTest, TheLastOperationWaitsOnlyWhatIsLeft) {
    StartTest(GetParam());
    RetryBudget budget{kPhaseRetryBudgetMilliseconds - 100};
    ScriptedOperation heldForGood{"H"};

    EXPECT_FALSE(RetryWhileTransient(TryScripted, &heldForGood, &budget, TestClock, TestPause));
    EXPECT_GE(budget.spentMilliseconds, kPhaseRetryBudgetMilliseconds);
    EXPECT_LE(budget.spentMilliseconds, kPhaseRetryBudgetMilliseconds + kTick);
}

INSTANTIATE_TEST_SUITE_P(SystemPauses, RetryBudgetTest, testing::Values(OnTime, AtNextTick),
                         [](const testing::TestParamInfo<unsigned (*)(unsigned)>& test) {
                             return std::string(test.param == OnTime ? "OnTime" : "AtTimerTicks");
                         });

}  // namespace
