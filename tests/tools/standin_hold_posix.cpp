// Holding a file on Linux: the immutable flag (as chattr +i sets it, which needs root and a file
// system that has the flag) lets the file be read but neither renamed nor deleted.
#include "standin_hold.h"
#include "support/immutable_flag.h"

using testing_support::SetImmutable;

bool HoldFile(const char*, const std::string& name) {
    return SetImmutable(name.c_str(), true);
}

bool ReleaseHeldFile(const std::string& name) {
    return SetImmutable(name.c_str(), false);
}

bool RunAsFileHolder(int, char**) {
    return false;
}
