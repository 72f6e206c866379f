// The renames of a file within one volume, in a file of their own so that the benchmark's
// copy-only launcher can link renames that always fail in their place.
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>

#include "platform/fault_seam.h"
#include "platform/platform.h"
#include "platform/posix/posix_backend.h"

bool RenameReplacing(const char* source, const char* target) {
    if (FaultStrikes(FaultKind::Rename) || FaultHolds(source) || FaultHolds(target)) {
        return false;
    }
    char from[PATH_MAX];
    char to[PATH_MAX];
    if (!MapWindowsPath(source, from, sizeof from) || !MapWindowsPath(target, to, sizeof to)) {
        return false;
    }
    // rename(2) would replace an empty folder by a folder source; a folder target is never
    // replaced here, whatever the source.
    struct stat targetStatus;
    if (lstat(to, &targetStatus) == 0 && S_ISDIR(targetStatus.st_mode)) {
        errno = EISDIR;
        return false;
    }
    PassFileChangePoint();
    return rename(from, to) == 0;
}

bool RenameWithoutReplacing(const char* source, const char* target) {
    if (FaultStrikes(FaultKind::Rename) || FaultHolds(source) || FaultHolds(target)) {
        return false;
    }
    char from[PATH_MAX];
    char to[PATH_MAX];
    return MapWindowsPath(source, from, sizeof from) && MapWindowsPath(target, to, sizeof to) &&
           RenameMappedWithoutReplacing(from, to);
}
