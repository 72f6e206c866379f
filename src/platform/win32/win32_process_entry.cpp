#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/win32/process_entry.h"

char* ProcessCommandLine() {
    return GetCommandLineA();
}

bool IsAnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

int ProcessShowCommand() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

void EndProcess(int status) {
    ExitProcess(static_cast<UINT>(status));
}
