// How the stand-in game holds a file of the game folder past its own end, as a virus scanner
// may hold a file that has just changed: the launcher can still read and copy it, but can
// neither rename nor delete it, until a later game lets it go. Each system has its own way
// (tests/tools/standin_hold_posix.cpp, tests/tools/standin_hold_win32.cpp); CMake picks one.
#pragma once

#include <string>

// Holds the file at name (relative to the working directory) until ReleaseHeldFile(name).
// program is the stand-in's own path, for a system that holds files with a process. Returns
// whether the file is held.
bool HoldFile(const char* program, const std::string& name);

// Lets go of a file that an earlier game held; returns whether it is free now.
bool ReleaseHeldFile(const std::string& name);

// Where holding takes a process of its own: when the arguments ask this program to be that
// process, holds the file until it is let go and returns true (the program then exits).
bool RunAsFileHolder(int argc, char** argv);
