// Copies, deletes and renames on real files: what each leaves behind when it succeeds and when
// it fails.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"
#include "platform_test_folder.h"

namespace {

using FileCopy = PlatformTestFolder;

TEST_F(FileCopy, KeepsContentModeAndModificationTime) {
    std::string content(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 + i / 4096);
    }
    WriteFile("VDFS.DMP", content);
    ASSERT_EQ(chmod("VDFS.DMP", 0604), 0);
    const struct timespec times[2] = {{1000000000, 0}, {1234567890, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, "VDFS.DMP", times, 0), 0);

    ASSERT_TRUE(CopyFileReplacing("vdfs.dmp", "VDFS.DMP.old"));
    EXPECT_TRUE(ReadFile("VDFS.DMP.old") == content);
    const struct stat copy = Status("VDFS.DMP.old");
    EXPECT_EQ(copy.st_mode & 07777, 0604u);
    EXPECT_EQ(copy.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(copy.st_mtim.tv_nsec, 123456789);
    EXPECT_TRUE(ReadFile("VDFS.DMP") == content);
}

TEST_F(FileCopy, CopiesAcrossFileSystems) {
    // Between file systems the kernel refuses to copy by itself and the data goes through a
    // buffer instead.
    const std::string source = "/dev/shm/platform-test-" + std::to_string(getpid());
    struct stat shm;
    if (stat("/dev/shm", &shm) != 0 || shm.st_dev == Status(".").st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    const std::string content(1024 * 1024 + 3, 'c');
    WriteFile(source, content);
    const bool copied = CopyFileReplacing(source.c_str(), "copy");
    unlink(source.c_str());
    ASSERT_TRUE(copied);
    EXPECT_TRUE(ReadFile("copy") == content);
}

TEST_F(FileCopy, ReplacesExistingTargetAndLeavesNoTemporaryFile) {
    WriteFile("a", "short");
    WriteFile("b", "a much longer old content");
    ASSERT_TRUE(CopyFileReplacing("a", "b"));
    EXPECT_EQ(ReadFile("b"), "short");
    EXPECT_EQ(Names("."), (std::vector<std::string>{"a", "b"}));
}

TEST_F(FileCopy, CopiesEmptyFile) {
    WriteFile("a", "");
    ASSERT_TRUE(CopyFileReplacing("a", "b"));
    EXPECT_EQ(ReadFile("b"), "");
}

TEST_F(FileCopy, FailuresLeaveTargetAsItWas) {
    MakeFolder("Folder");
    WriteFile("file", "source");
    WriteFile("target", "target");

    EXPECT_FALSE(CopyFileReplacing("Folder", "target"));     // A folder source.
    EXPECT_FALSE(CopyFileReplacing("missing", "target"));    // A missing source.
    EXPECT_FALSE(CopyFileReplacing("file", "Folder"));       // A folder target.
    EXPECT_FALSE(CopyFileReplacing("file", "nofolder\\x"));  // A missing target folder.
    EXPECT_FALSE(CopyFileReplacing("file", "FILE"));         // The source itself.
    ASSERT_EQ(link("file", "hardlink"), 0);
    EXPECT_FALSE(CopyFileReplacing("file", "hardlink"));  // The source under another name.

    EXPECT_EQ(ReadFile("target"), "target");
    EXPECT_EQ(ReadFile("file"), "source");
    EXPECT_TRUE(Names("Folder").empty());
    EXPECT_EQ(Names("."), (std::vector<std::string>{"Folder", "file", "hardlink", "target"}));
}

TEST_F(FileCopy, MoveByCopyOntoItselfKeepsTheFile) {
    WriteFile("talvero.mod", "volume");
    EXPECT_FALSE(MoveByCopy("talvero.mod", "TALVERO.MOD"));
    EXPECT_EQ(ReadFile("talvero.mod"), "volume");
}

using FileProbe = PlatformTestFolder;

TEST_F(FileProbe, FileExistsOnlyForFiles) {
    WriteFile("Dump.dmp", "x");
    MakeFolder("Folder.dmp");
    EXPECT_TRUE(FileExists("dump.DMP"));
    EXPECT_FALSE(FileExists("folder.dmp"));
    EXPECT_TRUE(PathExists("folder.dmp"));
    EXPECT_FALSE(FileExists("missing.dmp"));
}

using FileRemove = PlatformTestFolder;

TEST_F(FileRemove, RemovesFilesOnly) {
    WriteFile("File.txt", "x");
    MakeFolder("folder");
    EXPECT_TRUE(RemoveFile("file.TXT"));
    EXPECT_FALSE(Exists("File.txt"));
    EXPECT_FALSE(RemoveFile("file.txt"));
    EXPECT_FALSE(RemoveFile("folder"));
    EXPECT_TRUE(Exists("folder"));
}

using FileRename = PlatformTestFolder;

TEST_F(FileRename, ReplacesFileTarget) {
    MakeFolder("Data/ModVdf");
    WriteFile("Data/ModVdf/a.mod", "new");
    WriteFile("Data/A.MOD", "old");
    ASSERT_TRUE(RenameReplacing("data\\modvdf\\a.mod", "DATA\\a.mod"));
    EXPECT_EQ(Names("Data"), (std::vector<std::string>{"A.MOD", "ModVdf"}));
    EXPECT_EQ(ReadFile("Data/A.MOD"), "new");
}

TEST_F(FileRename, NeverReplacesFolderTarget) {
    WriteFile("a", "x");
    MakeFolder("empty");
    MakeFolder("source");
    EXPECT_FALSE(RenameReplacing("a", "empty"));
    EXPECT_FALSE(RenameReplacing("source", "EMPTY"));
    EXPECT_EQ(Names("."), (std::vector<std::string>{"a", "empty", "source"}));
    EXPECT_EQ(ReadFile("a"), "x");
}

TEST_F(FileRename, MissingSourceOrTargetFolderFails) {
    WriteFile("a", "x");
    EXPECT_FALSE(RenameReplacing("missing", "b"));
    EXPECT_FALSE(RenameReplacing("a", "nofolder\\b"));
    EXPECT_EQ(Names("."), std::vector<std::string>{"a"});
}

}  // namespace
