// The whole launch of the Windows product under Wine against a bare launcher that only starts
// the game and waits, on the game folder with a 1 KiB mod volume and 20 other volumes parked.
// Under Wine the start of every Windows process costs far more than the launcher's own work,
// and it varies with the machine's load, so the two launchers run in pairs, one right after
// the other in alternating order, and the figure is the median of the pairs' ratios.
//
// Usage: wine_launch_ratio --loader PATH --launcher EXE --bare-launcher EXE --game EXE
//                          --timer PATH --prefix DIR --work DIR [--arch win32|win64] [--runs N]
// The loader is Wine's (/usr/lib/wine/wine for 32-bit programs); the game is the stand-in game
// built for the same Windows; the timer is bench/launch_timer.cpp's program. The prefix is made
// on first use with WINEARCH set to --arch (default win32). The work folder must not exist; it
// is removed at the end. A wineserver stays up for the prefix while the launches run, as it
// does on a player's machine where other Windows programs run, and is ended at the end.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "folder_shapes.h"
#include "mod_identity.h"
#include "percentile.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kParkedVolumes = 20;
constexpr int kWarmUpPairs = 3;

struct Options {
    fs::path loader;
    fs::path launcher;
    fs::path bareLauncher;
    fs::path game;
    fs::path timer;
    fs::path prefix;
    fs::path work;
    std::string arch = "win32";
    int runs = 51;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--loader") {
            options.loader = value;
        } else if (name == "--launcher") {
            options.launcher = value;
        } else if (name == "--bare-launcher") {
            options.bareLauncher = value;
        } else if (name == "--game") {
            options.game = value;
        } else if (name == "--timer") {
            options.timer = value;
        } else if (name == "--prefix") {
            options.prefix = value;
        } else if (name == "--work") {
            options.work = value;
        } else if (name == "--arch") {
            options.arch = value;
        } else if (name == "--runs") {
            options.runs = std::max(1, std::atoi(value.c_str()));
        } else {
            throw std::runtime_error("unknown option " + name);
        }
    }
    // Every program starts in the game folder: the paths must not depend on where this runs.
    for (fs::path* required : {&options.loader, &options.launcher, &options.bareLauncher,
                               &options.game, &options.timer, &options.prefix, &options.work}) {
        if (required->empty()) {
            throw std::runtime_error("every path option is needed; see the usage in the source");
        }
        *required = fs::absolute(*required);
    }
    return options;
}

// The environment of every Wine start: the private prefix, no debug output, a fixed locale,
// and no offer to install the .NET and HTML engines when the prefix is made.
std::vector<std::string> WineEnvironment(const Options& options) {
    const std::vector<std::string> overrides = {
        "WINEPREFIX=" + fs::absolute(options.prefix).string(), "WINEARCH=" + options.arch,
        "WINEDEBUG=-all", "LC_ALL=C.UTF-8", "WINEDLLOVERRIDES=mscoree,mshtml="};
    std::vector<std::string> environment(overrides);
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string inherited = *entry;
        const std::string name = inherited.substr(0, inherited.find('=') + 1);
        const bool replaced =
            std::any_of(overrides.begin(), overrides.end(),
                        [&](const std::string& o) { return o.rfind(name, 0) == 0; });
        if (!replaced && name != "DISPLAY=") {
            environment.push_back(inherited);
        }
    }
    return environment;
}

// Runs words[0] with the arguments in folder and waits; returns its exit status or -1.
int Run(std::vector<std::string> words, const fs::path& folder,
        std::vector<std::string> environment) {
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long long Stamp(const std::string& text, const std::string& key) {
    const size_t at = text.find(key + "=");
    return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + key.size() + 1);
}

// The volumes the stand-in game saw active, one "active=NAME" line each, in its report.
std::vector<std::string> ActiveVolumes(const std::string& report) {
    std::vector<std::string> names;
    size_t at = 0;
    while ((at = report.find("active=", at)) != std::string::npos) {
        const size_t end = report.find_first_of("\r\n", at);
        names.push_back(report.substr(at + 7, end - at - 7));
        at = end;
    }
    return names;
}

