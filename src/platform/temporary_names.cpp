// The launcher's temporary names and the matching that finds them again; no system is called.
#include "platform/temporary_names.h"

#include "mod_identity.h"

namespace {

constexpr char kPrefix[] = "~" MOD_VOLUME_NAME ".launcher-";
constexpr char kSuffix[] = ".tmp";
constexpr size_t kDigits = 8;

size_t Length(const char* text) {
    size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

// Appends length bytes of text at buffer[*used], keeping room for the NUL.
bool Append(char* buffer, size_t capacity, size_t* used, const char* text, size_t length) {
    if (capacity == 0 || length >= capacity - *used) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        buffer[*used + i] = text[i];
    }
    *used += length;
    buffer[*used] = '\0';
    return true;
}

bool AppendHex(char* buffer, size_t capacity, size_t* used, unsigned long number) {
    char digits[kDigits];
    for (size_t i = 0; i < kDigits; ++i) {
        digits[kDigits - 1 - i] = "0123456789abcdef"[(number >> (4 * i)) & 0xFu];
    }
    return Append(buffer, capacity, used, digits, kDigits);
}

bool IsLowerHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// Whether text[*at] starts with expected; moves *at past it when it does.
bool Consume(const char* text, size_t* at, const char* expected) {
    size_t i = 0;
    for (; expected[i] != '\0'; ++i) {
        if (text[*at + i] != expected[i]) {
            return false;
        }
    }
    *at += i;
    return true;
}

bool ConsumeHex(const char* text, size_t* at) {
    for (size_t i = 0; i < kDigits; ++i) {
        if (!IsLowerHexDigit(text[*at + i])) {
            return false;
        }
    }
    *at += kDigits;
    return true;
}

size_t FolderPartLength(const char* path) {
    size_t folderLength = 0;
    for (size_t i = 0; path[i] != '\0'; ++i) {
        if (path[i] == '\\' || path[i] == '/') {
            folderLength = i + 1;
        }
    }
    return folderLength;
}

}  // namespace

bool BuildTemporaryPath(const char* target, unsigned long processId, unsigned long serial,
                        char* path, size_t capacity) {
    size_t used = 0;
    const bool built =
        processId <= kLargestTemporaryNumber && serial <= kLargestTemporaryNumber && capacity > 0 &&
        Append(path, capacity, &used, target, FolderPartLength(target)) &&
        Append(path, capacity, &used, kPrefix, Length(kPrefix)) &&
        AppendHex(path, capacity, &used, processId) && Append(path, capacity, &used, "-", 1) &&
        AppendHex(path, capacity, &used, serial) &&
        Append(path, capacity, &used, kSuffix, Length(kSuffix));
    if (!built && capacity > 0) {
        path[0] = '\0';
    }
    return built;
}

bool IsLauncherTemporaryName(const char* name) {
    size_t at = 0;
    return Consume(name, &at, kPrefix) && ConsumeHex(name, &at) && Consume(name, &at, "-") &&
           ConsumeHex(name, &at) && Consume(name, &at, kSuffix) && name[at] == '\0';
}

bool BuildTemporaryWildcard(const char* folder, char* pattern, size_t capacity) {
    size_t used = 0;
    const bool built = capacity > 0 && Append(pattern, capacity, &used, folder, Length(folder)) &&
                       Append(pattern, capacity, &used, kPrefix, Length(kPrefix)) &&
                       Append(pattern, capacity, &used, "*", 1) &&
                       Append(pattern, capacity, &used, kSuffix, Length(kSuffix));
    if (!built && capacity > 0) {
        pattern[0] = '\0';
    }
    return built;
}
