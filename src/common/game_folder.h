// The fixed names of the game folder, relative to it, with backslashes. The game's own names
// are spelled here; the mod's names come from the identity chosen when the launcher is built.
#pragma once

#include <stddef.h>

#include "mod_identity.h"

// Volume files: active in "Data\", parked in "Data\ModVdf\".
constexpr char kVolumePattern[] = "Data\\*.mod";
constexpr char kVolumeSuffix[] = ".mod";
constexpr char kActiveFolder[] = "Data\\";
constexpr char kParkFolder[] = "Data\\ModVdf\\";
constexpr char kModVolumeName[] = MOD_VOLUME_NAME;
constexpr char kParkedModVolume[] = "Data\\ModVdf\\" MOD_VOLUME_NAME;
constexpr char kActiveModVolume[] = "Data\\" MOD_VOLUME_NAME;

// Every folder the launcher writes into, the game folder itself first: where a killed launch
// can have left a temporary file.
constexpr const char* kWrittenFolders[] = {"", kActiveFolder, kParkFolder, "system\\"};
constexpr size_t kWrittenFolderCount = sizeof kWrittenFolders / sizeof kWrittenFolders[0];

// The game's settings file and the keys the launcher reads or writes there.
constexpr char kSettingsFile[] = "system\\HADRIN.INI";
constexpr char kGameSection[] = "GAME";
constexpr char kSubtitleNoiseKey[] = "subTitlesNoise";
constexpr char kInternalSection[] = "INTERNAL";
constexpr char kAbnormalExitKey[] = "gameAbnormalExit";

// The mod's game definition file and its one key.
constexpr char kModDefinitionFile[] = "system\\" MOD_DEFINITION_NAME;
constexpr char kFilesSection[] = "FILES";
constexpr char kVolumeKey[] = "VDF";
constexpr char kInvalidVolume[] = "!<invalid>";

// The engine's dump, its backup while the mod runs, and the mod's own saved dump.
constexpr char kEngineDump[] = "VDFS.DMP";
constexpr char kEngineDumpBackup[] = "VDFS.DMP.old";
constexpr char kModDump[] = MOD_DUMP_NAME;

// The name of the guard that lets one launcher of this mod run in a game folder at a time: the
// mod's definition file names the mod to the game, so it tells one mod's launchers from another's.
constexpr char kLaunchGuardName[] = "ModLauncher-" MOD_DEFINITION_NAME;

// The game's command line before the launcher's own tail.
constexpr char kGameCommand[] = GAME_EXECUTABLE_PATH " -game:" MOD_DEFINITION_NAME;
