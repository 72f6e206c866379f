// The text of a profile file as the reads and the writes of the POSIX backend both see it: the
// file mapped into memory, and the place of a key in it, found as KERNEL32 finds it.
#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_backend.h"

namespace {

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