// One timed launch: milliseconds from the launcher's start under Wine to its exit, the game's
// whole run included. Throws when the launch did not do what it should.
double TimedLaunch(const Options& options, const fs::path& launcher, bool isProduct,
                   const fs::path& folder, const std::vector<std::string>& environment) {
    const fs::path report = folder.parent_path() / "launch-timer.txt";
    const fs::path gameReport = folder / "standin-report.txt";
    fs::remove(report);
    fs::remove(gameReport);
    fs::remove(folder / "standin-end.txt");
    const int status =
        Run({options.timer.string(), report.string(), options.loader.string(), launcher.string()},
            folder, environment);
    const std::string timed = ReadText(report);
    const long long spawned = Stamp(timed, "spawned_ns");
    const long long reaped = Stamp(timed, "reaped_ns");
    const long long launcherStatus = Stamp(timed, "status");
    if (status != 0 || spawned < 0 || reaped < 0 || launcherStatus != 0) {
        throw std::runtime_error(launcher.filename().string() + " did not start and exit 0");
    }
    const std::string seen = ReadText(gameReport);
    if (seen.empty()) {
        throw std::runtime_error(launcher.filename().string() + " did not start the game");
    }
    if (isProduct) {
        const std::vector<std::string> active = ActiveVolumes(seen);
        if (active.size() != 1 || active[0] != MOD_VOLUME_NAME) {
            throw std::runtime_error(
                "the game did not see the mod's volume as the only active one");
        }
        const std::string fault = bench::ParkedStateFault(folder);
        if (!fault.empty()) {
            throw std::runtime_error("after the product's launch: " + fault);
        }
    }
    return static_cast<double>(reaped - spawned) / 1e6;
}

// Three significant digits, without an exponent.
std::string Figure(double value) {
    const double size = value < 0 ? -value : value;
    const char* format = size >= 100 ? "%.0f" : size >= 10 ? "%.1f" : "%.2f";
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void PrintSummary(const char* what, const std::vector<double>& values, const char* unit) {
    std::printf("%-40s %s%s [%s-%s] n=%zu\n", what, Figure(Percentile(values, 0.5)).c_str(), unit,
                Figure(Percentile(values, 0.1)).c_str(), Figure(Percentile(values, 0.9)).c_str(),
                values.size());
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options options = ParseOptions(argc, argv);
        if (fs::exists(options.work)) {
            throw std::runtime_error(options.work.string() + " exists already");
        }
        const std::vector<std::string> environment = WineEnvironment(options);
        fs::create_directories(options.work);
        const fs::path folder = options.work / "game";
        bench::CreateGameFolder(folder, 1u << 10, options.game);
        bench::SetParkedVolumeCount(folder, kParkedVolumes);

        // The first start makes the prefix (seconds for a 32-bit one); then the wineserver is
        // kept up, so that no launch pays for its start.
        const fs::path wineserver = options.loader.parent_path() / "wineserver";
        if (Run({options.loader.string(), options.game.string()}, options.work, environment) < 0) {
            throw std::runtime_error("Wine did not start " + options.game.string());
        }
        Run({wineserver.string(), "-p"}, options.work, environment);
        // Ends the wineserver however the measuring ends.
        struct ServerEnd {
            const fs::path& wineserver;
            const std::vector<std::string>& environment;
            ~ServerEnd() { Run({wineserver.string(), "-k"}, "/", environment); }
        } serverEnd{wineserver, environment};

        std::vector<double> productMs;
        std::vector<double> bareMs;
        std::vector<double> ratios;
        for (int pair = -kWarmUpPairs; pair < options.runs; ++pair) {
            // Alternating which goes first, so that neither always runs right after the other.
            double product = 0;
            double bare = 0;
            if (pair % 2 == 0) {
                product = TimedLaunch(options, options.launcher, true, folder, environment);
                bare = TimedLaunch(options, options.bareLauncher, false, folder, environment);
            } else {
                bare = TimedLaunch(options, options.bareLauncher, false, folder, environment);
                product = TimedLaunch(options, options.launcher, true, folder, environment);
            }
            if (pair >= 0) {
                productMs.push_back(product);
                bareMs.push_back(bare);
                ratios.push_back(product / bare);
            }
        }

        std::printf("Whole launch under Wine (%s), 1 KiB mod volume, %d parked, %s\n",
                    options.arch.c_str(), kParkedVolumes, options.loader.c_str());
        std::printf("(median [10th-90th percentile] n=pairs)\n");
        PrintSummary("product, start to exit (ms)", productMs, "");
        PrintSummary("bare launcher, start to exit (ms)", bareMs, "");
        PrintSummary("product / bare launcher, per pair", ratios, "x");
        std::vector<double> differences;
        for (size_t i = 0; i < productMs.size(); ++i) {
            differences.push_back(productMs[i] - bareMs[i]);
        }
        PrintSummary("product - bare launcher, per pair (ms)", differences, "");
        fs::remove_all(options.work);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wine_launch_ratio: %s\n", error.what());
        return 1;
    }
}
