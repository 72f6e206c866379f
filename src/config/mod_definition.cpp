#include "config/mod_definition.h"

#include "common/game_folder.h"
#include "platform/platform.h"

void WriteModDefinition() {
    WriteProfileValue(kFilesSection, kVolumeKey, kModVolumeName, kModDefinitionFile);
    FlushProfile(kModDefinitionFile);
}

void InvalidateModDefinition() {
    WriteProfileValue(kFilesSection, kVolumeKey, kInvalidVolume, kModDefinitionFile);
    FlushProfile(kModDefinitionFile);
}
