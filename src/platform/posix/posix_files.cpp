// File copies and deletes. A copy goes through a temporary file beside its target, so no
// partly written target ever exists.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fault_seam.h"
#include "platform/platform.h"
#include "platform/posix/posix_backend.h"
#include "platform/temporary_names.h"

namespace {

// Copies through a stack buffer, for files that copy_file_range cannot serve.
bool CopyByReadAndWrite(int source, int target) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        if (!WriteAll(target, buffer, static_cast<size_t>(got))) {
            return false;
        }
    }
}

// Copies from the current offset of source to its end. The kernel copies within the file
// system (sharing extents where it can); where it refuses, the copy goes on by read and write
// from where it stopped.
bool CopyData(int source, int target) {
    for (;;) {
        PassFileChangePoint();
        const ssize_t copied = copy_file_range(source, nullptr, target, nullptr, 1 << 30, 0);
        if (copied > 0) {
            continue;
        }
        if (copied == 0) {
            return true;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
            errno == EPERM) {
            return CopyByReadAndWrite(source, target);
        }
        return false;
    }
}

bool SetModeAndTimes(int fd, const struct stat& sourceStatus) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, sourceStatus.st_mtim};
    PassFileChangePoint();
    if (fchmod(fd, sourceStatus.st_mode & 07777) != 0) {
        return false;
    }
    PassFileChangePoint();
    return futimens(fd, times) == 0;
}

bool CopyOpenFile(int source, const struct stat& sourceStatus, const char* target, bool replace) {
    struct stat targetStatus;
    if (stat(target, &targetStatus) == 0) {
        if (!replace) {
            errno = EEXIST;
            return false;
        }
        if (S_ISDIR(targetStatus.st_mode)) {
            errno = EISDIR;
            return false;
        }
        // A file copied onto itself would be replaced by its own copy; a move built on the
        // copy would then delete the only one. Windows refuses this copy too.
        if (targetStatus.st_dev == sourceStatus.st_dev &&
            targetStatus.st_ino == sourceStatus.st_ino) {
            errno = EBUSY;
            return false;
        }
    }
    TemporaryFile temporary;
    if (!CreateTemporaryBeside(target, 0600, &temporary)) {
        return false;
    }
    if (!CopyData(source, temporary.fd) || !SetModeAndTimes(temporary.fd, sourceStatus) ||
        FaultStrikes(FaultKind::Copy)) {
        DiscardTemporary(&temporary);
        return false;
    }
    // A move deletes the source once the copy returns, so the copy's name is made durable
    // before that: a crash never leaves the data under neither name.
    const bool committed = replace ? CommitTemporary(&temporary, target)
                                   : CommitTemporaryWithoutReplacing(&temporary, target);
    return committed && SyncFolderOf(target);
}

bool CopyMappedFile(const char* source, const char* target, bool replace) {
    char from[PATH_MAX];
    char to[PATH_MAX];
    if (!MapWindowsPath(source, from, sizeof from) || !MapWindowsPath(target, to, sizeof to)) {
        return false;
    }
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below like any non-file.
    const int fd = open(from, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat status;
    bool copied = false;
    if (fstat(fd, &status) == 0) {
        if (S_ISREG(status.st_mode)) {
            copied = CopyOpenFile(fd, status, to, replace);
        } else {
            errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        }
    }
    CloseKeepingErrno(fd);
    return copied;
}

}  // namespace

bool CopyFileReplacing(const char* source, const char* target) {
    return CopyMappedFile(source, target, true);
}

bool CopyFileWithoutReplacing(const char* source, const char* target) {
    return CopyMappedFile(source, target, false);
}

bool RemoveFile(const char* path) {
    if (FaultStrikes(FaultKind::Delete) || FaultHolds(path)) {
        return false;
    }
    char mapped[PATH_MAX];
    if (!MapWindowsPath(path, mapped, sizeof mapped)) {
        return false;
    }
    PassFileChangePoint();
    return unlink(mapped) == 0;
}

// A folder's write permission decides an unlink, not the file's mode: a read-only temporary
// file goes like any other.
bool RemoveTemporaryFile(const char* path) {
    char mapped[PATH_MAX];
    if (!MapWindowsPath(path, mapped, sizeof mapped)) {
        return false;
    }
    PassFileChangePoint();
    return unlink(mapped) == 0;
}
