// Files and folders that no one may change, without the seam: an immutable volume, mod volume,
// settings file, "system" folder or engine dump on the real disk (the flag that chattr +i
// sets; memory file systems do not have it). Every move, copy over and write that meets one
// fails; nothing may be lost, no file may be left half written, no temporary file may remain,
// and the game is started all the same. Needs root (as in CI); skipped elsewhere.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "faults/launch_in_folder.h"
#include "faults/nothing_lost.h"
#include "support/game_folder_tree.h"
#include "support/immutable_flag.h"

namespace fs = std::filesystem;
using namespace fault_testing;
using testing_support::SetImmutable;
using testing_support::TempFolder;
using testing_support::Tree;

namespace {

// Clears the flag of every path it was given before the folder holding them is removed.
class ImmutablePaths {
  public:
    ~ImmutablePaths() {
        for (const fs::path& path : paths_) {
            SetImmutable(path.c_str(), false);
        }
    }
    bool Add(const fs::path& path) {
        paths_.push_back(path);
        return SetImmutable(path.c_str(), true);
    }

  private:
    std::vector<fs::path> paths_;
};

struct ImmutableCase {
    std::string name;
    Tree before;
    std::vector<std::string> immutable;
    FolderSnapshot after;  // Less the game's own files.
};

void PrintTo(const ImmutableCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

const std::string kSettings =
    "[GAME]\r\nsubTitlesNoise=0\r\n[INTERNAL]\r\ngameAbnormalExit=0\r\n[VIDEO]\r\nwidth=800\r\n";
const std::string kDefinition = "[INFO]\r\ntitle=Talvero\r\n[FILES]\r\nVDF=!<invalid>\r\n";

std::vector<ImmutableCase> ImmutableCases() {
    return {
        // A volume that cannot be moved is copied to the park folder and stays where it was.
        {"ActiveVolumeIsCopiedAndStays",
         {{"Data/a.mod", "A"},
          {"Data/ModVdf/", ""},
          {"system/HADRIN.INI", kSettings},
          {"system/{definition}", kDefinition}},
         {"Data/a.mod"},
         {{"Data/", ""},
          {"Data/a.mod", "A"},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/a.mod", "A"},
          {"system/", ""},
          {"system/HADRIN.INI", kSettings},
          {"system/{definition}", kDefinition}}},
        // The mod's volume is copied into "Data\" for the run; the copy cannot be parked over
        // the immutable one afterwards and stays active, with the same bytes.
        {"ParkedModVolumeIsCopiedForTheRun",
         {{"Data/ModVdf/{volume}", "T"},
          {"system/HADRIN.INI", kSettings},
          {"system/{definition}", kDefinition}},
         {"Data/ModVdf/{volume}"},
         {{"Data/", ""},
          {"Data/{volume}", "T"},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/{volume}", "T"},
          {"system/", ""},
          {"system/HADRIN.INI", kSettings},
          {"system/{definition}", kDefinition}}},
        {"SettingsFileIsLeftAsItWas",
         {{"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=2\r\n"},
          {"system/{definition}", kDefinition}},
         {"system/HADRIN.INI"},
         {{"system/", ""},
          {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=2\r\n"},
          {"system/{definition}", kDefinition}}},
        // No file can be created in the folder, so no profile write can even begin.
        {"SystemFolderKeepsBothProfiles",
         {{"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=2\r\n"},
          {"system/{definition}", "[FILES]\r\nVDF=old.mod\r\n"}},
         {"system"},
         {{"system/", ""},
          {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=2\r\n"},
          {"system/{definition}", "[FILES]\r\nVDF=old.mod\r\n"}}},
        // The engine's dump can be copied but neither moved nor replaced: it is set aside as a
        // copy, the mod's dump cannot take its place and stays, and so does the backup.
        {"EngineDumpStaysWhileTheModDumpIsKept",
         {{"VDFS.DMP", "engine"},
          {"{dump}", "mod"},
          {"system/HADRIN.INI", kSettings},
          {"system/{definition}", kDefinition}},
         {"VDFS.DMP"},
         {{"VDFS.DMP", "engine"},
          {"VDFS.DMP.old", "engine"},
          {"{dump}", "mod"},
          {"system/", ""},
          {"system/HADRIN.INI", kSettings},
          {"system/{definition}", kDefinition}}},
    };
}

class ImmutableFile : public ::testing::TestWithParam<ImmutableCase> {
  protected:
    void SetUp() override {
        const fs::path probe = root_.path() / "probe";
        testing_support::WriteFileText(probe, "");
        if (!SetImmutable(probe.c_str(), true)) {
            const int error = errno;
            GTEST_SKIP() << "no file can be made immutable in " << root_.path() << " ("
                         << std::strerror(error) << "): "
                         << (error == EPERM ? "that needs root or CAP_LINUX_IMMUTABLE"
                                            : "its file system has no immutable flag");
        }
        SetImmutable(probe.c_str(), false);
        fs::remove(probe);
    }

    TempFolder root_{"immutable"};
    ImmutablePaths immutable_;
};

TEST_P(ImmutableFile, NothingIsLostAndTheGameStillRuns) {
    const ImmutableCase& testCase = GetParam();
    const fs::path game = root_.path();
    testing_support::WriteTree(game, WithIdentity(testCase.before));
    InstallGameLink(game, GamePath(), FAULT_STANDIN_GAME);
    for (const std::string& path : testCase.immutable) {
        ASSERT_TRUE(immutable_.Add(game / WithIdentity(path)))
            << path << ": " << std::strerror(errno);
    }
    const FolderSnapshot before = TakeSnapshot(game);

    EXPECT_EQ(LaunchIn(game), 0);

    EXPECT_TRUE(fs::exists(game / "standin-report.txt")) << "the game did not run";
    FolderSnapshot after = TakeSnapshot(game);
    for (const std::string& loss :
         FindLosses(before, after, ReadGameDumpTrace(game, {}), StandInOutputs())) {
        ADD_FAILURE() << loss;
    }
    for (const std::string& output : StandInOutputs()) {
        after.erase(output);
    }
    EXPECT_EQ(DescribeDifferences(WithIdentity(testCase.after), after), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, ImmutableFile, ::testing::ValuesIn(ImmutableCases()),
                         [](const auto& testInfo) { return testInfo.param.name; });

}  // namespace
