// Starts one program in the working directory, waits for it, and writes when it was started
// and reaped (wall-clock nanoseconds), its exit status and wait4's peak resident memory.
//
// Usage: launch_timer REPORT PROGRAM [ARGUMENT...]
// Report, one "key=value" a line: spawned_ns, reaped_ns, status (the wait status), maxrss_kib.
//
// The timing sits in this small static process rather than in the benchmark's driver because
// a program started with posix_spawn shares its parent's memory until it executes, and Linux
// counts that memory into the started program's peak resident size. Started from here, the
// launcher's peak is its own, its game's, or this program's few hundred KiB, the largest.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace {

long long NowNanoseconds() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void AppendText(char* line, size_t* used, const char* text) {
    while (*text != '\0') {
        line[(*used)++] = *text++;
    }
}

void AppendEntry(char* line, size_t* used, const char* key, long long number) {
    AppendText(line, used, key);
    AppendText(line, used, "=");
    char digits[24];
    size_t count = 0;
    const bool negative = number < 0;
    unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(number)
                                            : static_cast<unsigned long long>(number);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (negative) {
        line[(*used)++] = '-';
    }
    while (count > 0) {
        line[(*used)++] = digits[--count];
    }
    AppendText(line, used, "\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    pid_t child = 0;
    const long long spawned = NowNanoseconds();
    const int result = posix_spawn(&child, argv[2], nullptr, nullptr, argv + 2, environ);
    int status = -1;
    struct rusage usage = {};
    if (result == 0) {
        while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
        }
    }
    const long long reaped = NowNanoseconds();
    if (result != 0) {
        return 3;
    }

    char report[160];
    size_t used = 0;
    AppendEntry(report, &used, "spawned_ns", spawned);
    AppendEntry(report, &used, "reaped_ns", reaped);
    AppendEntry(report, &used, "status", status);
    AppendEntry(report, &used, "maxrss_kib", usage.ru_maxrss);
    const int fd = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || write(fd, report, used) != static_cast<ssize_t>(used)) {
        return 4;
    }
    close(fd);
    return 0;
}
