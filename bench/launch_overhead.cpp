// The launch-overhead benchmark: how long a player waits for the launcher around the game,
// on game folders of realistic shapes, with the shipped launcher (moves by rename first) and
// with a launcher built only for this benchmark whose every move is a copy.
//
// Usage: launch_overhead --launcher PATH --copy-launcher PATH --game PATH --timer PATH
//                        --malloc-counter PATH --work DIR [--runs N] [--smoke]
// The work folder must not exist; the game folders are built there and removed at the end.
// To look into one launch with a profiler, build one folder and keep it:
//        launch_overhead --game PATH --create-folder DIR --volume-bytes N --parked N
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "folder_shapes.h"
#include "percentile.h"
#include "quiet_disk.h"
#include "timed_launch.h"

namespace fs = std::filesystem;

namespace {

struct Options {
    fs::path launcher;
    fs::path copyLauncher;
    fs::path game;
    fs::path timer;
    fs::path mallocCounter;
    fs::path work;
    int runs = 51;
    bool smoke = false;
    fs::path createFolder;
    std::uint64_t volumeBytes = 1u << 10;
    int parked = 20;
};

struct Shape {
    std::uint64_t modVolumeBytes;
    int parkedVolumes;
};

// The timed launches of one launcher on one folder shape.
struct Series {
    bool diskWasQuiet = true;
    std::vector<double> totalMs;
    std::vector<double> beforeGameMs;
    std::vector<double> afterGameMs;
};

struct HeapReport {
    int launches = 0;
    unsigned long mostAllocations = 0;
    unsigned long long mostBytes = 0;
    unsigned long mostHwmKib = 0;
    std::string callers;
};

struct Variant {
    const char* name;
    fs::path launcher;
    bool movesByRename;
    std::map<std::string, Series> series;  // By shape label.
    long mostMaxRssKib = 0;
    HeapReport heap;
};

std::string SizeLabel(std::uint64_t bytes) {
    if (bytes >= (1u << 20)) {
        return std::to_string(bytes >> 20) + " MiB";
    }
    return std::to_string(bytes >> 10) + " KiB";
}

std::string ShapeLabel(const Shape& shape) {
    return SizeLabel(shape.modVolumeBytes) + ", " + std::to_string(shape.parkedVolumes) + " parked";
}

double Median(const std::vector<double>& values) {
    return Percentile(values, 0.5);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Milliseconds with three significant digits at least.
std::string Milliseconds(double value) {
    return Format(value < 10 ? "%.2f" : value < 100 ? "%.1f" : "%.0f", value);
}

std::string Summary(const Series& series) {
    const std::vector<double>& values = series.totalMs;
    return Milliseconds(Median(values)) + (series.diskWasQuiet ? "" : " (busy disk)") + " [" +
           Milliseconds(Percentile(values, 0.1)) + "-" + Milliseconds(Percentile(values, 0.9)) +
           "] n=" + std::to_string(values.size());
}

// What tells one file from another at the same path: its inode and its birth time, as a new
// file may reuse the inode number of one deleted a moment before. Zero where unknown.
struct FileIdentity {
    unsigned long long inode = 0;
    long long bornSeconds = 0;
    unsigned bornNanoseconds = 0;
    bool operator==(const FileIdentity& other) const {
        return inode == other.inode && bornSeconds == other.bornSeconds &&
               bornNanoseconds == other.bornNanoseconds;
    }
};

FileIdentity IdentityOf(const fs::path& path) {
    FileIdentity identity;
    struct statx status;
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_INO | STATX_BTIME, &status) == 0) {
        identity.inode = status.stx_ino;
        if ((status.stx_mask & STATX_BTIME) != 0) {
            identity.bornSeconds = status.stx_btime.tv_sec;
            identity.bornNanoseconds = status.stx_btime.tv_nsec;
        }
    }
    return identity;
}

