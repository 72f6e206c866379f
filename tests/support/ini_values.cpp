#include "support/ini_values.h"
#include "support/text_helpers.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace testing_support {
namespace {

struct Line {
    std::string text;
    std::string ending;
};

std::vector<Line> SplitLinesWithEndings(const std::string& text) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back({text.substr(start), ""});
            break;
        }
        size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n') {
            ++next;
        }
        lines.push_back({text.substr(start, end - start), text.substr(end, next - end)});
        start = next;
    }
    return lines;
}

std::string Unquote(const std::string& s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
        return s.substr(1, s.size() - 2);
    }
    return s;
}

// Returns the section name when the line is a section header.
std::optional<std::string> SectionOf(const std::string& line) {
    std::string t = TrimBlanks(line);
    if (t.size() >= 2 && t.front() == '[') {
        size_t close = t.find(']');
        if (close != std::string::npos) {
            return AsciiUpper(TrimBlanks(t.substr(1, close - 1)));
        }
    }
    return std::nullopt;
}

}  // namespace

IniValues ParseIni(const std::string& text) {
    IniValues values;
    std::string section;
    bool inSection = false;
    for (const Line& line : SplitLinesWithEndings(text)) {
        if (auto name = SectionOf(line.text)) {
            section = *name;
            inSection = true;
            values[section];
            continue;
        }
        size_t eq = line.text.find('=');
        std::string key = AsciiUpper(TrimBlanks(line.text.substr(0, eq)));
        if (!inSection || eq == std::string::npos || key.empty() || key[0] == ';') {
            continue;
        }
        values[section].emplace(key, Unquote(TrimBlanks(line.text.substr(eq + 1))));
    }
    return values;
}

std::optional<std::string> FindIniValue(const std::string& text, const std::string& section,
                                        const std::string& key) {
    IniValues values = ParseIni(text);
    auto s = values.find(AsciiUpper(section));
    if (s == values.end()) {
        return std::nullopt;
    }
    auto k = s->second.find(AsciiUpper(key));
    if (k == s->second.end()) {
        return std::nullopt;
    }
    return k->second;
}

namespace {

std::string JoinLines(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& line : lines) {
        text += line.text + line.ending;
    }
    return text;
}

}  // namespace

std::string SetIniValue(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value) {
    std::vector<Line> lines = SplitLinesWithEndings(text);
    const std::string wantedSection = AsciiUpper(section);
    std::string current;
    std::optional<size_t> lastKeyOfSection;
    std::optional<size_t> header;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionOf(lines[i].text)) {
            current = *name;
            if (current == wantedSection && !header) {
                header = i;
                lastKeyOfSection = i;
            }
            continue;
        }
        if (current != wantedSection || !header) {
            continue;
        }
        size_t eq = lines[i].text.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        lastKeyOfSection = i;
        if (AsciiUpper(TrimBlanks(lines[i].text.substr(0, eq))) == AsciiUpper(key)) {
            lines[i].text = TrimBlanks(lines[i].text.substr(0, eq)) + "=" + value;
            return JoinLines(lines);
        }
    }
    if (lastKeyOfSection) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*lastKeyOfSection) + 1,
                     Line{key + "=" + value, "\r\n"});
        if (lines[*lastKeyOfSection].ending.empty()) {
            lines[*lastKeyOfSection].ending = "\r\n";
        }
    } else {
        if (!lines.empty() && lines.back().ending.empty()) {
            lines.back().ending = "\r\n";
        }
        lines.push_back({"[" + section + "]", "\r\n"});
        lines.push_back({key + "=" + value, "\r\n"});
    }
    return JoinLines(lines);
}

std::string RemoveIniValue(const std::string& text, const std::string& section,
                           const std::string& key) {
    std::vector<Line> lines = SplitLinesWithEndings(text);
    const std::string wantedSection = AsciiUpper(section);
    std::string current;
    bool seenSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionOf(lines[i].text)) {
            if (current == wantedSection && seenSection) {
                break;
            }
            current = *name;
            seenSection = seenSection || current == wantedSection;
            continue;
        }
        const size_t eq = lines[i].text.find('=');
        if (current == wantedSection && eq != std::string::npos &&
            AsciiUpper(TrimBlanks(lines[i].text.substr(0, eq))) == AsciiUpper(key)) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            return JoinLines(lines);
        }
    }
    return text;
}

}  // namespace testing_support
