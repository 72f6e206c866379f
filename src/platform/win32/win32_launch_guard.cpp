// The launch guard on Windows: a named mutex in the Global\ namespace, so that launchers in
// every session of the machine see it, whose name is derived from the mod and from the game
// folder. The folder is named by its volume's serial number and its file index, which are the
// same however the folder is spelled (letter case, a short name, another drive letter or a
// share); mutex names are case sensitive and hold no further backslash. The handle is never
// closed: the system closes it when the process ends in any way, and the mutex is gone with its
// last handle, so a killed launcher never leaves the guard held, and no file is left behind.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

namespace {

// "Global\", the name, and two numbers in hexadecimal; longer names are refused.
constexpr size_t kMaxGuardName = 200;

char heldName[kMaxGuardName];
HANDLE heldGuard = nullptr;

// Builds a name in a fixed buffer; a name that does not fit is refused whole.
struct NameBuilder {
    char* buffer;
    size_t capacity;
    size_t used;

    bool Append(const char* text) {
        for (; *text != '\0'; ++text) {
            if (used + 1 >= capacity) {
                return false;
            }
            buffer[used++] = *text;
        }
        buffer[used] = '\0';
        return true;
    }

    bool AppendHex(unsigned long long value, unsigned digits) {
        char text[17];
        for (unsigned i = 0; i < digits; ++i) {
            text[digits - 1 - i] = "0123456789abcdef"[(value >> (4 * i)) & 0xF];
        }
        text[digits] = '\0';
        return Append(text);
    }
};

bool SameText(const char* first, const char* second) {
    while (*first != '\0' && *first == *second) {
        ++first;
        ++second;
    }
    return *first == *second;
}

// The guard's name for this game folder; false when the folder cannot be identified.
bool GuardName(const char* name, char* buffer, size_t capacity) {
    // A folder opens only with backup semantics; no access is asked for, so nothing is refused.
    HANDLE folder = CreateFileA(".", 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = GetFileInformationByHandle(folder, &information) != FALSE;
    CloseHandle(folder);
    if (!known) {
        return false;
    }
    const unsigned long long index =
        (static_cast<unsigned long long>(information.nFileIndexHigh) << 32) |
        information.nFileIndexLow;
    NameBuilder builder = {buffer, capacity, 0};
    return builder.Append("Global\\") && builder.Append(name) && builder.Append("-") &&
           builder.AppendHex(information.dwVolumeSerialNumber, 8) && builder.Append("-") &&
           builder.AppendHex(index, 16);
}

}  // namespace

bool TakeLaunchGuard(const char* name) {
    char guardName[kMaxGuardName];
    if (!GuardName(name, guardName, sizeof guardName)) {
        return true;
    }
    if (heldGuard != nullptr && SameText(guardName, heldName)) {
        return true;
    }
    HANDLE guard = CreateMutexA(nullptr, FALSE, guardName);
    if (guard == nullptr) {
        // A mutex that another user or an elevated launcher created may be closed to this one.
        return GetLastError() != ERROR_ACCESS_DENIED;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(guard);
        return false;
    }
    if (heldGuard != nullptr) {
        CloseHandle(heldGuard);
    }
    heldGuard = guard;
    NameBuilder held = {heldName, sizeof heldName, 0};
    held.Append(guardName);
    return true;
}
