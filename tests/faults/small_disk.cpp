#include "faults/small_disk.h"

#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

namespace fault_testing {

bool SmallDisk::CanMount(std::string* why) {
    static int state = 0;  // 0 unknown, 1 able, -1 unable.
    static std::string reason;
    if (state == 0) {
        if (unshare(CLONE_NEWNS) != 0) {
            reason = std::string("this process may not have a mount namespace of its own (") +
                     std::strerror(errno) +
                     "); mounting a small file system needs root or CAP_SYS_ADMIN";
            state = -1;
        } else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            reason =
                std::string("the mounts cannot be made private (") + std::strerror(errno) + ")";
            state = -1;
        } else {
            state = 1;
        }
    }
    *why = reason;
    return state == 1;
}

SmallDisk::SmallDisk(const fs::path& folder, size_t bytes) : folder_(folder) {
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        throw std::runtime_error("cannot mount a tmpfs at " + folder.string() + ": " +
                                 std::strerror(errno));
    }
}

SmallDisk::~SmallDisk() {
    umount2(folder_.c_str(), MNT_DETACH);
}

void SmallDisk::FillUp(const fs::path& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot create " + path.string() + ": " + std::strerror(errno));
    }
    const std::vector<char> block(65536, 'f');
    for (size_t chunk = block.size(); chunk > 0; chunk /= 2) {
        while (write(fd, block.data(), chunk) == static_cast<ssize_t>(chunk)) {
        }
    }
    close(fd);
}

}  // namespace fault_testing
