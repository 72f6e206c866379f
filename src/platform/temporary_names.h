// The names of the launcher's temporary files, the same on every system. A copy, and on POSIX
// every profile write, first writes a temporary file in its target's folder and renames it over
// the target only once it is complete, so no target ever holds a partly written file. A launch
// killed in between leaves the temporary file behind; the next launch removes it
// (RemoveLeftoverTemporaries), recognising it by this one pattern:
//
//     "~" MOD_VOLUME_NAME ".launcher-" PPPPPPPP "-" NNNNNNNN ".tmp"
//
// where PPPPPPPP is the writing process's id and NNNNNNNN a number counted per process, each
// as exactly eight lowercase hexadecimal digits ("~talvero.mod.launcher-00001f3a-00000002.tmp").
// The name is matched byte for byte, so a player's file that merely resembles it (another
// letter case, other digits, another ending) is never taken for one. It names the mod's volume
// so that the launchers of two mods that share a game folder never take each other's
// temporaries for leftovers: each removes only its own mod's, and the one-launch-at-a-time
// guard keeps a second launcher of the same mod out while they are written. It ends in ".tmp",
// never in ".mod", so that no sweep of "Data\*.mod" takes it for a volume, by its long name or
// its short one.
#pragma once

#include <stddef.h>

// The longest process id and serial number that the name holds (eight hexadecimal digits).
constexpr unsigned long kLargestTemporaryNumber = 0xFFFFFFFFul;

// Builds, in path (capacity characters with its NUL), the temporary file's path for target: the
// folder part of target (up to its last '\' or '/', if any) followed by the temporary name of
// processId and serial. False, with path empty, when it does not fit or a number is too large.
bool BuildTemporaryPath(const char* target, unsigned long processId, unsigned long serial,
                        char* path, size_t capacity);

// True when name (a bare name) is exactly one that BuildTemporaryPath gives.
bool IsLauncherTemporaryName(const char* name);

// Builds, in pattern, folder (empty, or ending in '\') followed by a wildcard that every
// temporary name matches, for an enumeration that narrows the entries before
// IsLauncherTemporaryName decides. False, with pattern empty, when it does not fit.
bool BuildTemporaryWildcard(const char* folder, char* pattern, size_t capacity);

// Removes the launcher's temporary file at path, even where it is read-only (a copy gives its
// temporary file the source's attributes). Each backend implements it; a missing file is a
// failure the caller may ignore.
bool RemoveTemporaryFile(const char* path);
