// The one sequence the launcher runs: prepare the game folder for the mod, run the game, put
// the folder back. Every step is attempted whatever became of the ones before it.
#pragma once

// Runs the whole launch with the launcher's command-line tail and returns the exit status,
// which is always 0.
int RunLaunchSequence(const char* commandLineTail);
