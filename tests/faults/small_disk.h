// A small file system in memory (tmpfs) mounted at a folder for the life of the object, so
// that a test can run the launch on a disk that is full or too small, without the seam. The
// mount lives in a mount namespace of this test process's own: nobody else sees it, and it
// goes away with the process whatever happens to the test.
#pragma once

#include <stddef.h>

#include <filesystem>
#include <string>

namespace fault_testing {

class SmallDisk {
  public:
    // Whether this process may mount a file system; when not, why not, in a sentence that a
    // skipped test can show.
    static bool CanMount(std::string* why);

    // Mounts a file system of the given size at the folder, which must exist and be empty.
    SmallDisk(const std::filesystem::path& folder, size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    // Writes a file at path (on this disk) until the disk refuses one more byte.
    static void FillUp(const std::filesystem::path& path);

  private:
    std::filesystem::path folder_;
};

}  // namespace fault_testing
