// How the Windows helpers of the tests under Wine report that they could not do their part: the
// reason and the system's last error go into their result file, and the exit status is 2.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fstream>
#include <string>

inline int Fail(const char* resultFile, const std::string& reason) {
    std::ofstream(resultFile, std::ios::binary)
        << "error=" << reason << " (" << GetLastError() << ")\n";
    return 2;
}
