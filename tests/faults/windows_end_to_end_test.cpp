// The Windows build end to end under Wine, where its file operations meet what only Windows
// does: volumes held open for a moment or for good while the launcher parks them, and a backup of
// the engine's dump left over from an interrupted launch, which no rename or copy may replace.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>

#include "common/game_folder.h"
#include "faults/launch_in_folder.h"
#include "faults/wine_program.h"
#include "support/game_folder_tree.h"

namespace fs = std::filesystem;
using namespace fault_testing;
using testing_support::ReadFileText;
using testing_support::TempFolder;

namespace {

// The lines of a "key=value" file whose key is the one given.
std::vector<std::string> Values(const fs::path& file, const std::string& key) {
    std::vector<std::string> values;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "=", 0) == 0) {
            values.push_back(line.substr(key.size() + 1));
        }
    }
    return values;
}

class UnderWine : public ::testing::Test {
  protected:
    void SetUp() override {
        configuration_ = ReadTestConfiguration();
        wine_ = WineSetup::From(configuration_);
        ASSERT_FALSE(wine_.loader.empty() || configuration_["launcher"].empty() ||
                     configuration_["volume_holder"].empty() || configuration_["standin"].empty())
            << "the configuration in LAUNCHER_TEST_CONFIG names no Wine, launcher, holder or "
               "game";
    }

    // Puts the stand-in game where the launcher starts the game.
    void InstallGame() const {
        fs::create_directories((folder_.path() / GamePath()).parent_path());
        fs::copy_file(configuration_.at("standin"), folder_.path() / GamePath());
    }

    // Runs the volume holder under Wine in the game folder: it holds what matches pattern, starts
    // the launcher and lets go as trigger and hold say; its result lands in holderResult_.
    void RunHolder(const std::string& pattern, const std::string& trigger,
                   const std::string& hold) {
        const int status =
            RunUnderWine(wine_, folder_.path(),
                         {configuration_["volume_holder"], pattern, trigger, hold,
                          WindowsPathOf(holderResult_), WindowsPathOf(configuration_["launcher"])},
                         outputs_.path() / "wine-output.txt", 120);
        ASSERT_EQ(status, 0) << ReadFileText(outputs_.path() / "wine-output.txt")
                             << (fs::exists(holderResult_) ? ReadFileText(holderResult_) : "");
    }

    std::map<std::string, std::string> configuration_;
    WineSetup wine_;
    TempFolder folder_{"under-wine"};
    TempFolder outputs_{"under-wine-output"};
    const fs::path holderResult_ = outputs_.path() / "holder-result.txt";
};

// A helper holds "Data\b_held.mod" without FILE_SHARE_DELETE, starts the launcher, and lets
// go the given time after the sweep has parked the volume before it: a moment, or 0.8 s, as a
// scanner may hold a file that has just been written, within the second that the launcher
// waits for one held file. The volume must be parked before the game starts, not copied with
// the original left active.
class HeldForAMoment : public UnderWine, public ::testing::WithParamInterface<const char*> {};

TEST_P(HeldForAMoment, HeldVolumeIsParkedOnceTheHolderLetsGo) {
    const fs::path root = folder_.path();
    testing_support::WriteTree(root, {{"Data/a.mod", "A"},
                                      {"Data/b_held.mod", "held"},
                                      {std::string("Data/ModVdf/") + kModVolumeName, "T"}});
    InstallGame();
    ASSERT_NO_FATAL_FAILURE(RunHolder("Data\\b_held.mod", "Data\\a.mod", GetParam()));
    const fs::path& result = holderResult_;
    ASSERT_EQ(Values(result, "watched_gone"), std::vector<std::string>{"1"})
        << "the launcher never parked the volume before the held one";
    ASSERT_EQ(Values(result, "held_present_at_release"), std::vector<std::string>{"1"})
        << "the held volume left its place while it was held";
    EXPECT_EQ(Values(result, "launcher_exit"), std::vector<std::string>{"0"});

    // The game saw the mod's volume alone: the held one had been parked before it started.
    EXPECT_EQ(Values(root / "standin-report.txt", "active"),
              std::vector<std::string>{kModVolumeName})
        << "held for " << Values(result, "held_ms").at(0) << " ms after the sweep reached it";
    EXPECT_FALSE(fs::exists(root / "Data" / "b_held.mod"));
    ASSERT_TRUE(fs::exists(root / "Data" / "ModVdf" / "b_held.mod"));
    EXPECT_EQ(ReadFileText(root / "Data" / "ModVdf" / "b_held.mod"), "held");
}

