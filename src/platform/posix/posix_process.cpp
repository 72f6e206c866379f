// Starting the game and waiting for it. A POSIX program takes an argument vector, so the
// Windows command line is split by the rules its C runtime would apply on Windows.
#include <errno.h>
#include <limits.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/fault_seam.h"
#include "platform/platform.h"
#include "platform/posix/posix_backend.h"
#include "platform/posix/windows_argv.h"

namespace {

bool HasSlash(const char* path) {
    for (size_t i = 0; path[i] != '\0'; ++i) {
        if (path[i] == '/') {
            return true;
        }
    }
    return false;
}

// Starts the program and waits for it; false when it could not be started. posix_spawn
// reports a program that is missing or cannot be executed as its result, so no start goes
// unnoticed. No file actions are used: the child inherits the working directory as it is.
bool SpawnAndWait(const char* program, char** arguments) {
    pid_t child;
    const int result = HasSlash(program)
                           ? posix_spawn(&child, program, nullptr, nullptr, arguments, environ)
                           : posix_spawnp(&child, program, nullptr, nullptr, arguments, environ);
    if (result != 0) {
        errno = result;
        return false;
    }
    int status;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            // The child is gone or was reaped elsewhere; either way it has ended.
            break;
        }
    }
    return true;
}

}  // namespace

bool RunProcessAndWait(char* commandLine) {
    if (FaultStrikes(FaultKind::ProcessStart)) {
        return false;
    }
    if (commandLine == nullptr) {
        errno = EINVAL;
        return false;
    }
    size_t length = 0;
    while (commandLine[length] != '\0') {
        if (++length >= kMaxCommandLine) {
            errno = E2BIG;
            return false;
        }
    }
    char storage[kMaxCommandLine];
    char* arguments[(kMaxCommandLine + 5) / 2];
    size_t count = 0;
    if (!SplitWindowsCommandLine(commandLine, storage, sizeof storage, arguments,
                                 sizeof arguments / sizeof arguments[0], &count) ||
        arguments[0][0] == '\0') {
        errno = ENOENT;
        return false;
    }
    // The program is named as on Windows, relative to the working directory; the child sees
    // the name it is started by as its first argument. A bare name with no file of that name
    // in the working directory is searched for along PATH.
    char local[PATH_MAX] = "./";
    char* program = local + 2;
    if (!MapWindowsPath(arguments[0], program, sizeof local - 2)) {
        return false;
    }
    if (!HasSlash(program) && access(program, F_OK) == 0) {
        program = local;
    }
    arguments[0] = program;
    return SpawnAndWait(program, arguments);
}
