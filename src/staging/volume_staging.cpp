#include "staging/volume_staging.h"

#include "common/bounded_text.h"
#include "common/game_folder.h"
#include "platform/platform.h"

namespace {

// The longest path the Windows file functions take, with its NUL.
constexpr size_t kMaxPath = 260;

void ParkVolume(const char* name, bool isFolder, void* /*context*/) {
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
    MoveByRenameOrCopy(source, target);
}

}  // namespace

void ParkModVolumes() {
    VisitMatchingEntries(kVolumePattern, ParkVolume, nullptr);
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
