// Game folders for the tests: written from a list of entries, and read back as one.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

// One entry of a folder tree: a path relative to the folder's root, with forward slashes. A
// path that ends in '/' is a folder; any other is a file with the given content.
struct TreeEntry {
    std::string path;
    std::string content;
};

using Tree = std::vector<TreeEntry>;

// Creates every entry below root (parent folders too).
void WriteTree(const std::filesystem::path& root, const Tree& tree);

// Reads every file and folder below root, keyed by relative path ('/' after folders). Paths
// listed in ignored (relative, letter case ignored as Windows would) are left out.
std::map<std::string, std::string> ReadTree(const std::filesystem::path& root,
                                            const std::vector<std::string>& ignored = {});

// Whether two names are equal with ASCII letter case ignored.
bool EqualIgnoringCase(const std::string& first, const std::string& second);

std::string ReadFileText(const std::filesystem::path& path);
void WriteFileText(const std::filesystem::path& path, const std::string& content);

// A fresh, empty folder under the system's temporary folder, removed by the destructor.
class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace testing_support