// One launch, checked: the folder must come back parked, and the mod's volume must have been
// moved the way the variant moves it (the same file after renames, a new one after copies).
bench::LaunchTiming CheckedLaunch(const Variant& variant, const fs::path& folder,
                                  const Options& options,
                                  const std::vector<std::string>& environment) {
    const FileIdentity before = IdentityOf(bench::ParkedModVolume(folder));
    bench::LaunchTiming timing =
        bench::TimeLaunch(options.timer, variant.launcher, folder, environment);
    if (timing.fault.empty()) {
        timing.fault = bench::ParkedStateFault(folder);
    }
    const bool sameFile = IdentityOf(bench::ParkedModVolume(folder)) == before;
    if (timing.fault.empty() && sameFile != variant.movesByRename) {
        timing.fault = variant.movesByRename ? "the mod's volume was copied, not renamed"
                                             : "the mod's volume was renamed, not copied";
    }
    if (!timing.fault.empty()) {
        throw std::runtime_error(std::string(variant.name) + " launch in " + folder.string() +
                                 ": " + timing.fault);
    }
    return timing;
}

// A folder of one shape, with the label its results go under.
struct Place {
    std::string label;
    fs::path folder;
};

// Times warmups + runs launches of variant in every place, taking the places in turn within
// each round (from a different one each round), so that whatever else the machine does while
// they run weighs on every shape alike.
void TimeLaunches(Variant& variant, const std::vector<Place>& places, const Options& options,
                  double quietFsyncMs, int warmups, int runs) {
    // Whatever the folders' creation or the copies before left for the disk to write is
    // written before these launches start.
    const bool quiet = bench::WaitForQuietDisk(options.work, quietFsyncMs, 60);
    for (int run = 0; run < warmups + runs; ++run) {
        for (size_t turn = 0; turn < places.size(); ++turn) {
            const Place& place = places[(turn + static_cast<size_t>(run)) % places.size()];
            const bench::LaunchTiming timing = CheckedLaunch(variant, place.folder, options, {});
            variant.mostMaxRssKib = std::max(variant.mostMaxRssKib, timing.maxRssKib);
            Series& series = variant.series[place.label];
            series.diskWasQuiet = quiet;
            if (run >= warmups) {
                series.beforeGameMs.push_back(timing.beforeGameMs);
                series.afterGameMs.push_back(timing.afterGameMs);
                series.totalMs.push_back(timing.beforeGameMs + timing.afterGameMs);
            }
        }
    }
}

// A launch with the allocation counter preloaded; its report line is the one naming the
// launcher as its program.
void CountAllocations(Variant& variant, const fs::path& folder, const Options& options) {
    const fs::path log = options.work / "allocations.log";
    fs::remove(log);
    CheckedLaunch(variant, folder, options,
                  {"LD_PRELOAD=" + options.mallocCounter.string(),
                   "LAUNCHER_BENCH_MALLOC_LOG=" + log.string()});
    std::ifstream in(log);
    std::string line;
    bool found = false;
    const std::string exe = "exe=" + fs::canonical(variant.launcher).string() + " ";
    while (std::getline(in, line)) {
        if (line.find(exe) == std::string::npos) {
            continue;
        }
        found = true;
        auto number = [&line](const std::string& key) {
            const size_t at = line.find(" " + key + "=");
            return at == std::string::npos ? 0ull : std::stoull(line.substr(at + key.size() + 2));
        };
        HeapReport& heap = variant.heap;
        ++heap.launches;
        const unsigned long allocations = static_cast<unsigned long>(number("allocations"));
        if (allocations > heap.mostAllocations) {
            heap.mostAllocations = allocations;
            heap.callers = line.substr(line.find("callers="));
        }
        heap.mostBytes = std::max(heap.mostBytes, number("bytes"));
        heap.mostHwmKib = std::max(heap.mostHwmKib, static_cast<unsigned long>(number("hwm_kib")));
    }
    if (!found) {
        throw std::runtime_error("the allocation counter wrote no line for the launcher; is " +
                                 options.mallocCounter.string() + " loadable?");
    }
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                throw std::runtime_error(option + " needs a value");
            }
            return argv[++i];
        };
        if (option == "--launcher") {
            options.launcher = fs::absolute(value());
        } else if (option == "--copy-launcher") {
            options.copyLauncher = fs::absolute(value());
        } else if (option == "--game") {
            options.game = fs::absolute(value());
        } else if (option == "--timer") {
            options.timer = fs::absolute(value());
        } else if (option == "--malloc-counter") {
            options.mallocCounter = fs::absolute(value());
        } else if (option == "--work") {
            options.work = fs::absolute(value());
        } else if (option == "--runs") {
            options.runs = std::stoi(value());
        } else if (option == "--smoke") {
            options.smoke = true;
        } else if (option == "--create-folder") {
            options.createFolder = fs::absolute(value());
        } else if (option == "--volume-bytes") {
            options.volumeBytes = std::stoull(value());
        } else if (option == "--parked") {
            options.parked = std::stoi(value());
        } else {
            throw std::runtime_error("unknown option " + option);
        }
    }
    if (!options.createFolder.empty() && !options.game.empty()) {
        return options;
    }
    if (options.launcher.empty() || options.copyLauncher.empty() || options.game.empty() ||
        options.timer.empty() || options.mallocCounter.empty() || options.work.empty() ||
        options.runs < 1) {
        throw std::runtime_error(
            "usage: launch_overhead --launcher PATH --copy-launcher PATH --game PATH --timer PATH "
            "--malloc-counter PATH --work DIR [--runs N] [--smoke]\n"
            "   or: launch_overhead --game PATH --create-folder DIR [--volume-bytes N] "
            "[--parked N]");
    }
    return options;
}

