// The retry policy of the Win32 backend's moves, copies and deletes, run natively with a
// scripted operation and a pause that only counts.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/transient_retry.h"

namespace {

// Each character is the outcome of one try: 'S' succeeds, 'T' fails for a moment (a file
// held by a scanner), 'P' fails for good (a missing source). Tries beyond the script fail
// transiently.
struct ScriptedOperation {
    std::string outcomes;
    unsigned tries = 0;
};

bool TryScripted(void* context, bool* transient) {
    auto* operation = static_cast<ScriptedOperation*>(context);
    const char outcome =
        operation->tries < operation->outcomes.size() ? operation->outcomes[operation->tries] : 'T';
    ++operation->tries;
    *transient = outcome == 'T';
    return outcome == 'S';
}

unsigned pauses = 0;
unsigned pausedMilliseconds = 0;

void CountPause(unsigned milliseconds) {
    ++pauses;
    pausedMilliseconds += milliseconds;
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
    ScriptedOperation operation{c.outcomes};
    pauses = 0;
    pausedMilliseconds = 0;

    EXPECT_EQ(RetryWhileTransient(TryScripted, &operation, CountPause), c.succeeds);
    EXPECT_EQ(operation.tries, c.tries);
    EXPECT_EQ(pauses, c.tries - 1) << "a pause comes between two tries, never after the last";
}

constexpr unsigned kLimit = kTransientRetryAttempts;

INSTANTIATE_TEST_SUITE_P(
    Outcomes, RetryWhileTransientTest,
    testing::Values(RetryCase{"FirstTrySucceeds", "S", true, 1},
                    RetryCase{"LastingFailureIsNotRetried", "P", false, 1},
                    RetryCase{"SucceedsOnceTheHolderLetsGo", "TTS", true, 3},
                    RetryCase{"LastingFailureAfterTransientOnesEndsAtOnce", "TTP", false, 3},
                    RetryCase{"SucceedsOnTheLastTry", std::string(kLimit - 1, 'T') + "S", true,
                              kLimit},
                    RetryCase{"GivesUpWhenHeldThroughEveryTry", "", false, kLimit}),
    [](const testing::TestParamInfo<RetryCase>& test) { return std::string(test.param.name); });

// A file held for good costs the launch about a quarter of a second per operation, no more:
// the launcher runs a dozen such operations around the game.
TEST(RetryWhileTransientBudget, FileHeldForGoodCostsAboutAQuarterSecond) {
    ScriptedOperation heldForGood{""};
    pausedMilliseconds = 0;

    EXPECT_FALSE(RetryWhileTransient(TryScripted, &heldForGood, CountPause));
    EXPECT_GE(pausedMilliseconds, 200u);
    EXPECT_LE(pausedMilliseconds, 300u);
}

}  // namespace
