#include "faults/wine_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace fault_testing {

std::map<std::string, std::string> ReadTestConfiguration() {
    std::map<std::string, std::string> values;
    const char* file = std::getenv("LAUNCHER_TEST_CONFIG");
    if (file == nullptr) {
        return values;
    }
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

WineSetup WineSetup::From(const std::map<std::string, std::string>& configuration) {
    WineSetup wine;
    if (configuration.count("wine_loader") != 0) {
        wine.loader = configuration.at("wine_loader");
    }
    if (configuration.count("wineprefix") != 0) {
        wine.prefix = configuration.at("wineprefix");
    }
    return wine;
}

int RunUnderWine(const WineSetup& wine, const fs::path& folder,
                 const std::vector<std::string>& programAndArguments, const fs::path& outputFile,
                 int timeoutSeconds) {
    std::vector<std::string> words = {wine.loader};
    words.insert(words.end(), programAndArguments.begin(), programAndArguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        const int output = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (output < 0 || chdir(folder.c_str()) != 0 || dup2(output, 1) < 0 ||
            dup2(output, 2) < 0) {
            _exit(126);
        }
        const int nothing = open("/dev/null", O_RDONLY);
        dup2(nothing, 0);
        setenv("WINEPREFIX", wine.prefix.c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string WindowsPathOf(const fs::path& path) {
    std::string text = "Z:" + fs::absolute(path).string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

}  // namespace fault_testing
