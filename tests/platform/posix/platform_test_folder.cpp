#include "platform_test_folder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/fault_seam.h"

void PlatformTestFolder::SetUp() {
    previousDirectory_ = std::filesystem::current_path().string();
    std::string pattern =
        (std::filesystem::temp_directory_path() / "platform-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    ASSERT_EQ(chdir(root_.c_str()), 0);
    ResetFaults();
}

void PlatformTestFolder::TearDown() {
    ResetFaults();
    ASSERT_EQ(chdir(previousDirectory_.c_str()), 0);
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
}

void PlatformTestFolder::WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out) << path;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out) << path;
}

std::string PlatformTestFolder::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PlatformTestFolder::MakeFolder(const std::string& path) {
    std::filesystem::create_directories(path);
}

bool PlatformTestFolder::Exists(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

struct stat PlatformTestFolder::Status(const std::string& path) {
    struct stat status = {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status;
}

std::vector<std::string> PlatformTestFolder::Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
