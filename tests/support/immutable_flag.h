// The immutable flag of Linux file systems (as chattr +i sets it; it needs root and a file system
// that has the flag): a file or folder that carries it can be read, but neither changed,
// renamed nor deleted. The tests use it to make a file that no one may change, and the stand-in
// game to hold a file as another program would on Windows.
#pragma once

#include <errno.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace testing_support {

// Sets or clears the flag of the file or folder at path; false, with errno, where the file
// system has no such flag or the process may not set it.
inline bool SetImmutable(const char* path, bool immutable) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    const int savedErrno = errno;
    close(fd);
    errno = savedErrno;
    return done;
}

}  // namespace testing_support
