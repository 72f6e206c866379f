#include "staging/dump_swap.h"

#include "common/game_folder.h"
#include "platform/platform.h"

// The dumps move by rename wherever the outcome is the same as a copy's, so a launch costs the
// same whatever the dumps' size; every move falls back to a copy, and no move deletes its
// source before its copy succeeded. Whatever fails, the engine's dump is afterwards in
// "VDFS.DMP" or "VDFS.DMP.old", and the next launch puts it back in "VDFS.DMP".

namespace {

// Sets the engine's dump aside as "VDFS.DMP.old", which is not there: by rename, as the per-mod
// dump replaces it at once, or by copy where the rename fails (the dump held open). Returns
// whether "VDFS.DMP" may now be replaced, and reports whether it was renamed away.
bool SetEngineDumpAside(bool* renamed) {
    *renamed = RenameWithoutReplacing(kEngineDump, kEngineDumpBackup);
    return *renamed || CopyFileWithoutReplacing(kEngineDump, kEngineDumpBackup);
}

// Moves source to target where nothing is there: by rename, or by a copy and a delete where the
// rename fails. A target that is there after all (one that a failed probe did not see) is kept.
bool MoveToFreeName(const char* source, const char* target) {
    if (RenameWithoutReplacing(source, target)) {
        return true;
    }
    if (!CopyFileWithoutReplacing(source, target)) {
        return false;
    }
    RemoveFile(source);
    return true;
}

}  // namespace

bool SwapInModDump() {
    if (!FileExists(kModDump)) {
        return false;
    }
    WriteProfileValue(kInternalSection, kAbnormalExitKey, "0", kSettingsFile);
    // A folder at "VDFS.DMP" is never replaced; a folder at "VDFS.DMP.old" leaves no room for
    // the engine's dump, which then keeps its place.
    if (PathExists(kEngineDump) && !FileExists(kEngineDump)) {
        return false;
    }
    const bool engineDumpThere = FileExists(kEngineDump);
    if (PathExists(kEngineDumpBackup)) {
        // A leftover backup holds the engine's dump: "VDFS.DMP" beside it holds the dump of an
        // unfinished mod run, which makes way for the per-mod dump.
        if (!FileExists(kEngineDumpBackup) && engineDumpThere) {
            return false;
        }
        return MoveByRenameOrCopy(kModDump, kEngineDump);
    }
    if (!engineDumpThere) {
        return MoveToFreeName(kModDump, kEngineDump);
    }
    bool renamedAway = false;
    if (!SetEngineDumpAside(&renamedAway)) {
        return false;
    }
    if (MoveByRenameOrCopy(kModDump, kEngineDump)) {
        return true;
    }
    // The per-mod dump cannot take the place: the engine's dump goes back where it was. A copy
    // of it in "VDFS.DMP.old" is moved back after the run like any backup.
    if (renamedAway) {
        MoveByRenameOrCopy(kEngineDumpBackup, kEngineDump);
    }
    return false;
}

void SwapOutModDump(bool modDumpSwappedIn) {
    // A missing or unreadable mark counts as an abnormal end: only a dump the game itself
    // called clean is kept for the mod. A per-mod dump that is there but was not swapped in
    // stays: the game did not run with it, so "VDFS.DMP" is not the mod's dump.
    const bool runWasClean =
        ReadProfileNumber(kInternalSection, kAbnormalExitKey, 1, kSettingsFile) == 0;
    const bool backupThere = FileExists(kEngineDumpBackup);
    const bool saveForMod =
        runWasClean && FileExists(kEngineDump) && (modDumpSwappedIn || !PathExists(kModDump));
    // The game's dump replaces a per-mod dump that is still there only where that one was
    // swapped in (a copy whose source could not be deleted); elsewhere it takes a free name.
    bool savedByMove = false;
    if (saveForMod && backupThere) {
        // The backup replaces "VDFS.DMP" next, so the game's dump can move rather than copy.
        savedByMove = modDumpSwappedIn ? MoveByRenameOrCopy(kEngineDump, kModDump)
                                       : MoveToFreeName(kEngineDump, kModDump);
    } else if (saveForMod && modDumpSwappedIn) {
        // "VDFS.DMP" stays as the game left it, so the per-mod dump must be a copy.
        CopyFileReplacing(kEngineDump, kModDump);
    } else if (saveForMod) {
        CopyFileWithoutReplacing(kEngineDump, kModDump);
    } else if (!runWasClean && modDumpSwappedIn) {
        // The per-mod dump was used up by a run not marked normal; a copy of it that its move
        // into "VDFS.DMP" could not delete goes too.
        RemoveFile(kModDump);
    }
    if (backupThere && !MoveByRenameOrCopy(kEngineDumpBackup, kEngineDump) && savedByMove) {
        // The backup could not come back: leave "VDFS.DMP" as the game left it.
        CopyFileReplacing(kModDump, kEngineDump);
    }
}
