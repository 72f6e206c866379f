// The launcher's temporary names: built beside their target in one fixed pattern, and only
// names of exactly that pattern are recognised as the launcher's, never a player's file that
// looks like one.
#include "platform/temporary_names.h"

#include <gtest/gtest.h>

#include <string>

#include "mod_identity.h"

namespace {

const std::string kPrefix = std::string("~") + MOD_VOLUME_NAME + ".launcher-";

std::string Built(const char* target, unsigned long processId, unsigned long serial) {
    char path[260];
    EXPECT_TRUE(BuildTemporaryPath(target, processId, serial, path, sizeof path)) << target;
    return path;
}

TEST(TemporaryNames, LieInTheTargetsFolderAndAreRecognised) {
    const struct {
        const char* target;
        unsigned long processId;
        unsigned long serial;
        std::string expected;
    } cases[] = {
        {"Data\\ModVdf\\a.mod", 0x1f3a, 2, "Data\\ModVdf\\" + kPrefix + "00001f3a-00000002.tmp"},
        {"VDFS.DMP", 0, 0, kPrefix + "00000000-00000000.tmp"},
        {"data/modvdf/B.MOD", 0xFFFFFFFFul, 0xABCDEF,
         "data/modvdf/" + kPrefix + "ffffffff-00abcdef.tmp"},
        {"system\\", 7, 1, "system\\" + kPrefix + "00000007-00000001.tmp"},
    };
    for (const auto& c : cases) {
        const std::string path = Built(c.target, c.processId, c.serial);
        EXPECT_EQ(path, c.expected);
        const std::string name = path.substr(path.find_last_of("\\/") + 1);
        EXPECT_TRUE(IsLauncherTemporaryName(name.c_str())) << name;
    }
}

TEST(TemporaryNames, ThatDoNotFitAreNotBuilt) {
    char path[16] = "unchanged";
    EXPECT_FALSE(BuildTemporaryPath("a.mod", 1, 1, path, sizeof path));
    EXPECT_STREQ(path, "");
    char large[260];
    if (sizeof(unsigned long) > 4) {
        EXPECT_FALSE(BuildTemporaryPath("a.mod", 0x100000000ul, 1, large, sizeof large));
        EXPECT_FALSE(BuildTemporaryPath("a.mod", 1, 0x100000000ul, large, sizeof large));
    }
    const std::string longFolder(250, 'f');
    EXPECT_FALSE(BuildTemporaryPath((longFolder + "\\a.mod").c_str(), 1, 1, large, sizeof large));
}

// Names a player may well have, and near misses of the pattern: none is the launcher's.
TEST(TemporaryNames, LookAlikesAreNotTheLaunchers) {
    const std::string valid = kPrefix + "00001f3a-00000002.tmp";
    ASSERT_TRUE(IsLauncherTemporaryName(valid.c_str()));
    std::string upperPrefix = kPrefix;
    for (char& c : upperPrefix) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    const std::string lookAlikes[] = {
        "",
        "~",
        kPrefix,
        kPrefix + "00001f3a-00000002",
        kPrefix + "00001f3a-00000002.TMP",
        kPrefix + "00001F3A-00000002.tmp",
        kPrefix + "1f3a-2.tmp",
        kPrefix + "00001f3a-000000002.tmp",
        kPrefix + "00001f3a_00000002.tmp",
        kPrefix + "00001f3g-00000002.tmp",
        kPrefix + "00001f3a-00000002.tmp.mod",
        kPrefix + "00001f3a-00000002.tmpx",
        upperPrefix + "00001f3a-00000002.tmp",
        valid.substr(1),
        "x" + valid,
        "~other.mod.launcher-00001f3a-00000002.tmp",
        std::string(".") + MOD_VOLUME_NAME + ".tmp-123-4",
        "~notes.tmp",
        MOD_VOLUME_NAME,
    };
    for (const std::string& name : lookAlikes) {
        EXPECT_FALSE(IsLauncherTemporaryName(name.c_str())) << name;
    }
}

TEST(TemporaryNames, WildcardNarrowsTheFolderToTheLaunchersPrefix) {
    char pattern[260];
    ASSERT_TRUE(BuildTemporaryWildcard("system\\", pattern, sizeof pattern));
    EXPECT_EQ(std::string(pattern), "system\\" + kPrefix + "*.tmp");
    ASSERT_TRUE(BuildTemporaryWildcard("", pattern, sizeof pattern));
    EXPECT_EQ(std::string(pattern), kPrefix + "*.tmp");
    char small[8] = "x";
    EXPECT_FALSE(BuildTemporaryWildcard("system\\", small, sizeof small));
    EXPECT_STREQ(small, "");
}

}  // namespace
