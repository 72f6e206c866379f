// Helpers that the files of the POSIX backend share: mapping a Windows path onto the file
// system, reading a folder without the heap, replacing a file through a temporary file, and
// locating a key in the text of a profile file. Nothing outside src/platform/posix includes this.
#pragma once

#include <limits.h>
#include <stddef.h>
#include <sys/types.h>

// ---- Paths -------------------------------------------------------------------------------

// Maps a Windows path (backslashes, any letter case) onto this file system: backslashes become
// slashes, and where the exact path does not exist, each component that is missing is looked up
// in its folder with ASCII letter case ignored, as Windows would find it. A component that has
// no match in any case keeps its spelling, so the result also names where a new entry is
// created: inside the folder that exists in another case. False, with errno ENAMETOOLONG, when
// the result and its NUL do not fit in capacity.
bool MapWindowsPath(const char* path, char* mapped, size_t capacity);

// The length of the folder part of a mapped path, its final slash included (0 for a bare name).
size_t FolderPartLength(const char* mappedPath);

// ---- Folders -----------------------------------------------------------------------------

// Called for each entry of a folder but "." and "..": its name, its type as the system reported
// it (a DT_ value, possibly DT_UNKNOWN) and a descriptor of the folder for follow-up queries.
using FolderScanVisitor = void (*)(const char* name, unsigned char type, int folderFd,
                                   void* context);

// Reads every entry of folder (a mapped path; "" means the working directory) with getdents64
// into a stack buffer, so no heap is used. False when the folder cannot be opened or read.
bool ScanFolder(const char* folder, FolderScanVisitor visit, void* context);

// Whether the entry name of the folder open as folderFd is a folder, following a symbolic link.
bool EntryIsFolder(int folderFd, const char* name, unsigned char type);

// The byte in lower case where it is an ASCII capital; every other byte as it is.
inline unsigned char FoldCase(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// True when the texts are equal with ASCII letter case ignored.
bool EqualsIgnoringCase(const char* first, const char* second);

// ---- Replacing a file --------------------------------------------------------------------

// A file being written beside its target, under the launcher's temporary name (see
// platform/temporary_names.h), until it replaces it.
struct TemporaryFile {
    int fd;
    char path[PATH_MAX];
};

// Creates an empty temporary file in the folder of target (a mapped path) with mode (before
// the umask). False when it cannot be created; nothing is left behind then.
bool CreateTemporaryBeside(const char* target, mode_t mode, TemporaryFile* temporary);

// Makes the temporary file durable and renames it over target, so that target names the old
// content or the new, each whole, even after a crash. The rename itself is durable only once
// the folder is synced (SyncFolderOf), which is left to the caller. On failure the temporary
// file is removed and target is left as it was; errno tells why.
bool CommitTemporary(TemporaryFile* temporary, const char* target);

// As CommitTemporary, but only where nothing exists at target: an existing target makes it fail
// with EEXIST, the temporary file removed and target left as it was.
bool CommitTemporaryWithoutReplacing(TemporaryFile* temporary, const char* target);

// Renames the mapped path from to to only where nothing exists at to (EEXIST otherwise). Where
// the file system cannot rename without replacing, a file is linked under the new name and then
// unlinked under the old, which does not replace a target either.
bool RenameMappedWithoutReplacing(const char* from, const char* to);

// Closes and removes the temporary file, keeping errno.
void DiscardTemporary(TemporaryFile* temporary);

// Closes fd, keeping errno.
void CloseKeepingErrno(int fd);

// Writes all size bytes, retrying short writes and interruptions.
bool WriteAll(int fd, const char* data, size_t size);

// Makes the folder entry of a mapped path durable (fsync of its folder).
bool SyncFolderOf(const char* mappedPath);

// ---- Profile text ------------------------------------------------------------------------

// The blanks that profile files trim around keys and values.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A profile file mapped into memory for reading; an empty file has no mapping.
struct MappedFile {
    int fd;
    const char* data;
    size_t size;
    mode_t mode;
    uid_t owner;
    gid_t group;
};

// Opens and maps the regular file at a mapped path. False when it is missing, is not a regular
// file or cannot be read.
bool MapFile(const char* mappedPath, MappedFile* file);
void UnmapFile(MappedFile* file);

// Where a key stands in a profile text, as the reads and the writes both need it. Offsets count
// bytes from the start of the text; a line's end excludes its line break.
struct ProfileKeyPlace {
    bool sectionFound;  // The first section of that name (a later duplicate is never consulted).
    bool keyFound;      // The first line of that key in the section.
    size_t lineStart;   // The key's line.
    size_t lineEnd;
    size_t keyStart;  // The key as spelled there, blanks trimmed.
    size_t keyEnd;
    size_t valueStart;  // The value as stored, blanks trimmed, quotes kept.
    size_t valueEnd;
    size_t insertAt;        // Where a new key's line goes: after the section's last key line, or
                            // after its header when it has none.
    bool insertNeedsBreak;  // The line before insertAt ends the text without a line break.
};

void FindProfileKey(const char* text, size_t size, const char* section, const char* key,
                    ProfileKeyPlace* place);
