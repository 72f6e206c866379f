// The one sequence the launcher runs: prepare the game folder for the mod, run the game, put
// the folder back. Every step is attempted whatever became of the ones before it, once the
// launcher knows that no other launcher of the mod runs in the game folder.
#pragma once

// Runs the whole launch with the launcher's command-line tail and returns the exit status,
// which is always 0. Where another launcher of the mod runs in the game folder, it changes
// nothing, starts no game and returns at once.
int RunLaunchSequence(const char* commandLineTail);
