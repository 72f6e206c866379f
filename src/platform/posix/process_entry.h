// What the POSIX process entry needs from the system, in plain types. A POSIX program receives
// an argument vector where a Windows program receives one command line; the entry asks for the
// command line that Windows would have given, so that the launcher finds the same tail there
// and the game receives every argument intact.
#pragma once

#include <stddef.h>

// Joins the process's arguments into the command line Windows would have given for them, in
// line (capacity characters with the NUL): the program name, then every argument that fits
// whole, each quoted by the Windows rules where it needs it.
void ProcessCommandLine(int argc, const char* const* argv, char* line, size_t capacity);

// POSIX systems have no double-byte ANSI code pages: false for every byte.
bool IsAnsiLeadByte(unsigned char byte);
