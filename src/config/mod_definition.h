// The mod's game definition file: its key VDF in section "FILES" names the mod's volume file
// while the game runs and holds "!<invalid>" between launches. Only that key is ever written.
#pragma once

// Writes the mod's volume file name to VDF and flushes the file. A missing definition file is
// created; a missing folder is not, and the write then fails silently.
void WriteModDefinition();

// Writes "!<invalid>" to VDF and flushes the file.
void InvalidateModDefinition();
