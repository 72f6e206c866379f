#include "staging/dump_swap.h"

#include "common/game_folder.h"
#include "platform/platform.h"

void SwapInModDump() {
    if (!PathExists(kModDump)) {
        return;
    }
    WriteProfileValue(kInternalSection, kAbnormalExitKey, "0", kSettingsFile);
    // A copy, not a move: should the per-mod dump fail to take its place, the game still finds
    // its own dump in "VDFS.DMP".
    CopyFileReplacing(kEngineDump, kEngineDumpBackup);
    MoveByRenameOrCopy(kModDump, kEngineDump);
}

void SwapOutModDump() {
    // A missing or unreadable mark counts as an abnormal end: only a dump the game itself
    // called clean is kept for the mod.
    if (ReadProfileNumber(kInternalSection, kAbnormalExitKey, 1, kSettingsFile) == 0) {
        CopyFileReplacing(kEngineDump, kModDump);
    }
    MoveByRenameOrCopy(kEngineDumpBackup, kEngineDump);
}