INSTANTIATE_TEST_SUITE_P(HoldMilliseconds, HeldForAMoment, ::testing::Values("100", "800"),
                         [](const ::testing::TestParamInfo<const char*>& hold) {
                             return std::string("For") + hold.param + "ms";
                         });

// Every volume in "Data\" held for good, as a game still running or a stuck scanner holds them:
// the launcher waits its budget and goes on. No rename or delete of a held file can succeed, so
// each held volume stays in "Data\" as it was, with its copy parked beside the mod's volume;
// the game still starts, and the mod's own volume, which nothing holds, is parked again after
// the run.
TEST_F(UnderWine, VolumesHeldForGoodLoseNothingAndTheGameStarts) {
    const fs::path root = folder_.path();
    const std::vector<std::string> heldNames = {"a.mod", "b.mod", "c.mod"};
    testing_support::Tree tree = {{std::string("Data/ModVdf/") + kModVolumeName, "T"}};
    for (const std::string& name : heldNames) {
        tree.push_back({"Data/" + name, "volume " + name});
    }
    testing_support::WriteTree(root, tree);
    InstallGame();
    ASSERT_NO_FATAL_FAILURE(RunHolder("Data\\*.mod", "launch", "forever"));
    const fs::path& result = holderResult_;
    EXPECT_EQ(Values(result, "held_count"), std::vector<std::string>{"3"});
    EXPECT_EQ(Values(result, "launcher_exit"), std::vector<std::string>{"0"});

    std::vector<std::string> active = Values(root / "standin-report.txt", "active");
    std::sort(active.begin(), active.end());
    std::vector<std::string> expectedActive = heldNames;
    expectedActive.push_back(kModVolumeName);
    std::sort(expectedActive.begin(), expectedActive.end());
    EXPECT_EQ(active, expectedActive) << "the game ran with the held volumes and the mod's";

    for (const std::string& name : heldNames) {
        EXPECT_EQ(ReadFileText(root / "Data" / name), "volume " + name);
        EXPECT_EQ(ReadFileText(root / "Data" / "ModVdf" / name), "volume " + name);
    }
    EXPECT_FALSE(fs::exists(root / "Data" / kModVolumeName));
    EXPECT_EQ(ReadFileText(root / "Data" / "ModVdf" / kModVolumeName), "T");
}

// The phase after the game has a wait budget of its own. The volumes are held from before the
// launch until 0.3 s after the game has ended: the phase before the game spends its whole
// budget on them and starts the game with them active, and the final sweep, meeting them still
// held, waits again and parks them once they are let go.
TEST_F(UnderWine, PhaseAfterTheGameWaitsAgainForHeldVolumes) {
    const fs::path root = folder_.path();
    testing_support::WriteTree(root, {{"Data/a.mod", "A"},
                                      {"Data/b.mod", "B"},
                                      {std::string("Data/ModVdf/") + kModVolumeName, "T"}});
    InstallGame();
    ASSERT_NO_FATAL_FAILURE(RunHolder("Data\\*.mod", "+standin-end.txt", "300"));
    const fs::path& result = holderResult_;
    ASSERT_EQ(Values(result, "watched_gone"), std::vector<std::string>{"1"})
        << "the game never ended";
    ASSERT_EQ(Values(result, "held_present_at_release"), std::vector<std::string>{"1"})
        << "a held volume left its place while it was held";
    EXPECT_EQ(Values(result, "launcher_exit"), std::vector<std::string>{"0"});

    std::vector<std::string> active = Values(root / "standin-report.txt", "active");
    std::sort(active.begin(), active.end());
    EXPECT_EQ(active, (std::vector<std::string>{"a.mod", "b.mod", kModVolumeName}))
        << "the volumes were held through the phase before the game";
    EXPECT_EQ(testing_support::ReadTree(root / "Data", {}),
              (std::map<std::string, std::string>{{"ModVdf/", ""},
                                                  {"ModVdf/a.mod", "A"},
                                                  {"ModVdf/b.mod", "B"},
                                                  {std::string("ModVdf/") + kModVolumeName, "T"}}));
}

