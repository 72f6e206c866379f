// Holds a volume file open the way a virus scanner or an indexer does for a moment, while the
// launcher parks it: opened for reading without FILE_SHARE_DELETE, so that a rename or delete
// of it fails with a sharing violation until it is let go.
//
// Usage: volume_holder HELD-FILE WATCHED-FILE HOLD-MS RESULT-FILE LAUNCHER
// Opens HELD-FILE, starts LAUNCHER in the working directory, waits until WATCHED-FILE is gone
// (the launcher's sweep has moved the volume before the held one, so it is about to meet the
// held one), holds on for HOLD-MS milliseconds, lets go and waits for the launcher. RESULT-FILE
// receives "held_ms=N" (from the watched file's going to the release) and "launcher_exit=N".
// Exit status 0, or 2 when something could not be done (the reason is in RESULT-FILE).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

int Fail(const char* resultFile, const std::string& reason) {
    std::ofstream(resultFile, std::ios::binary)
        << "error=" << reason << " (" << GetLastError() << ")\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        return 2;
    }
    const char* heldFile = argv[1];
    const char* watchedFile = argv[2];
    const DWORD holdMilliseconds = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
    const char* resultFile = argv[4];
    std::string commandLine = std::string("\"") + argv[5] + "\"";

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
    const ULONGLONG deadline = GetTickCount64() + 30000;
    while (GetFileAttributesA(watchedFile) != INVALID_FILE_ATTRIBUTES &&
           GetTickCount64() < deadline) {
        Sleep(1);
    }
    const ULONGLONG watchedGone = GetTickCount64();
    Sleep(holdMilliseconds);
    CloseHandle(held);
    const ULONGLONG released = GetTickCount64();

    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::ofstream(resultFile, std::ios::binary)
        << "held_ms=" << (released - watchedGone)
        << "\nwatched_gone=" << (watchedGone < deadline ? 1 : 0) << "\nlauncher_exit=" << exitCode
        << "\n";
    return 0;
}
