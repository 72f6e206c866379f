// The table's profile functions on the POSIX backend, which reproduces KERNEL32's.
#pragma once

#include "differential/profile_table.h"

namespace profile_agreement {

ProfileFunctions PosixProfileFunctions();

}  // namespace profile_agreement
