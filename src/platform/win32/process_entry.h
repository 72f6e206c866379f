// The system services that the Windows process entry needs, in plain types. The entry's own
// file must not include windows.h: MinGW's compiler gives every function named WinMain C
// linkage, so the launcher's WinMain and the one windows.h declares cannot be seen together.
#pragma once

// The process's full command line, in the ANSI code page; owned by the system for the life of
// the process.
char* ProcessCommandLine();

// True when byte is a lead byte of a double-byte character in the system's ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);

// The show state that whoever started the process asked for, as WinMain receives it.
int ProcessShowCommand();

// Ends the process with status; does not return.
[[noreturn]] void EndProcess(int status);
