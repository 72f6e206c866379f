#include "support/game_folder_tree.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

void WriteTree(const fs::path& root, const Tree& tree) {
    for (const TreeEntry& entry : tree) {
        if (!entry.path.empty() && entry.path.back() == '/') {
            fs::create_directories(root / entry.path);
        } else {
            fs::create_directories((root / entry.path).parent_path());
            WriteFileText(root / entry.path, entry.content);
        }
    }
}

std::map<std::string, std::string> ReadTree(const fs::path& root,
                                            const std::vector<std::string>& ignored) {
    std::map<std::string, std::string> result;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        std::string relative = fs::relative(it->path(), root).generic_string();
        if (std::any_of(ignored.begin(), ignored.end(), [&relative](const std::string& path) {
                return EqualIgnoringCase(path, relative);
            })) {
            if (it->is_directory()) {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (it->is_directory()) {
            result[relative + "/"] = "";
        } else {
            result[relative] = ReadFileText(it->path());
        }
    }
    return result;
}

bool EqualIgnoringCase(const std::string& first, const std::string& second) {
    return first.size() == second.size() &&
           std::equal(first.begin(), first.end(), second.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string ReadFileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFileText(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

TempFolder::TempFolder(const std::string& prefix) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() / (prefix + "-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

}  // namespace testing_support
