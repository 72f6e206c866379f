// One table of profile files and operations on them (reads of strings and numbers, writes of
// new and existing keys and sections), run once through the launcher's POSIX backend and once
// through KERNEL32 under Wine; the values read must agree. Where Wine is known to behave unlike
// Windows (a UTF-8 byte order mark; its rewriting of the whole file on every write), the row
// says so, and for a difference in a value it gives Wine's result.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace profile_agreement {

struct ProfileOperation {
    enum class Kind { Read, ReadNumber, Write };
    Kind kind;
    std::string section;
    std::string key;
    std::string text;  // A read's fallback, or the value written.
    unsigned number;   // A read's buffer size, or a number read's fallback.
};

struct ProfileCase {
    std::string name;
    std::optional<std::string> content;  // The file at the start; nullopt when there is none.
    std::vector<ProfileOperation> operations;
    // Where Wine differs from Windows: what the notes record, and Wine's results (escaped, as
    // in the results) by operation index. Empty when Wine behaves as Windows does.
    std::string wineDifference = {};
    std::map<size_t, std::string> wineResults = {};
    // The file's path relative to the working directory; by default ".\<name>.ini", with a
    // folder so that Windows does not look for it in its own folder.
    std::string path = {};
};

const std::vector<ProfileCase>& ProfileCases();

// The profile functions of one system, in plain types.
struct ProfileFunctions {
    std::string (*read)(const char* section, const char* key, const char* fallback, unsigned size,
                        const char* file);
    unsigned (*readNumber)(const char* section, const char* key, unsigned fallback,
                           const char* file);
    bool (*write)(const char* section, const char* key, const char* value, const char* file);
};

// Runs every case in the working directory, each on a fresh file, and returns the result of
// each operation keyed "<case>#<index>" (escaped strings, decimal numbers, "true" or "false"
// for writes), and the file's bytes after the last one keyed "<case>#file" ("<missing>" when
// there is none).
std::map<std::string, std::string> RunProfileCases(const ProfileFunctions& functions);

// Bytes outside printable ASCII, and the backslash, as \xNN; and back.
std::string Escape(const std::string& bytes);
std::string Unescape(const std::string& text);

// The results as lines "key result", and back.
std::string FormatResults(const std::map<std::string, std::string>& results);
std::map<std::string, std::string> ParseResults(const std::string& text);

}  // namespace profile_agreement
