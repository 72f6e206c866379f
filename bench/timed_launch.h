// One launch of a launcher in a game folder, timed from outside and from the stand-in game.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bench {

struct LaunchTiming {
    std::string fault;        // Why the launch cannot be counted; empty when it can.
    double beforeGameMs = 0;  // From just before the launcher is started to the game's start.
    double afterGameMs = 0;   // From the game's end to the moment the launcher has been reaped.
    long maxRssKib = 0;       // wait4's peak resident memory of the launcher and its game.
};

// Has timer (launch_timer) start launcher with the game folder as its working directory and
// the extra environment entries ("NAME=value") in place of inherited ones of the same names,
// and reads the timer's report and the stand-in's stamps.
LaunchTiming TimeLaunch(const std::filesystem::path& timer, const std::filesystem::path& launcher,
                        const std::filesystem::path& folder,
                        const std::vector<std::string>& extraEnvironment);

}  // namespace bench
