// Profile writes edit the file in place as KERNEL32 does: each case is a file before a write
// and the exact bytes after it.
#include <sys/stat.h>

#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform_test_folder.h"

namespace {

using namespace std::string_literals;

struct WriteCase {
    const char* name;
    std::optional<std::string> before;  // No file when empty.
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

std::ostream& operator<<(std::ostream& out, const WriteCase& c) {
    return out << c.name;
}

const WriteCase kWriteCases[] = {
    {"ExistingKey", "[GAME]\r\nsubTitlesNoise=0\r\nother=x\r\n", "GAME", "subTitlesNoise", "1",
     "[GAME]\r\nsubTitlesNoise=1\r\nother=x\r\n"},
    {"ExistingKeyKeepsItsSpellingAndLineEnd", "[game]\r\n  SubTitlesNoise = 0 ; c\r\nz=1", "GAME",
     "subtitlesnoise", "1", "[game]\r\nSubTitlesNoise=1\r\nz=1"},
    {"EmptyValueReplaced", "[S]\r\nk=\r\n", "S", "k", "v", "[S]\r\nk=v\r\n"},
    {"ValueEmptied", "[S]\r\nk=v\r\n", "S", "k", "", "[S]\r\nk=\r\n"},
    {"NewKeyAfterLastKeyLineOfSection", "[A]\r\nk=1\r\n\r\n[B]\r\nz=2\r\n", "A", "n", "v",
     "[A]\r\nk=1\r\nn=v\r\n\r\n[B]\r\nz=2\r\n"},
    {"NewKeyBeforeTrailingComment", "[A]\r\nk=1\r\n;c=2\r\n[B]\r\n", "A", "n", "v",
     "[A]\r\nk=1\r\nn=v\r\n;c=2\r\n[B]\r\n"},
    {"NewKeyInSectionWithoutKeys", "[A]\r\n[B]\r\nz=2\r\n", "a", "n", "v",
     "[A]\r\nn=v\r\n[B]\r\nz=2\r\n"},
    {"NewKeyAfterUnterminatedLastLine", "[A]\r\nk=1", "A", "n", "v", "[A]\r\nk=1\r\nn=v\r\n"},
    {"NewKeyAfterUnterminatedHeader", "[A]", "A", "n", "v", "[A]\r\nn=v\r\n"},
    {"NewSectionAppended", "[A]\r\nk=1\r\n", "B", "n", "v", "[A]\r\nk=1\r\n[B]\r\nn=v\r\n"},
    {"NewSectionAfterUnterminatedLine", "[A]\r\nk=1", "B", "n", "v",
     "[A]\r\nk=1\r\n[B]\r\nn=v\r\n"},
    {"NewSectionAfterLfFile", "[A]\nk=1\n", "B", "n", "v", "[A]\nk=1\n[B]\r\nn=v\r\n"},
    {"LfLinesKeptOnEdit", "[A]\nk=1\nj=2\n", "A", "k", "3", "[A]\nk=3\nj=2\n"},
    {"LfLinesKeptOnInsert", "[A]\nk=1\nj=2\n[B]\n", "A", "n", "v", "[A]\nk=1\nj=2\nn=v\r\n[B]\n"},
    {"CrLinesKept", "[A]\rk=1\rj=2\r", "A", "k", "3", "[A]\rk=3\rj=2\r"},
    {"FirstDuplicateSectionWritten", "[S]\r\nk=1\r\n[S]\r\nk=2\r\n", "S", "k", "3",
     "[S]\r\nk=3\r\n[S]\r\nk=2\r\n"},
    {"BomHiddenHeaderGetsNewSection", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "2",
     "\xEF\xBB\xBF[S]\r\nk=1\r\n[S]\r\nk=2\r\n"},
    {"EmptyFileGetsSection", "", "FILES", "VDF", "talvero.mod", "[FILES]\r\nVDF=talvero.mod\r\n"},
    {"MissingFileCreated", std::nullopt, "FILES", "VDF", "talvero.mod",
     "[FILES]\r\nVDF=talvero.mod\r\n"},
    {"SameValueLeavesBytes", "[A]\nk = 1 \n", "A", "k", "1", "[A]\nk = 1 \n"},
    {"QuotedStoredValueIsNotTheSameText", "[A]\r\nk=\"1\"\r\n", "A", "k", "1", "[A]\r\nk=1\r\n"},
    {"NulBeforeHeaderHidesItAndSurvives", "\0[A]\0\r\nk=1\r\nx=\0\xff\0\r\n"s, "A", "k", "2",
     "\0[A]\0\r\nk=1\r\nx=\0\xff\0\r\n[A]\r\nk=2\r\n"s},
    {"NulBytesInSectionSurvive", "[A]\r\nx=\0\0\r\nk=1\r\n\0"s, "A", "k", "2",
     "[A]\r\nx=\0\0\r\nk=2\r\n\0"s},
};

class ProfileWriteTest : public PlatformTestFolder,
                         public ::testing::WithParamInterface<WriteCase> {};

TEST_P(ProfileWriteTest, EditsFileInPlace) {
    const WriteCase& c = GetParam();
    MakeFolder("system");
    if (c.before) {
        WriteFile("system/TEST.INI", *c.before);
    }
    EXPECT_TRUE(WriteProfileValue(c.section, c.key, c.value, "system\\TEST.INI"));
    EXPECT_EQ(ReadFile("system/TEST.INI"), c.after);
    // Nothing but the profile is left in the folder: the temporary file went into its place.
    EXPECT_EQ(Names("system"), std::vector<std::string>{"TEST.INI"});
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileWriteTest, ::testing::ValuesIn(kWriteCases),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

using ProfileWriteFile = PlatformTestFolder;

TEST_F(ProfileWriteFile, MissingFolderIsNotCreated) {
    EXPECT_FALSE(WriteProfileValue("S", "k", "v", "system\\TEST.INI"));
    EXPECT_FALSE(Exists("system"));
}

TEST_F(ProfileWriteFile, FolderInPlaceOfFileFails) {
    MakeFolder("TEST.INI");
    EXPECT_FALSE(WriteProfileValue("S", "k", "v", "TEST.INI"));
    EXPECT_EQ(Names("."), std::vector<std::string>{"TEST.INI"});
}

TEST_F(ProfileWriteFile, StoredValueLeavesFileItself) {
    WriteFile("T.INI", "[S]\r\nk=1\r\n");
    const struct stat before = Status("T.INI");
    ASSERT_TRUE(WriteProfileValue("S", "k", "1", "T.INI"));
    const struct stat after = Status("T.INI");
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
}

TEST_F(ProfileWriteFile, EditKeepsModeAndReplacesWholeFile) {
    WriteFile("T.INI", "[S]\r\nk=1\r\n");
    ASSERT_EQ(chmod("T.INI", 0640), 0);
    const struct stat before = Status("T.INI");
    ASSERT_TRUE(WriteProfileValue("S", "k", "2", "T.INI"));
    const struct stat after = Status("T.INI");
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    // A new inode: the edited file was written aside and renamed over the old one.
    EXPECT_NE(after.st_ino, before.st_ino);
}

TEST_F(ProfileWriteFile, NewFileGetsModeUnderUmask) {
    const mode_t mask = umask(022);
    ASSERT_TRUE(WriteProfileValue("S", "k", "v", "T.INI"));
    umask(mask);
    EXPECT_EQ(Status("T.INI").st_mode & 07777, 0644u);
}

TEST_F(ProfileWriteFile, HugeBinaryFileSurvivesEdit) {
    std::string head;
    for (int i = 0; head.size() < 9 * 1024 * 1024; ++i) {
        head += "junk" + std::to_string(i) + "=\x01\xff\0\x7f\r\n"s;
    }
    head += "[S]\r\nlong=" + std::string(1024 * 1024, 'L') + "\r\nk=";
    const std::string tail = "\r\n\0after\r\n"s;
    WriteFile("BIG.INI", head + "old" + tail);
    ASSERT_TRUE(WriteProfileValue("S", "k", "new", "BIG.INI"));
    EXPECT_TRUE(ReadFile("BIG.INI") == head + "new" + tail);
}

TEST_F(ProfileWriteFile, FlushOfMissingFileCreatesNothing) {
    FlushProfile("system\\MISSING.INI");
    FlushProfile("MISSING.INI");
    EXPECT_TRUE(Names(".").empty());
}

TEST_F(ProfileWriteFile, WriteThenReadAgrees) {
    MakeFolder("system");
    ASSERT_TRUE(WriteProfileValue("INTERNAL", "gameAbnormalExit", "0", "system\\HADRIN.INI"));
    ASSERT_TRUE(WriteProfileValue("GAME", "subTitlesNoise", "1", "system\\HADRIN.INI"));
    FlushProfile("system\\HADRIN.INI");
    char buffer[128];
    ReadProfileValue("GAME", "subTitlesNoise", "0", buffer, sizeof buffer, "system\\HADRIN.INI");
    EXPECT_STREQ(buffer, "1");
    EXPECT_EQ(ReadProfileNumber("INTERNAL", "gameAbnormalExit", 1, "system\\HADRIN.INI"), 0u);
}

}  // namespace
