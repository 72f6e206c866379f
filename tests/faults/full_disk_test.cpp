// Real full disks, without the seam: the game folder on a file system that is full to the last
// byte, and a park folder on another file system too small for every volume, so that moves
// become copies that fail half-way. Nothing may be lost, no file may be left half written, and
// no temporary file may remain. Needs a small tmpfs, so root (as in CI); skipped elsewhere.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "faults/launch_in_folder.h"
#include "faults/nothing_lost.h"
#include "faults/small_disk.h"
#include "support/game_folder_tree.h"

namespace fs = std::filesystem;
using namespace fault_testing;
using testing_support::TempFolder;
using testing_support::Tree;

namespace {

// The snapshot of a folder less the files a test put there to fill its disk.
FolderSnapshot SnapshotWithout(const fs::path& root, const std::string& ignored) {
    FolderSnapshot snapshot = TakeSnapshot(root);
    snapshot.erase(ignored);
    return snapshot;
}

void ExpectNothingLost(const FolderSnapshot& before, const FolderSnapshot& after) {
    for (const std::string& loss : FindLosses(before, after, {}, {})) {
        ADD_FAILURE() << loss;
    }
}

class OnASmallDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        if (!SmallDisk::CanMount(&why)) {
            GTEST_SKIP() << "a full disk cannot be made here: " << why;
        }
    }

    TempFolder root_{"small-disk"};
};

struct FullDiskCase {
    std::string name;
    Tree before;
    FolderSnapshot after;  // Less the filler and the game.
};

