// Holding a file on Linux: the immutable flag (as chattr +i sets it, which needs root and a file
// system that has the flag) lets the file be read but neither renamed nor deleted.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "standin_hold.h"

namespace {

bool SetImmutable(const std::string& name, bool immutable) {
    const int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

}  // namespace

bool HoldFile(const char*, const std::string& name) {
    return SetImmutable(name, true);
}

bool ReleaseHeldFile(const std::string& name) {
    return SetImmutable(name, false);
}

bool RunAsFileHolder(int, char**) {
    return false;
}
