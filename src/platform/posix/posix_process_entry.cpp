#include "platform/posix/process_entry.h"

#include "platform/posix/windows_argv.h"

void ProcessCommandLine(int argc, const char* const* argv, char* line, size_t capacity) {
    JoinWindowsCommandLine(argc, argv, line, capacity);
}

bool IsAnsiLeadByte(unsigned char /*byte*/) {
    return false;
}
