#include "launch/launch_sequence.h"

#include "common/game_folder.h"
#include "config/mod_definition.h"
#include "config/subtitle_noise.h"
#include "launch/game_process.h"
#include "platform/platform.h"
#include "staging/dump_swap.h"
#include "staging/volume_staging.h"

// The order is the contract. The temporary files that a killed launch left behind go first,
// and only once the one-launch-at-a-time guard is held: a second launcher of this mod could
// otherwise still be writing them. Parking comes before activating, so a mod volume left active by
// an interrupted launch is parked like any other and then brought back. The settings file is
// flushed once for both prepare-phase writes, so everything is on disk before the game starts.
// The subtitle setting is restored, and flushed, before the dump swap reads the game's
// abnormal-exit mark from the same file. The final sweep parks the mod's volume with the rest.
int RunLaunchSequence(const char* commandLineTail) {
    SubtitleNoiseValue savedSubtitleNoise;

    RemoveLeftoverTemporaries(kWrittenFolders, kWrittenFolderCount);
    ParkModVolumes();
    ActivateModVolume();
    ForceSubtitleNoise(savedSubtitleNoise);
    SwapInModDump();
    FlushProfile(kSettingsFile);
    WriteModDefinition();

    RunGameAndWait(commandLineTail);

    RestoreSubtitleNoise(savedSubtitleNoise);
    SwapOutModDump();
    InvalidateModDefinition();
    ParkModVolumes();
    return 0;
}
