// Existence, copy, delete and rename of single files on Windows. A copy, delete or rename that
// meets a file held for a moment by another process (a virus scanner, an indexer) is retried
// within the launch's wait budget before it counts as failed.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/temporary_names.h"

#include "platform/platform.h"
#include "platform/win32/win32_retry_budget.h"

namespace {

// The paths of one operation; a delete has a source only.
struct FilePair {
    const char* source;
    const char* target;
};

// Distinguishes the temporary files of one launch from each other.
unsigned long temporarySerial = 0;

// A copy's temporary file carries the source's attributes, read-only among them, which would
// keep DeleteFileA from removing it.
bool DeleteTemporary(const char* path) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path) != FALSE;
}

// Copies source to a new temporary file beside target, whose path is left in temporary. A name
// that exists already (a leftover whose process had this one's id) is passed over for the
// next. On failure nothing of the copy stays, and the last error tells why.
bool CopyToTemporary(const char* source, const char* target, char* temporary, size_t capacity) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (!BuildTemporaryPath(target, GetCurrentProcessId(), ++temporarySerial, temporary,
                                capacity)) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        if (CopyFileA(source, temporary, TRUE)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            // What a failed copy leaves at its target is undocumented; a partial file goes.
            DeleteTemporary(temporary);
            SetLastError(error);
            return false;
        }
    }
    return false;
}

// CopyFileA(source, target, failIfExists) that never leaves a partly written target: CopyFileA
// cut off part way (the launcher killed, the power lost) leaves a file of the full size whose
// end was never written, which must never stand under a volume's or a dump's name. So the data
// goes to a temporary file in the target's folder, renamed over the target once complete; a
// rename within a folder is atomic on NTFS, and it writes through, so the new name is on disk
// before a move deletes its source. Where the rename fails, the temporary file is removed and
// the target is as before. A target that CopyFileA would refuse (read-only, hidden, a folder)
// is refused before any data is copied, as MoveFileExA would replace some of them. The result
// and the last error are CopyFileA's, for the same causes.
bool CopyThroughTemporary(const char* source, const char* target, BOOL failIfExists) {
    const DWORD targetAttributes = GetFileAttributesA(target);
    if (targetAttributes != INVALID_FILE_ATTRIBUTES) {
        constexpr DWORD kNeverReplaced =
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY;
        if (failIfExists || (targetAttributes & kNeverReplaced) != 0) {
            SetLastError(failIfExists ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED);
            return false;
        }
    }
    char temporary[MAX_PATH];
    if (!CopyToTemporary(source, target, temporary, sizeof temporary)) {
        return false;
    }
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING);
    if (MoveFileExA(temporary, target, flags)) {
        return true;
    }
    const DWORD error = GetLastError();
    DeleteTemporary(temporary);
    SetLastError(error);
    return false;
}

bool HasAttribute(const char* path, DWORD attribute) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & attribute) != 0;
}

// A file that cannot be written for good: read-only, or a folder where a file is expected.
bool IsRefusedForGood(const char* path) {
    return HasAttribute(path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
}

// Sharing and lock violations come from a file that someone holds open. Access denied comes
// from that too, but more often from causes that last: those the caller can see it names by
// refusedForGood, the others (permissions, a protected folder) get only a couple of retries.
TryFailure ClassifyError(DWORD error, bool refusedForGood) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        return TryFailure::Held;
    }
    return error == ERROR_ACCESS_DENIED && !refusedForGood ? TryFailure::Denied
                                                           : TryFailure::Lasting;
}

// A copy or rename that must not replace fails for good on an existing target: its errors
// (ERROR_FILE_EXISTS, ERROR_ALREADY_EXISTS) are none of the transient ones.
bool TryCopyMaybeReplacing(const FilePair* files, BOOL failIfExists, TryFailure* failure) {
    if (CopyThroughTemporary(files->source, files->target, failIfExists)) {
        return true;
    }
    const DWORD error = GetLastError();
    *failure = ClassifyError(error, HasAttribute(files->source, FILE_ATTRIBUTE_DIRECTORY) ||
                                        IsRefusedForGood(files->target));
    return false;
}

bool TryCopy(void* context, TryFailure* failure) {
    return TryCopyMaybeReplacing(static_cast<const FilePair*>(context), FALSE, failure);
}

bool TryCopyWithoutReplacing(void* context, TryFailure* failure) {
    return TryCopyMaybeReplacing(static_cast<const FilePair*>(context), TRUE, failure);
}

bool TryDelete(void* context, TryFailure* failure) {
    const char* path = static_cast<const FilePair*>(context)->source;
    if (DeleteFileA(path)) {
        return true;
    }
    const DWORD error = GetLastError();
    *failure = ClassifyError(error, IsRefusedForGood(path));
    return false;
}

// Without MOVEFILE_COPY_ALLOWED the move stays a rename: it fails across volumes instead of
// turning into a copy whose failure half-way could not be told from the rename's.
bool TryRenameWithFlags(const FilePair* files, DWORD flags, TryFailure* failure) {
    if (MoveFileExA(files->source, files->target, flags)) {
        return true;
    }
    const DWORD error = GetLastError();
    *failure = ClassifyError(error, IsRefusedForGood(files->target));
    return false;
}

bool TryRename(void* context, TryFailure* failure) {
    return TryRenameWithFlags(static_cast<const FilePair*>(context), MOVEFILE_REPLACE_EXISTING,
                              failure);
}

bool TryRenameWithoutReplacing(void* context, TryFailure* failure) {
    return TryRenameWithFlags(static_cast<const FilePair*>(context), 0, failure);
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
    return RetryWithinLaunchBudget(TryCopy, &files);
}

bool RemoveFile(const char* path) {
    FilePair file = {path, nullptr};
    return RetryWithinLaunchBudget(TryDelete, &file);
}

bool RenameReplacing(const char* source, const char* target) {
    FilePair files = {source, target};
    return RetryWithinLaunchBudget(TryRename, &files);
}

bool CopyFileWithoutReplacing(const char* source, const char* target) {
    FilePair files = {source, target};
    return RetryWithinLaunchBudget(TryCopyWithoutReplacing, &files);
}

bool RenameWithoutReplacing(const char* source, const char* target) {
    FilePair files = {source, target};
    return RetryWithinLaunchBudget(TryRenameWithoutReplacing, &files);
}

// Leftovers of a killed launch carry the attributes of the files they copied, as above.
bool RemoveTemporaryFile(const char* path) {
    return DeleteTemporary(path);
}
