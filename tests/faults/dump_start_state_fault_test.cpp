// The engine dump swap under faults, from every start state: each subset of "VDFS.DMP",
// "VDFS.DMP.old" and the per-mod dump, and each mark the game leaves. Through the fault seam,
// each call that the fault-free launch makes fails once in turn, then every rename fails (the
// copies do the work), every delete fails, and each dump file is held (its renames and deletes
// fail for the whole launch). Whatever fails: nothing is lost; the engine's dump is in
// "VDFS.DMP" or "VDFS.DMP.old" and one more launch without faults puts it in "VDFS.DMP"; the
// per-mod dump is gone only where the game ran with it, and is the game's dump only where the
// game ran with it or there was none. Where one rename or delete fails, or every one of a kind
// does, or a dump file is held, the game still runs with the mod's dump and the engine's dump is
// back in "VDFS.DMP" after the launch.
#include <errno.h>
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/game_folder.h"
#include "faults/launch_in_folder.h"
#include "faults/nothing_lost.h"
#include "platform/fault_seam.h"
#include "support/game_folder_tree.h"

namespace fs = std::filesystem;
using namespace fault_testing;
using testing_support::ReadFileText;
using testing_support::TempFolder;
using testing_support::Tree;
using testing_support::WriteFileText;
using testing_support::WriteTree;

namespace {

const std::string kEngine = "engine";
const std::string kUnfinishedRun = "unfinished run";
const std::string kMod = "mod";
const std::string kGameRun = "game run";

struct StartState {
    bool engineDump;
    bool backup;
    bool modDump;
    const char* mark;  // What the game leaves; "<missing>" removes it.

    std::string Describe() const {
        std::string text = "start with";
        text += engineDump ? " VDFS.DMP" : "";
        text += backup ? " VDFS.DMP.old" : "";
        text += modDump ? " per-mod dump" : "";
        text += !engineDump && !backup && !modDump ? " no dump" : "";
        return text + ", mark after the run " + mark;
    }
};

// Names the start state in test output instead of dumping its bytes.
void PrintTo(const StartState& state, std::ostream* out) {
    *out << state.Describe();
}

std::vector<StartState> StartStates() {
    std::vector<StartState> states;
    for (unsigned subset = 0; subset < 8; ++subset) {
        for (const char* mark : {"0", "1", "<missing>"}) {
            states.push_back({(subset & 1) != 0, (subset & 2) != 0, (subset & 4) != 0, mark});
        }
    }
    return states;
}

// What fails in one launch.
struct Plan {
    enum class Way { None, Once, Always, Held } way = Way::None;
    FaultKind kind = FaultKind::Rename;
    unsigned call = 0;
    const char* heldPath = nullptr;

    std::string Describe() const {
        static const char* const kKindNames[] = {"copy",           "delete",        "rename",
                                                 "profile write",  "process start", "enumeration",
                                                 "existence probe"};
        const std::string kindName = kKindNames[static_cast<unsigned>(kind)];
        switch (way) {
            case Way::None:
                return "no fault";
            case Way::Once:
                return kindName + " call " + std::to_string(call) + " fails once";
            case Way::Always:
                return "every " + kindName + " fails";
            case Way::Held:
                return std::string(heldPath) + " held for the whole launch";
        }
        return "";
    }

    // A plan after which the game must have run with the mod's dump and the engine's dump must
    // be back in "VDFS.DMP": no copy fails, and no probe.
    bool MovesStillWork() const {
        return way == Way::Held ||
               (way != Way::None && (kind == FaultKind::Rename || kind == FaultKind::Delete));
    }
};

constexpr FaultKind kCountedKinds[] = {FaultKind::Copy, FaultKind::Delete, FaultKind::Rename,
                                       FaultKind::PathExists, FaultKind::ProfileWrite};

std::optional<std::string> ReadIfFile(const fs::path& path) {
    if (!fs::is_regular_file(path)) {
        return std::nullopt;
    }
    return ReadFileText(path);
}

class DumpSwapUnderFaults : public ::testing::TestWithParam<StartState> {
  protected:
    // Lays the start state out afresh with a game that leaves gameControl's dump and mark.
    void LayOut(const std::vector<std::string>& gameControl) {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(root_.path())) {
            fs::remove_all(entry.path(), ignored);
        }
        const StartState& state = GetParam();
        Tree tree = {{"system/HADRIN.INI",
                      "[GAME]\r\nsubTitlesNoise=1\r\n[INTERNAL]\r\ngameAbnormalExit=1\r\n"},
                     {"Data/ModVdf/{volume}", "T"}};
        if (state.engineDump) {
            tree.push_back({kEngineDump, state.backup ? kUnfinishedRun : kEngine});
        }
        if (state.backup) {
            tree.push_back({kEngineDumpBackup, kEngine});
        }
        if (state.modDump) {
            tree.push_back({"{dump}", kMod});
        }
        WriteTree(root_.path(), WithIdentity(tree));
        InstallGameLink(root_.path(), GamePath(), FAULT_STANDIN_GAME);
        WriteControl(gameControl);
    }

    void WriteControl(const std::vector<std::string>& lines) {
        std::string control;
        for (const std::string& line : lines) {
            control += line + "\n";
        }
        WriteFileText(root_.path() / "standin-control.txt", control);
        fs::remove(root_.path() / "standin-report.txt");
    }

