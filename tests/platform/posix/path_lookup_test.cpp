// Windows paths on this file system: backslashes, and letter case ignored where the exact
// spelling does not exist, for lookups and for files being created.
#include <string>

#include "platform/platform.h"
#include "platform_test_folder.h"

namespace {

struct LookupCase {
    const char* name;
    const char* path;
    bool exists;
};

std::ostream& operator<<(std::ostream& out, const LookupCase& c) {
    return out << c.name;
}

const LookupCase kLookupCases[] = {
    {"ExactSpelling", "System\\Hadrin.ini", true},
    {"UpperCase", "SYSTEM\\HADRIN.INI", true},
    {"SlashesAndLowerCase", "system/hadrin.ini", true},
    {"FolderWithSeparator", "system\\", true},
    {"NestedMixedCase", "DATA\\ModVdf\\talvero.MOD", true},
    {"NestedFolder", "Data\\modvdf", true},
    {"DotComponents", ".\\system\\..\\data\\MODVDF", true},
    {"MissingFile", "system\\missing.ini", false},
    {"MissingFolder", "nosuch\\hadrin.ini", false},
    {"BelowAFile", "system\\hadrin.ini\\x", false},
    {"EmptyPath", "", false},
};

class PathLookupTest : public PlatformTestFolder,
                       public ::testing::WithParamInterface<LookupCase> {};

TEST_P(PathLookupTest, FindsEntryInAnyLetterCase) {
    MakeFolder("System");
    MakeFolder("Data/ModVdf");
    WriteFile("System/Hadrin.ini", "x");
    WriteFile("Data/ModVdf/talvero.mod", "m");
    EXPECT_EQ(PathExists(GetParam().path), GetParam().exists);
}

INSTANTIATE_TEST_SUITE_P(Cases, PathLookupTest, ::testing::ValuesIn(kLookupCases),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

using PathCreation = PlatformTestFolder;

TEST_F(PathCreation, NewFileGoesIntoFolderOfOtherCase) {
    MakeFolder("System");
    ASSERT_TRUE(WriteProfileValue("GAME", "k", "v", "system\\HADRIN.INI"));
    EXPECT_EQ(Names("."), std::vector<std::string>{"System"});
    EXPECT_EQ(Names("System"), std::vector<std::string>{"HADRIN.INI"});
}

TEST_F(PathCreation, ExistingFileOfOtherCaseIsTheOneWritten) {
    MakeFolder("System");
    WriteFile("System/Hadrin.ini", "[GAME]\r\nk=1\r\n");
    ASSERT_TRUE(WriteProfileValue("GAME", "k", "2", "system\\HADRIN.INI"));
    EXPECT_EQ(Names("System"), std::vector<std::string>{"Hadrin.ini"});
    EXPECT_EQ(ReadFile("System/Hadrin.ini"), "[GAME]\r\nk=2\r\n");
}

TEST_F(PathCreation, CopyTargetOfOtherCaseIsReplaced) {
    MakeFolder("Data/ModVdf");
    WriteFile("Data/A.MOD", "new");
    WriteFile("Data/ModVdf/a.mod", "old");
    ASSERT_TRUE(CopyFileReplacing("data\\a.mod", "DATA\\MODVDF\\A.MOD"));
    EXPECT_EQ(Names("Data/ModVdf"), std::vector<std::string>{"a.mod"});
    EXPECT_EQ(ReadFile("Data/ModVdf/a.mod"), "new");
}

TEST_F(PathCreation, AmbiguousCaseTakesSmallestSpelling) {
    // Two spellings can exist side by side only here; the choice must not depend on the order
    // in which the folder happens to list them.
    MakeFolder("data");
    MakeFolder("DATA");
    ASSERT_TRUE(WriteProfileValue("S", "k", "v", "Data\\X.INI"));
    EXPECT_TRUE(Exists("DATA/X.INI"));
    EXPECT_FALSE(Exists("data/X.INI"));
}

TEST_F(PathCreation, OverlongPathsFailCleanly) {
    const std::string longPath = std::string(5000, 'a') + "\\x.ini";
    char buffer[16];
    EXPECT_FALSE(PathExists(longPath.c_str()));
    EXPECT_FALSE(WriteProfileValue("S", "k", "v", longPath.c_str()));
    ReadProfileValue("S", "k", "dflt", buffer, sizeof buffer, longPath.c_str());
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_FALSE(CopyFileReplacing(longPath.c_str(), "x"));
    EXPECT_FALSE(CopyFileReplacing("x", longPath.c_str()));
    EXPECT_FALSE(RemoveFile(longPath.c_str()));
    EXPECT_FALSE(RenameReplacing(longPath.c_str(), "x"));
    EXPECT_FALSE(
        VisitMatchingEntries((longPath + "\\*").c_str(), [](const char*, bool, void*) {}, nullptr));
    // A component longer than the system allows cannot exist in any case.
    const std::string longName = "system\\" + std::string(300, 'b');
    MakeFolder("system");
    EXPECT_FALSE(PathExists(longName.c_str()));
    EXPECT_FALSE(WriteProfileValue("S", "k", "v", longName.c_str()));
    EXPECT_EQ(Names("system"), std::vector<std::string>{});
}

}  // namespace