// Copies of a large volume take seconds each; fewer of them still give a stable median.
int CopyRuns(std::uint64_t modVolumeBytes, int runs) {
    if (modVolumeBytes >= (256u << 20)) {
        return std::min(runs, 3);
    }
    if (modVolumeBytes >= (16u << 20)) {
        return std::min(runs, 9);
    }
    return runs;
}

void PrintTable(const std::vector<Shape>& shapes, const Variant& renames, const Variant& copies) {
    std::printf(
        "\nLaunch overhead in ms: launcher start to game start, plus game end to launcher "
        "exit\n(median [10th-90th percentile] n=runs)\n\n");
    std::printf("| talvero.mod, other volumes | with renames | with copies | copies / renames |\n");
    std::printf("|---|---|---|---|\n");
    for (const Shape& shape : shapes) {
        const std::string label = ShapeLabel(shape);
        const Series& renamed = renames.series.at(label);
        const Series& copied = copies.series.at(label);
        std::printf("| %s | %s | %s | %sx |\n", label.c_str(), Summary(renamed).c_str(),
                    Summary(copied).c_str(),
                    Format("%.1f", Median(copied.totalMs) / Median(renamed.totalMs)).c_str());
    }
    std::printf("\nThe two halves with renames, in ms (median):\n\n");
    std::printf("| talvero.mod, other volumes | start to game | game end to exit |\n");
    std::printf("|---|---|---|\n");
    for (const Shape& shape : shapes) {
        const std::string label = ShapeLabel(shape);
        const Series& renamed = renames.series.at(label);
        std::printf("| %s | %s | %s |\n", label.c_str(),
                    Milliseconds(Median(renamed.beforeGameMs)).c_str(),
                    Milliseconds(Median(renamed.afterGameMs)).c_str());
    }
}

void PrintTargets(const std::vector<Shape>& shapes, const Variant& renames, const Variant& copies) {
    std::printf(
        "\nSize against count, with renames (median of the largest volume / median of "
        "the smallest):\n");
    const std::uint64_t smallest = shapes.front().modVolumeBytes;
    const std::uint64_t largest = shapes.back().modVolumeBytes;
    for (const Shape& shape : shapes) {
        if (shape.modVolumeBytes != largest) {
            continue;
        }
        const Shape small = {smallest, shape.parkedVolumes};
        const double ratio = Median(renames.series.at(ShapeLabel(shape)).totalMs) /
                             Median(renames.series.at(ShapeLabel(small)).totalMs);
        const double speedup = Median(copies.series.at(ShapeLabel(shape)).totalMs) /
                               Median(renames.series.at(ShapeLabel(shape)).totalMs);
        std::printf("  %d parked: %s / %s = %.2f; copies take %.0fx as long as renames at %s\n",
                    shape.parkedVolumes, SizeLabel(largest).c_str(), SizeLabel(smallest).c_str(),
                    ratio, speedup, SizeLabel(largest).c_str());
    }
}