    // Launches under the plan and checks every promise; counts receives the calls of the
    // fault-free launch.
    void LaunchUnder(const Plan& plan, unsigned counts[] = nullptr) {
        const StartState& state = GetParam();
        const std::vector<std::string> control = {"dump=" + kGameRun,
                                                  std::string("mark=") + state.mark};
        LayOut(control);
        const FolderSnapshot before = TakeSnapshot(root_.path());
        ResetFaults();
        const int errorNumber = plan.kind == FaultKind::Copy ? ENOSPC : EBUSY;
        if (plan.way == Plan::Way::Once) {
            ArmFault(plan.kind, plan.call, errorNumber, FaultRepeat::Once);
        } else if (plan.way == Plan::Way::Always) {
            ArmFault(plan.kind, 1, errorNumber, FaultRepeat::FromThenOn);
        } else if (plan.way == Plan::Way::Held) {
            HoldPath(plan.heldPath, EBUSY);
        }
        const int status = LaunchIn(root_.path());
        if (counts != nullptr) {
            for (FaultKind kind : kCountedKinds) {
                counts[static_cast<unsigned>(kind)] = FaultCallCount(kind);
            }
        }
        ResetFaults();
        const GameDumpTrace game = ReadGameDumpTrace(root_.path(), control);
        const FolderSnapshot after = TakeSnapshot(root_.path());

        std::vector<std::string> failures = FindLosses(before, after, game, StandInOutputs());
        if (status != 0) {
            failures.push_back("the launch returned " + std::to_string(status));
        }
        const bool ranWithModDump = game.seen == kMod;
        const std::optional<std::string> modAfter = ReadIfFile(root_.path() / kModDump);
        if (state.modDump && !modAfter && !ranWithModDump) {
            failures.push_back("the per-mod dump is gone, but the game did not run with it");
        }
        if (modAfter && *modAfter == kGameRun && state.modDump && !ranWithModDump) {
            failures.push_back("the per-mod dump holds a dump of a run made without it");
        }
        if (modAfter && *modAfter != kMod && *modAfter != kGameRun) {
            failures.push_back("the per-mod dump holds \"" + *modAfter + "\"");
        }
        const bool engineDumpAtStart = state.engineDump || state.backup;
        // Only a game that ran with the engine's dump in "VDFS.DMP" can have overwritten it.
        const bool engineDumpOverwritten = game.seen == kEngine && !state.backup;
        if (plan.MovesStillWork()) {
            if (state.modDump && !ranWithModDump) {
                failures.push_back("the game did not run with the mod's dump");
            }
            if (engineDumpAtStart && ReadIfFile(root_.path() / kEngineDump) != kEngine &&
                !engineDumpOverwritten) {
                failures.push_back("the engine's dump is not back in " + std::string(kEngineDump));
            }
        }

        // One more launch without faults, whose game leaves the dump alone, puts the engine's
        // dump back in "VDFS.DMP".
        const bool engineDumpKept = ReadIfFile(root_.path() / kEngineDump) == kEngine ||
                                    ReadIfFile(root_.path() / kEngineDumpBackup) == kEngine;
        WriteControl({});
        LaunchIn(root_.path());
        if (engineDumpKept && ReadIfFile(root_.path() / kEngineDump) != kEngine) {
            failures.push_back("a launch without faults did not put the engine's dump back");
        }
        if (fs::exists(root_.path() / kEngineDumpBackup)) {
            failures.push_back("a launch without faults left a backup behind");
        }

        if (!failures.empty()) {
            std::ostringstream message;
            message << state.Describe() << ", " << plan.Describe()
                    << ", the game saw: " << game.seen.value_or("no dump") << "\nfolder before:\n"
                    << DescribeSnapshot(before) << "folder after the faulted launch:\n"
                    << DescribeSnapshot(after) << "failures:\n";
            for (const std::string& failure : failures) {
                message << "  " << failure << "\n";
            }
            ADD_FAILURE() << message.str();
        }
    }

    TempFolder root_{"dump-faults"};
};

TEST_P(DumpSwapUnderFaults, NoDumpIsLost) {
    unsigned counts[static_cast<unsigned>(FaultKind::Count)] = {};
    LaunchUnder(Plan{}, counts);
    for (FaultKind kind : kCountedKinds) {
        for (unsigned call = 1; call <= counts[static_cast<unsigned>(kind)]; ++call) {
            LaunchUnder(Plan{Plan::Way::Once, kind, call});
        }
    }
    LaunchUnder(Plan{Plan::Way::Always, FaultKind::Rename});
    LaunchUnder(Plan{Plan::Way::Always, FaultKind::Delete});
    for (const char* held : {kEngineDump, kEngineDumpBackup, kModDump}) {
        LaunchUnder(Plan{Plan::Way::Held, FaultKind::Rename, 0, held});
    }
}

INSTANTIATE_TEST_SUITE_P(StartStates, DumpSwapUnderFaults, ::testing::ValuesIn(StartStates()),
                         [](const ::testing::TestParamInfo<StartState>& caseInfo) {
                             const StartState& state = caseInfo.param;
                             std::string name;
                             name += state.engineDump ? "Engine" : "";
                             name += state.backup ? "Backup" : "";
                             name += state.modDump ? "Mod" : "";
                             name += name.empty() ? "NoDump" : "";
                             const std::string mark = state.mark;
                             return name + "Mark" + (mark == "<missing>" ? "Missing" : mark);
                         });

}  // namespace
