// Folder enumeration on Windows: FindFirstFileA, FindNextFileA and FindClose.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

namespace {

// "." and ".." name the folder itself and its parent, not entries of it; a pattern such as
// "Data\*" would return them.
bool IsFolderItselfOrParent(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

// The entries are visited while the enumeration runs. The file systems continue an
// enumeration after the name they returned last, so a visitor that moves the entry it was
// just given out of the folder neither skips nor repeats another one.
bool VisitMatchingEntries(const char* pattern, FolderEntryVisitor visit, void* context) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        if (!IsFolderItselfOrParent(entry.cFileName)) {
            visit(entry.cFileName, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                  context);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return true;
}
