// Starting a process and waiting for its end on Windows.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

// The child inherits no handle, this process's environment and its working directory; it is
// shown normally whatever show state this process was given. CreateProcessA may write to the
// command line while it runs, and restores it before it returns.
bool RunProcessAndWait(char* commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}
