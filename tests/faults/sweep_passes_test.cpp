// The sweep's further passes: a listing of "Data\" that leaves out an entry while the sweep
// moves others (the fault seam drops one matching entry from one listing) still ends with every
// volume parked, and the sweep lists the folder again only while a pass moved something, three
// times at most.
#include <errno.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "faults/working_folder.h"
#include "platform/fault_seam.h"
#include "staging/volume_staging.h"
#include "support/game_folder_tree.h"

namespace fs = std::filesystem;
using testing_support::ReadTree;
using testing_support::WriteTree;

namespace {

class SweepPasses : public ::testing::Test {
  protected:
    fault_testing::WorkingFolder root_{"sweep-passes"};
};

using Files = std::map<std::string, std::string>;

const Files kThreeParked = {{"Data/", ""},
                            {"Data/ModVdf/", ""},
                            {"Data/ModVdf/a.mod", "A"},
                            {"Data/ModVdf/b.mod", "B"},
                            {"Data/ModVdf/c.mod", "C"}};

// Whichever entry the first listing leaves out, the next pass parks it, and a third finds the
// folder empty of volumes and ends the sweep.
TEST_F(SweepPasses, EntryLeftOutOfTheListingIsParkedByTheNextPass) {
    for (unsigned leftOut = 1; leftOut <= 3; ++leftOut) {
        WriteTree(
            root_.path(),
            {{"Data/a.mod", "A"}, {"Data/b.mod", "B"}, {"Data/c.mod", "C"}, {"Data/ModVdf/", ""}});
        ResetFaults();
        ArmFault(FaultKind::ListedEntry, leftOut, 0, FaultRepeat::Once);

        ParkModVolumes();

        EXPECT_EQ(ReadTree(root_.path()), kThreeParked) << "listed entry " << leftOut;
        EXPECT_EQ(FaultCallCount(FaultKind::Enumeration), 3u) << "listed entry " << leftOut;
        fs::remove_all(root_.path() / "Data");
    }
}

// Without a park folder nothing can move: the first pass changes nothing and is the only one.
// A folder without volumes takes one listing too.
TEST_F(SweepPasses, PassThatMovesNothingIsTheLast) {
    const Files cantMove = {{"Data/", ""}, {"Data/a.mod", "A"}, {"Data/b.mod", "B"}};
    WriteTree(root_.path(), {{"Data/a.mod", "A"}, {"Data/b.mod", "B"}});
    ParkModVolumes();
    EXPECT_EQ(ReadTree(root_.path()), cantMove);
    EXPECT_EQ(FaultCallCount(FaultKind::Enumeration), 1u);

    fs::remove_all(root_.path() / "Data");
    WriteTree(root_.path(), {{"Data/ModVdf/", ""}, {"Data/game.vdf", "G"}});
    ResetFaults();
    ParkModVolumes();
    EXPECT_EQ(FaultCallCount(FaultKind::Enumeration), 1u);
}

// A volume that is copied but whose source cannot be deleted (held, denied) stays in "Data\":
// the pass changed the folder's listing in nothing, so it is not copied again.
TEST_F(SweepPasses, CopyWhoseSourceStaysIsNotRepeated) {
    WriteTree(root_.path(), {{"Data/a.mod", "A"}, {"Data/ModVdf/", ""}});
    ArmFault(FaultKind::Rename, 1, EXDEV, FaultRepeat::FromThenOn);
    ArmFault(FaultKind::Delete, 1, EACCES, FaultRepeat::FromThenOn);

    ParkModVolumes();

    EXPECT_EQ(
        ReadTree(root_.path()),
        (Files{
            {"Data/", ""}, {"Data/a.mod", "A"}, {"Data/ModVdf/", ""}, {"Data/ModVdf/a.mod", "A"}}));
    EXPECT_EQ(FaultCallCount(FaultKind::Enumeration), 1u);
    EXPECT_EQ(FaultCallCount(FaultKind::Copy), 1u);
}

// When another volume moved, the next pass meets the one whose source stayed again, its copy
// parked: a rename over the copy parks it once its holder has let go, and it is not copied a
// second time.
TEST_F(SweepPasses, NextPassRenamesOverTheCopyOfASourceThatStayed) {
    WriteTree(root_.path(), {{"Data/a.mod", "A"}, {"Data/b.mod", "B"}, {"Data/ModVdf/", ""}});
    ArmFault(FaultKind::Rename, 1, EXDEV, FaultRepeat::Once);
    ArmFault(FaultKind::Delete, 1, EACCES, FaultRepeat::Once);

    ParkModVolumes();

    EXPECT_EQ(ReadTree(root_.path()), (Files{{"Data/", ""},
                                             {"Data/ModVdf/", ""},
                                             {"Data/ModVdf/a.mod", "A"},
                                             {"Data/ModVdf/b.mod", "B"}}));
    EXPECT_EQ(FaultCallCount(FaultKind::Copy), 1u);
    EXPECT_EQ(FaultCallCount(FaultKind::Enumeration), 3u);
}

// A folder that seems to change on every pass (each move seems to take its source away, though
// the deletes fail) is listed three times, no more, and loses nothing.
TEST_F(SweepPasses, FolderThatNeverSettlesIsSweptThreeTimes) {
    WriteTree(root_.path(), {{"Data/a.mod", "A"}, {"Data/ModVdf/", ""}});
    ArmFault(FaultKind::Rename, 1, EXDEV, FaultRepeat::FromThenOn);
    ArmFault(FaultKind::Delete, 1, EACCES, FaultRepeat::FromThenOn);
    ArmFault(FaultKind::PathExists, 1, EACCES, FaultRepeat::FromThenOn);

    ParkModVolumes();

    EXPECT_EQ(FaultCallCount(FaultKind::Enumeration), 3u);
    EXPECT_EQ(
        ReadTree(root_.path()),
        (Files{
            {"Data/", ""}, {"Data/a.mod", "A"}, {"Data/ModVdf/", ""}, {"Data/ModVdf/a.mod", "A"}}));
}

}  // namespace
