// The copy and the rename that never replace a target, on which the dump swap relies to keep a
// backup left over from an interrupted launch: where anything exists at the target, in any
// letter case, they fail and change nothing; elsewhere they copy or rename, and a failing copy
// leaves no temporary file.
#include <errno.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "faults/working_folder.h"
#include "platform/fault_seam.h"
#include "platform/platform.h"
#include "support/game_folder_tree.h"

namespace fs = std::filesystem;
using testing_support::ReadFileText;
using testing_support::TempFolder;
using testing_support::WriteTree;

namespace {

struct Operation {
    const char* name;
    bool (*run)(const char* source, const char* target);
    bool keepsSource;
};

const Operation kOperations[] = {{"copy", CopyFileWithoutReplacing, true},
                                 {"rename", RenameWithoutReplacing, false}};

class WithoutReplacing : public ::testing::TestWithParam<Operation> {
  protected:
    // Every file below the folder with its bytes.
    std::map<std::string, std::string> Files() const {
        return testing_support::ReadTree(root_.path());
    }

    fault_testing::WorkingFolder root_{"without-replacing"};
};

TEST_P(WithoutReplacing, FreeTargetIsWritten) {
    WriteTree(root_.path(), {{"VDFS.DMP", "engine"}});
    ASSERT_TRUE(GetParam().run("VDFS.DMP", "VDFS.DMP.old"));
    EXPECT_EQ(ReadFileText("VDFS.DMP.old"), "engine");
    EXPECT_EQ(fs::exists("VDFS.DMP"), GetParam().keepsSource);
}

TEST_P(WithoutReplacing, ExistingTargetInAnyLetterCaseIsKept) {
    for (const char* target : {"VDFS.DMP.old", "vdfs.dmp.OLD"}) {
        TempFolder folder("without-replacing-case");
        fs::current_path(folder.path());
        WriteTree(folder.path(), {{"VDFS.DMP", "engine"}, {target, "leftover"}});
        errno = 0;
        EXPECT_FALSE(GetParam().run("VDFS.DMP", "VDFS.DMP.old")) << target;
        EXPECT_EQ(errno, EEXIST) << target;
        EXPECT_EQ(
            testing_support::ReadTree(folder.path()),
            (std::map<std::string, std::string>{{"VDFS.DMP", "engine"}, {target, "leftover"}}))
            << target;
        fs::current_path(root_.path());
    }
}

TEST_P(WithoutReplacing, MissingSourceOrFolderChangesNothing) {
    WriteTree(root_.path(), {{"a", "A"}});
    EXPECT_FALSE(GetParam().run("missing", "b"));
    EXPECT_FALSE(GetParam().run("a", "no folder\\b"));
    EXPECT_EQ(Files(), (std::map<std::string, std::string>{{"a", "A"}}));
}

TEST_P(WithoutReplacing, FailureOfTheSeamChangesNothing) {
    WriteTree(root_.path(), {{"a", "A"}});
    ArmFault(FaultKind::Copy, 1, ENOSPC, FaultRepeat::Once);
    ArmFault(FaultKind::Rename, 1, EBUSY, FaultRepeat::Once);
    EXPECT_FALSE(GetParam().run("a", "b"));
    EXPECT_EQ(Files(), (std::map<std::string, std::string>{{"a", "A"}}));
}

INSTANTIATE_TEST_SUITE_P(Operations, WithoutReplacing, ::testing::ValuesIn(kOperations),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
