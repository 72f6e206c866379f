#include "differential/profile_table.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace profile_agreement {
namespace {

std::string PathOf(const ProfileCase& profileCase) {
    return profileCase.path.empty() ? ".\\" + profileCase.name + ".ini" : profileCase.path;
}

// The path with '/' for the C++ library, which takes both on Windows.
std::string LibraryPath(std::string path) {
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

}  // namespace

std::map<std::string, std::string> RunProfileCases(const ProfileFunctions& functions) {
    std::map<std::string, std::string> results;
    for (const ProfileCase& profileCase : ProfileCases()) {
        const std::string path = PathOf(profileCase);
        std::remove(LibraryPath(path).c_str());
        if (profileCase.content) {
            std::ofstream out(LibraryPath(path), std::ios::binary | std::ios::trunc);
            out << *profileCase.content;
        }
        for (size_t i = 0; i < profileCase.operations.size(); ++i) {
            const ProfileOperation& operation = profileCase.operations[i];
            const char* section = operation.section.c_str();
            const char* key = operation.key.c_str();
            std::string result;
            switch (operation.kind) {
                case ProfileOperation::Kind::Read:
                    result = Escape(functions.read(section, key, operation.text.c_str(),
                                                   operation.number, path.c_str()));
                    break;
                case ProfileOperation::Kind::ReadNumber:
                    result = std::to_string(
                        functions.readNumber(section, key, operation.number, path.c_str()));
                    break;
                case ProfileOperation::Kind::Write:
                    result = functions.write(section, key, operation.text.c_str(), path.c_str())
                                 ? "true"
                                 : "false";
                    break;
            }
            results[profileCase.name + "#" + std::to_string(i)] = result;
        }
        std::ifstream in(LibraryPath(path), std::ios::binary);
        results[profileCase.name + "#file"] =
            in ? Escape(std::string(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()))
               : "<missing>";
    }
    return results;
}

std::string Escape(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (char byte : bytes) {
        const unsigned char c = static_cast<unsigned char>(byte);
        if (c > 32 && c < 127 && c != '\\') {
            text += byte;
        } else {
            text += "\\x";
            text += kHex[c >> 4];
            text += kHex[c & 15];
        }
    }
    return text;
}

std::string Unescape(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

std::string FormatResults(const std::map<std::string, std::string>& results) {
    std::string text;
    for (const auto& [key, result] : results) {
        text += key + " " + result + "\n";
    }
    return text;
}

std::map<std::string, std::string> ParseResults(const std::string& text) {
    std::map<std::string, std::string> results;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t space = line.find(' ');
        if (space != std::string::npos) {
            results[line.substr(0, space)] = line.substr(space + 1);
        }
    }
    return results;
}

}  // namespace profile_agreement
