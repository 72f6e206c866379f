// Kills the launcher part way through a copy, the way the Task Manager ends a process, while it
// holds the copy's source open as a virus scanner or an indexer does: opened for reading without
// FILE_SHARE_DELETE, so that a rename of it fails and the launcher copies it instead.
//
// Usage: copy_killer HELD-FILE WATCHED-PATTERN RESULT-FILE LAUNCHER
// Opens HELD-FILE, starts LAUNCHER in the working directory and ends it with TerminateProcess as
// soon as an entry matching the wildcard WATCHED-PATTERN appears (the launcher has begun to write
// it), then lets go of HELD-FILE. RESULT-FILE receives "seen=NAME" (the entry that appeared,
// empty when none did) and "launcher_exit=N" (9 after the kill). Exit status 0, or 2 when
// something could not be done (the reason is in RESULT-FILE).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fstream>
#include <string>

#include "helper_failure.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        return 2;
    }
    const char* heldFile = argv[1];
    const char* watchedPattern = argv[2];
    const char* resultFile = argv[3];
    std::string commandLine = std::string("\"") + argv[4] + "\"";

    HANDLE held = CreateFileA(heldFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        return Fail(resultFile, "cannot open the held file");
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        CloseHandle(held);
        return Fail(resultFile, "cannot start the launcher");
    }
    // No pause between looks: the kill must land within the copy, not after it.
    std::string seen;
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (seen.empty() && GetTickCount64() < deadline &&
           WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA(watchedPattern, &entry);
        if (search != INVALID_HANDLE_VALUE) {
            seen = entry.cFileName;
            FindClose(search);
        }
    }
    if (!seen.empty()) {
        TerminateProcess(process.hProcess, 9);
    }
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(held);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::ofstream(resultFile, std::ios::binary)
        << "seen=" << seen << "\nlauncher_exit=" << exitCode << "\n";
    return 0;
}
