// The Windows rules for command lines on hostile arguments and lines. Arguments quoted into a
// line split back into the same arguments; any line splits within the capacities the header
// promises, and the line joined from its arguments splits into them again; a line joined into
// a small buffer holds each argument whole or not at all.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/posix/windows_argv.h"

using fuzzing::Escaped;
using fuzzing::FuzzInput;
using fuzzing::Require;

namespace {

// Splits line with exactly the capacities that the header says always suffice.
std::vector<std::string> Split(const std::string& line) {
    std::vector<char> storage(line.size() + 1);
    std::vector<char*> slots((line.size() + 5) / 2);
    size_t count = 0;
    const bool split = SplitWindowsCommandLine(line.c_str(), storage.data(), storage.size(),
                                               slots.data(), slots.size(), &count);
    Require(split, "the promised capacities do not suffice for " + Escaped(line));
    Require(slots[count] == nullptr, "the argument list of " + Escaped(line) + " is not ended");
    return std::vector<std::string>(slots.begin(), slots.begin() + static_cast<long>(count));
}

std::string Describe(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        text += "[" + Escaped(argument) + "]";
    }
    return text;
}

std::string WithoutQuotes(const std::string& text) {
    std::string kept;
    for (char c : text) {
        if (c != '"') {
            kept += c;
        }
    }
    return kept;
}

// The input's parts between NUL bytes: the program name and then the arguments.
std::vector<std::string> Parts(const std::string& bytes) {
    std::vector<std::string> parts(1);
    for (char c : bytes) {
        if (c == '\0') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

void CheckQuotedArguments(const std::vector<std::string>& parts) {
    // Quoting at most doubles an argument and adds a space and two quotes.
    size_t capacity = 1;
    for (const std::string& part : parts) {
        capacity += 2 * part.size() + 3;
    }
    std::vector<char> line(capacity);
    line[0] = '\0';
    Require(AppendWindowsProgramName(line.data(), line.size(), parts[0].c_str()),
            "the program name " + Escaped(parts[0]) + " does not fit");
    for (size_t i = 1; i < parts.size(); ++i) {
        Require(AppendWindowsArgument(line.data(), line.size(), parts[i].c_str()),
                "the argument " + Escaped(parts[i]) + " does not fit");
    }
    std::vector<std::string> expected = parts;
    expected[0] = WithoutQuotes(parts[0]);
    const std::vector<std::string> split = Split(line.data());
    Require(split == expected, "the line " + Escaped(line.data()) + " splits into " +
                                   Describe(split) + ", not " + Describe(expected));
}

void CheckAnyLine(const std::string& bytes) {
    const std::string line = bytes.substr(0, bytes.find('\0'));
    const std::vector<std::string> arguments = Split(line);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    std::vector<char> joined(8 * line.size() + 16);
    JoinWindowsCommandLine(static_cast<int>(argv.size()), argv.data(), joined.data(),
                           joined.size());
    const std::vector<std::string> again = Split(joined.data());
    Require(again == arguments, "the line " + Escaped(line) + " splits into " +
                                    Describe(arguments) + ", joined and split again into " +
                                    Describe(again));
}

void CheckSmallBuffer(const std::vector<std::string>& parts, size_t capacity) {
    std::vector<const char*> argv;
    for (const std::string& part : parts) {
        argv.push_back(part.c_str());
    }
    std::vector<char> line(capacity + 1, 'X');
    JoinWindowsCommandLine(static_cast<int>(argv.size()), argv.data(), line.data(), capacity);
    Require(line[capacity] == 'X', "the join wrote past a buffer of " + std::to_string(capacity));
    if (capacity == 0) {
        return;
    }
    // Each argument that made it is whole, and they keep their order.
    const std::vector<std::string> split = Split(line.data());
    size_t next = 1;
    for (size_t i = 1; i < split.size(); ++i) {
        while (next < parts.size() && parts[next] != split[i]) {
            ++next;
        }
        Require(next < parts.size(),
                "the joined line " + Escaped(line.data()) +
                    " holds an argument that was not given: " + Escaped(split[i]));
        ++next;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const size_t capacity = input.Byte();
    const std::string bytes = input.Rest();
    const std::vector<std::string> parts = Parts(bytes);
    CheckQuotedArguments(parts);
    CheckAnyLine(bytes);
    CheckSmallBuffer(parts, capacity);
    return 0;
}
