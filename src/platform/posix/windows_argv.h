// The Windows rules that turn a command line into an argument vector and back. A Windows
// program receives one command line, which its C runtime splits into arguments; a POSIX program
// receives the vector. The POSIX backend splits the game's command line to start it, and the
// POSIX entry joins its own arguments into the command line that the launcher works on.
#pragma once

#include <stddef.h>

// Splits line into arguments. The program name (the first argument) ends at the first space or
// tab outside double quotes, and its quotes only toggle; it is empty when the line begins with
// a blank. Later arguments are separated by spaces and tabs outside quotes; a double quote
// toggles quoting, and inside quotes two double quotes give one literal quote; 2n backslashes
// before a quote give n backslashes and the quote acts as above, 2n+1 give n backslashes and a
// literal quote; other backslashes are literal. So "C:\a b\" -c is one argument, C:\a b" -c.
//
// The arguments are stored one after another, each with its NUL, in storage, and arguments[i]
// points at the i-th; arguments[count] is nullptr. A storage of TextLength(line) + 1 characters
// and (TextLength(line) + 5) / 2 slots always suffice. False when either runs out.
bool SplitWindowsCommandLine(const char* line, char* storage, size_t storageCapacity,
                             char** arguments, size_t argumentCapacity, size_t* count);

// Appends the program name to the empty line, in double quotes where it is empty or holds a
// blank or a control character. A program name cannot hold a double quote on Windows; its
// quotes are left out. All or nothing: false, with line unchanged, when it does not fit.
bool AppendWindowsProgramName(char* line, size_t capacity, const char* name);

// Appends a space and argument to line, quoted where it is empty or holds a blank, a control
// character or a double quote, so that SplitWindowsCommandLine gives the argument back intact:
// inside the quotes a quote is escaped by a backslash, and backslashes before a quote or
// before the closing quote are doubled. All or nothing, as above.
bool AppendWindowsArgument(char* line, size_t capacity, const char* argument);

// Joins an argument vector into a command line: the program name (or "" when there is none or
// it does not fit), then each argument that fits whole; one that would not fit is dropped.
void JoinWindowsCommandLine(int argc, const char* const* argv, char* line, size_t capacity);
