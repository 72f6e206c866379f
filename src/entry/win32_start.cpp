// The process entry of the Windows build. It replaces the C runtime's start-up code, whose
// idea of the command-line tail is not the launcher's (it ends an unquoted program name at any
// byte of 0x80 or above and lets quotes toggle anywhere in the name), and which would bring a
// runtime the launcher does not need. Nothing here may rely on static constructors or atexit
// handlers: without the runtime, none of them run.
#include "launch/command_line_tail.h"
#include "launch/win_main.h"
#include "platform/win32/process_entry.h"

// Windows calls the entry with whatever stack alignment it has; the compiler's code assumes
// the alignment of an ordinary call, which force_align_arg_pointer restores. The entry does
// not return: the process ends with the launcher's status.
extern "C" __attribute__((force_align_arg_pointer)) void __stdcall Start(void) {
    char* commandLine = ProcessCommandLine();
    char* tail = commandLine + (FindCommandLineTail(commandLine, IsAnsiLeadByte) - commandLine);
    EndProcess(WinMain(nullptr, nullptr, tail, ProcessShowCommand()));
}
