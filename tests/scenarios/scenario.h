// The rows of the launch scenario table and the helpers that spell them. The table's runner is
// tests/scenarios/launch_scenarios.cpp; rows generated elsewhere join it through the functions
// declared at the end.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/game_folder_tree.h"

namespace scenarios {

using testing_support::Tree;

struct Launch {
    // Lines of the stand-in's control file for this launch.
    std::vector<std::string> game;
    // The launcher's arguments.
    std::vector<std::string> arguments;
    // The stand-in's report, less its start_ns and cwd lines; nullopt when the game must not
    // have run.
    std::optional<std::vector<std::string>> seen;
    // End the launcher while the game runs (the game pauses until the launcher is gone).
    bool interrupted = false;
    // Start a second launcher in the folder while the game runs (the game waits for the release
    // file): it must change nothing, start no game and exit while the first game still runs.
    bool secondLauncherWhileRunning = false;
};

struct Scenario {
    std::string name;
    Tree before;
    bool gameInstalled = true;
    std::vector<Launch> launches;
    Tree after;
};

// Names the scenario in test output instead of dumping its bytes.
inline void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

// The report lines of a game that was started with no tail and saw the given volumes, VDF,
// subtitle setting, mark and dump.
inline std::vector<std::string> Seen(std::vector<std::string> active, const std::string& noise,
                                     const std::string& mark, const std::string& dump,
                                     const std::vector<std::string>& extraArguments = {},
                                     const std::string& vdf = "{volume}") {
    std::vector<std::string> lines = {"arg=-game:{definition}"};
    for (const std::string& argument : extraArguments) {
        lines.push_back("arg=" + argument);
    }
    for (const std::string& name : active) {
        lines.push_back("active=" + name);
    }
    lines.push_back("vdf=" + vdf);
    lines.push_back("noise=" + noise);
    lines.push_back("mark=" + mark);
    lines.push_back("dump=" + dump);
    return lines;
}

inline const std::string kInvalidDefinition = "[FILES]\r\nVDF=!<invalid>\r\n";
inline const std::string kNoiseZero = "[GAME]\r\nsubTitlesNoise=0\r\n";
inline const std::string kMissing = "<missing>";

inline std::string Settings(const std::string& noise, const std::string& mark) {
    return "[GAME]\r\nsubTitlesNoise=" + noise + "\r\n[INTERNAL]\r\ngameAbnormalExit=" + mark +
           "\r\n";
}

// One row for each start state of the engine dump swap: every subset of "VDFS.DMP",
// "VDFS.DMP.old" and the per-mod dump, times the game's mark after the run (0, 1, missing).
std::vector<Scenario> DumpStartStateScenarios();

}  // namespace scenarios
