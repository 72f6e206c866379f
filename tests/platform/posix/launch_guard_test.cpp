// The guard that lets one launcher run in a game folder at a time: held by one process, seen
// from another, released when its process is killed, and not kept by the game it started.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"
#include "platform_test_folder.h"

namespace {

constexpr char kName[] = "ModLauncher-test.ini";

class LaunchGuard : public PlatformTestFolder {
  protected:
    // Forks a process that takes the guard of the working folder, reports whether it got it,
    // then runs the command line, if any, and waits to be killed.
    static pid_t StartHolder(const char* commandLine, bool* took) {
        int report[2];
        EXPECT_EQ(pipe(report), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(report[0]);
            const char result = TakeLaunchGuard(kName) ? '1' : '0';
            if (write(report[1], &result, 1) != 1) {
                _exit(2);
            }
            if (commandLine != nullptr) {
                std::string line = commandLine;
                RunProcessAndWait(line.data());
            }
            for (;;) {
                pause();
            }
        }
        close(report[1]);
        char result = '0';
        EXPECT_EQ(read(report[0], &result, 1), 1);
        close(report[0]);
        *took = result == '1';
        return child;
    }

    static void Kill(pid_t process) {
        kill(process, SIGKILL);
        int status;
        waitpid(process, &status, 0);
    }

    static bool WaitForFile(const std::string& path) {
        for (int i = 0; i < 1000 && !Exists(path); ++i) {
            usleep(10000);
        }
        return Exists(path);
    }
};

TEST_F(LaunchGuard, HeldByOneProcessUntilItIsKilled) {
    bool took = false;
    const pid_t holder = StartHolder(nullptr, &took);
    EXPECT_TRUE(took);
    EXPECT_FALSE(TakeLaunchGuard(kName)) << "a second process got the guard";
    Kill(holder);
    EXPECT_TRUE(TakeLaunchGuard(kName)) << "the killed process kept the guard";
    EXPECT_TRUE(TakeLaunchGuard(kName)) << "the holder could not take its own guard again";
}

TEST_F(LaunchGuard, GuardsOfTwoFoldersDoNotMeet) {
    MakeFolder("other");
    bool took = false;
    const pid_t holder = StartHolder(nullptr, &took);
    EXPECT_TRUE(took);
    ASSERT_EQ(chdir("other"), 0);
    EXPECT_TRUE(TakeLaunchGuard(kName)) << "another folder's guard held this one";
    ASSERT_EQ(chdir(".."), 0);
    Kill(holder);
}

// A launcher killed while its game runs must not leave the guard with the game.
TEST_F(LaunchGuard, StartedProgramDoesNotKeepTheGuard) {
    WriteFile("game.sh", "#!/bin/sh\necho $$ > game.pid\nexec sleep 30\n");
    ASSERT_EQ(chmod("game.sh", 0755), 0);
    bool took = false;
    const pid_t holder = StartHolder("game.sh", &took);
    EXPECT_TRUE(took);
    ASSERT_TRUE(WaitForFile("game.pid"));
    Kill(holder);
    EXPECT_TRUE(TakeLaunchGuard(kName)) << "the game kept the killed launcher's guard";
    kill(std::stoi(ReadFile("game.pid")), SIGKILL);
}

}  // namespace
