// Starting a program from a Windows command line and waiting until it has ended.
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "platform/platform.h"
#include "platform_test_folder.h"

namespace {

class ProcessStart : public PlatformTestFolder {
  protected:
    // A script that records its working directory, one environment variable and each of its
    // arguments on a line of its own, after a pause that shows the wait is real.
    static void MakeRecorder(const std::string& path) {
        WriteFile(path,
                  "#!/bin/sh\n"
                  "sleep 0.2\n"
                  "{ pwd; printf '%s\\n' \"$PLATFORM_TEST_VARIABLE\";"
                  "  for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > recorded.txt\n"
                  "exit 3\n");
        ASSERT_EQ(chmod(path.c_str(), 0755), 0);
    }

    static bool Run(std::string line) {
        const std::string original = line;
        const bool started = RunProcessAndWait(line.data());
        EXPECT_EQ(line, original) << "the command line was left changed";
        return started;
    }
};

TEST_F(ProcessStart, ProgramGetsArgumentsWorkingDirectoryAndEnvironment) {
    MakeFolder("System");
    MakeRecorder("System/Game.sh");
    ASSERT_EQ(setenv("PLATFORM_TEST_VARIABLE", "inherited", 1), 0);
    EXPECT_TRUE(Run("system\\GAME.SH -game:talveroh2.ini \"a b\" c\\\"d \"\" \"e f\\\\\""));
    unsetenv("PLATFORM_TEST_VARIABLE");
    // The file is complete when the call returns: the call waited for the end of the script.
    EXPECT_EQ(ReadFile("recorded.txt"),
              root_ + "\ninherited\n[-game:talveroh2.ini]\n[a b]\n[c\"d]\n[]\n[e f\\]\n");
}

TEST_F(ProcessStart, BareNameInWorkingDirectoryIsStarted) {
    MakeRecorder("Game.sh");
    EXPECT_TRUE(Run("game.sh x"));
    EXPECT_EQ(ReadFile("recorded.txt"), root_ + "\n\n[x]\n");
}

TEST_F(ProcessStart, BareNameIsSearchedAlongPath) {
    EXPECT_TRUE(Run("sh -c \"echo searched > out.txt\""));
    EXPECT_EQ(ReadFile("out.txt"), "searched\n");
}

TEST_F(ProcessStart, ProgramThatCannotStartIsReported) {
    MakeFolder("system/folder.exe");
    WriteFile("system/plain.exe", "#!/bin/sh\nexit 0\n");
    WriteFile("system/noshebang.exe", "exit 0\n");
    ASSERT_EQ(chmod("system/noshebang.exe", 0755), 0);
    EXPECT_FALSE(Run("system\\missing.exe -x"));
    EXPECT_FALSE(Run("missing-program-of-no-kind -x"));
    EXPECT_FALSE(Run("system\\plain.exe"));  // Not executable.
    EXPECT_FALSE(Run("system\\folder.exe"));
    EXPECT_FALSE(Run("system\\noshebang.exe"));  // No format the system can execute.
    EXPECT_FALSE(Run(""));
    EXPECT_FALSE(Run(" system\\plain.exe"));  // An empty program name.
}

TEST_F(ProcessStart, CommandLineAboveSystemLimitIsRefused) {
    EXPECT_FALSE(Run("sh -c \"echo started > out.txt\" " + std::string(32767, 'x')));
    EXPECT_FALSE(Exists("out.txt"));
    // Right at the limit it is started.
    std::string line = "sh -c \"echo started > out.txt\" ";
    line += std::string(32766 - line.size(), 'x');
    EXPECT_TRUE(Run(line));
    EXPECT_EQ(ReadFile("out.txt"), "started\n");
}

}  // namespace
