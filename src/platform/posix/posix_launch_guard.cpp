// The launch guard on POSIX systems: an exclusive lock on an open descriptor of the game folder.
// The lock belongs to the descriptor, which stays open until the process ends and is not handed
// to the game (close-on-exec); the system drops the lock with it, a kill included. The lock
// covers the folder, not the one mod: launchers of two mods do not share a game folder at once
// either, and no file is needed, so none is left behind.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"

namespace {

// The descriptor whose lock this process holds, and the folder it names. A second descriptor
// of the same folder in this process would conflict with the first, as the lock belongs to
// the descriptor and not to the process.
int heldFolder = -1;
struct stat heldStatus;

bool SameFolder(const struct stat& first, const struct stat& second) {
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

bool TakeLaunchGuard(const char* /*name*/) {
    const int folder = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return true;
    }
    struct stat status;
    if (fstat(folder, &status) != 0) {
        close(folder);
        return true;
    }
    if (heldFolder >= 0 && SameFolder(status, heldStatus)) {
        close(folder);
        return true;
    }
    if (flock(folder, LOCK_EX | LOCK_NB) != 0) {
        const bool heldByAnother = errno == EWOULDBLOCK;
        close(folder);
        return !heldByAnother;
    }
    if (heldFolder >= 0) {
        close(heldFolder);
    }
    // Kept open on purpose until the process ends: closing it would release the lock.
    heldFolder = folder;
    heldStatus = status;
    return true;
}
