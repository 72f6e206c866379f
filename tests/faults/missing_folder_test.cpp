// Game folders without "Data\" or without "system\": every other step of the launch still
// happens, neither folder is created, and nothing else is lost. (A missing park folder and a
// folder with nothing at all are rows of the scenario table.)
#include <gtest/gtest.h>

#include <string>

#include "faults/launch_in_folder.h"
#include "faults/nothing_lost.h"
#include "support/game_folder_tree.h"

namespace fs = std::filesystem;
using namespace fault_testing;
using testing_support::TempFolder;
using testing_support::Tree;

namespace {

struct MissingFolderCase {
    std::string name;
    Tree before;
    bool gameInstalled;
    FolderSnapshot after;  // Less the game's own files.
};

void PrintTo(const MissingFolderCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

std::vector<MissingFolderCase> MissingFolderCases() {
    return {
        // The dump swap and both profile files work as ever; no "Data\" comes into being.
        {"NoDataFolder",
         {{"VDFS.DMP", "engine"},
          {"{dump}", "mod"},
          {"system/HADRIN.INI",
           "[GAME]\r\nsubTitlesNoise=0\r\n[INTERNAL]\r\ngameAbnormalExit=1\r\n"}},
         true,
         {{"VDFS.DMP", "engine"},
          {"{dump}", "mod"},
          {"system/", ""},
          {"system/HADRIN.INI",
           "[GAME]\r\nsubTitlesNoise=0\r\n[INTERNAL]\r\ngameAbnormalExit=0\r\n"},
          {"system/{definition}", "[FILES]\r\nVDF=!<invalid>\r\n"}}},
        // No settings file can be written and no game started: the volumes are parked, and
        // the abnormal-exit mark, which could not be written, reads as an abnormal end, so the
        // per-mod dump is used up and the engine's dump comes back.
        {"NoSystemFolder",
         {{"Data/a.mod", "A"},
          {"Data/ModVdf/{volume}", "T"},
          {"VDFS.DMP", "engine"},
          {"{dump}", "mod"}},
         false,
         {{"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/a.mod", "A"},
          {"Data/ModVdf/{volume}", "T"},
          {"VDFS.DMP", "engine"}}},
    };
}

class MissingFolder : public ::testing::TestWithParam<MissingFolderCase> {};

TEST_P(MissingFolder, EveryOtherStepStillHappens) {
    const MissingFolderCase& testCase = GetParam();
    TempFolder folder("missing-folder");
    const fs::path root = folder.path();
    testing_support::WriteTree(root, WithIdentity(testCase.before));
    if (testCase.gameInstalled) {
        InstallGameLink(root, GamePath(), FAULT_STANDIN_GAME);
    }
    const FolderSnapshot before = TakeSnapshot(root);

    EXPECT_EQ(LaunchIn(root), 0);

    EXPECT_EQ(fs::exists(root / "standin-report.txt"), testCase.gameInstalled);
    FolderSnapshot after = TakeSnapshot(root);
    for (const std::string& loss :
         FindLosses(before, after, ReadGameDumpTrace(root, {}), StandInOutputs())) {
        ADD_FAILURE() << loss;
    }
    for (const std::string& output : StandInOutputs()) {
        after.erase(output);
    }
    EXPECT_EQ(DescribeDifferences(WithIdentity(testCase.after), after), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, MissingFolder, ::testing::ValuesIn(MissingFolderCases()),
                         [](const auto& testInfo) { return testInfo.param.name; });

}  // namespace
