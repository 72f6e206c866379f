// Splitting a Windows command line into arguments, and quoting arguments so that the split
// gives them back.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include "launch/command_line_tail.h"
#include "platform/posix/windows_argv.h"

namespace {

using Arguments = std::vector<std::string>;

Arguments Split(const std::string& line) {
    std::vector<char> storage(line.size() + 1);
    std::vector<char*> slots((line.size() + 5) / 2);
    size_t count = 0;
    EXPECT_TRUE(SplitWindowsCommandLine(line.c_str(), storage.data(), storage.size(), slots.data(),
                                        slots.size(), &count))
        << line;
    EXPECT_EQ(slots[count], nullptr);
    return Arguments(slots.begin(), slots.begin() + static_cast<ptrdiff_t>(count));
}

struct SplitCase {
    const char* name;
    const char* line;
    Arguments expected;
};

std::ostream& operator<<(std::ostream& out, const SplitCase& c) {
    return out << c.name;
}

const SplitCase kSplitCases[] = {
    {"PlainWords", "prog a b", {"prog", "a", "b"}},
    {"RunsOfBlanks", "prog  \t a\t\tb  ", {"prog", "a", "b"}},
    {"GameCommand",
     "system\\Hadrin2.exe -game:talveroh2.ini",
     {"system\\Hadrin2.exe", "-game:talveroh2.ini"}},
    {"QuotedProgramName", "\"my prog\" x", {"my prog", "x"}},
    {"ProgramNameHasNoEscapes", "\"C:\\dir\\\" x", {"C:\\dir\\", "x"}},
    {"QuotesToggleInProgramName", "pr\"o g\"ram x", {"pro gram", "x"}},
    {"TrailingBackslashTrap", "prog \"C:\\a b\\\" -c", {"prog", "C:\\a b\" -c"}},
    {"DoubledBackslashBeforeClosingQuote", "prog \"C:\\a b\\\\\" -c", {"prog", "C:\\a b\\", "-c"}},
    {"OddBackslashesGiveLiteralQuote", "prog a\\\\\\\"b", {"prog", "a\\\"b"}},
    {"EvenBackslashesLetQuoteToggle", "prog a\\\\\"b c\"", {"prog", "a\\b c"}},
    {"BackslashesAloneAreLiteral", "prog a\\\\b\\", {"prog", "a\\\\b\\"}},
    {"EmptyArgument", "prog \"\"", {"prog", ""}},
    {"TwoEmptyArguments", "prog \"\" \"\"", {"prog", "", ""}},
    {"DoubledQuoteInsideQuotes", "prog \"a\"\"b\"", {"prog", "a\"b"}},
    {"DoubledQuoteThenClose", "prog \"a\"\"\" b", {"prog", "a\"", "b"}},
    {"QuotesInsideWord", "prog a\"b c\"d", {"prog", "ab cd"}},
    {"UnterminatedQuote", "prog \"unterminated arg", {"prog", "unterminated arg"}},
    {"LeadingBlankEmptiesProgramName", " x", {"", "x"}},
    {"EmptyLine", "", {""}},
};

class WindowsArgvSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(WindowsArgvSplit, SplitsAsWindowsRuntimeDoes) {
    EXPECT_EQ(Split(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsArgvSplit, ::testing::ValuesIn(kSplitCases),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(WindowsArgvSplitLimits, TooSmallStorageOrSlotsFailWithoutOverflow) {
    const std::string line = "p a b c d e f";
    std::vector<char> storage(line.size() + 1 + 8, '#');
    std::vector<char*> slots(8 + 4);
    size_t count = 0;
    EXPECT_FALSE(SplitWindowsCommandLine(line.c_str(), storage.data(), 5, slots.data(),
                                         slots.size(), &count));
    EXPECT_EQ(std::string(storage.begin() + 5, storage.end()),
              std::string(line.size() - 4 + 8, '#'));
    EXPECT_FALSE(SplitWindowsCommandLine(line.c_str(), storage.data(), line.size() + 1,
                                         slots.data(), 4, &count));
    EXPECT_FALSE(SplitWindowsCommandLine(line.c_str(), storage.data(), line.size() + 1,
                                         slots.data(), 0, &count));
}

TEST(WindowsArgvSplitLimits, DocumentedSizesSufficeForDensestLines) {
    // One-character arguments and empty quoted ones need the most slots and storage.
    std::string dense = "p";
    while (dense.size() + 2 < 32766) {
        dense += " a";
    }
    EXPECT_EQ(Split(dense).size(), (dense.size() + 1) / 2);
    std::string quoted = "\"\"";
    while (quoted.size() + 3 < 32766) {
        quoted += " \"\"";
    }
    EXPECT_EQ(Split(quoted).size(), (quoted.size() + 1) / 3);
}

std::string Join(const Arguments& arguments, size_t capacity = 32767) {
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    std::vector<char> line(capacity + 16, '#');
    JoinWindowsCommandLine(static_cast<int>(argv.size()), argv.data(), line.data(), capacity);
    // Nothing is written past the capacity.
    EXPECT_EQ(std::string(line.end() - 16, line.end()), std::string(16, '#'));
    return std::string(line.data());
}

struct QuoteCase {
    const char* argument;
    const char* quoted;
};

const QuoteCase kQuoteCases[] = {
    {"plain", "plain"},
    {"", "\"\""},
    {"a b", "\"a b\""},
    {"tab\there", "\"tab\there\""},
    {"a\"b", "\"a\\\"b\""},
    {"C:\\a b\\", "\"C:\\a b\\\\\""},  // Trailing backslashes doubled before the closing quote.
    {"C:\\a\\b", "C:\\a\\b"},
    {"back\\\"quote", "\"back\\\\\\\"quote\""},
    {"\\", "\\"},
    {"\nline", "\"\nline\""},
};

TEST(WindowsArgvQuote, QuotesOnlyWhatNeedsIt) {
    for (const QuoteCase& c : kQuoteCases) {
        EXPECT_EQ(Join({"prog", c.argument}), std::string("prog ") + c.quoted) << c.argument;
    }
}

TEST(WindowsArgvQuote, ProgramNameQuotedWhereNeededWithoutItsQuotes) {
    EXPECT_EQ(Join({"/usr/bin/launcher"}), "/usr/bin/launcher");
    EXPECT_EQ(Join({"/my games/launcher", "x"}), "\"/my games/launcher\" x");
    EXPECT_EQ(Join({"", "x"}), "\"\" x");
    EXPECT_EQ(Join({"we\"ird", "x"}), "weird x");
    EXPECT_EQ(Join({}), "\"\"");
}

const Arguments kRoundTrips[] = {
    {"prog"},
    {"/my games/launcher", "-game:x.ini", "a b", ""},
    {"p", "C:\\a b\\", "-c"},
    {"p", "\\", "\\\\", "\\\"", "\"", "\"\"", "a\\\\\"b"},
    {"p", "ends with two\\\\", "x"},
    {"p", "tab\tinside", "new\nline", "\x01lead", "d\xe4r", "'single'"},
    {"p", " leading and trailing ", "   "},
};

TEST(WindowsArgvRoundTrip, SplitGivesJoinedArgumentsBack) {
    for (const Arguments& arguments : kRoundTrips) {
        EXPECT_EQ(Split(Join(arguments)), arguments);
    }
}

bool NoLeadBytes(unsigned char) {
    return false;
}

TEST(WindowsArgvRoundTrip, TailOfJoinedLineHoldsEveryArgument) {
    // The process entry hands the launcher the tail of the joined line; split after a program
    // name, the tail must give the arguments back.
    for (const Arguments& arguments : kRoundTrips) {
        const std::string line = Join(arguments);
        const std::string tail = FindCommandLineTail(line.c_str(), NoLeadBytes);
        Arguments rest = Split("p " + tail);
        rest.erase(rest.begin());
        EXPECT_EQ(rest, Arguments(arguments.begin() + 1, arguments.end())) << line;
    }
}

TEST(WindowsArgvJoin, ArgumentsThatDoNotFitAreDroppedWhole) {
    const std::string big(40, 'b');
    EXPECT_EQ(Join({"prog", "a", big, "c d"}, 16), "prog a \"c d\"");
    EXPECT_EQ(Join({"prog", "123456789"}, 14), "prog");
    EXPECT_EQ(Join({"prog", "12345678"}, 14), "prog 12345678");
    EXPECT_EQ(Join({std::string(20, 'p'), "x"}, 8), "\"\" x");
    EXPECT_EQ(Join({"prog"}, 2), "");
}

TEST(WindowsArgvJoin, FullSystemLimitIsFilledExactly) {
    // 32766 characters and the NUL: the largest command line the system accepts.
    const std::string argument(32766 - 5, 'x');
    EXPECT_EQ(Join({"prog", argument}).size(), 32766u);
    EXPECT_EQ(Join({"prog", argument + "x"}), "prog");
}

}  // namespace
