// The run phase: start the game with the mod's definition file and the launcher's tail, and
// wait until it has ended.
#pragma once

#include <stddef.h>

// Writes the game's command line into buffer: the game command, then one space and the tail
// when the tail is present and not empty. The tail's bytes are copied untouched. Returns false
// when the whole line does not fit in capacity; the buffer then holds the game command alone
// (or nothing, when not even that fits), so a tail is passed whole or not at all.
bool BuildGameCommandLine(const char* tail, char* buffer, size_t capacity);

// Starts the game and returns when it has ended, or at once when it could not be started.
// The command line is built in a buffer of the system's own limit, so every tail that the
// system can pass at all reaches the game whole.
void RunGameAndWait(const char* tail);
