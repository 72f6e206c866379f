// Waiting for the disk to be as quiet as before the benchmark wrote its large files. After
// hundreds of MiB were written, a virtual disk may go on flushing them for seconds, and every
// fsync meanwhile waits much longer than usual; launches timed then would measure that flush.
#pragma once

#include <filesystem>

namespace bench {

// The median time of a few fsyncs of a small new file in folder, in milliseconds.
double SmallFsyncMs(const std::filesystem::path& folder);

// Syncs every file system, then waits until ten small fsyncs in folder, a tenth of a second
// apart, are each at most twice quietMs (and a quarter millisecond), or until timeoutSeconds
// have passed. Returns
// whether the disk became quiet.
bool WaitForQuietDisk(const std::filesystem::path& folder, double quietMs, int timeoutSeconds);

}  // namespace bench
