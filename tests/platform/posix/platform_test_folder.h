// A fresh temporary folder that is the working directory for the length of one test, as the
// game folder is for the launcher, with helpers to lay out and inspect files byte for byte.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

class PlatformTestFolder : public ::testing::Test {
  public:
    // Paths are relative to the test folder, with slashes.
    static void WriteFile(const std::string& path, const std::string& bytes);
    static std::string ReadFile(const std::string& path);
    static void MakeFolder(const std::string& path);
    static bool Exists(const std::string& path);
    static struct stat Status(const std::string& path);
    // The names in a folder, sorted, "." and ".." left out.
    static std::vector<std::string> Names(const std::string& folder);

  protected:
    void SetUp() override;
    void TearDown() override;

    std::string root_;

  private:
    std::string previousDirectory_;
};
