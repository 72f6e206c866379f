// Windows paths on a POSIX file system: separators and the letter case of existing entries.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>

#include "platform/fault_seam.h"
#include "platform/platform.h"
#include "platform/posix/posix_backend.h"

namespace {

bool EntryExists(const char* path) {
    struct stat status;
    return fstatat(AT_FDCWD, path, &status, AT_SYMLINK_NOFOLLOW) == 0;
}

// The entry of a folder that equals a wanted name with letter case ignored. Where several do
// (a folder copied between systems may hold "DATA" and "Data"), the smallest by bytes is taken,
// so the choice does not depend on the order the file system lists them in.
struct CaseMatch {
    const char* wanted;
    char found[NAME_MAX + 1];
    bool any;
};

bool BytesBefore(const char* first, const char* second) {
    size_t i = 0;
    while (first[i] != '\0' && first[i] == second[i]) {
        ++i;
    }
    return static_cast<unsigned char>(first[i]) < static_cast<unsigned char>(second[i]);
}

void KeepCaseMatch(const char* name, unsigned char, int, void* context) {
    CaseMatch* match = static_cast<CaseMatch*>(context);
    if (!EqualsIgnoringCase(name, match->wanted)) {
        return;
    }
    if (match->any && !BytesBefore(name, match->found)) {
        return;
    }
    size_t i = 0;
    for (; name[i] != '\0' && i < NAME_MAX; ++i) {
        match->found[i] = name[i];
    }
    match->found[i] = '\0';
    match->any = true;
}

bool IsDotComponent(const char* start, size_t length) {
    return (length == 1 && start[0] == '.') || (length == 2 && start[0] == '.' && start[1] == '.');
}

// Replaces the component mapped[start, end) by the spelling of the entry of its folder that
// matches it with case ignored. False when the folder holds no such entry.
bool MatchComponentCase(char* mapped, size_t start, size_t end) {
    const size_t length = end - start;
    if (length > NAME_MAX) {
        return false;
    }
    CaseMatch match;
    char wanted[NAME_MAX + 1];
    for (size_t i = 0; i < length; ++i) {
        wanted[i] = mapped[start + i];
    }
    wanted[length] = '\0';
    match.wanted = wanted;
    match.any = false;

    // The folder part is mapped[0, start): cut the path there while the folder is read.
    const char saved = mapped[start];
    mapped[start] = '\0';
    const bool scanned = ScanFolder(mapped, KeepCaseMatch, &match);
    mapped[start] = saved;
    if (!scanned || !match.any) {
        return false;
    }
    // Names equal with ASCII case ignored have the same length.
    for (size_t i = 0; i < length; ++i) {
        mapped[start + i] = match.found[i];
    }
    return true;
}

}  // namespace

bool EqualsIgnoringCase(const char* first, const char* second) {
    size_t i = 0;
    while (first[i] != '\0' && FoldCase(first[i]) == FoldCase(second[i])) {
        ++i;
    }
    return first[i] == '\0' && second[i] == '\0';
}

bool MapWindowsPath(const char* path, char* mapped, size_t capacity) {
    size_t length = 0;
    for (; path[length] != '\0'; ++length) {
        if (length + 1 >= capacity) {
            errno = ENAMETOOLONG;
            return false;
        }
        mapped[length] = path[length] == '\\' ? '/' : path[length];
    }
    if (capacity == 0) {
        errno = ENAMETOOLONG;
        return false;
    }
    mapped[length] = '\0';
    if (length == 0 || EntryExists(mapped)) {
        return true;
    }

    size_t start = 0;
    while (start < length) {
        size_t end = start;
        while (end < length && mapped[end] != '/') {
            ++end;
        }
        if (end > start && !IsDotComponent(mapped + start, end - start)) {
            const char separator = mapped[end];
            mapped[end] = '\0';
            const bool exists = EntryExists(mapped) || MatchComponentCase(mapped, start, end);
            mapped[end] = separator;
            if (!exists) {
                // Nothing below a missing component can exist; the rest keeps its spelling.
                break;
            }
        }
        start = end + 1;
    }
    return true;
}

size_t FolderPartLength(const char* mappedPath) {
    size_t folderLength = 0;
    for (size_t i = 0; mappedPath[i] != '\0'; ++i) {
        if (mappedPath[i] == '/') {
            folderLength = i + 1;
        }
    }
    return folderLength;
}

namespace {

// What stands at a Windows path, found as Windows finds it; false when nothing does.
bool StatusOf(const char* path, struct stat* status) {
    if (FaultStrikes(FaultKind::PathExists)) {
        return false;
    }
    char mapped[PATH_MAX];
    return MapWindowsPath(path, mapped, sizeof mapped) && stat(mapped, status) == 0;
}

}  // namespace

bool PathExists(const char* path) {
    struct stat status;
    return StatusOf(path, &status);
}

bool FileExists(const char* path) {
    struct stat status;
    return StatusOf(path, &status) && S_ISREG(status.st_mode);
}
