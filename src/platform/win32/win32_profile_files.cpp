// Profile (INI) files on Windows: KERNEL32's private profile functions, which define the
// behaviour that every other backend reproduces.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

namespace {

// The profile functions take the buffer size as a DWORD; a larger buffer is used in part.
DWORD ClampedSize(size_t size) {
    constexpr size_t kLargest = 0xFFFFFFFFu;
    return static_cast<DWORD>(size < kLargest ? size : kLargest);
}

}  // namespace

void ReadProfileValue(const char* section, const char* key, const char* fallback, char* buffer,
                      size_t size, const char* file) {
    GetPrivateProfileStringA(section, key, fallback, buffer, ClampedSize(size), file);
}

// The fallback travels through GetPrivateProfileIntA's int parameter and comes back as the
// same unsigned value, since the function returns the default's bits unchanged.
unsigned ReadProfileNumber(const char* section, const char* key, unsigned fallback,
                           const char* file) {
    return GetPrivateProfileIntA(section, key, static_cast<INT>(fallback), file);
}

bool WriteProfileValue(const char* section, const char* key, const char* value, const char* file) {
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

// KERNEL32 may keep profile writes in a cache of its own; a write with no section, key or value
// hands its cached copy of the file to the system, and that is all it promises: nothing says
// that the data then reaches the disk. FlushFileBuffers does say so, for the data and the
// file's metadata, so it follows on the file itself (which needs write access; a file that
// cannot be opened so was not written either). Neither result tells the caller anything useful.
void FlushProfile(const char* file) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
    HANDLE handle =
        CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return;
    }
    FlushFileBuffers(handle);
    CloseHandle(handle);
}
