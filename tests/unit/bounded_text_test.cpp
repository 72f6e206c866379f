#include "common/bounded_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(BoundedText, AppendRefusesWholeWhatDoesNotFit) {
    char buffer[8] = "abc";
    EXPECT_TRUE(AppendText(buffer, sizeof buffer, "defg"));  // exactly 7 and the NUL
    EXPECT_EQ(std::string(buffer), "abcdefg");
    EXPECT_FALSE(AppendText(buffer, sizeof buffer, "h"));
    EXPECT_EQ(std::string(buffer), "abcdefg");
    EXPECT_FALSE(AppendText(buffer, 0, "h"));
}

TEST(BoundedText, CopyLeavesAnEmptyBufferWhenTheTextDoesNotFit) {
    char buffer[4] = "xyz";
    EXPECT_FALSE(CopyText(buffer, sizeof buffer, "long"));
    EXPECT_EQ(std::string(buffer), "");
    EXPECT_TRUE(CopyText(buffer, sizeof buffer, "abc"));
    EXPECT_EQ(std::string(buffer), "abc");
}

TEST(BoundedText, SuffixComparesAsciiLettersWithoutCase) {
    EXPECT_TRUE(EndsWithIgnoringCase("TALVERO.MOD", ".mod"));
    EXPECT_TRUE(EndsWithIgnoringCase(".mod", ".mod"));
    EXPECT_FALSE(EndsWithIgnoringCase("x.modx", ".mod"));
    EXPECT_FALSE(EndsWithIgnoringCase("mod", ".mod"));
    // Bytes above 0x7F are never folded: 0xCD is not 'm' in any case.
    EXPECT_FALSE(EndsWithIgnoringCase("x.\xcdod", ".mod"));
}

TEST(BoundedText, EqualityIsWholeStringByteForByte) {
    EXPECT_TRUE(TextEquals("1", "1"));
    EXPECT_FALSE(TextEquals("01", "1"));
    EXPECT_FALSE(TextEquals("1 ", "1"));
    EXPECT_FALSE(TextEquals("", "1"));
}

}  // namespace
