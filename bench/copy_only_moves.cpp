// The moves of the benchmark's copy-only launcher, linked in place of file_moves.cpp and of the
// backend's rename: every move copies the whole file and then deletes the source, and no
// rename ever succeeds, so the dump swap takes its copy paths too. The shipped launcher never
// contains this file; the benchmark runs both side by side on the same folders.
#include "platform/platform.h"

bool RenameReplacing(const char*, const char*) {
    return false;
}

bool RenameWithoutReplacing(const char*, const char*) {
    return false;
}

bool MoveByCopy(const char* source, const char* target) {
    if (!CopyFileReplacing(source, target)) {
        return false;
    }
    RemoveFile(source);
    return true;
}

bool MoveByRenameOrCopy(const char* source, const char* target) {
    return MoveByCopy(source, target);
}
