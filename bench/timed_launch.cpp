#include "timed_launch.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <fstream>

extern char** environ;

namespace fs = std::filesystem;

namespace bench {

namespace {

// The value of "key=N" in a stamp file, or -1.
long long ReadStamp(const fs::path& file, const std::string& key) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "=", 0) == 0) {
            return std::stoll(line.substr(key.size() + 1));
        }
    }
    return -1;
}

bool ReportSaysActive(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line == "active=1") {
            return true;
        }
    }
    return false;
}

}  // namespace

LaunchTiming TimeLaunch(const fs::path& timer, const fs::path& launcher, const fs::path& folder,
                        const std::vector<std::string>& extraEnvironment) {
    LaunchTiming timing;
    const fs::path report = folder / "standin-report.txt";
    const fs::path end = folder / "standin-end.txt";
    const fs::path timerReport = folder.parent_path() / "launch-timer.txt";
    fs::remove(report);
    fs::remove(end);
    fs::remove(timerReport);

    // The extra entries replace the inherited ones of the same names.
    std::vector<std::string> environment(extraEnvironment);
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string inherited = *entry;
        const std::string name = inherited.substr(0, inherited.find('=') + 1);
        bool replaced = false;
        for (const std::string& extra : extraEnvironment) {
            replaced = replaced || extra.rfind(name, 0) == 0;
        }
        if (!replaced) {
            environment.push_back(inherited);
        }
    }
    std::vector<char*> environmentPointers;
    for (std::string& entry : environment) {
        environmentPointers.push_back(entry.data());
    }
    environmentPointers.push_back(nullptr);
    std::string timerProgram = timer.string();
    std::string timerOutput = timerReport.string();
    std::string program = launcher.string();
    char* arguments[] = {timerProgram.data(), timerOutput.data(), program.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t child = 0;
    int spawnResult = posix_spawn(&child, timerProgram.c_str(), &actions, nullptr, arguments,
                                  environmentPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    int timerStatus = 0;
    while (spawnResult == 0 && waitpid(child, &timerStatus, 0) < 0 && errno == EINTR) {
    }
    if (spawnResult != 0 || !WIFEXITED(timerStatus) || WEXITSTATUS(timerStatus) != 0) {
        timing.fault = "the timer could not start or reap " + program;
        return timing;
    }
    const long long spawned = ReadStamp(timerReport, "spawned_ns");
    const long long reaped = ReadStamp(timerReport, "reaped_ns");
    const int status = static_cast<int>(ReadStamp(timerReport, "status"));
    if (spawned < 0 || reaped < 0 || status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        timing.fault = "the launcher did not exit with status 0";
        return timing;
    }
    const long long gameStart = ReadStamp(report, "start_ns");
    const long long gameEnd = ReadStamp(end, "end_ns");
    if (gameStart < 0 || gameEnd < 0) {
        timing.fault = "the game did not stamp its start and end";
        return timing;
    }
    if (!ReportSaysActive(report)) {
        timing.fault = "the mod's volume was not active while the game ran";
        return timing;
    }
    timing.beforeGameMs = static_cast<double>(gameStart - spawned) / 1e6;
    timing.afterGameMs = static_cast<double>(reaped - gameEnd) / 1e6;
    timing.maxRssKib = static_cast<long>(ReadStamp(timerReport, "maxrss_kib"));
    return timing;
}

}  // namespace bench
