// Profile writes as KERNEL32 performs them: the file is edited in place, byte for byte, and
// the edited file replaces the old one whole, so a reader never sees a partly written file.
#include <errno.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fault_seam.h"
#include "platform/platform.h"
#include "platform/posix/posix_backend.h"

namespace {

size_t Length(const char* text) {
    size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

bool WriteText(int fd, const char* text) {
    return WriteAll(fd, text, Length(text));
}

bool SpanEquals(const char* text, size_t start, size_t end, const char* value) {
    size_t i = 0;
    for (; start + i < end; ++i) {
        if (value[i] == '\0' || text[start + i] != value[i]) {
            return false;
        }
    }
    return value[i] == '\0';
}

// Writes the edited profile: the old text with the key's line rewritten, a key line added to
// its section, or a section added at the end. New lines end in CRLF, as Windows writes them.
bool WriteEditedText(int fd, const char* text, size_t size, const ProfileKeyPlace& place,
                     const char* section, const char* key, const char* value) {
    if (place.keyFound) {
        return WriteAll(fd, text, place.lineStart) &&
               WriteAll(fd, text + place.keyStart, place.keyEnd - place.keyStart) &&
               WriteText(fd, "=") && WriteText(fd, value) &&
               WriteAll(fd, text + place.lineEnd, size - place.lineEnd);
    }
    if (place.sectionFound) {
        return WriteAll(fd, text, place.insertAt) &&
               (!place.insertNeedsBreak || WriteText(fd, "\r\n")) && WriteText(fd, key) &&
               WriteText(fd, "=") && WriteText(fd, value) && WriteText(fd, "\r\n") &&
               WriteAll(fd, text + place.insertAt, size - place.insertAt);
    }
    const bool needsBreak = size > 0 && text[size - 1] != '\n' && text[size - 1] != '\r';
    return WriteAll(fd, text, size) && (!needsBreak || WriteText(fd, "\r\n")) &&
           WriteText(fd, "[") && WriteText(fd, section) && WriteText(fd, "]\r\n") &&
           WriteText(fd, key) && WriteText(fd, "=") && WriteText(fd, value) &&
           WriteText(fd, "\r\n");
}

bool ReplaceProfile(const char* mapped, const MappedFile& existing, bool exists,
                    const ProfileKeyPlace& place, const char* section, const char* key,
                    const char* value) {
    TemporaryFile temporary;
    // A new file gets the usual mode under the umask; an edited one keeps its mode and owner.
    if (!CreateTemporaryBeside(mapped, exists ? 0600 : 0666, &temporary)) {
        return false;
    }
    const char* text = existing.data != nullptr ? existing.data : "";
    bool written = WriteEditedText(temporary.fd, text, existing.size, place, section, key, value);
    if (written && exists) {
        PassFileChangePoint();
        written = fchmod(temporary.fd, existing.mode & 07777) == 0;
        PassFileChangePoint();
        if (fchown(temporary.fd, existing.owner, existing.group) != 0) {
            // Only root and the owner can keep the owner; the writer's own is no failure.
        }
    }
    if (!written || FaultStrikes(FaultKind::ProfileWrite)) {
        DiscardTemporary(&temporary);
        return false;
    }
    return CommitTemporary(&temporary, mapped);
}

}  // namespace

bool WriteProfileValue(const char* section, const char* key, const char* value, const char* file) {
    if (section == nullptr || key == nullptr || value == nullptr || file == nullptr) {
        errno = EINVAL;
        return false;
    }
    char mapped[PATH_MAX];
    if (!MapWindowsPath(file, mapped, sizeof mapped)) {
        return false;
    }
    MappedFile existing = {-1, nullptr, 0, 0, 0, 0};
    const bool exists = MapFile(mapped, &existing);
    if (!exists && errno != ENOENT) {
        return false;
    }
    ProfileKeyPlace place;
    const char* text = existing.data != nullptr ? existing.data : "";
    FindProfileKey(text, existing.size, section, key, &place);
    bool done;
    if (place.keyFound && SpanEquals(text, place.valueStart, place.valueEnd, value)) {
        // The value is already stored: the file is left untouched.
        done = true;
    } else {
        done = ReplaceProfile(mapped, existing, exists, place, section, key, value);
    }
    const int savedErrno = errno;
    UnmapFile(&existing);
    errno = savedErrno;
    return done;
}

// Every write has put its file's data on disk before renaming it into place, so what a flush
// has left to make durable is the renames: one sync of the folder. A write does not sync the
// folder itself, because the launcher flushes after every write it makes and each fsync costs
// a launch a share of a millisecond; a crash before the flush leaves the file whole, with the
// old content or the new.
void FlushProfile(const char* file) {
    char mapped[PATH_MAX];
    if (file == nullptr || !MapWindowsPath(file, mapped, sizeof mapped)) {
        return;
    }
    SyncFolderOf(mapped);
}
