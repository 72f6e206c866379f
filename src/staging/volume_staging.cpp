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

void ActivateModVolume() {
    MoveByRenameOrCopy(kParkedModVolume, kActiveModVolume);
}
