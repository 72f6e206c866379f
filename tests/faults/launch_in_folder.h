// Running the launch in this process on a real game folder, as the launcher runs it, so that
// the fault seam's plan reaches every platform call of it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "faults/generated_game_folder.h"
#include "faults/nothing_lost.h"
#include "support/game_folder_tree.h"

namespace fault_testing {

// The files the stand-in game writes into the game folder.
const std::vector<std::string>& StandInOutputs();

// Runs the whole launch with the game folder as working directory, as the launcher started
// there would, and returns its status. The working directory is restored afterwards.
int LaunchIn(const std::filesystem::path& gameFolder, const char* tail = "");

// Empties root and lays the generated folder out in it: its tree, the stand-in game's control
// file and a link to the stand-in game where the folder has a game.
void LayOutGeneratedFolder(const std::filesystem::path& root, const GeneratedGameFolder& folder);

// Puts a link to program at gamePath (relative to the game folder, '/' as separator).
void InstallGameLink(const std::filesystem::path& gameFolder, const std::string& gamePath,
                     const std::filesystem::path& program);

// What the stand-in game did to the engine's dump, from its report and its control lines.
GameDumpTrace ReadGameDumpTrace(const std::filesystem::path& gameFolder,
                                const std::vector<std::string>& control);

// The game executable's path relative to the game folder, with '/'.
std::string GamePath();

// The text with "{volume}", "{definition}" and "{dump}" replaced by the mod's volume file,
// definition file and per-mod dump as the launcher was built with them, so that a table of
// folders holds for every mod identity.
std::string WithIdentity(std::string text);
testing_support::Tree WithIdentity(testing_support::Tree tree);
FolderSnapshot WithIdentity(const FolderSnapshot& snapshot);

}  // namespace fault_testing
