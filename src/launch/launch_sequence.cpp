#include "launch/launch_sequence.h"

#include "common/game_folder.h"
#include "config/mod_definition.h"
#include "config/subtitle_noise.h"
#include "launch/game_process.h"
#include "platform/platform.h"
#include "staging/dump_swap.h"
#include "staging/volume_staging.h"

// The order is the contract. The guard comes first: a second launcher started while one runs
// (a player who sees no window double-clicks again) would otherwise stage the folder under the
// running game and put it back while that game still runs; it changes nothing and exits. The
// temporary files that a killed launch left behind go next, only once the guard is held: a
// second launcher of this mod could otherwise still be writing them. Parking comes before
// activating, so a mod volume left active by an interrupted launch is parked like any other and
// then brought back. The settings file is flushed once for both prepare-phase writes, so
// everything is on disk before the game starts. The subtitle setting is restored, and flushed,
// before the dump swap reads the game's abnormal-exit mark from the same file. The final sweep
// parks the mod's volume with the rest.
//
// Besides the saved subtitle setting, one value crosses the run: whether the game runs with
// the per-mod dump. The folder cannot tell it afterwards, because a move into "VDFS.DMP" whose
// source could not be deleted leaves the per-mod dump where a dump that was never swapped in
// stands too, and only the dump of a run made with the mod's dump may replace it.
int RunLaunchSequence(const char* commandLineTail) {
    SubtitleNoiseValue savedSubtitleNoise;

    if (!TakeLaunchGuard(kLaunchGuardName)) {
        return 0;
    }
    RemoveLeftoverTemporaries(kWrittenFolders, kWrittenFolderCount);
    ParkModVolumes();
    ActivateModVolume();
    ForceSubtitleNoise(savedSubtitleNoise);
    const bool modDumpSwappedIn = SwapInModDump();
    FlushProfile(kSettingsFile);
    WriteModDefinition();

    RunGameAndWait(commandLineTail);

    RestoreSubtitleNoise(savedSubtitleNoise);
    SwapOutModDump(modDumpSwappedIn);
    InvalidateModDefinition();
    ParkModVolumes();
    return 0;
}
