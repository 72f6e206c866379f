#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/game_process.h"
#include "platform/platform.h"

namespace {

const std::string kCommand = "system\\Hadrin2.exe -game:talveroh2.ini";

struct CommandLineCase {
    const char* name;
    const char* tail;
    std::string expected;
};

class GameCommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(GameCommandLine, IsTheGameCommandThenASpaceAndTheTail) {
    const CommandLineCase& c = GetParam();
    std::vector<char> buffer(kMaxCommandLine, '#');
    EXPECT_TRUE(BuildGameCommandLine(c.tail, buffer.data(), buffer.size()));
    EXPECT_EQ(std::string(buffer.data()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, GameCommandLine,
                         ::testing::Values(CommandLineCase{"NullTail", nullptr, kCommand},
                                           CommandLineCase{"EmptyTail", "", kCommand},
                                           CommandLineCase{
                                               "OptionWithItsOwnQuotesAndSpaces",
                                               "-save:\"My Save\"  x\\\" y",
                                               kCommand + " -save:\"My Save\"  x\\\" y"}),
                         [](const ::testing::TestParamInfo<CommandLineCase>& caseInfo) {
                             return std::string(caseInfo.param.name);
                         });

// The old fixed 1024-character line held a tail of 984 characters; the line is now sized for the
// system's own limit, so that tail and every longer one the system can pass fit whole.
TEST(GameCommandLine, TailsUpToTheSystemLimitFitWhole) {
    for (size_t tailLength :
         {size_t{984}, size_t{985}, kMaxCommandLine - 1 - kCommand.size() - 1}) {
        std::string tail(tailLength, 'x');
        std::vector<char> buffer(kMaxCommandLine);
        ASSERT_TRUE(BuildGameCommandLine(tail.c_str(), buffer.data(), buffer.size()));
        EXPECT_EQ(std::string(buffer.data()), kCommand + " " + tail);
    }
    std::vector<char> buffer(kMaxCommandLine);
    BuildGameCommandLine(std::string(984, 'x').c_str(), buffer.data(), buffer.size());
    EXPECT_EQ(std::string(buffer.data()).size(), 1023u);
}

// A tail the system could not pass at all is left out whole, never cut inside an option.
TEST(GameCommandLine, TailBeyondTheSystemLimitIsLeftOutWhole) {
    std::string tail(kMaxCommandLine - kCommand.size() - 1, 'x');
    std::vector<char> buffer(kMaxCommandLine + 16, '#');
    EXPECT_FALSE(BuildGameCommandLine(tail.c_str(), buffer.data(), kMaxCommandLine));
    EXPECT_EQ(std::string(buffer.data()), kCommand);
    EXPECT_EQ(buffer[kMaxCommandLine], '#') << "written past the buffer";
}

TEST(GameCommandLine, BufferTooSmallForTheCommandHoldsNothing) {
    char buffer[8];
    EXPECT_FALSE(BuildGameCommandLine("", buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), "");
}

}  // namespace
