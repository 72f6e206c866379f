// Profile reads as KERNEL32 performs them. The file is mapped, not copied into a buffer, so a
// file of any size and with any bytes (NUL bytes are ordinary bytes of their line) is read
// without the heap and without a limit on the length of a line.
#include <limits.h>
#include <stdint.h>

#include "platform/platform.h"
#include "platform/posix/posix_backend.h"

namespace {

// The value as read: one pair of matching quotes around a value of two characters or more is
// removed, so "a" reads a and "a"b" reads a"b; an unbalanced quote stays.
void StripQuotes(const char* text, size_t* start, size_t* end) {
    if (*end - *start >= 2 && (text[*start] == '"' || text[*start] == '\'') &&
        text[*end - 1] == text[*start]) {
        ++*start;
        --*end;
    }
}

struct ProfileValue {
    bool found;
    const char* text;
    size_t length;
};

// Finds the value of key in section of the profile file at path, with the file mapped into
// file while the value is used.
ProfileValue LocateValue(const char* section, const char* key, const char* path, MappedFile* file) {
    ProfileValue value = {false, nullptr, 0};
    char mapped[PATH_MAX];
    if (section == nullptr || key == nullptr || path == nullptr ||
        !MapWindowsPath(path, mapped, sizeof mapped) || !MapFile(mapped, file)) {
        return value;
    }
    ProfileKeyPlace place;
    FindProfileKey(file->data, file->size, section, key, &place);
    if (place.keyFound) {
        size_t start = place.valueStart;
        size_t end = place.valueEnd;
        StripQuotes(file->data, &start, &end);
        value = ProfileValue{true, file->data + start, end - start};
    }
    return value;
}

void CopyCut(const char* text, size_t length, char* buffer, size_t size) {
    if (size == 0) {
        return;
    }
    if (length > size - 1) {
        length = size - 1;
    }
    for (size_t i = 0; i < length; ++i) {
        buffer[i] = text[i];
    }
    buffer[length] = '\0';
}

// Decimal, or hexadecimal after "0x", after blanks and an optional sign, up to the first other
// character, in 32-bit arithmetic that wraps. Text with no digits reads 0.
unsigned ParseNumber(const char* text, size_t length) {
    size_t i = 0;
    while (i < length && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t base = 10;
    if (i + 1 < length && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    uint32_t number = 0;
    for (; i < length; ++i) {
        const char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (base == 16 && FoldCase(c) >= 'a' && FoldCase(c) <= 'f') {
            digit = static_cast<uint32_t>(FoldCase(c) - 'a' + 10);
        } else {
            break;
        }
        number = number * base + digit;
    }
    return negative ? 0u - number : number;
}

}  // namespace

void ReadProfileValue(const char* section, const char* key, const char* fallback, char* buffer,
                      size_t size, const char* file) {
    if (buffer == nullptr) {
        return;
    }
    MappedFile mappedFile = {-1, nullptr, 0, 0, 0, 0};
    const ProfileValue value = LocateValue(section, key, file, &mappedFile);
    if (value.found) {
        CopyCut(value.text, value.length, buffer, size);
    } else {
        // The fallback is copied with its trailing blanks cut.
        const char* text = fallback != nullptr ? fallback : "";
        size_t length = 0;
        while (text[length] != '\0') {
            ++length;
        }
        while (length > 0 && IsBlank(text[length - 1])) {
            --length;
        }
        CopyCut(text, length, buffer, size);
    }
    UnmapFile(&mappedFile);
}

unsigned ReadProfileNumber(const char* section, const char* key, unsigned fallback,
                           const char* file) {
    MappedFile mappedFile = {-1, nullptr, 0, 0, 0, 0};
    const ProfileValue value = LocateValue(section, key, file, &mappedFile);
    unsigned number = fallback;
    if (value.found) {
        size_t blanks = 0;
        while (blanks < value.length && IsBlank(value.text[blanks])) {
            ++blanks;
        }
        if (blanks < value.length) {
            number = ParseNumber(value.text, value.length);
        }
    }
    UnmapFile(&mappedFile);
    return number;
}
