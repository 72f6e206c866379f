#include "staging/volume_staging.h"

#include "common/bounded_text.h"
#include "common/game_folder.h"
#include "platform/platform.h"

namespace {

// The longest path the Windows file functions take, with its NUL.
constexpr size_t kMaxPath = 260;

// A sweep lists the folder again after a pass that moved anything: file systems, network shares
// in particular, do not promise to list every entry of a folder that changes while it is
// listed, and each move changes it. A pass that moves nothing changed nothing, so the next one
// would list the same; and a folder that never settles must not hold the launch.
constexpr unsigned kMostSweepPasses = 3;

// Which pass of the sweep this is, and whether it moved any entry out of "Data\".
struct SweepPass {
    bool first;
    bool movedAny;
};

void ParkVolume(const char* name, bool isFolder, void* context) {
    if (isFolder || !EndsWithIgnoringCase(name, kVolumeSuffix)) {
        return;
    }
    char source[kMaxPath];
    char target[kMaxPath];
    if (!CopyText(source, sizeof source, kActiveFolder) ||
        !AppendText(source, sizeof source, name) || !CopyText(target, sizeof target, kParkFolder) ||
        !AppendText(target, sizeof target, name)) {
        return;
    }
    // A move whose copy succeeded but whose source could not be deleted (held open, denied)
    // left the folder's listing as it was. A later pass that meets such a volume again, its
    // copy parked, only tries to rename it over the copy: a copy again would cost the same
    // time for the same result while the source is still held.
    SweepPass* sweep = static_cast<SweepPass*>(context);
    const bool moved = !sweep->first && PathExists(target)
                           ? RenameReplacing(source, target)
                           : MoveByRenameOrCopy(source, target) && !PathExists(source);
    if (moved) {
        sweep->movedAny = true;
    }
}

}  // namespace

void ParkModVolumes() {
    for (unsigned pass = 0; pass < kMostSweepPasses; ++pass) {
        SweepPass sweep = {pass == 0, false};
        VisitMatchingEntries(kVolumePattern, ParkVolume, &sweep);
        if (!sweep.movedAny) {
            return;
        }
    }
}

// An active mod volume is there only when the sweep before could not park it; it is then the
// newer of the two, as the sweep would have parked it over the parked one. It stays, and the
// parked one is not moved over it: the game runs with the newer one, and the final sweep parks
// it as it parks any active volume.
void ActivateModVolume() {
    if (PathExists(kActiveModVolume)) {
        return;
    }
    MoveByRenameOrCopy(kParkedModVolume, kActiveModVolume);
}
