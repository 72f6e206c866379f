// Measures, under Wine or on Windows, what the launcher's retries for held files really wait:
// Sleep of the pauses the policy asks for, one file held for good (its whole wait), and twenty
// files held for good with three operations each (the wait of one phase). The policy is the
// launcher's own (src/platform/transient_retry.cpp) with the tick count as its clock, as the
// Win32 backend runs it; the times printed are taken with the performance counter.
//
// Usage: retry_pauses [ROUNDS]. Prints "name median_ms min_ms max_ms" lines.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "platform/transient_retry.h"

namespace {

double Milliseconds(LONGLONG from, LONGLONG to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

unsigned TickCount() {
    return GetTickCount();
}

void Pause(unsigned milliseconds) {
    Sleep(milliseconds);
}

bool HeldForGood(void* /*context*/, TryFailure* failure) {
    *failure = TryFailure::Held;
    return false;
}

void Report(const char* name, unsigned rounds, const std::function<void()>& work) {
    std::vector<double> times;
    for (unsigned round = 0; round < rounds; ++round) {
        const LONGLONG start = Now();
        work();
        times.push_back(Milliseconds(start, Now()));
    }
    std::sort(times.begin(), times.end());
    std::printf("%s %.2f %.2f %.2f\n", name, times[times.size() / 2], times.front(), times.back());
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned rounds =
        argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 21;
    for (unsigned pause : {1u, 15u, 25u, 30u, 60u, 250u}) {
        char name[32];
        std::snprintf(name, sizeof name, "sleep_%u", pause);
        Report(name, rounds, [pause] { Sleep(pause); });
    }
    Report("one_file_held_for_good", rounds < 5 ? rounds : 5, [] {
        RetryBudget budget{};
        RetryWhileTransient(HeldForGood, nullptr, &budget, TickCount, Pause);
    });
    Report("twenty_files_three_operations_held_for_good", rounds < 5 ? rounds : 5, [] {
        RetryBudget budget{};
        for (int operation = 0; operation < 60; ++operation) {
            RetryWhileTransient(HeldForGood, nullptr, &budget, TickCount, Pause);
        }
    });
    return 0;
}
