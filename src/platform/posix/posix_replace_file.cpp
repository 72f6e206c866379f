// Replacing a file through a temporary file beside it, which every write of the POSIX backend
// uses so that no partly written target ever exists, and the rename that never replaces a
// target, which a copy that must not replace commits with.
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

// Distinguishes the temporary files of one process from each other.
unsigned long temporaryCounter = 0;
}  // namespace

void CloseKeepingErrno(int fd) {
    const int savedErrno = errno;
    close(fd);
    errno = savedErrno;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        PassFileChangePoint();
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
    PassFileChangePoint();
    int result = fsync(fd);
    // Some file systems cannot sync a folder; their entries are as durable as they get.
    if (result != 0 && (errno == EINVAL || errno == EOPNOTSUPP)) {
        result = 0;
    }
    CloseKeepingErrno(fd);
    return result == 0;
}

bool CreateTemporaryBeside(const char* target, mode_t mode, TemporaryFile* temporary) {
    // A name is taken only by a file of this process or by the leftover of a killed launch
    // whose process had the same id; the next serial number is tried then.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (!BuildTemporaryPath(target, static_cast<unsigned long>(getpid()), ++temporaryCounter,
                                temporary->path, sizeof temporary->path)) {
            errno = ENAMETOOLONG;
            return false;
        }
        PassFileChangePoint();
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
    PassFileChangePoint();
    if (fsync(temporary->fd) != 0) {
        DiscardTemporary(temporary);
        return false;
    }
    const int closed = close(temporary->fd);
    temporary->fd = -1;
    bool renamed;
    if (replace) {
        PassFileChangePoint();
        renamed = rename(temporary->path, target) == 0;
    } else {
        renamed = RenameMappedWithoutReplacing(temporary->path, target);
    }
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
    PassFileChangePoint();
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    PassFileChangePoint();
    if (link(from, to) != 0) {
        return false;
    }
    PassFileChangePoint();
    if (unlink(from) != 0) {
        // The file has both names now; the new one stays and the old one goes, or neither.
        const int savedErrno = errno;
        PassFileChangePoint();
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
    PassFileChangePoint();
    unlink(temporary->path);
    errno = savedErrno;
}
