// The renames of the benchmark's copy-only launcher, linked in place of the backend's: no rename
// ever succeeds, so every move falls back to copying the whole file and deleting the source,
// and the dump swap takes its copy paths too. The shipped launcher never
// contains this file; the benchmark runs both side by side on the same folders.
#include "platform/platform.h"

bool RenameReplacing(const char*, const char*) {
    return false;
}

bool RenameWithoutReplacing(const char*, const char*) {
    return false;
}
