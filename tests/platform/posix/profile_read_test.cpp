// Profile reads behave as KERNEL32's: each case is a file, a lookup and the value it gives.
#include <string>

#include "platform/platform.h"
#include "platform_test_folder.h"

namespace {

using namespace std::string_literals;

struct ReadCase {
    const char* name;
    std::string file;  // Written to "system/TEST.INI".
    const char* section;
    const char* key;
    const char* fallback;
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const ReadCase& c) {
    return out << c.name;
}

const ReadCase kReadCases[] = {
    {"SectionCaseIgnored", "[game]\r\nkey=v\r\n", "GAME", "key", "d", "v"},
    {"KeyCaseIgnored", "[GAME]\r\nSUBTITLESNOISE=1\r\n", "GAME", "subTitlesNoise", "0", "1"},
    {"BlanksAroundKeyAndValueTrimmed", "[S]\r\n \t k \t=  a  b \t\r\n", "S", "k", "d", "a  b"},
    {"QuotesRemoved", "[S]\r\nk=\"quoted\"\r\n", "S", "k", "d", "quoted"},
    {"EmptyQuotesGiveEmpty", "[S]\r\nk=\"\"\r\n", "S", "k", "d", ""},
    {"OnlyTheOuterPairRemoved", "[S]\r\nk=\"a\"b\"\r\n", "S", "k", "d", "a\"b"},
    {"UnbalancedQuoteStays", "[S]\r\nk=\"unbalanced\r\n", "S", "k", "d", "\"unbalanced"},
    {"LoneQuoteStays", "[S]\r\nk=\"\r\n", "S", "k", "d", "\""},
    {"SingleQuotesRemoved", "[S]\r\nk='single'\r\n", "S", "k", "d", "single"},
    {"MixedQuotesStay", "[S]\r\nk=\"mixed'\r\n", "S", "k", "d", "\"mixed'"},
    {"QuotesRemovedAfterTrimming", "[S]\r\nk=  \" in \"  \r\n", "S", "k", "d", " in "},
    {"EmptyValueIsAValue", "[S]\r\nk=\r\n", "S", "k", "d", ""},
    {"MissingSectionGivesFallback", "[T]\r\nk=v\r\n", "S", "k", "d", "d"},
    {"MissingKeyGivesFallback", "[S]\r\nj=v\r\n", "S", "k", "d", "d"},
    {"FallbackTrailingBlanksCut", "[S]\r\n", "S", "k", " d \t ", " d"},
    {"LineWithoutEqualsIsNoKey", "[S]\r\nk\r\nk=v\r\n", "S", "k", "d", "v"},
    {"CommentLineNeverMatches", "[S]\r\n;k=v\r\n", "S", "k", "d", "d"},
    {"HashIsNoComment", "[S]\r\n#k=v\r\n", "S", "#k", "d", "v"},
    {"InlineSemicolonIsValue", "[S]\r\nk=v ; note\r\n", "S", "k", "d", "v ; note"},
    {"FirstEqualsSplits", "[S]\r\nk=a=b\r\n", "S", "k", "d", "a=b"},
    {"FirstDuplicateKeyWins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "d", "1"},
    {"FirstDuplicateSectionWins", "[S]\r\nk=1\r\n[T]\r\n[s]\r\nk=2\r\n", "S", "k", "d", "1"},
    {"LaterDuplicateSectionNotConsulted", "[S]\r\nk=1\r\n[S]\r\nj=2\r\n", "S", "j", "d", "d"},
    {"KeyInOtherSectionIgnored", "[T]\r\nk=v\r\n[S]\r\nj=w\r\n", "S", "k", "d", "d"},
    {"KeyBeforeAnySectionIgnored", "k=v\r\n[S]\r\n", "S", "k", "d", "d"},
    {"LfLineEnds", "[S]\nj=1\nk=v\n", "S", "k", "d", "v"},
    {"CrLineEnds", "[S]\rj=1\rk=v\r", "S", "k", "d", "v"},
    {"MixedLineEnds", "[S]\r\nj=1\rk=v\nl=w", "S", "l", "d", "w"},
    {"NoFinalLineEnd", "[S]\r\nk=v", "S", "k", "d", "v"},
    {"BlankLinesBetween", "[S]\r\n\r\n\r\nk=v\r\n", "S", "k", "d", "v"},
    {"Utf8BomHidesFirstHeader", "\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", "d", "d"},
    {"BomOnlyAffectsFirstLine", "\xEF\xBB\xBF;x\r\n[S]\r\nk=v\r\n", "S", "k", "d", "v"},
    {"HeaderBlanksAndTrailingTextIgnored", "  [ S ] trailing\r\nk=v\r\n", "S", "k", "d", "v"},
    {"NulBytesAreOrdinaryLineBytes", "[S]\r\nx=\0\0y\r\nk=v\r\n"s, "S", "k", "d", "v"},
    {"NulInKeyNeverMatches", "[S]\r\nk\0=1\r\nk=2\r\n"s, "S", "k", "d", "2"},
    {"ValueEndsAtNul", "[S]\r\nk=a\0b\r\n"s, "S", "k", "d", "a"},
};

class ProfileReadTest : public PlatformTestFolder,
                        public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ProfileReadTest, ReadsValueAsWindowsDoes) {
    const ReadCase& c = GetParam();
    MakeFolder("system");
    WriteFile("system/TEST.INI", c.file);
    char buffer[128];
    ReadProfileValue(c.section, c.key, c.fallback, buffer, sizeof buffer, "system\\TEST.INI");
    EXPECT_EQ(std::string(buffer), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileReadTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

using ProfileReadLimits = PlatformTestFolder;

TEST_F(ProfileReadLimits, MissingFileOrFolderGivesFallback) {
    char buffer[128];
    ReadProfileValue("S", "k", "dflt", buffer, sizeof buffer, "system\\MISSING.INI");
    EXPECT_STREQ(buffer, "dflt");
    MakeFolder("system/AFOLDER.INI");
    ReadProfileValue("S", "k", "dflt", buffer, sizeof buffer, "system\\AFOLDER.INI");
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_EQ(ReadProfileNumber("S", "k", 7, "system\\AFOLDER.INI"), 7u);
}

TEST_F(ProfileReadLimits, LongValueIsCutToSizeLessOne) {
    const std::string value(200, 'x');
    WriteFile("T.INI", "[S]\r\nk=" + value + "\r\n");
    char buffer[129];
    buffer[128] = '#';
    ReadProfileValue("S", "k", "d", buffer, 128, "T.INI");
    EXPECT_EQ(std::string(buffer), value.substr(0, 127));
    EXPECT_EQ(buffer[128], '#');

    char tiny[1] = {'#'};
    ReadProfileValue("S", "k", "d", tiny, 1, "T.INI");
    EXPECT_EQ(tiny[0], '\0');
    // A fallback is cut to the buffer too.
    ReadProfileValue("S", "missing", "long fallback", tiny, 1, "T.INI");
    EXPECT_EQ(tiny[0], '\0');
}

TEST_F(ProfileReadLimits, HugeBinaryFileWithLongLineIsRead) {
    // 10 MiB of binary lines, a 1 MiB line, then the section: no fixed buffer may overflow.
    std::string file;
    for (int i = 0; file.size() < 9 * 1024 * 1024; ++i) {
        file += "junk" + std::to_string(i) + "=\x01\xff\0\x7f\r\n"s;
    }
    file += "[S]\r\nlong=" + std::string(1024 * 1024, 'L') + "\r\nk=found\r\n";
    WriteFile("BIG.INI", file);
    char buffer[128];
    ReadProfileValue("S", "k", "d", buffer, sizeof buffer, "BIG.INI");
    EXPECT_STREQ(buffer, "found");
    ReadProfileValue("S", "long", "d", buffer, sizeof buffer, "BIG.INI");
    EXPECT_EQ(std::string(buffer), std::string(127, 'L'));
}

struct NumberCase {
    const char* name;
    const char* line;  // The line under [S]; nullptr for no key at all.
    unsigned expected;
};

std::ostream& operator<<(std::ostream& out, const NumberCase& c) {
    return out << c.name;
}

constexpr unsigned kFallback = 1234;

const NumberCase kNumberCases[] = {
    {"Zero", "k=0", 0},
    {"ZeroInBlanks", "k= 0 ", 0},
    {"Zeros", "k=00", 0},
    {"MinusZero", "k=-0", 0},
    {"HexZero", "k=0x0", 0},
    {"Decimal", "k=42", 42},
    {"PlusSign", "k=+7", 7},
    {"DigitsUpToOtherCharacter", "k=12abc", 12},
    {"NoDigitsReadsZero", "k=abc", 0},
    {"MinusOneWraps", "k=-1", 4294967295u},
    {"Hex", "k=0x1F", 31},
    {"HexUpperX", "k=0XfF", 255},
    {"HexPrefixAlone", "k=0x", 0},
    {"SignAloneReadsZero", "k=-", 0},
    {"BlankAfterSignStops", "k=- 5", 0},
    {"WrapsModulo2To32", "k=4294967297", 1},
    {"QuotesStripped", "k=\"42\"", 42},
    {"BlanksInsideQuotesSkipped", "k=\" 5\"", 5},
    {"EmptyGivesFallback", "k=", kFallback},
    {"BlanksGiveFallback", "k=   ", kFallback},
    {"QuotedBlanksGiveFallback", "k=\"  \"", kFallback},
    {"MissingKeyGivesFallback", nullptr, kFallback},
};

class ProfileNumberTest : public PlatformTestFolder,
                          public ::testing::WithParamInterface<NumberCase> {};

TEST_P(ProfileNumberTest, ReadsNumberAsWindowsDoes) {
    const NumberCase& c = GetParam();
    WriteFile("N.INI", std::string("[S]\r\n") + (c.line != nullptr ? c.line : "") + "\r\n");
    EXPECT_EQ(ReadProfileNumber("s", "K", kFallback, "N.INI"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileNumberTest, ::testing::ValuesIn(kNumberCases),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
