#include "staging/dump_swap.h"

#include "common/game_folder.h"
#include "platform/platform.h"

// The dumps move by rename wherever the outcome is the same as a copy's, so a launch costs the
// same whatever the dumps' size. Where a rename has moved a dump out of "VDFS.DMP" and the file
// meant to take its place cannot follow, a copy puts the dump back, so the game always finds a
// "VDFS.DMP" where a copy would have left one, and no dump is ever lost.

void SwapInModDump() {
    if (!PathExists(kModDump)) {
        return;
    }
    WriteProfileValue(kInternalSection, kAbnormalExitKey, "0", kSettingsFile);
    // The engine's dump is set aside by rename, as the per-mod dump replaces it at once; where
    // the rename fails (the dump held open), a copy sets it aside. A missing engine dump keeps
    // a leftover backup from an interrupted launch, which holds the older original.
    const bool engineDumpMoved = RenameReplacing(kEngineDump, kEngineDumpBackup);
    if (!engineDumpMoved) {
        CopyFileReplacing(kEngineDump, kEngineDumpBackup);
    }
    if (!MoveByRenameOrCopy(kModDump, kEngineDump) && engineDumpMoved) {
        CopyFileReplacing(kEngineDumpBackup, kEngineDump);
    }
}

void SwapOutModDump() {
    // A missing or unreadable mark counts as an abnormal end: only a dump the game itself
    // called clean is kept for the mod.
    const bool runWasClean =
        ReadProfileNumber(kInternalSection, kAbnormalExitKey, 1, kSettingsFile) == 0;
    const bool backupExists = PathExists(kEngineDumpBackup);
    if (runWasClean && !backupExists) {
        // "VDFS.DMP" stays as the game left it, so the per-mod dump must be a copy.
        CopyFileReplacing(kEngineDump, kModDump);
    }
    bool savedByRename = false;
    if (runWasClean && backupExists) {
        // The backup replaces "VDFS.DMP" next, so the game's dump can move rather than copy.
        savedByRename = RenameReplacing(kEngineDump, kModDump);
        if (!savedByRename) {
            CopyFileReplacing(kEngineDump, kModDump);
        }
    }
    if (!MoveByRenameOrCopy(kEngineDumpBackup, kEngineDump) && savedByRename) {
        // The backup could not come back: leave "VDFS.DMP" as the game left it.
        CopyFileReplacing(kModDump, kEngineDump);
    }
}
