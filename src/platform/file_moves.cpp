// Moves built from the backend's copy, delete and rename, the same on every system.
#include "platform/platform.h"

bool MoveByCopy(const char* source, const char* target) {
    if (!CopyFileReplacing(source, target)) {
        return false;
    }
    RemoveFile(source);
    return true;
}

bool MoveByRenameOrCopy(const char* source, const char* target) {
    return RenameReplacing(source, target) || MoveByCopy(source, target);
}
