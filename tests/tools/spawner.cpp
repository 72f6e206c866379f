// Starts a program with an exact command line and exits with its exit code, so that a test can
// hand a Windows program bytes that no shell or argument vector would pass through unchanged
// (a byte above 0x7F in an unquoted path, a quote directly followed by an option, runs of
// blanks).
//
// Usage: spawner COMMAND-LINE-FILE
// The file's bytes, all of them and nothing else, are the command line; no application name is
// given, so the program is the command line's first token, and it runs in the spawner's working
// directory with its environment. Exit status: the child's, or 125 when the file cannot be read
// or the child cannot be started.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    constexpr int kSpawnerFailed = 125;
    if (argc != 2) {
        std::fprintf(stderr, "usage: spawner COMMAND-LINE-FILE\n");
        return kSpawnerFailed;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "spawner: cannot read %s\n", argv[1]);
        return kSpawnerFailed;
    }
    std::vector<char> commandLine{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    commandLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "spawner: CreateProcessA failed with error %lu\n", GetLastError());
        return kSpawnerFailed;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = kSpawnerFailed;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}
