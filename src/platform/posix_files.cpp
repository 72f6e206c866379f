// File copies and deletes, and the replacement of a file through a temporary file, which
// every write of the backend uses so that no partly written target ever exists; and the rename
// that never replaces a target, which a copy that must not replace commits with.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fault_seam.h"
#include "platform/platform.h"
#include "platform/posix_backend.h"

namespace {

// Appends text to buffer[*used], keeping room for a NUL; false when it does not fit.
bool Append(char* buffer, size_t capacity, size_t* used, const char* text, size_t length) {
    if (length >= capacity - *used) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        buffer[*used + i] = text[i];
    }
    *used += length;
    buffer[*used] = '\0';
    return true;
}

bool AppendNumber(char* buffer, size_t capacity, size_t* used, unsigned long number) {
    char digits[24];
    size_t count = 0;
    do {
        digits[sizeof digits - 1 - count] = static_cast<char>('0' + number % 10);
        number /= 10;
        ++count;
    } while (number != 0);
    return Append(buffer, capacity, used, digits + sizeof digits - count, count);
}

// Distinguishes the temporary files of one process from each other.
unsigned long temporaryCounter = 0;

// Longer names are cut in the temporary name, which must stay within NAME_MAX.
constexpr size_t kTemporaryNameKept = 200;

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

void CloseKeepingErrno(int fd) {
    const int savedErrno = errno;
    close(fd);
    errno = savedErrno;
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
    const struct timespec times[2] = {{0, UTIME_OMIT}, sourceStatus.st_mtim};
    if (!CopyData(source, temporary.fd) ||
        fchmod(temporary.fd, sourceStatus.st_mode & 07777) != 0 ||
        futimens(temporary.fd, times) != 0 || FaultStrikes(FaultKind::Copy)) {
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

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool SyncFolderOf(const char* mappedPath) {
    char folder[PATH_MAX];
    const size_t folderLength = FolderPartLength(mappedPath);
    size_t used = 0;
    folder[0] = '\0';
    if (folderLength == 0 ? !Append(folder, sizeof folder, &used, ".", 1)
                          : !Append(folder, sizeof folder, &used, mappedPath, folderLength)) {
        errno = ENAMETOOLONG;
        return false;
    }
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int result = fsync(fd);
    // Some file systems cannot sync a folder; their entries are as durable as they get.
    if (result != 0 && (errno == EINVAL || errno == EOPNOTSUPP)) {
        result = 0;
    }
    CloseKeepingErrno(fd);
    return result == 0;
}

bool CreateTemporaryBeside(const char* target, mode_t mode, TemporaryFile* temporary) {
    const size_t folderLength = FolderPartLength(target);
    const char* name = target + folderLength;
    size_t nameLength = 0;
    while (name[nameLength] != '\0' && nameLength < kTemporaryNameKept) {
        ++nameLength;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        size_t used = 0;
        temporary->path[0] = '\0';
        if (!Append(temporary->path, sizeof temporary->path, &used, target, folderLength) ||
            !Append(temporary->path, sizeof temporary->path, &used, ".", 1) ||
            !Append(temporary->path, sizeof temporary->path, &used, name, nameLength) ||
            !Append(temporary->path, sizeof temporary->path, &used, ".tmp-", 5) ||
            !AppendNumber(temporary->path, sizeof temporary->path, &used,
                          static_cast<unsigned long>(getpid())) ||
            !Append(temporary->path, sizeof temporary->path, &used, "-", 1) ||
            !AppendNumber(temporary->path, sizeof temporary->path, &used, ++temporaryCounter)) {
            errno = ENAMETOOLONG;
            return false;
        }
        temporary->fd = open(temporary->path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (temporary->fd >= 0) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

namespace {

bool Commit(TemporaryFile* temporary, const char* target, bool replace) {
    if (fsync(temporary->fd) != 0) {
        DiscardTemporary(temporary);
        return false;
    }
    const int closed = close(temporary->fd);
    temporary->fd = -1;
    const bool renamed = replace ? rename(temporary->path, target) == 0
                                 : RenameMappedWithoutReplacing(temporary->path, target);
    if (closed != 0 || !renamed) {
        DiscardTemporary(temporary);
        return false;
    }
    return true;
}

}  // namespace

bool CommitTemporary(TemporaryFile* temporary, const char* target) {
    return Commit(temporary, target, true);
}

bool CommitTemporaryWithoutReplacing(TemporaryFile* temporary, const char* target) {
    return Commit(temporary, target, false);
}

bool RenameMappedWithoutReplacing(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    if (link(from, to) != 0) {
        return false;
    }
    if (unlink(from) != 0) {
        // The file has both names now; the new one stays and the old one goes, or neither.
        const int savedErrno = errno;
        unlink(to);
        errno = savedErrno;
        return false;
    }
    return true;
}

void DiscardTemporary(TemporaryFile* temporary) {
    const int savedErrno = errno;
    if (temporary->fd >= 0) {
        close(temporary->fd);
        temporary->fd = -1;
    }
    unlink(temporary->path);
    errno = savedErrno;
}

bool CopyFileReplacing(const char* source, const char* target) {
    return CopyMappedFile(source, target, true);
}

bool CopyFileWithoutReplacing(const char* source, const char* target) {
    return CopyMappedFile(source, target, false);
}

bool RemoveFile(const char* path) {
    if (FaultStrikes(FaultKind::Delete)) {
        return false;
    }
    char mapped[PATH_MAX];
    return MapWindowsPath(path, mapped, sizeof mapped) && unlink(mapped) == 0;
}