void PrintMemory(const Variant& renames, const Variant& copies) {
    for (const Variant* variant : {&renames, &copies}) {
        const HeapReport& heap = variant->heap;
        std::printf(
            "\n%s launcher: %lu heap allocations (%llu bytes) at most in one launch, over "
            "%d launches with the counter preloaded;\n  peak resident memory of its own "
            "process (VmHWM at exit): %lu KiB at most;\n  wait4's peak resident memory "
            "(the launcher or its game, the larger): %ld KiB at most.\n",
            variant->name, heap.mostAllocations, heap.mostBytes, heap.launches, heap.mostHwmKib,
            variant->mostMaxRssKib);
        if (heap.mostAllocations > 0) {
            std::printf("  First allocations from: %s\n", heap.callers.c_str());
        }
    }
}

// Removes the work folder, with the large files in it, however the benchmark ends.
struct WorkFolder {
    explicit WorkFolder(const fs::path& folder) : path(folder) {
        if (fs::exists(path)) {
            throw std::runtime_error(path.string() + " exists; remove it or choose another");
        }
        fs::create_directories(path);
    }
    ~WorkFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    fs::path path;
};

void Run(const Options& options) {
    const WorkFolder work(options.work);
    const int runs = options.smoke ? std::min(options.runs, 5) : options.runs;
    const double quietFsyncMs = bench::SmallFsyncMs(options.work);
    std::printf("A small file's fsync takes %s ms before the benchmark writes anything.\n",
                Format("%.2f", quietFsyncMs).c_str());
    Variant renames = {"Shipped (rename-first)", options.launcher, true, {}, 0, {}};
    Variant copies = {"Copy-only", options.copyLauncher, false, {}, 0, {}};

    const std::vector<std::uint64_t> sizes =
        options.smoke ? std::vector<std::uint64_t>{1u << 10}
                      : std::vector<std::uint64_t>{1u << 10, 64u << 20, 512u << 20};
    const std::vector<int> counts =
        options.smoke ? std::vector<int>{20} : std::vector<int>{1, 20, 200};
    std::vector<Shape> shapes;
    std::vector<Place> places;
    for (const std::uint64_t size : sizes) {
        fs::path volumeOfThisSize;
        for (const int count : counts) {
            const Shape shape = {size, count};
            const Place place = {ShapeLabel(shape), options.work / ("game-" + std::to_string(size) +
                                                                    "-" + std::to_string(count))};
            std::fprintf(stderr, "Building the folder of %s\n", place.label.c_str());
            bench::CreateGameFolder(place.folder, size, options.game, volumeOfThisSize);
            volumeOfThisSize = bench::ParkedModVolume(place.folder);
            bench::SetParkedVolumeCount(place.folder, count);
            shapes.push_back(shape);
            places.push_back(place);
        }
    }
    std::fprintf(stderr, "Timing the shipped launcher on every folder in turn\n");
    TimeLaunches(renames, places, options, quietFsyncMs, 3, runs);
    for (size_t i = 0; i < shapes.size(); ++i) {
        std::fprintf(stderr, "Timing the copy-only launcher on %s\n", places[i].label.c_str());
        TimeLaunches(copies, {places[i]}, options, quietFsyncMs, 1,
                     CopyRuns(shapes[i].modVolumeBytes, runs));
    }
    for (size_t i = 0; i < shapes.size(); ++i) {
        CountAllocations(renames, places[i].folder, options);
        if (shapes[i].modVolumeBytes == sizes.front()) {
            CountAllocations(copies, places[i].folder, options);
        }
    }
    PrintTable(shapes, renames, copies);
    if (!options.smoke) {
        PrintTargets(shapes, renames, copies);
    }
    PrintMemory(renames, copies);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options options = ParseOptions(argc, argv);
        if (!options.createFolder.empty()) {
            bench::CreateGameFolder(options.createFolder, options.volumeBytes, options.game);
            bench::SetParkedVolumeCount(options.createFolder, options.parked);
            return 0;
        }
        Run(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "launch_overhead: %s\n", error.what());
        return 1;
    }
    return 0;
}
