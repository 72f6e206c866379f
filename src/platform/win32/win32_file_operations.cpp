// Existence, copy, delete and rename of single files on Windows. A copy, delete or rename that
// meets a file held for a moment by another process (a virus scanner, an indexer) is retried
// for a short while before it counts as failed.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"
#include "platform/transient_retry.h"

namespace {

// The paths of one operation; a delete has a source only.
struct FilePair {
    const char* source;
    const char* target;
};

bool HasAttribute(const char* path, DWORD attribute) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & attribute) != 0;
}

// A file that cannot be written for good: read-only, or a folder where a file is expected.
bool IsRefusedForGood(const char* path) {
    return HasAttribute(path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
}

// Sharing and lock violations come from a file that someone holds open; access denied comes
// from that too, but also from causes that last, which the caller names by refusedForGood.
bool IsTransientError(DWORD error, bool refusedForGood) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           (error == ERROR_ACCESS_DENIED && !refusedForGood);
}

// A copy or rename that must not replace fails for good on an existing target: its errors
// (ERROR_FILE_EXISTS, ERROR_ALREADY_EXISTS) are none of the transient ones.
bool TryCopyMaybeReplacing(const FilePair* files, BOOL failIfExists, bool* transient) {
    if (CopyFileA(files->source, files->target, failIfExists)) {
        return true;
    }
    const DWORD error = GetLastError();
    *transient = IsTransientError(error, HasAttribute(files->source, FILE_ATTRIBUTE_DIRECTORY) ||
                                             IsRefusedForGood(files->target));
    return false;
}

bool TryCopy(void* context, bool* transient) {
    return TryCopyMaybeReplacing(static_cast<const FilePair*>(context), FALSE, transient);
}

bool TryCopyWithoutReplacing(void* context, bool* transient) {
    return TryCopyMaybeReplacing(static_cast<const FilePair*>(context), TRUE, transient);
}

bool TryDelete(void* context, bool* transient) {
    const char* path = static_cast<const FilePair*>(context)->source;
    if (DeleteFileA(path)) {
        return true;
    }
    const DWORD error = GetLastError();
    *transient = IsTransientError(error, IsRefusedForGood(path));
    return false;
}

// Without MOVEFILE_COPY_ALLOWED the move stays a rename: it fails across volumes instead of
// turning into a copy whose failure half-way could not be told from the rename's.
bool TryRenameWithFlags(const FilePair* files, DWORD flags, bool* transient) {
    if (MoveFileExA(files->source, files->target, flags)) {
        return true;
    }
    const DWORD error = GetLastError();
    *transient = IsTransientError(error, IsRefusedForGood(files->target));
    return false;
}

bool TryRename(void* context, bool* transient) {
    return TryRenameWithFlags(static_cast<const FilePair*>(context), MOVEFILE_REPLACE_EXISTING,
                              transient);
}

bool TryRenameWithoutReplacing(void* context, bool* transient) {
    return TryRenameWithFlags(static_cast<const FilePair*>(context), 0, transient);
}

void Pause(unsigned milliseconds) {
    Sleep(milliseconds);
}

}  // namespace

bool PathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool CopyFileReplacing(const char* source, const char* target) {
    FilePair files = {source, target};
    return RetryWhileTransient(TryCopy, &files, Pause);
}

bool RemoveFile(const char* path) {
    FilePair file = {path, nullptr};
    return RetryWhileTransient(TryDelete, &file, Pause);
}

bool RenameReplacing(const char* source, const char* target) {
    FilePair files = {source, target};
    return RetryWhileTransient(TryRename, &files, Pause);
}

bool CopyFileWithoutReplacing(const char* source, const char* target) {
    FilePair files = {source, target};
    return RetryWhileTransient(TryCopyWithoutReplacing, &files, Pause);
}

bool RenameWithoutReplacing(const char* source, const char* target) {
    FilePair files = {source, target};
    return RetryWhileTransient(TryRenameWithoutReplacing, &files, Pause);
}
