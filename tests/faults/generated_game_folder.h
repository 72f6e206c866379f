// Game folders made from a seed, for the property test: volume files in "Data\" and in the
// park folder (some sharing names, in any letter case, with and without the mod's own), the
// dumps present or absent, settings and definition files absent, plain or odd (other line
// breaks, a byte order mark, NUL bytes, duplicate sections, long values), and a game that does
// one of the things a game does to the folder. The same seed always gives the same folder.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "support/game_folder_tree.h"

namespace fault_testing {

struct GeneratedGameFolder {
    uint64_t seed;
    testing_support::Tree tree;
    // Where the game executable goes ('/' as separator), or "" when the folder has no game.
    std::string gamePath;
    // The stand-in game's control lines (see tests/tools/standin_game.cpp).
    std::vector<std::string> gameControl;
};

GeneratedGameFolder GenerateGameFolder(uint64_t seed);

}  // namespace fault_testing