// With a backup left over from an interrupted launch, a per-mod dump and the interrupted run's
// dump in "VDFS.DMP": the leftover backup, which holds the engine's dump, is never replaced; the
// interrupted run's dump makes way for the per-mod dump, the game runs with that, and the
// leftover backup comes back as "VDFS.DMP".
TEST_F(UnderWine, LeftoverBackupIsKeptWhileTheModDumpIsSwappedIn) {
    const fs::path root = folder_.path();
    std::string settings = kSettingsFile;
    std::replace(settings.begin(), settings.end(), '\\', '/');
    testing_support::WriteTree(root, {{kEngineDump, "interrupted run"},
                                      {kEngineDumpBackup, "engine"},
                                      {kModDump, "mod"},
                                      {settings, "[INTERNAL]\r\ngameAbnormalExit=0\r\n"}});
    InstallGame();

    ASSERT_EQ(RunUnderWine(wine_, root, {configuration_["launcher"]},
                           outputs_.path() / "wine-output.txt", 120),
              0);

    EXPECT_EQ(Values(root / "standin-report.txt", "dump"), std::vector<std::string>{"mod"});
    EXPECT_EQ(ReadFileText(root / kEngineDump), "engine");
    EXPECT_FALSE(fs::exists(root / kEngineDumpBackup));
    EXPECT_EQ(ReadFileText(root / kModDump), "mod");
}

// A large parked volume held open without FILE_SHARE_DELETE cannot be renamed, so the launcher
// copies it into "Data\"; a helper (copy_killer, built beside the volume holder) kills the
// launcher as soon as the copy's file appears there. No file of the wrong size may stand under the
// volume's name then (the next launch would park it over the only good copy), and the next launch
// ends with the volume whole and parked, and nothing else left behind.
TEST_F(UnderWine, LaunchKilledDuringAVolumeCopyLosesNothing) {
    const fs::path root = folder_.path();
    std::string volume(256u << 20, '\0');
    for (size_t block = 0; block < volume.size(); block += 4096) {
        const std::string stamp = "block " + std::to_string(block / 4096) + " ";
        volume.replace(block, stamp.size(), stamp);
    }
    const std::string parked = std::string("Data/ModVdf/") + kModVolumeName;
    testing_support::WriteTree(root, {{"Data/ModVdf/", ""}, {parked, volume}});
    InstallGame();

    const fs::path result = outputs_.path() / "holder-result.txt";
    const std::string watched = std::string("Data\\*") + kModVolumeName + "*";
    ASSERT_EQ(
        RunUnderWine(
            wine_, root,
            {(fs::path(configuration_["volume_holder"]).parent_path() / "copy_killer.exe").string(),
             std::string("Data\\ModVdf\\") + kModVolumeName, watched, WindowsPathOf(result),
             WindowsPathOf(configuration_["launcher"])},
            outputs_.path() / "wine-output.txt", 120),
        0)
        << ReadFileText(outputs_.path() / "wine-output.txt")
        << (fs::exists(result) ? ReadFileText(result) : "");
    ASSERT_EQ(Values(result, "launcher_exit"), std::vector<std::string>{"9"})
        << "the launcher was not killed during its copy: " << ReadFileText(result);
    ASSERT_EQ(fs::file_size(root / parked), volume.size());
    const fs::path active = root / "Data" / kModVolumeName;
    if (fs::exists(active)) {
        EXPECT_EQ(fs::file_size(active), volume.size())
            << "a partly copied volume stands under its name";
    }
    // The copy was cut off: what it had written lies under a temporary name.
    std::vector<std::string> leftovers;
    for (const auto& entry : fs::directory_iterator(root / "Data")) {
        if (entry.is_regular_file() && entry.path().filename() != kModVolumeName) {
            leftovers.push_back(entry.path().filename().string());
        }
    }
    EXPECT_EQ(leftovers.size(), 1u)
        << "the kill did not strike during the copy (saw " << Values(result, "seen").at(0) << ")";

    ASSERT_EQ(RunUnderWine(wine_, root, {configuration_["launcher"]},
                           outputs_.path() / "wine-output.txt", 120),
              0);
    EXPECT_EQ(Values(root / "standin-report.txt", "active"),
              std::vector<std::string>{kModVolumeName});
    EXPECT_TRUE(ReadFileText(root / parked) == volume) << "the parked volume is not whole";
    std::vector<std::string> dataEntries;
    for (const auto& entry : fs::directory_iterator(root / "Data")) {
        dataEntries.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(dataEntries, std::vector<std::string>{"ModVdf"});
    std::vector<std::string> parkedEntries;
    for (const auto& entry : fs::directory_iterator(root / "Data" / "ModVdf")) {
        parkedEntries.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(parkedEntries, std::vector<std::string>{kModVolumeName});
}

}  // namespace
