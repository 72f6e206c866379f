#include "quiet_disk.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace bench {

namespace {

double NowMs() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// One fsync of a freshly written file of one block, as a profile write makes.
double OneSmallFsyncMs(const fs::path& folder) {
    const fs::path probe = folder / "fsync-probe.tmp";
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot create " + probe.string());
    }
    const char block[4096] = {};
    const bool written = write(fd, block, sizeof block) == static_cast<ssize_t>(sizeof block);
    const double start = NowMs();
    const bool synced = fsync(fd) == 0;
    const double elapsed = NowMs() - start;
    close(fd);
    unlink(probe.c_str());
    if (!written || !synced) {
        throw std::runtime_error("cannot write and sync " + probe.string());
    }
    return elapsed;
}

}  // namespace

double SmallFsyncMs(const fs::path& folder) {
    std::vector<double> times;
    for (int i = 0; i < 9; ++i) {
        times.push_back(OneSmallFsyncMs(folder));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool WaitForQuietDisk(const fs::path& folder, double quietMs, int timeoutSeconds) {
    sync();
    const double limit = std::max(2 * quietMs, quietMs + 0.25);
    const double deadline = NowMs() + 1000.0 * timeoutSeconds;
    int quietInARow = 0;
    while (quietInARow < 10) {
        if (NowMs() > deadline) {
            return false;
        }
        quietInARow = OneSmallFsyncMs(folder) <= limit ? quietInARow + 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

}  // namespace bench
