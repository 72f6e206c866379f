// Runs the profile table through KERNEL32's own profile functions and writes the results to a
// file (never to standard output, which the wineserver would hold open).
// Usage: kernel32_profile_table RESULT-FILE, in the working directory for the table's files.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fstream>
#include <vector>

#include "differential/profile_table.h"

namespace {

std::string Read(const char* section, const char* key, const char* fallback, unsigned size,
                 const char* file) {
    std::vector<char> buffer(size + 1, '\0');
    GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file);
    return buffer.data();
}

unsigned ReadNumber(const char* section, const char* key, unsigned fallback, const char* file) {
    return GetPrivateProfileIntA(section, key, static_cast<INT>(fallback), file);
}

bool Write(const char* section, const char* key, const char* value, const char* file) {
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::map<std::string, std::string> results =
        profile_agreement::RunProfileCases({Read, ReadNumber, Write});
    std::ofstream(argv[1], std::ios::binary) << profile_agreement::FormatResults(results);
    return 0;
}
