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

// Windows keeps profile writes in a cache; a write with no section, key or value hands the
// cached copy of the file to the disk. Its result tells nothing useful and is dropped.
void FlushProfile(const char* file) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
}
