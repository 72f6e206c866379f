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
    // the rename fails (the dump held open), a copy sets it aside. Neither replaces a backup
    // that is already there: one left over from an interrupted launch holds the engine's dump
    // from before that launch, and "VDFS.DMP" then holds a dump of the interrupted run.
    const bool engineDumpMoved = RenameWithoutReplacing(kEngineDump, kEngineDumpBackup);
    const bool engineDumpSetAside =
        engineDumpMoved || CopyFileWithoutReplacing(kEngineDump, kEngineDumpBackup);
    if (!engineDumpSetAside) {
        // No engine dump, or one that could not be set aside: the per-mod dump takes its
        // place only where that replaces nothing.
        RenameWithoutReplacing(kModDump, kEngineDump);
        return;
    }
    if (!MoveByRenameOrCopy(kModDump, kEngineDump) && engineDumpMoved) {
        CopyFileReplacing(kEngineDumpBackup, kEngineDump);
    }
}

void SwapOutModDump() {
    // A missing or unreadable mark counts as an abnormal end: only a dump the game itself
    // called clean is kept for the mod. It never replaces a per-mod dump that is still there,
    // which was not swapped in, so that "VDFS.DMP" is not the mod's dump.
    const bool runWasClean =
        ReadProfileNumber(kInternalSection, kAbnormalExitKey, 1, kSettingsFile) == 0;
    const bool backupExists = PathExists(kEngineDumpBackup);
    if (runWasClean && !backupExists) {
        // "VDFS.DMP" stays as the game left it, so the per-mod dump must be a copy.
        CopyFileWithoutReplacing(kEngineDump, kModDump);
    }
    bool savedByRename = false;
    if (runWasClean && backupExists) {
        // The backup replaces "VDFS.DMP" next, so the game's dump can move rather than copy.
        savedByRename = RenameWithoutReplacing(kEngineDump, kModDump);
        if (!savedByRename) {
            CopyFileWithoutReplacing(kEngineDump, kModDump);
        }
    }
    if (!MoveByRenameOrCopy(kEngineDumpBackup, kEngineDump) && savedByRename) {
        // The backup could not come back: leave "VDFS.DMP" as the game left it.
        CopyFileReplacing(kModDump, kEngineDump);
    }
}
