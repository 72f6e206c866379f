// The POSIX profile reader and writer on hostile files. For any file and a write of a section,
// key and value that can be stored and read back (no line break or NUL, no blanks at either
// end, no quotes around the value, no character that ends a section name or a key), the write
// succeeds; a read then returns the value written; every other key reads as before; no line of
// the file is lost but the key's own; and no temporary file is left beside it.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/platform.h"
#include "support/text_helpers.h"

using fuzzing::Escaped;
using fuzzing::FuzzInput;
using fuzzing::Require;
using testing_support::AsciiLower;
using testing_support::SplitLines;
using testing_support::TrimBlanks;

namespace fs = std::filesystem;

namespace {

constexpr char kFile[] = "fuzz.ini";
constexpr char kMissing[] = "\x01missing";

// The section and key names that the text seems to hold, without NUL bytes. Whether each one
// really is a key is for the reader to say; the properties only compare its reads.
std::vector<std::pair<std::string, std::string>> Candidates(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> found;
    std::string section;
    bool inSection = false;
    for (const std::string& raw : SplitLines(text)) {
        const std::string line = TrimBlanks(raw);
        if (line.find('\0') != std::string::npos || line.empty()) {
            continue;
        }
        if (line[0] == '[') {
            section = TrimBlanks(line.substr(
                1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1));
            inSection = true;
        } else if (inSection && line[0] != ';' && line.find('=') != std::string::npos) {
            found.emplace_back(section, TrimBlanks(line.substr(0, line.find('='))));
        }
    }
    return found;
}

// Reads with a buffer of at least size characters, and always room for the whole fallback, so
// that a missing key reads the same whatever the size of the file.
std::string Read(const std::string& section, const std::string& key, size_t size) {
    std::vector<char> buffer(std::max(size, sizeof kMissing));
    ReadProfileValue(section.c_str(), key.c_str(), kMissing, buffer.data(), buffer.size(), kFile);
    return buffer.data();
}

// A name made of letters, digits and a few other characters, a blank possibly inside it.
std::string MadeName(FuzzInput& input) {
    static const char kCharacters[] = "abcXYZ019_.-$ ";
    std::string name;
    const size_t length = 1 + input.Byte() % 8;
    for (size_t i = 0; i < length; ++i) {
        name += kCharacters[input.Byte() % (sizeof kCharacters - 1)];
    }
    name = TrimBlanks(name);
    return name.empty() ? "k" : name;
}

// The value as given, made storable: no line breaks or NUL bytes, no blanks at either end, and
// no pair of quotes around it.
std::string StorableValue(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n' || c == '\0') {
            c = '_';
        }
    }
    value = TrimBlanks(value);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        value.back() = '_';
    }
    return value;
}

bool SameName(const std::string& first, const std::string& second) {
    return AsciiLower(first) == AsciiLower(second);
}

bool Storable(const std::string& section, const std::string& key) {
    return !section.empty() && section.find(']') == std::string::npos && !key.empty() &&
           key.find('=') == std::string::npos && key[0] != ';' && key[0] != '[';
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A folder in memory where there is one: every write syncs, which a disk makes slow.
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    static std::string folder = (base / "profile-fuzz-XXXXXX").string();
    Require(mkdtemp(folder.data()) != nullptr, "cannot create a working folder");
    Require(chdir(folder.c_str()) == 0, "cannot enter the working folder");
    // The run ends by exit() when its time is up; the folder goes with it.
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t choice = input.Byte();
    const uint8_t sectionIndex = input.Byte();
    const uint8_t keyIndex = input.Byte();
    std::string section = MadeName(input);
    std::string key = MadeName(input);
    const std::string value = StorableValue(input.Bytes(input.Byte() % 64));
    const std::string text = input.Rest();
    {
        std::ofstream out(kFile, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }

    // Often an existing section or key, so that edits in place are reached as well as inserts.
    const auto candidates = Candidates(text);
    if (!candidates.empty() && (choice & 1) != 0) {
        section = candidates[sectionIndex % candidates.size()].first;
    }
    if (!candidates.empty() && (choice & 2) != 0) {
        key = candidates[keyIndex % candidates.size()].second;
    }
    if (!Storable(section, key)) {
        return 0;
    }

    const size_t readSize = text.size() + 2;
    std::map<std::pair<std::string, std::string>, std::string> before;
    for (const auto& candidate : candidates) {
        before[candidate] = Read(candidate.first, candidate.second, readSize);
    }
    const bool existed = Read(section, key, readSize) != kMissing;

    Require(WriteProfileValue(section.c_str(), key.c_str(), value.c_str(), kFile),
            "the write of [" + Escaped(section) + "] " + Escaped(key) + " failed");
    std::ifstream in(kFile, std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string context = " after writing [" + Escaped(section) + "] " + Escaped(key) + "=" +
                                Escaped(value) + " into " + Escaped(text) + ", giving " +
                                Escaped(written);

    Require(Read(section, key, value.size() + written.size() + 2) == value,
            "the value written does not read back" + context);
    for (const auto& [candidate, old] : before) {
        if (SameName(candidate.first, section) && SameName(candidate.second, key)) {
            continue;
        }
        Require(Read(candidate.first, candidate.second, written.size() + 2) == old,
                "[" + Escaped(candidate.first) + "] " + Escaped(candidate.second) + " changed" +
                    context);
    }

    std::map<std::string, int> remaining;
    for (const std::string& line : SplitLines(written)) {
        ++remaining[line];
    }
    int lost = 0;
    for (const std::string& line : SplitLines(text)) {
        if (--remaining[line] < 0) {
            ++lost;
        }
    }
    Require(lost <= (existed ? 1 : 0), std::to_string(lost) + " lines lost" + context);

    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(".")) {
        Require(entry.path().filename() == kFile,
                "a file was left beside the profile: " + entry.path().filename().string());
        ++entries;
    }
    Require(entries == 1, "the profile file is gone" + context);
    return 0;
}