void PrintTo(const FullDiskCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

const std::string kSettings =
    "[GAME]\r\nsubTitlesNoise=0\r\n[INTERNAL]\r\ngameAbnormalExit=1\r\n[VIDEO]\r\nwidth=800\r\n";
const std::string kCleanSettings =
    "[GAME]\r\nsubTitlesNoise=1\r\n[INTERNAL]\r\ngameAbnormalExit=0\r\n";
const std::string kDefinition = "[INFO]\r\ntitle=Talvero\r\n[FILES]\r\nVDF=!<invalid>\r\n";

std::vector<FullDiskCase> FullDiskCases() {
    return {
        // A rename needs no free space: the volumes are parked and activated all the same,
        // while every profile write fails and leaves its file as it was.
        {"VolumesMoveWhileProfilesStayAsTheyWere",
         {{"Data/a.mod", "A"},
          {"Data/ModVdf/b.mod", "B"},
          {"Data/ModVdf/{volume}", "T"},
          {"system/HADRIN.INI", kSettings},
          {"system/{definition}", kDefinition}},
         {{"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/a.mod", "A"},
          {"Data/ModVdf/b.mod", "B"},
          {"Data/ModVdf/{volume}", "T"},
          {"system/", ""},
          {"system/HADRIN.INI", kSettings},
          {"system/{definition}", kDefinition}}},
        // The dump swap is made of renames too, so it goes there and back on a full disk.
        {"ModDumpIsSwappedInAndOutByRenames",
         {{"VDFS.DMP", "engine"}, {"{dump}", "mod"}, {"system/HADRIN.INI", kCleanSettings}},
         {{"VDFS.DMP", "engine"},
          {"{dump}", "mod"},
          {"system/", ""},
          {"system/HADRIN.INI", kCleanSettings}}},
        // After a clean run without a per-mod dump, the dump is saved by a copy, which has no
        // room: no per-mod dump comes into being, not even a partial one.
        {"ModDumpCannotBeSavedWithoutRoom",
         {{"VDFS.DMP", std::string(20000, 'e')}, {"system/HADRIN.INI", kCleanSettings}},
         {{"VDFS.DMP", std::string(20000, 'e')},
          {"system/", ""},
          {"system/HADRIN.INI", kCleanSettings}}},
        {"MissingProfilesAreNotCreated", {{"system/", ""}}, {{"system/", ""}}},
    };
}

class GameFolderOnAFullDisk : public OnASmallDisk,
                              public ::testing::WithParamInterface<FullDiskCase> {};

TEST_P(GameFolderOnAFullDisk, NothingIsLostOrHalfWritten) {
    const FullDiskCase& testCase = GetParam();
    const fs::path game = root_.path() / "game";
    fs::create_directory(game);
    SmallDisk disk(game, 512 * 1024);
    testing_support::WriteTree(game, WithIdentity(testCase.before));
    InstallGameLink(game, GamePath(), "/bin/true");
    SmallDisk::FillUp(game / "filler");
    const FolderSnapshot before = SnapshotWithout(game, "filler");

    EXPECT_EQ(LaunchIn(game), 0);

    const FolderSnapshot after = SnapshotWithout(game, "filler");
    EXPECT_EQ(DescribeDifferences(WithIdentity(testCase.after), after), "");
    ExpectNothingLost(before, after);
}

INSTANTIATE_TEST_SUITE_P(Cases, GameFolderOnAFullDisk, ::testing::ValuesIn(FullDiskCases()),
                         [](const auto& testInfo) { return testInfo.param.name; });

// The park folder on another file system: every park is a copy, and the disk holds only some
// of the volumes. 64 pages of 4 KiB: "a" and "b" take 25 each, the mod's volume 3; "c" finds
// 11 free and fails half-way, the volume with the longest name that still parks (247
// characters) takes 1. The mod's volume is copied out for the run, which frees its 3; "c" still
// does not fit after the run, the mod's volume does. A name of 255 characters, the most Linux
// allows, is too long to park at all and stays.
TEST_F(OnASmallDisk, ParkFolderOnAnotherDiskTooSmallForEveryVolume) {
    const std::string longest = std::string(243, 'l') + ".mod";
    const std::string tooLong = std::string(251, 'z') + ".mod";
    const std::string volume(100 * 1024, 'v');
    const fs::path game = root_.path() / "game";
    fs::create_directories(game / "Data" / "ModVdf");
    SmallDisk disk(game / "Data" / "ModVdf", 256 * 1024);
    testing_support::WriteTree(game, WithIdentity(testing_support::Tree{
                                         {"Data/a.mod", "a" + volume},
                                         {"Data/b.mod", "b" + volume},
                                         {"Data/c.mod", "c" + volume},
                                         {"Data/" + longest, "longest"},
                                         {"Data/" + tooLong, "too long"},
                                         {"Data/ModVdf/{volume}", std::string(10 * 1024, 't')}}));
    const FolderSnapshot before = TakeSnapshot(game);

    EXPECT_EQ(LaunchIn(game), 0);

    const FolderSnapshot after = TakeSnapshot(game);
    const FolderSnapshot expected =
        WithIdentity(FolderSnapshot{{"Data/", ""},
                                    {"Data/ModVdf/", ""},
                                    {"Data/ModVdf/a.mod", "a" + volume},
                                    {"Data/ModVdf/b.mod", "b" + volume},
                                    {"Data/c.mod", "c" + volume},
                                    {"Data/ModVdf/" + longest, "longest"},
                                    {"Data/" + tooLong, "too long"},
                                    {"Data/ModVdf/{volume}", std::string(10 * 1024, 't')}});
    EXPECT_EQ(DescribeDifferences(expected, after), "");
    ExpectNothingLost(before, after);
}

// A name of 300 characters cannot exist on Linux (NAME_MAX is 255) nor on NTFS (255 UTF-16
// units), so no game folder can hold such a volume; the longest that can is tested above.
TEST(VolumeNames, LongerThanTheSystemAllowsCannotExist) {
    TempFolder root("long-name");
    const fs::path path = root.path() / (std::string(296, 'x') + ".mod");
    errno = 0;
    EXPECT_LT(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644), 0);
    EXPECT_EQ(errno, ENAMETOOLONG);
}

}  // namespace
