// The launcher's process entry on POSIX systems: the command line that Windows would have given
// for the arguments, its tail, and WinMain.
#include "launch/command_line_tail.h"
#include "launch/win_main.h"
#include "platform/platform.h"
#include "platform/posix/process_entry.h"

int main(int argc, char** argv) {
    char commandLine[kMaxCommandLine];
    ProcessCommandLine(argc, argv, commandLine, sizeof commandLine);
    const char* tail = FindCommandLineTail(commandLine, IsAnsiLeadByte);
    // The tail lies inside commandLine, which this function owns for the life of the launcher.
    return WinMain(nullptr, nullptr, commandLine + (tail - commandLine), 0);
}
