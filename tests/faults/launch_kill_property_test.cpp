// The launch killed at every instant: for a few generated game folders, a clean launch counts
// the file-changing system calls of a launch; then, for each of them in turn, a fresh copy of
// the folder is launched in a child process that is killed on entry to that call, and the folder
// is launched again, to its end. Afterwards nothing may be lost or added (see nothing_lost.h: no
// temporary file stays), and the volumes and the definition file are as one clean launch leaves
// them. Each folder is run twice: with the renames that a launch makes, and with every rename
// failing, so that every move copies and the kills land inside copies.
// LAUNCHER_KILL_SEED=<seed> replays one folder, LAUNCHER_KILL_FOLDERS=<n> sets how many folders
// a run generates.
#include <errno.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include "common/game_folder.h"
#include "faults/generated_game_folder.h"
#include "faults/launch_in_folder.h"
#include "faults/nothing_lost.h"
#include "platform/fault_seam.h"
#include "support/game_folder_tree.h"
#include "support/text_helpers.h"

namespace fs = std::filesystem;
using namespace fault_testing;
using testing_support::AsciiLower;

namespace {

unsigned long long EnvironmentNumber(const char* name, unsigned long long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

// Makes every rename fail from the first on, as across volumes, so that every move copies.
void ArmRenamesFailing(bool renamesFail) {
    if (renamesFail) {
        ArmFault(FaultKind::Rename, 1, EXDEV, FaultRepeat::FromThenOn);
    }
}

// What the kill may not change: the names of the active volumes, and the definition file.
struct LaunchOutcome {
    std::set<std::string> activeVolumes;
    std::string definition;  // "<missing>" when there is none.
};

LaunchOutcome OutcomeOf(const FolderSnapshot& snapshot) {
    LaunchOutcome outcome;
    outcome.definition = "<missing>";
    std::string active = kActiveFolder;
    std::replace(active.begin(), active.end(), '\\', '/');
    std::string definition = kModDefinitionFile;
    std::replace(definition.begin(), definition.end(), '\\', '/');
    for (const auto& [path, content] : snapshot) {
        const std::string lower = AsciiLower(path);
        if (lower == AsciiLower(definition)) {
            outcome.definition = content;
        }
        if (lower.rfind(AsciiLower(active), 0) == 0 &&
            lower.find('/', active.size()) == std::string::npos && lower.size() > 4 &&
            lower.compare(lower.size() - 4, 4, ".mod") == 0) {
            outcome.activeVolumes.insert(lower);
        }
    }
    return outcome;
}

class LaunchKilled : public ::testing::Test {
  protected:
    // The number of file-changing calls of a clean launch, the folder before it and what it
    // leaves.
    unsigned CleanLaunch(const GeneratedGameFolder& folder, bool renamesFail,
                         FolderSnapshot* before, LaunchOutcome* outcome) {
        LayOutGeneratedFolder(root_.path(), folder);
        *before = TakeSnapshot(root_.path());
        ResetFaults();
        ArmRenamesFailing(renamesFail);
        LaunchIn(root_.path());
        const unsigned calls = FaultCallCount(FaultKind::FileChange);
        ResetFaults();
        *outcome = OutcomeOf(TakeSnapshot(root_.path()));
        return calls;
    }

    // Kills a launch of a fresh copy of the folder (which is laid out as before) on entry to its
    // nth file-changing call, launches again and returns what went wrong, one sentence each.
    std::vector<std::string> KillAndLaunchAgain(const GeneratedGameFolder& folder, bool renamesFail,
                                                unsigned nth, const FolderSnapshot& before,
                                                const LaunchOutcome& expected) {
        LayOutGeneratedFolder(root_.path(), folder);
        std::vector<std::string> problems;

        const pid_t child = fork();
        if (child == 0) {
            ResetFaults();
            ArmRenamesFailing(renamesFail);
            ArmFault(FaultKind::FileChange, nth, 0, FaultRepeat::EndProcess);
            LaunchIn(root_.path());
            _exit(0);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child) {
            return {"the killed launch could not be started"};
        }
        if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL) {
            problems.push_back("the launch was not killed at its file-changing call " +
                               std::to_string(nth));
        }
        // The game of the killed launch may have run and seen the engine's dump; the next
        // launch's game rewrites the report.
        const GameDumpTrace killedGame = ReadGameDumpTrace(root_.path(), folder.gameControl);

        ResetFaults();
        LaunchIn(root_.path());
        const FolderSnapshot after = TakeSnapshot(root_.path());
        GameDumpTrace game = ReadGameDumpTrace(root_.path(), folder.gameControl);
        if (killedGame.seen) {
            game.seen = killedGame.seen;
        }
        std::vector<std::string> losses = FindLosses(before, after, game, StandInOutputs());
        problems.insert(problems.end(), losses.begin(), losses.end());

        const LaunchOutcome outcome = OutcomeOf(after);
        if (outcome.activeVolumes != expected.activeVolumes) {
            problems.push_back("the active volumes differ from a clean launch's");
        }
        if (outcome.definition != expected.definition) {
            problems.push_back("the definition file differs from a clean launch's:\n" +
                               DescribeDifferences({{"definition", expected.definition}},
                                                   {{"definition", outcome.definition}}));
        }
        if (!problems.empty()) {
            std::ostringstream message;
            message << "seed " << folder.seed << " (replay with LAUNCHER_KILL_SEED=" << folder.seed
                    << "), " << (renamesFail ? "every rename failing, " : "")
                    << "killed at file-changing call " << nth << "\nfolder before the launch:\n"
                    << DescribeSnapshot(before) << "after the next launch:\n"
                    << DescribeSnapshot(after) << "problems:\n";
            for (const std::string& problem : problems) {
                message << "  " << problem << "\n";
            }
            ADD_FAILURE() << message.str();
        }
        return problems;
    }

    // Every kill point of the folder's launch, with renames and with copies; false after a
    // failure.
    bool CheckFolder(uint64_t seed) {
        const GeneratedGameFolder folder = GenerateGameFolder(seed);
        for (const bool renamesFail : {false, true}) {
            FolderSnapshot before;
            LaunchOutcome expected;
            const unsigned calls = CleanLaunch(folder, renamesFail, &before, &expected);
            for (unsigned nth = 1; nth <= calls; ++nth) {
                if (!KillAndLaunchAgain(folder, renamesFail, nth, before, expected).empty()) {
                    return false;
                }
                ++kills_;
            }
        }
        return true;
    }

    testing_support::TempFolder root_{"launch-killed"};
    unsigned long long kills_ = 0;
};

TEST_F(LaunchKilled, NothingIsLostOrLeftBehindWhereverTheLaunchIsKilled) {
    const unsigned long long replay = EnvironmentNumber("LAUNCHER_KILL_SEED", 0);
    if (replay != 0) {
        CheckFolder(replay);
        return;
    }
    const unsigned long long folders = EnvironmentNumber("LAUNCHER_KILL_FOLDERS", 4);
    for (unsigned long long seed = 1; seed <= folders; ++seed) {
        if (!CheckFolder(seed)) {
            break;
        }
    }
    std::printf("%llu folders, %llu launches killed and launched again\n", folders, kills_);
}

}  // namespace
