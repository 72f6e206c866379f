// A small, independent reader and writer of INI values for the tests and the stand-in game. It
// is deliberately simpler than the launcher's own profile code, so that the tests do not check
// that code against itself: sections and keys match with letter case ignored, blanks around
// keys and values are trimmed, one pair of surrounding quotes is removed, first entry wins.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace testing_support {

// Every value of an INI text, keyed by upper-cased "SECTION" and then upper-cased "KEY".
using IniValues = std::map<std::string, std::map<std::string, std::string>>;

IniValues ParseIni(const std::string& text);

std::optional<std::string> FindIniValue(const std::string& text, const std::string& section,
                                        const std::string& key);

// Sets key in section: replaces the value on an existing key's line, or adds the key (and the
// section when missing) with CRLF line ends.
std::string SetIniValue(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value);

// Removes the line of key in the first section of that name, every other byte kept; the text
// as it was when there is no such key.
std::string RemoveIniValue(const std::string& text, const std::string& section,
                           const std::string& key);

}  // namespace testing_support
