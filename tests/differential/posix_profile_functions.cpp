// The table's profile functions on the POSIX backend of the platform layer.
#include <vector>

#include "differential/posix_profile_functions.h"
#include "platform/platform.h"

namespace profile_agreement {
namespace {

std::string Read(const char* section, const char* key, const char* fallback, unsigned size,
                 const char* file) {
    std::vector<char> buffer(size + 1, '\0');
    ReadProfileValue(section, key, fallback, buffer.data(), size, file);
    return buffer.data();
}

}  // namespace

ProfileFunctions PosixProfileFunctions() {
    return {Read, ReadProfileNumber, WriteProfileValue};
}

}  // namespace profile_agreement
