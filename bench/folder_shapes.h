// The game folders the benchmark launches in: the layout a player's installation has, with the
// mod's volume, other mods' volumes parked beside it, the engine's dumps and the game's
// settings file at realistic sizes, in the parked state that a launch starts from and ends in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace bench {

// Sizes of the files a folder holds besides the volumes.
constexpr std::uint64_t kDumpBytes = 4ull << 20;          // "VDFS.DMP" and the per-mod dump.
constexpr std::uint64_t kOtherVolumeBytes = 64ull << 10;  // Each parked volume of other mods.
constexpr int kGameDataFiles = 8;                         // The game's own files in "Data".

// Creates a parked game folder at root (which must not exist): the mod's volume of
// modVolumeBytes parked, the engine's dump and the per-mod dump, the game's settings file of
// some hundreds of lines with subTitlesNoise off, the mod's definition file, and game at the
// game executable's path. No other volume is parked yet. Where sameVolume names a file of that
// size, the parked volume is a hard link to it: folders that differ in other things share the
// data and are built without writing it again. A rename moves a hard-linked name like any
// other, and a copy makes a file of its own.
void CreateGameFolder(const std::filesystem::path& root, std::uint64_t modVolumeBytes,
                      const std::filesystem::path& game,
                      const std::filesystem::path& sameVolume = {});

// Adds or removes other mods' volumes in the park folder until count of them lie there.
void SetParkedVolumeCount(const std::filesystem::path& root, int count);

// Why the folder is not in the parked state a launch must leave it in; empty when it is.
std::string ParkedStateFault(const std::filesystem::path& root);

// The park folder's copy of the mod's volume.
std::filesystem::path ParkedModVolume(const std::filesystem::path& root);

}  // namespace bench
