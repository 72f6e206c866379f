// The launch under injected faults: for many generated game folders, a clean launch first
// counts the platform calls of each kind; then each call k of each kind K is made to fail,
// once and from then on, in a fresh copy of the folder, and nothing may be lost (see
// nothing_lost.h). A failure names its seed; LAUNCHER_FAULT_SEED=<seed> replays that folder
// alone, LAUNCHER_FAULT_FOLDERS=<n> sets how many folders a run generates.
#include <errno.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "faults/generated_game_folder.h"
#include "faults/launch_in_folder.h"
#include "faults/nothing_lost.h"
#include "platform/fault_seam.h"
#include "support/game_folder_tree.h"

namespace fs = std::filesystem;
using namespace fault_testing;

namespace {

struct KindUnderTest {
    FaultKind kind;
    const char* name;
    int errorNumber;  // What the failing call reports, as the system would for this kind.
};

constexpr KindUnderTest kKinds[] = {
    {FaultKind::Copy, "copy", ENOSPC},
    {FaultKind::Delete, "delete", EACCES},
    {FaultKind::Rename, "rename", EXDEV},
    {FaultKind::ProfileWrite, "profile write", ENOSPC},
    {FaultKind::ProcessStart, "process start", ENOENT},
    {FaultKind::Enumeration, "enumeration", EIO},
    {FaultKind::ListedEntry, "listed entry", 0},  // Left out of the listing, no error.
    {FaultKind::PathExists, "existence probe", EACCES},
};

struct Fault {
    const KindUnderTest* kind = nullptr;  // nullptr: a clean launch.
    unsigned call = 0;
    FaultRepeat repeat = FaultRepeat::Once;

    std::string Describe() const {
        if (kind == nullptr) {
            return "no fault";
        }
        return std::string(kind->name) + " call " + std::to_string(call) +
               (repeat == FaultRepeat::Once ? " fails once" : " fails from then on");
    }
};

unsigned long long EnvironmentNumber(const char* name, unsigned long long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

std::string ControlText(const GeneratedGameFolder& folder) {
    std::string control;
    for (const std::string& line : folder.gameControl) {
        control += line + "; ";
    }
    return control;
}

class LaunchUnderFaults : public ::testing::Test {
  protected:
    // Lays the folder out afresh, launches under the fault and returns the losses.
    std::vector<std::string> LaunchOnce(const GeneratedGameFolder& folder, const Fault& fault,
                                        unsigned counts[]) {
        LayOutGeneratedFolder(root_.path(), folder);
        const FolderSnapshot before = TakeSnapshot(root_.path());

        ResetFaults();
        if (fault.kind != nullptr) {
            ArmFault(fault.kind->kind, fault.call, fault.kind->errorNumber, fault.repeat);
        }
        const int status = LaunchIn(root_.path());
        for (const KindUnderTest& kind : kKinds) {
            counts[static_cast<unsigned>(kind.kind)] = FaultCallCount(kind.kind);
        }
        ResetFaults();

        std::vector<std::string> losses =
            FindLosses(before, TakeSnapshot(root_.path()),
                       ReadGameDumpTrace(root_.path(), folder.gameControl), StandInOutputs());
        if (status != 0) {
            losses.push_back("the launch returned " + std::to_string(status));
        }
        if (!losses.empty()) {
            std::ostringstream message;
            message << "seed " << folder.seed << " (replay with LAUNCHER_FAULT_SEED=" << folder.seed
                    << "), " << fault.Describe() << ", game "
                    << (folder.gamePath.empty() ? "missing"
                                                : "controlled by: " + ControlText(folder))
                    << "\nfolder before the launch:\n"
                    << DescribeSnapshot(before) << "losses:\n";
            for (const std::string& loss : losses) {
                message << "  " << loss << "\n";
            }
            ADD_FAILURE() << message.str();
        }
        return losses;
    }

    // Every fault of every kind at every call of the clean launch; false after a failure.
    bool CheckFolder(uint64_t seed) {
        const GeneratedGameFolder folder = GenerateGameFolder(seed);
        unsigned cleanCounts[static_cast<unsigned>(FaultKind::Count)] = {};
        if (!LaunchOnce(folder, Fault{}, cleanCounts).empty()) {
            return false;
        }
        for (const KindUnderTest& kind : kKinds) {
            const unsigned calls = cleanCounts[static_cast<unsigned>(kind.kind)];
            for (unsigned call = 1; call <= calls; ++call) {
                for (FaultRepeat repeat : {FaultRepeat::Once, FaultRepeat::FromThenOn}) {
                    unsigned counts[static_cast<unsigned>(FaultKind::Count)] = {};
                    if (!LaunchOnce(folder, Fault{&kind, call, repeat}, counts).empty()) {
                        return false;
                    }
                    ++launches_;
                }
            }
        }
        return true;
    }

    testing_support::TempFolder root_{"launch-faults"};
    unsigned long long launches_ = 0;
};

TEST_F(LaunchUnderFaults, NothingIsLostWhicheverCallFails) {
    const unsigned long long replay = EnvironmentNumber("LAUNCHER_FAULT_SEED", 0);
    if (replay != 0) {
        CheckFolder(replay);
        return;
    }
    const unsigned long long folders = EnvironmentNumber("LAUNCHER_FAULT_FOLDERS", 30);
    const unsigned long long firstSeed = EnvironmentNumber("LAUNCHER_FAULT_FIRST_SEED", 1);
    unsigned failures = 0;
    for (unsigned long long seed = firstSeed; seed < firstSeed + folders && failures < 3; ++seed) {
        if (!CheckFolder(seed)) {
            ++failures;
        }
    }
    std::printf("%llu folders, %llu launches under a fault\n", folders, launches_);
}

}  // namespace
