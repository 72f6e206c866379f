// The fault seam: the chosen call of a kind fails once or from then on, with the chosen errno,
// and every failure path leaves the files as the contracts promise.
#include <errno.h>

#include <string>

#include "platform/fault_seam.h"
#include "platform/platform.h"
#include "platform_test_folder.h"

namespace {

using FaultSeam = PlatformTestFolder;

TEST_F(FaultSeam, NthCallFailsOnce) {
    for (const char* name : {"a", "b", "c"}) {
        WriteFile(name, "x");
    }
    ArmFault(FaultKind::Delete, 2, EACCES, FaultRepeat::Once);
    EXPECT_TRUE(RemoveFile("a"));
    errno = 0;
    EXPECT_FALSE(RemoveFile("b"));
    EXPECT_EQ(errno, EACCES);
    EXPECT_TRUE(RemoveFile("c"));
    EXPECT_TRUE(RemoveFile("b"));
    EXPECT_EQ(Names("."), std::vector<std::string>{});
    EXPECT_EQ(FaultCallCount(FaultKind::Delete), 4u);
}

TEST_F(FaultSeam, NthCallFailsFromThenOn) {
    WriteFile("a", "x");
    ArmFault(FaultKind::PathExists, 2, EIO, FaultRepeat::FromThenOn);
    EXPECT_TRUE(PathExists("a"));
    EXPECT_FALSE(PathExists("a"));
    EXPECT_FALSE(PathExists("a"));
    ResetFaults();
    EXPECT_EQ(FaultCallCount(FaultKind::PathExists), 0u);
    EXPECT_TRUE(PathExists("a"));
}

TEST_F(FaultSeam, KindsAreCountedApart) {
    WriteFile("a", "x");
    ArmFault(FaultKind::Rename, 1, EXDEV, FaultRepeat::Once);
    EXPECT_TRUE(CopyFileReplacing("a", "b"));
    EXPECT_TRUE(PathExists("b"));
    EXPECT_FALSE(RenameReplacing("b", "c"));
    EXPECT_EQ(FaultCallCount(FaultKind::Copy), 1u);
    EXPECT_EQ(FaultCallCount(FaultKind::PathExists), 1u);
    EXPECT_EQ(FaultCallCount(FaultKind::Rename), 1u);
    EXPECT_EQ(FaultCallCount(FaultKind::Delete), 0u);
}

TEST_F(FaultSeam, FailedCopyLeavesTargetAndNoTemporaryFile) {
    WriteFile("source", "new content");
    WriteFile("target", "old");
    ArmFault(FaultKind::Copy, 1, ENOSPC, FaultRepeat::Once);
    errno = 0;
    EXPECT_FALSE(CopyFileReplacing("source", "target"));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(ReadFile("target"), "old");
    EXPECT_EQ(Names("."), (std::vector<std::string>{"source", "target"}));
}

TEST_F(FaultSeam, MoveWhoseCopyFailsKeepsSource) {
    MakeFolder("Data/ModVdf");
    WriteFile("Data/a.mod", "volume");
    ArmFault(FaultKind::Copy, 1, ENOSPC, FaultRepeat::Once);
    EXPECT_FALSE(MoveByCopy("Data\\a.mod", "Data\\ModVdf\\a.mod"));
    EXPECT_EQ(ReadFile("Data/a.mod"), "volume");
    EXPECT_TRUE(Names("Data/ModVdf").empty());
}

TEST_F(FaultSeam, RenameThatFailsFallsBackToCopy) {
    MakeFolder("Data/ModVdf");
    WriteFile("Data/a.mod", "volume");
    ArmFault(FaultKind::Rename, 1, EXDEV, FaultRepeat::Once);
    EXPECT_TRUE(MoveByRenameOrCopy("Data\\a.mod", "Data\\ModVdf\\a.mod"));
    EXPECT_EQ(ReadFile("Data/ModVdf/a.mod"), "volume");
    EXPECT_FALSE(Exists("Data/a.mod"));
}

TEST_F(FaultSeam, FailedProfileWriteLeavesFileAndNoTemporaryFile) {
    MakeFolder("system");
    WriteFile("system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=0\r\n");
    ArmFault(FaultKind::ProfileWrite, 1, ENOSPC, FaultRepeat::Once);
    EXPECT_FALSE(WriteProfileValue("GAME", "subTitlesNoise", "1", "system\\HADRIN.INI"));
    EXPECT_EQ(ReadFile("system/HADRIN.INI"), "[GAME]\r\nsubTitlesNoise=0\r\n");
    EXPECT_EQ(Names("system"), std::vector<std::string>{"HADRIN.INI"});
    // A write that finds the value already stored changes nothing and cannot fail.
    ArmFault(FaultKind::ProfileWrite, 1, ENOSPC, FaultRepeat::FromThenOn);
    EXPECT_TRUE(WriteProfileValue("GAME", "subTitlesNoise", "0", "system\\HADRIN.INI"));
}

TEST_F(FaultSeam, FailedEnumerationVisitsNothing) {
    WriteFile("a.mod", "x");
    ArmFault(FaultKind::Enumeration, 1, EIO, FaultRepeat::Once);
    int visits = 0;
    auto count = [](const char*, bool, void* context) { ++*static_cast<int*>(context); };
    EXPECT_FALSE(VisitMatchingEntries("*.mod", count, &visits));
    EXPECT_EQ(visits, 0);
    EXPECT_TRUE(VisitMatchingEntries("*.mod", count, &visits));
    EXPECT_EQ(visits, 1);
}

TEST_F(FaultSeam, FailedProcessStartRunsNothing) {
    ArmFault(FaultKind::ProcessStart, 1, ENOENT, FaultRepeat::Once);
    std::string line = "sh -c \"echo ran > out.txt\"";
    EXPECT_FALSE(RunProcessAndWait(line.data()));
    EXPECT_FALSE(Exists("out.txt"));
    EXPECT_TRUE(RunProcessAndWait(line.data()));
    EXPECT_TRUE(Exists("out.txt"));
}

TEST_F(FaultSeam, HeldPathCanBeCopiedButNeitherRenamedNorDeleted) {
    WriteFile("held", "H");
    WriteFile("other", "O");
    HoldPath("HELD", EBUSY);
    errno = 0;
    EXPECT_FALSE(RenameReplacing("held", "moved"));
    EXPECT_EQ(errno, EBUSY);
    EXPECT_FALSE(RenameReplacing("other", "held"));
    EXPECT_FALSE(RenameWithoutReplacing("held", "moved"));
    EXPECT_FALSE(RemoveFile("held"));
    EXPECT_TRUE(CopyFileReplacing("held", "copy"));
    EXPECT_TRUE(RenameReplacing("copy", "moved"));
    EXPECT_EQ(Names("."), (std::vector<std::string>{"held", "moved", "other"}));
    ResetFaults();
    EXPECT_TRUE(RemoveFile("held"));
}

}  // namespace
