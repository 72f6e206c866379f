// Holds volume files open the way a virus scanner or an indexer does, or a game that is still
// running, while the launcher parks them: opened for reading without FILE_SHARE_DELETE, so that
// a rename or delete of them fails with a sharing violation until they are let go.
//
// Usage: volume_holder HELD START HOLD-MS RESULT-FILE LAUNCHER
// HELD is one file, or a pattern such as "Data\*.mod" whose every match is held. The holder
// opens them, starts LAUNCHER in the working directory, and starts the hold's clock at once
// when START is "launch", when the file named after a '+' appears ("+standin-end.txt": the game
// has ended), or else when the file START is gone (the launcher's sweep has moved the volume
// before the held one, so it is about to meet the held one). It holds on for HOLD-MS
// milliseconds, or until the launcher has ended when HOLD-MS is "forever", lets go and waits
// for the launcher. RESULT-FILE receives, one "key=value" a line: held_count, held_ms (from the
// start of the hold's clock to the release), watched_gone (1 when the clock started as it
// should), held_present_at_release (1 when every held file was still in place when let go),
// launch_start_ns and launcher_end_ns (wall clock, as the stand-in game stamps its start and
// end) and launcher_exit.
// Exit status 0, or 2 when something could not be done (the reason is in RESULT-FILE).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "helper_failure.h"

namespace {

long long NowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The paths that HELD names: itself, or every match of its pattern in its folder.
std::vector<std::string> HeldPaths(const std::string& held) {
    if (held.find_first_of("*?") == std::string::npos) {
        return {held};
    }
    const size_t folderEnd = held.find_last_of('\\');
    const std::string folder = folderEnd == std::string::npos ? "" : held.substr(0, folderEnd + 1);
    std::vector<std::string> paths;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(held.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return paths;
    }
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            paths.push_back(folder + entry.cFileName);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return paths;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        return 2;
    }
    const std::vector<std::string> heldPaths = HeldPaths(argv[1]);
    const bool startAtLaunch = std::strcmp(argv[2], "launch") == 0;
    const bool startWhenItAppears = argv[2][0] == '+';
    const char* watchedFile = startWhenItAppears ? argv[2] + 1 : argv[2];
    const bool forever = std::strcmp(argv[3], "forever") == 0;
    const DWORD holdMilliseconds = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
    const char* resultFile = argv[4];
    std::string commandLine = std::string("\"") + argv[5] + "\"";

    std::vector<HANDLE> held;
    for (const std::string& path : heldPaths) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return Fail(resultFile, "cannot open " + path);
        }
        held.push_back(file);
    }
    if (held.empty()) {
        return Fail(resultFile, "nothing to hold");
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const long long launchStart = NowNanoseconds();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return Fail(resultFile, "cannot start the launcher");
    }
    const ULONGLONG deadline = GetTickCount64() + 30000;
    while (!startAtLaunch &&
           (GetFileAttributesA(watchedFile) != INVALID_FILE_ATTRIBUTES) != startWhenItAppears &&
           GetTickCount64() < deadline) {
        Sleep(1);
    }
    const ULONGLONG holdStart = GetTickCount64();
    if (forever) {
        WaitForSingleObject(process.hProcess, 120000);
    } else {
        Sleep(holdMilliseconds);
    }
    bool presentAtRelease = true;
    for (const std::string& path : heldPaths) {
        presentAtRelease =
            presentAtRelease && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    for (HANDLE file : held) {
        CloseHandle(file);
    }
    const ULONGLONG released = GetTickCount64();

    WaitForSingleObject(process.hProcess, 120000);
    const long long launcherEnd = NowNanoseconds();
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::ofstream(resultFile, std::ios::binary)
        << "held_count=" << held.size() << "\nheld_ms=" << (released - holdStart)
        << "\nwatched_gone=" << (holdStart < deadline ? 1 : 0)
        << "\nheld_present_at_release=" << (presentAtRelease ? 1 : 0)
        << "\nlaunch_start_ns=" << launchStart << "\nlauncher_end_ns=" << launcherEnd
        << "\nlauncher_exit=" << exitCode << "\n";
    return 0;
}
