// Folder reading and wildcard enumeration without the heap: getdents64 into a stack buffer.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fault_seam.h"
#include "platform/platform.h"
#include "platform/posix/posix_backend.h"

namespace {

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// '*' matches any run of characters, '?' exactly one; letter case is ignored (ASCII). On a
// mismatch the scan resumes after the last '*', which gives the same result as backtracking.
bool MatchesWildcard(const char* name, const char* pattern) {
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern != '\0' && (*pattern == '?' || FoldCase(*pattern) == FoldCase(*name))) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        ++pattern;
    }
    return *pattern == '\0';
}

// The enumeration order: letter case ignored first, as Windows lists, then bytes, so that two
// names differing only in case still have a fixed order. Negative, zero or positive.
int CompareNames(const char* first, const char* second) {
    size_t i = 0;
    while (first[i] != '\0' && FoldCase(first[i]) == FoldCase(second[i])) {
        ++i;
    }
    if (first[i] != '\0' || second[i] != '\0') {
        return FoldCase(first[i]) < FoldCase(second[i]) ? -1 : 1;
    }
    i = 0;
    while (first[i] != '\0' && first[i] == second[i]) {
        ++i;
    }
    if (first[i] == second[i]) {
        return 0;
    }
    return static_cast<unsigned char>(first[i]) < static_cast<unsigned char>(second[i]) ? -1 : 1;
}

void CopyName(char* target, const char* name) {
    size_t i = 0;
    for (; name[i] != '\0' && i < NAME_MAX; ++i) {
        target[i] = name[i];
    }
    target[i] = '\0';
}

// The matches of one pass over the folder: the kBatchSize smallest matching names that come
// after the cursor, the last name visited by the previous pass. The visitor may move entries
// out while a batch is visited; each pass reads the folder again and resumes after the cursor,
// so a folder with more matches than one batch holds is still visited whole, each entry once.
constexpr size_t kBatchSize = 256;

struct MatchBatch {
    const char* pattern;
    const char* cursor;  // nullptr before the first pass.
    size_t count;
    size_t order[kBatchSize];  // Slots by name, smallest first.
    char names[kBatchSize][NAME_MAX + 1];
    bool isFolder[kBatchSize];
};

void CollectMatch(const char* name, unsigned char type, int folderFd, void* context) {
    MatchBatch* batch = static_cast<MatchBatch*>(context);
    if (!MatchesWildcard(name, batch->pattern) || FaultStrikes(FaultKind::ListedEntry)) {
        return;
    }
    if (batch->cursor != nullptr && CompareNames(name, batch->cursor) <= 0) {
        return;
    }
    size_t position = batch->count;
    while (position > 0 && CompareNames(name, batch->names[batch->order[position - 1]]) < 0) {
        --position;
    }
    if (position == kBatchSize ||
        (position > 0 && CompareNames(name, batch->names[batch->order[position - 1]]) == 0)) {
        // Too large for this pass, or listed twice while the folder changed under the scan.
        return;
    }
    // A full batch gives up its largest name, whose slot takes the new one.
    size_t slot = batch->count < kBatchSize ? batch->count : batch->order[kBatchSize - 1];
    if (batch->count < kBatchSize) {
        ++batch->count;
    }
    for (size_t i = batch->count - 1; i > position; --i) {
        batch->order[i] = batch->order[i - 1];
    }
    batch->order[position] = slot;
    CopyName(batch->names[slot], name);
    batch->isFolder[slot] = EntryIsFolder(folderFd, name, type);
}

}  // namespace

bool ScanFolder(const char* folder, FolderScanVisitor visit, void* context) {
    const int fd = open(folder[0] == '\0' ? "." : folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    alignas(dirent64) char buffer[8192];
    bool complete = false;
    for (;;) {
        const ssize_t got = getdents64(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            complete = got == 0;
            break;
        }
        for (size_t offset = 0; offset < static_cast<size_t>(got);) {
            const dirent64* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            if (entry->d_ino != 0 && !IsDotEntry(entry->d_name)) {
                visit(entry->d_name, entry->d_type, fd, context);
            }
        }
    }
    const int savedErrno = errno;
    close(fd);
    errno = savedErrno;
    return complete;
}

bool EntryIsFolder(int folderFd, const char* name, unsigned char type) {
    if (type == DT_DIR) {
        return true;
    }
    if (type != DT_UNKNOWN && type != DT_LNK) {
        return false;
    }
    struct stat status;
    return fstatat(folderFd, name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

bool VisitMatchingEntries(const char* pattern, FolderEntryVisitor visit, void* context) {
    if (FaultStrikes(FaultKind::Enumeration)) {
        return false;
    }
    // Only the folder part is a path; the last part is the pattern and is matched, not mapped.
    size_t patternStart = 0;
    for (size_t i = 0; pattern[i] != '\0'; ++i) {
        if (pattern[i] == '\\' || pattern[i] == '/') {
            patternStart = i + 1;
        }
    }
    char folderPart[PATH_MAX];
    char folder[PATH_MAX];
    if (patternStart >= sizeof folderPart) {
        errno = ENAMETOOLONG;
        return false;
    }
    for (size_t i = 0; i < patternStart; ++i) {
        folderPart[i] = pattern[i];
    }
    folderPart[patternStart] = '\0';
    if (!MapWindowsPath(folderPart, folder, sizeof folder)) {
        return false;
    }

    MatchBatch batch;
    batch.pattern = pattern + patternStart;
    batch.cursor = nullptr;
    char cursor[NAME_MAX + 1];
    bool visitedAny = false;
    for (;;) {
        batch.count = 0;
        if (!ScanFolder(folder, CollectMatch, &batch)) {
            break;
        }
        for (size_t i = 0; i < batch.count; ++i) {
            const size_t slot = batch.order[i];
            visit(batch.names[slot], batch.isFolder[slot], context);
        }
        visitedAny = visitedAny || batch.count > 0;
        if (batch.count < kBatchSize) {
            break;
        }
        CopyName(cursor, batch.names[batch.order[kBatchSize - 1]]);
        batch.cursor = cursor;
    }
    return visitedAny;
}
