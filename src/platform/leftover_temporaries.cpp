// Removing the temporary files that a killed launch left behind, the same on every system.
#include "platform/platform.h"
#include "platform/temporary_names.h"

namespace {

// The folder being cleaned, as the enumeration hands it to each match.
struct CleanedFolder {
    const char* prefix;
};

// The longest path the Windows file functions take, with its NUL.
constexpr size_t kMaxPath = 260;

void RemoveIfLeftover(const char* name, bool isFolder, void* context) {
    // The enumeration also matches short names on Windows; only the exact long name counts.
    if (isFolder || !IsLauncherTemporaryName(name)) {
        return;
    }
    const char* folder = static_cast<const CleanedFolder*>(context)->prefix;
    char path[kMaxPath];
    size_t used = 0;
    for (; folder[used] != '\0'; ++used) {
        if (used + 1 >= sizeof path) {
            return;
        }
        path[used] = folder[used];
    }
    for (size_t i = 0; name[i] != '\0'; ++i, ++used) {
        if (used + 1 >= sizeof path) {
            return;
        }
        path[used] = name[i];
    }
    path[used] = '\0';
    RemoveTemporaryFile(path);
}

}  // namespace

void RemoveLeftoverTemporaries(const char* const* folders, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        char pattern[kMaxPath];
        CleanedFolder folder = {folders[i]};
        if (BuildTemporaryWildcard(folders[i], pattern, sizeof pattern)) {
            VisitMatchingEntries(pattern, RemoveIfLeftover, &folder);
        }
    }
}
