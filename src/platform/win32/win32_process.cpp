// Starting a process and waiting for its end on Windows.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_retry_budget.h"

// The child inherits no handle, this process's environment and its working directory; it is
// shown normally whatever show state this process was given. CreateProcessA may write to the
// command line while it runs, and restores it before it returns. Whether or not the game ran,
// what follows puts the folder back, with a wait budget of its own for files held then (a dump
// that the game has just written is often held by a scanner right after the game ends).
bool RunProcessAndWait(char* commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        StartRestorePhaseRetryBudget();
        return false;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    StartRestorePhaseRetryBudget();
    return true;
}
