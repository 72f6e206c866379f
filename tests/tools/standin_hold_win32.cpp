// Holding a file on Windows: a process of its own (this program, started with "--hold NAME")
// opens the file for reading without FILE_SHARE_DELETE, which lets others read it but makes
// every rename and delete of it fail with a sharing violation. It tells that it holds the file
// by creating "standin-held.txt", and lets go once "standin-release.txt" appears, which it then
// removes.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstring>

#include "standin_hold.h"

namespace {

constexpr char kHeldSignal[] = "standin-held.txt";
constexpr char kReleaseSignal[] = "standin-release.txt";
// Long enough for any launch of a test; a holder whose test failed does not stay for ever.
constexpr DWORD kLongestHoldMilliseconds = 180000;
constexpr DWORD kSignalWaitMilliseconds = 60000;

bool Exists(const char* name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

// Waits until the file exists (or, with present false, is gone); false on time-out.
bool WaitFor(const char* name, bool present, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (Exists(name) != present) {
        if (GetTickCount64() > deadline) {
            return false;
        }
        Sleep(5);
    }
    return true;
}

void CreateSignal(const char* name) {
    HANDLE file =
        CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
}

}  // namespace

bool HoldFile(const char* program, const std::string& name) {
    std::string commandLine = std::string("\"") + program + "\" --hold \"" + name + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const bool held = WaitFor(kHeldSignal, true, kSignalWaitMilliseconds);
    DeleteFileA(kHeldSignal);
    return held;
}

bool ReleaseHeldFile(const std::string&) {
    CreateSignal(kReleaseSignal);
    return WaitFor(kReleaseSignal, false, kSignalWaitMilliseconds);
}

bool RunAsFileHolder(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--hold") != 0) {
        return false;
    }
    HANDLE held = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        return true;
    }
    CreateSignal(kHeldSignal);
    WaitFor(kReleaseSignal, true, kLongestHoldMilliseconds);
    CloseHandle(held);
    DeleteFileA(kReleaseSignal);
    return true;
}
