// The command-line tail on hostile command lines. Any line: the tail lies inside the line, does
// not begin with a blank, and what comes before it is the program name and its blanks. A line
// built from a program name (quoted or not, with double-byte characters whose trail byte may be
// a quote), blanks and a tail: the tail found is the tail the line was built with.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "fuzz/fuzz_input.h"
#include "launch/command_line_tail.h"

using fuzzing::Escaped;
using fuzzing::FuzzInput;
using fuzzing::Require;

namespace {

// The lead bytes of the code page of this input: a range within 0x81-0xFE, as in the Asian
// double-byte code pages, or none.
uint8_t leadLow = 0;
uint8_t leadHigh = 0;

bool IsLeadByte(unsigned char byte) {
    return leadLow != 0 && byte >= leadLow && byte <= leadHigh;
}

bool IsBlank(unsigned char byte) {
    return byte >= 1 && byte <= 32;
}

void CheckAnyLine(const std::string& text) {
    const std::string line = text.substr(0, text.find('\0'));
    const char* tail = FindCommandLineTail(line.c_str(), IsLeadByte);
    Require(tail >= line.c_str() && tail <= line.c_str() + line.size(),
            "the tail lies outside the line " + Escaped(line));
    const size_t start = static_cast<size_t>(tail - line.c_str());
    Require(start == line.size() || !IsBlank(static_cast<unsigned char>(line[start])),
            "the tail begins with a blank in " + Escaped(line));
    if (line.empty() || line[0] == '"') {
        // A quoted name ends at its closing quote or at the end of the line.
        size_t end = start;
        while (end > 0 && IsBlank(static_cast<unsigned char>(line[end - 1]))) {
            --end;
        }
        Require(start == line.size() || (end >= 2 && line[end - 1] == '"'),
                "a quoted name ends elsewhere than at a quote in " + Escaped(line));
        return;
    }
    // An unquoted name runs to the first blank; the blanks after it are skipped.
    size_t nameEnd = 0;
    while (nameEnd < line.size() && !IsBlank(static_cast<unsigned char>(line[nameEnd]))) {
        ++nameEnd;
    }
    size_t blanksEnd = nameEnd;
    while (blanksEnd < line.size() && IsBlank(static_cast<unsigned char>(line[blanksEnd]))) {
        ++blanksEnd;
    }
    Require(start == blanksEnd, "the tail of " + Escaped(line) + " begins at " +
                                    std::to_string(start) + ", not " + std::to_string(blanksEnd));
}

void CheckBuiltLine(FuzzInput& input) {
    const uint8_t flags = input.Byte();
    const bool quoted = (flags & 1) != 0;
    const std::string nameBytes = input.Bytes(input.Byte() % 16);
    std::string name;
    for (size_t i = 0; i < nameBytes.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(nameBytes[i]);
        if (quoted && IsLeadByte(byte)) {
            // A double-byte character: its trail byte may be anything but the NUL.
            unsigned char trail = i + 1 < nameBytes.size()
                                      ? static_cast<unsigned char>(nameBytes[++i])
                                      : static_cast<unsigned char>('"');
            name += static_cast<char>(byte);
            name += static_cast<char>(trail == 0 ? '"' : trail);
            continue;
        }
        if (quoted ? (byte == '"' || byte == 0) : (IsBlank(byte) || byte == 0)) {
            byte = 'n';
        }
        if (!quoted && name.empty() && byte == '"') {
            byte = 'n';
        }
        name += static_cast<char>(byte);
    }
    std::string tail = input.Rest();
    tail = tail.substr(0, tail.find('\0'));
    if (!tail.empty() && IsBlank(static_cast<unsigned char>(tail[0]))) {
        tail[0] = 't';
    }
    // An unquoted name ends only at a blank, so a tail needs at least one before it.
    size_t blankCount = (flags >> 1) % 4;
    if (!quoted && !tail.empty() && blankCount == 0) {
        blankCount = 1;
    }
    std::string blanks;
    for (size_t i = 0; i < blankCount; ++i) {
        blanks += static_cast<char>(1 + (flags >> 3) % 32);
    }
    const std::string line = (quoted ? "\"" + name + "\"" : name) + blanks + tail;
    const char* found = FindCommandLineTail(line.c_str(), IsLeadByte);
    Require(found == line.c_str() + (line.size() - tail.size()),
            "the tail of " + Escaped(line) + " is " + Escaped(found) + ", not " + Escaped(tail));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t low = input.Byte();
    const uint8_t high = input.Byte();
    leadLow = low >= 0x81 && low <= 0xFE ? low : 0;
    leadHigh = high >= leadLow && high <= 0xFE ? high : leadLow;
    const std::string rest = input.Rest();
    CheckAnyLine(rest);
    FuzzInput built(reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
    CheckBuiltLine(built);
    return 0;
}
