#include "support/launcher_under_test.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace testing_support {
namespace {

std::string RequiredEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        throw std::runtime_error(std::string("environment variable ") + name + " is not set");
    }
    return value;
}

}  // namespace

LauncherUnderTest LauncherUnderTest::FromEnvironment() {
    LauncherUnderTest launcher;
    launcher.underWine_ = RequiredEnvironment("LAUNCHER_KIND") == "wine";
    launcher.launcher_ = RequiredEnvironment("LAUNCHER_EXE");
    launcher.standIn_ = RequiredEnvironment("STANDIN_GAME_EXE");
    if (launcher.underWine_) {
        launcher.wineLoader_ = RequiredEnvironment("WINE_LOADER");
    }
    return launcher;
}

void LauncherUnderTest::InstallGame(const fs::path& gameFolder) const {
    fs::create_directories(gameFolder / "system");
    fs::copy_file(standIn_, gameFolder / "system" / "Hadrin2.exe",
                  fs::copy_options::overwrite_existing);
}

pid_t LauncherUnderTest::Start(const fs::path& gameFolder,
                               const std::vector<std::string>& arguments) const {
    std::vector<std::string> words;
    if (underWine_) {
        words.push_back(wineLoader_);
    }
    words.push_back(launcher_);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    // The launcher's working directory is the game folder; posix_spawn has no portable way to
    // set it, so the child changes into it between fork and exec.
    pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        if (chdir(gameFolder.c_str()) != 0) {
            _exit(126);
        }
        execve(argv[0], argv.data(), environ);
        _exit(127);
    }
    return child;
}

int LauncherUnderTest::Run(const fs::path& gameFolder,
                           const std::vector<std::string>& arguments) const {
    return Wait(Start(gameFolder, arguments));
}

int LauncherUnderTest::Wait(pid_t process) {
    int status = 0;
    while (waitpid(process, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void LauncherUnderTest::Kill(pid_t process) const {
    kill(process, SIGKILL);
    Wait(process);
}

bool WaitForFile(const fs::path& path, int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!fs::exists(path)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace testing_support
