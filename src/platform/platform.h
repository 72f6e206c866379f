// The operating system's file, profile and process operations: the only way the launcher
// reaches the operating system. One backend implements this header per system (Win32 on
// Windows, POSIX on Linux); CMake picks the backend, so no caller ever tests for a system.
//
// Every path is relative to the working directory, which is the game folder, and uses the
// backslash as separator, exactly as on Windows. Strings are narrow, in the system's ANSI code
// page. Nothing here allocates on the heap, and no handle, error code or system type crosses
// this header: results are plain bools where a caller branches on them.
#pragma once

#include <stddef.h>

// ---- The launch guard --------------------------------------------------------------------

// Takes the guard that lets one launcher of a mod run in the game folder at a time, and holds
// it until this process ends. True when this process now holds it; false when another running
// process holds it, or may hold it where the system cannot tell (a guard of another user or of
// an elevated process). The system releases the guard when its process ends in any way, a kill
// included, and the guard leaves nothing behind in the folder. Where no guard can be had at all
// (the system refuses for another reason), the result is true: the launch goes on unguarded,
// as it would without a guard. name tells one mod's launchers from another's; it holds no
// backslash. Processes that this one starts do not inherit the guard. A process holds one guard
// at most: taking the guard of the folder it already holds succeeds, and taking another
// folder's releases the one it held.
bool TakeLaunchGuard(const char* name);

// ---- Files -------------------------------------------------------------------------------

// Called once for each entry that an enumeration returns: its bare name (no folder) and
// whether the entry is a folder. The name is valid only during the call.
using FolderEntryVisitor = void (*)(const char* name, bool isFolder, void* context);

// Enumerates the folder named by the pattern's folder part ("Data\*.mod" enumerates "Data")
// and calls visit for each entry that matches the pattern's last part ('*' and '?' wildcards,
// letter case ignored). The enumeration is read before or while visiting, so the visitor may
// move matched entries out of the folder. Returns false when nothing could be enumerated (no
// match, missing folder); the enumeration is always closed before this returns.
// On Windows the system also matches the pattern against 8.3 short names, so a caller that
// wants names that really end in a suffix must check the name it is given.
bool VisitMatchingEntries(const char* pattern, FolderEntryVisitor visit, void* context);

// True when something (a file or a folder) exists at path.
bool PathExists(const char* path);

// True when a file exists at path: a folder there, or nothing, gives false. A caller that must
// leave a folder of a file's name alone probes with this rather than with PathExists.
bool FileExists(const char* path);

// Copies the file at source over target, replacing an existing target and keeping the
// source's attributes (mode) and modification time. The data goes to a temporary file in the
// target's folder, which is renamed over the target only when complete: the target holds its
// old content or the whole copy, never a part, even when the launcher is killed during the
// copy, and a failed copy removes its temporary file. Fails for a folder source, a missing
// source or target folder, or a target that cannot be replaced; the source is never changed.
bool CopyFileReplacing(const char* source, const char* target);

// Copies the file at source to target as CopyFileReplacing does, but only where nothing exists
// at target (in any letter case): an existing target makes it fail and stay as it was.
bool CopyFileWithoutReplacing(const char* source, const char* target);

// Deletes the file at path. A missing file is a failure the caller may ignore.
bool RemoveFile(const char* path);

// Renames source to target within one volume, replacing an existing target file; never copies
// data. Fails across volumes, for a locked source or target, or a missing target folder.
bool RenameReplacing(const char* source, const char* target);

// Renames source to target as RenameReplacing does, but only where nothing exists at target (in
// any letter case): an existing target makes it fail, and both stay as they were.
bool RenameWithoutReplacing(const char* source, const char* target);

// Copies source over target, then deletes the source. A failed copy never costs the source:
// the source is deleted only after the copy succeeded. Returns whether the copy succeeded.
bool MoveByCopy(const char* source, const char* target);

// Moves source to target, replacing target: first as a rename, which costs the same whatever
// the file's size and needs no free space; where the rename fails (another volume, a source
// held open), as MoveByCopy. Whatever fails, the source is never lost.
bool MoveByRenameOrCopy(const char* source, const char* target);

// Removes, in each of the folders (each empty for the game folder itself, or ending in '\'),
// the temporary files that a copy or a profile write of a killed launch of this mod left
// behind, and nothing else: only names of the launcher's one temporary pattern, which carries
// this mod's name (see temporary_names.h). A launch calls it only while it holds the
// one-launch-at-a-time guard, as a temporary file of a running launch of the same mod would be
// removed under its writer. What cannot be removed stays for the next launch.
void RemoveLeftoverTemporaries(const char* const* folders, size_t count);

// ---- Profile (INI) files -----------------------------------------------------------------
// These behave as KERNEL32's private profile functions: sections and keys match with letter
// case ignored, blanks around keys and values are trimmed and one pair of matching quotes
// around a value is removed; a write edits the file in place, keeping every other byte.

// Reads the value of key in section into buffer (size characters including the NUL, cut to
// fit). The fallback is copied when the file, the section or the key is missing; an empty
// value is a value.
void ReadProfileValue(const char* section, const char* key, const char* fallback, char* buffer,
                      size_t size, const char* file);

// Reads the value of key in section as an unsigned integer (decimal or 0x hex after an optional
// sign, up to the first other character, wrapped modulo 2^32); fallback when the file, the
// section or the key is missing or the value is empty.
unsigned ReadProfileNumber(const char* section, const char* key, unsigned fallback,
                           const char* file);

// Sets key in section to value, creating the file, the section and the key as needed and
// leaving the rest of the file as it was. A missing folder is not created: the write fails.
bool WriteProfileValue(const char* section, const char* key, const char* value, const char* file);

// Makes every earlier write to the profile file durable on disk.
void FlushProfile(const char* file);

// ---- Processes ---------------------------------------------------------------------------

// The most characters a process command line may hold, including its NUL.
constexpr size_t kMaxCommandLine = 32767;

// Starts the program named by the first, unquoted token of commandLine with that command line
// (split into arguments by the Windows rules where the system wants an argument vector), in
// the working directory and with this process's environment, shown normally, and waits without
// a time limit until it has ended. Returns false at once when the process could not be started.
// The system may modify commandLine while starting the process; it is restored before return.
bool RunProcessAndWait(char* commandLine);
