// The process entry on POSIX systems. A POSIX program receives an argument vector where a
// Windows program receives one command line; the entry joins the vector back into the command
// line that Windows would have given, so that the launcher finds the same tail there and the
// game receives every argument intact.
#include "launch/command_line_tail.h"
#include "launch/win_main.h"
#include "platform/platform.h"
#include "platform/windows_argv.h"

namespace {

// POSIX systems have no double-byte ANSI code pages.
bool NoLeadBytes(unsigned char) {
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    char commandLine[kMaxCommandLine];
    JoinWindowsCommandLine(argc, argv, commandLine, sizeof commandLine);
    const char* tail = FindCommandLineTail(commandLine, NoLeadBytes);
    // The tail lies inside commandLine, which this function owns for the life of the launcher.
    return WinMain(nullptr, nullptr, commandLine + (tail - commandLine), 0);
}
