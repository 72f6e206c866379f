// Small text helpers that the tests, the fuzz targets and the stand-in game share. Header-only,
// so that every test program can use them whatever it links.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace testing_support {

inline std::string AsciiLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

inline std::string AsciiUpper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The text without the spaces and tabs at either end.
inline std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The lines of a text without their line breaks; CRLF, LF and CR each end a line, and a text
// that ends in a line break has no empty last line.
inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start =
            end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

// The bytes with every byte outside printable ASCII (and the backslash) shown as \xNN, for a
// message; at most limit bytes are shown, then "...".
inline std::string Escaped(const std::string& bytes, size_t limit = std::string::npos) {
    std::string shown;
    for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 32 && c < 127 && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            static const char kHex[] = "0123456789abcdef";
            shown += "\\x";
            shown += kHex[c >> 4];
            shown += kHex[c & 15];
        }
    }
    if (bytes.size() > limit) {
        shown += "...";
    }
    return shown;
}

}  // namespace testing_support
