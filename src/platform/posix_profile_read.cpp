// Profile reads as KERNEL32 performs them. The file is mapped, not copied into a buffer, so a
// file of any size and with any bytes (NUL bytes are ordinary bytes of their line) is read
// without the heap and without a limit on the length of a line.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix_backend.h"

namespace {

unsigned char FoldCase(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Narrows [*start, *end) by the blanks at both of its ends.
void TrimBlanks(const char* text, size_t* start, size_t* end) {
    while (*start < *end && IsBlank(text[*start])) {
        ++*start;
    }
    while (*end > *start && IsBlank(text[*end - 1])) {
        --*end;
    }
}

// Whether text[start, end) equals name with ASCII letter case ignored. A NUL byte in the text
// never equals, as no name holds one.
bool SpanEqualsIgnoringCase(const char* text, size_t start, size_t end, const char* name) {
    size_t i = 0;
    for (; start + i < end; ++i) {
        if (name[i] == '\0' || text[start + i] == '\0' ||
            FoldCase(text[start + i]) != FoldCase(name[i])) {
            return false;
        }
    }
    return name[i] == '\0';
}

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

bool MapFile(const char* mappedPath, MappedFile* file) {
    file->fd = open(mappedPath, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    file->data = nullptr;
    file->size = 0;
    if (file->fd < 0) {
        return false;
    }
    struct stat status;
    const bool statted = fstat(file->fd, &status) == 0;
    if (!statted || !S_ISREG(status.st_mode)) {
        if (statted) {
            errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        }
        const int savedErrno = errno;
        close(file->fd);
        file->fd = -1;
        errno = savedErrno;
        return false;
    }
    file->mode = status.st_mode;
    file->owner = status.st_uid;
    file->group = status.st_gid;
    file->size = static_cast<size_t>(status.st_size);
    if (file->size == 0) {
        return true;
    }
    void* data = mmap(nullptr, file->size, PROT_READ, MAP_PRIVATE, file->fd, 0);
    if (data == MAP_FAILED) {
        const int savedErrno = errno;
        close(file->fd);
        file->fd = -1;
        errno = savedErrno;
        return false;
    }
    file->data = static_cast<const char*>(data);
    return true;
}

void UnmapFile(MappedFile* file) {
    if (file->data != nullptr) {
        munmap(const_cast<char*>(file->data), file->size);
        file->data = nullptr;
    }
    if (file->fd >= 0) {
        close(file->fd);
        file->fd = -1;
    }
}

void FindProfileKey(const char* text, size_t size, const char* section, const char* key,
                    ProfileKeyPlace* place) {
    *place = ProfileKeyPlace{};
    bool inSection = false;
    size_t lineStart = 0;
    while (lineStart < size) {
        size_t lineEnd = lineStart;
        while (lineEnd < size && !IsLineBreak(text[lineEnd])) {
            ++lineEnd;
        }
        size_t next = lineEnd;
        if (next < size) {
            next += (text[next] == '\r' && next + 1 < size && text[next + 1] == '\n') ? 2 : 1;
        }
        size_t first = lineStart;
        while (first < lineEnd && IsBlank(text[first])) {
            ++first;
        }

        size_t closing = first;
        if (first < lineEnd && text[first] == '[') {
            while (closing < lineEnd && text[closing] != ']') {
                ++closing;
            }
        }
        if (first < lineEnd && text[first] == '[' && closing < lineEnd) {
            // A section header: the name runs to the first ']', trimmed; the rest of the line
            // is ignored. A line that begins with '[' but has no ']' is no header, as KERNEL32
            // reads it: the section goes on, and the line is a key line if it has an '='.
            if (inSection) {
                return;
            }
            size_t nameStart = first + 1;
            size_t nameEnd = closing;
            TrimBlanks(text, &nameStart, &nameEnd);
            if (SpanEqualsIgnoringCase(text, nameStart, nameEnd, section)) {
                inSection = true;
                place->sectionFound = true;
                place->insertAt = next;
                place->insertNeedsBreak = next == lineEnd;
            }
        } else if (inSection && first < lineEnd) {
            // A key line has an '='; the first one splits it. Lines without one are no keys.
            // A comment (";k=v") is read as KERNEL32 reads it, as the key ";k", which no
            // lookup of an ordinary name matches; a new key still goes before comments that
            // end a section.
            size_t equals = first;
            while (equals < lineEnd && text[equals] != '=') {
                ++equals;
            }
            if (equals < lineEnd) {
                if (text[first] != ';') {
                    place->insertAt = next;
                    place->insertNeedsBreak = next == lineEnd;
                }
                size_t keyStart = first;
                size_t keyEnd = equals;
                TrimBlanks(text, &keyStart, &keyEnd);
                if (SpanEqualsIgnoringCase(text, keyStart, keyEnd, key)) {
                    size_t valueStart = equals + 1;
                    size_t valueEnd = lineEnd;
                    TrimBlanks(text, &valueStart, &valueEnd);
                    place->keyFound = true;
                    place->lineStart = lineStart;
                    place->lineEnd = lineEnd;
                    place->keyStart = keyStart;
                    place->keyEnd = keyEnd;
                    place->valueStart = valueStart;
                    place->valueEnd = valueEnd;
                    return;
                }
            }
        }
        lineStart = next;
    }
}

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
