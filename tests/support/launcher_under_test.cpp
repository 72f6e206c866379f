#include "support/launcher_under_test.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <thread>

#include "support/game_folder_tree.h"

extern char** environ;

namespace fs = std::filesystem;

namespace testing_support {
namespace {

std::map<std::string, std::string> ReadConfiguration() {
    const char* file = std::getenv("LAUNCHER_TEST_CONFIG");
    if (file == nullptr || *file == '\0') {
        throw std::runtime_error("LAUNCHER_TEST_CONFIG is not set");
    }
    std::ifstream in(file);
    if (!in) {
        throw std::runtime_error(std::string("cannot read ") + file);
    }
    std::map<std::string, std::string> values;
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq != std::string::npos) {
            values[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return values;
}

std::string Required(const std::map<std::string, std::string>& values, const std::string& key) {
    auto it = values.find(key);
    if (it == values.end() || it->second.empty()) {
        throw std::runtime_error("the test configuration has no " + key);
    }
    return it->second;
}

}  // namespace

LauncherUnderTest LauncherUnderTest::FromEnvironment() {
    const std::map<std::string, std::string> values = ReadConfiguration();
    LauncherUnderTest launcher;
    launcher.underWine_ = Required(values, "kind") == "wine";
    launcher.launcher_ = Required(values, "launcher");
    launcher.standIn_ = Required(values, "standin");
    if (launcher.underWine_) {
        launcher.wineLoader_ = Required(values, "wine_loader");
        launcher.winePrefix_ = Required(values, "wineprefix");
    }
    launcher.identity_.volume = Required(values, "volume");
    launcher.identity_.definition = Required(values, "definition");
    launcher.identity_.dump = Required(values, "dump");
    std::string game = Required(values, "game");
    std::replace(game.begin(), game.end(), '\\', '/');
    launcher.identity_.gameExecutable = game;
    return launcher;
}

std::string ModIdentity::Substitute(std::string text) const {
    std::string volumeInCapitals = volume;
    std::transform(volumeInCapitals.begin(), volumeInCapitals.end(), volumeInCapitals.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::pair<const char*, const std::string*> names[] = {{"{volume}", &volume},
                                                                {"{VOLUME}", &volumeInCapitals},
                                                                {"{definition}", &definition},
                                                                {"{dump}", &dump},
                                                                {"{game}", &gameExecutable}};
    for (const auto& [token, name] : names) {
        const std::string placeholder = token;
        for (size_t at = text.find(placeholder); at != std::string::npos;
             at = text.find(placeholder, at + name->size())) {
            text.replace(at, placeholder.size(), *name);
        }
    }
    return text;
}

void LauncherUnderTest::InstallGame(const fs::path& gameFolder) const {
    // A folder copied from Windows keeps its letter case ("System"): the game goes into the
    // folder that exists with its name in any case, as it would lie there on Windows.
    fs::path game = gameFolder;
    for (const fs::path& part : fs::path(identity_.gameExecutable)) {
        fs::path next = game / part;
        std::error_code error;
        if (fs::exists(next, error)) {
            game = next;
            continue;
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(game, error)) {
            if (EqualIgnoringCase(entry.path().filename().string(), part.string())) {
                next = entry.path();
                break;
            }
        }
        game = next;
    }
    fs::create_directories(game.parent_path());
    fs::copy_file(standIn_, game, fs::copy_options::overwrite_existing);
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
        if (underWine_) {
            setenv("WINEPREFIX", winePrefix_.c_str(), 1);
            setenv("WINEDEBUG", "-all", 1);
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
