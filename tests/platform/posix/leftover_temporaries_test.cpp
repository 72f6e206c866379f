// The temporary files of a killed launch: a copy or a profile write killed part way leaves its
// target whole and its temporary file behind, and the clean-up at the start of the next launch
// removes exactly such files, in the folders it is given, and nothing that only resembles them.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "mod_identity.h"
#include "platform/fault_seam.h"
#include "platform/platform.h"
#include "platform/temporary_names.h"
#include "platform_test_folder.h"

namespace {

using LeftoverTemporaries = PlatformTestFolder;

const char* const kFolders[] = {"", "Data\\", "Data\\ModVdf\\", "system\\"};

std::string TemporaryName(unsigned long processId, unsigned long serial) {
    char path[260];
    EXPECT_TRUE(BuildTemporaryPath("x", processId, serial, path, sizeof path));
    return path;
}

// Runs operation in a child process that is killed on entry to its nth file-changing call.
void KillAtFileChange(unsigned nth, bool (*operation)()) {
    const pid_t child = fork();
    if (child == 0) {
        ResetFaults();
        ArmFault(FaultKind::FileChange, nth, 0, FaultRepeat::EndProcess);
        operation();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "not killed at " << nth;
}

TEST_F(LeftoverTemporaries, OnlyTheLaunchersOwnAreRemovedInTheFoldersGiven) {
    const std::string ours = TemporaryName(0x1234, 1);
    const std::string otherMod = "~other.mod.launcher-00001234-00000001.tmp";
    const std::string lookAlikes[] = {ours + ".bak", "~" + ours.substr(1, ours.size() - 5) + ".TMP",
                                      std::string(".") + MOD_VOLUME_NAME + ".tmp-12-3", otherMod};
    MakeFolder("Data/ModVdf");
    MakeFolder("system");
    MakeFolder("saves");
    for (const char* folder : {"", "Data/", "Data/ModVdf/", "system/"}) {
        WriteFile(std::string(folder) + ours, "leftover");
        WriteFile(std::string(folder) + TemporaryName(0xFFFFFFFF, 0xA), "leftover");
        for (const std::string& name : lookAlikes) {
            WriteFile(std::string(folder) + name, "the player's");
        }
    }
    // A read-only leftover goes too; a folder of that name and one in another folder stay.
    ASSERT_EQ(chmod(("Data/" + ours).c_str(), 0444), 0);
    MakeFolder("system/" + TemporaryName(1, 1));
    WriteFile("saves/" + ours, "not the launcher's folder");

    RemoveLeftoverTemporaries(kFolders, sizeof kFolders / sizeof kFolders[0]);

    for (const char* folder : {"", "Data/", "Data/ModVdf/", "system/"}) {
        EXPECT_FALSE(Exists(std::string(folder) + ours)) << folder;
        EXPECT_FALSE(Exists(std::string(folder) + TemporaryName(0xFFFFFFFF, 0xA))) << folder;
        for (const std::string& name : lookAlikes) {
            EXPECT_EQ(ReadFile(std::string(folder) + name), "the player's") << folder << name;
        }
    }
    EXPECT_TRUE(Exists("system/" + TemporaryName(1, 1)));
    EXPECT_EQ(ReadFile("saves/" + ours), "not the launcher's folder");
}

TEST_F(LeftoverTemporaries, MissingFoldersAreNoFailure) {
    RemoveLeftoverTemporaries(kFolders, sizeof kFolders / sizeof kFolders[0]);
    EXPECT_TRUE(Names(".").empty());
}

// Killed at each of its file-changing calls, a copy leaves the old target or the whole new one
// and at most its own temporary file, which the clean-up removes; the same for a profile write.
TEST_F(LeftoverTemporaries, KilledCopyOrProfileWriteLeavesTargetWholeAndNothingAfterCleanUp) {
    const std::string content(200000, 'n');
    struct Case {
        const char* name;
        bool (*operation)();
        const char* target;
        std::string oldContent;
        std::string newContent;
    } cases[] = {
        {"copy", [] { return CopyFileReplacing("source", "system\\target"); }, "system/target",
         "old", content},
        {"profile write",
         [] { return WriteProfileValue("GAME", "key", "new", "system\\HADRIN.INI"); },
         "system/HADRIN.INI", "[GAME]\r\nkey=old\r\n", "[GAME]\r\nkey=new\r\n"},
    };
    for (const Case& c : cases) {
        unsigned calls = 0;
        for (unsigned nth = 1;; ++nth) {
            std::filesystem::remove_all("system");
            MakeFolder("system");
            WriteFile("source", content);
            WriteFile(c.target, c.oldContent);
            if (nth == 1) {
                ResetFaults();
                ASSERT_TRUE(c.operation());
                calls = FaultCallCount(FaultKind::FileChange);
                ASSERT_GT(calls, 2u) << c.name;
                WriteFile(c.target, c.oldContent);
            }
            KillAtFileChange(nth, c.operation);
            const std::string now = ReadFile(c.target);
            EXPECT_TRUE(now == c.oldContent || now == c.newContent)
                << c.name << " killed at " << nth << " left " << now.size() << " bytes";
            RemoveLeftoverTemporaries(kFolders, sizeof kFolders / sizeof kFolders[0]);
            EXPECT_EQ(Names("system"), std::vector<std::string>{c.target + 7})
                << c.name << " killed at " << nth;
            if (nth == calls) {
                break;
            }
        }
    }
}

}  // namespace
