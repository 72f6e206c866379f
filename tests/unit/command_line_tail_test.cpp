#include "launch/command_line_tail.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool NoLeadBytes(unsigned char) {
    return false;
}

// Code page 932 style: 0x81 to 0x9F and 0xE0 to 0xFC begin a two-byte character.
bool ShiftJisLeadBytes(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

struct TailCase {
    const char* name;
    std::string commandLine;
    std::string tail;
    LeadByteTest isLeadByte = NoLeadBytes;
};

class CommandLineTail : public ::testing::TestWithParam<TailCase> {};

TEST_P(CommandLineTail, IsTheLineLessTheNameAndTheBlanksAfterIt) {
    const TailCase& c = GetParam();
    const char* tail = FindCommandLineTail(c.commandLine.c_str(), c.isLeadByte);
    EXPECT_EQ(std::string(tail), c.tail);
    // The tail is always a suffix of the line itself, never a copy.
    EXPECT_GE(tail, c.commandLine.c_str());
    EXPECT_LE(tail, c.commandLine.c_str() + c.commandLine.size());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineTail,
    ::testing::Values(
        TailCase{"QuotedNameThreeSpacesTwoWords", "\"C:\\Games\\launcher.exe\"   -a -b", "-a -b"},
        TailCase{"UnquotedNameAlone", "launcher.exe", ""},
        TailCase{"QuotedNameDirectlyFollowedByOption", "\"C:\\my game\\l.exe\"-window", "-window"},
        TailCase{"QuotedNameWithoutClosingQuote", "\"C:\\my game\\l.exe -window", ""},
        TailCase{"TabAfterName", "launcher.exe\t-window", "-window"},
        TailCase{"NameFollowedOnlyByBlanks", "launcher.exe \t  ", ""},
        TailCase{"LineBeginningWithBlank", " launcher.exe -a", "launcher.exe -a"},
        TailCase{"ControlBytesAreBlanksAfterName", "l.exe\x01\x1f -a", "-a"},
        TailCase{"TailKeepsItsQuotesAndTrailingBlanks", "l.exe \"a b\"  c  ", "\"a b\"  c  "},
        TailCase{"HighByteInUnquotedPath", "C:\\d\xe4r\\launcher.exe a b", "a b"},
        TailCase{"HighByteInQuotedPath", "\"C:\\d\xe4r\\l.exe\" a", "a"},
        TailCase{"QuoteInsideUnquotedNameDoesNotToggle", "my\"prog x\" a", "x\" a"},
        TailCase{"EmptyLine", "", ""}, TailCase{"QuotedEmptyName", "\"\" -a", "-a"},
        TailCase{"LeadByteBeforeClosingQuoteKeepsTheNameOpen", "\"C:\\\x81\"x\" -a", "-a",
                 ShiftJisLeadBytes},
        TailCase{"TrailByteThatIsAQuoteWithoutLeadByteTest", "\"C:\\\x81\"x\" -a", "x\" -a"},
        TailCase{"LeadByteBeforeTheNulStopsAtTheNul", "\"C:\\\x81", "", ShiftJisLeadBytes}),
    [](const ::testing::TestParamInfo<TailCase>& caseInfo) {
        return std::string(caseInfo.param.name);
    });

}  // namespace
