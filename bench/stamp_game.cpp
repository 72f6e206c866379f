// The game that the benchmark's launches start. It keeps the stand-in game's protocol for the
// two stamps (start_ns in "standin-report.txt", end_ns in "standin-end.txt", wall-clock
// nanoseconds) and exits at once. It is linked statically and uses no C++ library, so that
// its own start costs as little as a program's start can: what lies between the launcher's
// start and the first stamp is then the launcher's work and the operating system's cost of
// starting a process, not the stand-in's own loading.
//
// The report also says whether the mod's volume was active ("active=1"), so the benchmark
// can check that every timed launch really prepared the folder.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include "common/game_folder.h"

namespace {

long long NowNanoseconds() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Appends the decimal digits of number to line at *used.
void AppendNumber(char* line, size_t* used, long long number) {
    char digits[24];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    while (count > 0) {
        line[(*used)++] = digits[--count];
    }
}

void AppendText(char* line, size_t* used, const char* text) {
    while (*text != '\0') {
        line[(*used)++] = *text++;
    }
}

void WriteFile(const char* path, const char* text, size_t size) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        if (write(fd, text, size) != static_cast<ssize_t>(size)) {
            // The benchmark finds the stamp missing or cut and rejects the launch.
        }
        close(fd);
    }
}

// The active volume's path on this file system: the game folder's name with slashes.
bool ModVolumeIsActive() {
    char path[sizeof kActiveModVolume];
    for (size_t i = 0; i < sizeof path; ++i) {
        path[i] = kActiveModVolume[i] == '\\' ? '/' : kActiveModVolume[i];
    }
    return access(path, F_OK) == 0;
}

}  // namespace

int main() {
    const long long start = NowNanoseconds();
    char report[64];
    size_t used = 0;
    AppendText(report, &used, "start_ns=");
    AppendNumber(report, &used, start);
    AppendText(report, &used, ModVolumeIsActive() ? "\nactive=1\n" : "\nactive=0\n");
    WriteFile("standin-report.txt", report, used);

    // The end file is created before the end is stamped, so that only its one write and the
    // game's exit fall after the stamp.
    const int endFile = open("standin-end.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    char end[48];
    used = 0;
    AppendText(end, &used, "end_ns=");
    AppendNumber(end, &used, NowNanoseconds());
    AppendText(end, &used, "\n");
    if (endFile >= 0 && write(endFile, end, used) != static_cast<ssize_t>(used)) {
        // The benchmark finds the stamp missing or cut and rejects the launch.
    }
    return 0;
}
