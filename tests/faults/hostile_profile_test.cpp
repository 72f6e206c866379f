// Settings and definition files that are binary, 10 MiB long, hold a line of 1 MiB, begin with a
// UTF-8 byte order mark, hold NUL bytes or end their lines with CR alone: the launch completes,
// the game sees the launch's values while it runs, and afterwards each file holds exactly its
// old bytes, with at most the launch's own key line added where the key was not found.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/game_folder.h"
#include "faults/launch_in_folder.h"
#include "support/game_folder_tree.h"

namespace fs = std::filesystem;
using namespace fault_testing;
using testing_support::ReadFileText;
using testing_support::TempFolder;

namespace {

// Bytes of every value, NUL, CR and LF among them, the same for every run.
std::string Junk(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<char>(seed >> 24);
    }
    return bytes;
}

// Sections of plain keys up to the given size.
std::string ManySections(size_t size, const std::string& prefix) {
    std::string text;
    for (size_t section = 0; text.size() < size; ++section) {
        text += "[" + prefix + std::to_string(section) + "]\r\n";
        for (int key = 0; key < 20; ++key) {
            text += "key" + std::to_string(key) + "=value " + std::to_string(section) + "\r\n";
        }
    }
    return text;
}

// What the launch adds to a file in which it does not find the key's section.
std::string Appended(const std::string& text, const std::string& section) {
    const bool ended = text.empty() || text.back() == '\r' || text.back() == '\n';
    return text + (ended ? "" : "\r\n") + section;
}

struct HostileCase {
    std::string name;
    std::string settings;
    std::string settingsAfter;
    std::string definition;
    std::string definitionAfter;
};

void PrintTo(const HostileCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

const std::string kNoise = "[GAME]\r\nsubTitlesNoise=0\r\n";
const std::string kVdf = "[FILES]\r\nVDF=!<invalid>\r\n";

std::vector<HostileCase> HostileCases() {
    const std::string binary = Junk(64 * 1024, 1);
    const std::string otherBinary = Junk(64 * 1024, 2);
    const std::string big = ManySections(5 * 1024 * 1024, "BEFORE");
    const std::string bigAfter = ManySections(5 * 1024 * 1024, "AFTER");
    const std::string line(1024 * 1024, 'x');
    const std::string bom = "\xEF\xBB\xBF";
    const std::string nul(1, '\0');
    return {
        {"BinaryBeforeTheSections", binary + "\r\n" + kNoise, binary + "\r\n" + kNoise,
         otherBinary + "\n" + kVdf, otherBinary + "\n" + kVdf},
        {"BinaryWithoutSections", binary, Appended(binary, kNoise), otherBinary,
         Appended(otherBinary, kVdf)},
        {"BinaryInsideTheSection", kNoise + binary, kNoise + binary, kVdf + otherBinary,
         kVdf + otherBinary},
        {"TenMebibytes", big + "[GAME]\r\nwidth=800\r\n" + bigAfter,
         big + "[GAME]\r\nwidth=800\r\nsubTitlesNoise=0\r\n" + bigAfter, big + kVdf + bigAfter,
         big + kVdf + bigAfter},
        {"LineOfOneMebibyte", "[GAME]\r\nbig=" + line + "\r\nsubTitlesNoise=0\r\nnext=1\r\n",
         "[GAME]\r\nbig=" + line + "\r\nsubTitlesNoise=0\r\nnext=1\r\n",
         "[INFO]\r\ntitle=" + line + "\r\n" + kVdf, "[INFO]\r\ntitle=" + line + "\r\n" + kVdf},
        // A header's name ends at its ']': the rest of its line is no key and is kept.
        {"LineOfOneMebibyteWithoutBreaks", line, Appended(line, kNoise), "[FILES]" + line,
         "[FILES]" + line + "\r\nVDF=!<invalid>\r\n"},
        // Windows does not skip a byte order mark: the section behind it on the first line is
        // not found, and the launch's key goes into a section of its own at the end.
        {"ByteOrderMark", bom + kNoise + "other=1\r\n",
         Appended(bom + kNoise + "other=1\r\n", kNoise), bom + kVdf, Appended(bom + kVdf, kVdf)},
        {"NulBytes",
         "[GAME]\r\nname=a" + nul + "b\r\n" + nul + nul +
             "\r\nsubTitlesNoise=0\r\n[X]\r\nk=" + nul + "\r\n",
         "[GAME]\r\nname=a" + nul + "b\r\n" + nul + nul +
             "\r\nsubTitlesNoise=0\r\n[X]\r\nk=" + nul + "\r\n",
         "[FILES]\r\n" + nul + "=" + nul + "\r\nVDF=!<invalid>\r\n",
         "[FILES]\r\n" + nul + "=" + nul + "\r\nVDF=!<invalid>\r\n"},
        {"CarriageReturnsOnly", "[GAME]\rsubTitlesNoise=0\rwidth=800\r[VIDEO]\rx=1\r",
         "[GAME]\rsubTitlesNoise=0\rwidth=800\r[VIDEO]\rx=1\r", "[INFO]\rt=1\r[FILES]\rVDF=a.mod\r",
         "[INFO]\rt=1\r[FILES]\rVDF=!<invalid>\r"},
        {"CarriageReturnsOnlyWithoutTheKeys", "[GAME]\rwidth=800\r[VIDEO]\rx=1\r",
         "[GAME]\rwidth=800\rsubTitlesNoise=0\r\n[VIDEO]\rx=1\r", "[FILES]\rscript=s.dat\r",
         "[FILES]\rscript=s.dat\rVDF=!<invalid>\r\n"},
    };
}

// Where two byte strings first differ, for a failure message about files of megabytes.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) {
        ++at;
    }
    if (at == expected.size() && at == actual.size()) {
        return "";
    }
    return "expected " + std::to_string(expected.size()) + " bytes, found " +
           std::to_string(actual.size()) + "; they first differ at byte " + std::to_string(at);
}

std::string ReportValue(const fs::path& report, const std::string& key) {
    std::ifstream in(report, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return "<no report>";
}

class HostileProfile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileProfile, LaunchCompletesAndTheRestOfTheFileSurvives) {
    const HostileCase& testCase = GetParam();
    TempFolder folder("hostile-profile");
    const fs::path root = folder.path();
    std::string settings = kSettingsFile;
    std::string definition = kModDefinitionFile;
    std::replace(settings.begin(), settings.end(), '\\', '/');
    std::replace(definition.begin(), definition.end(), '\\', '/');
    testing_support::WriteTree(root, {{settings, testCase.settings},
                                      {definition, testCase.definition},
                                      {"standin-control.txt", ""}});
    InstallGameLink(root, GamePath(), FAULT_STANDIN_GAME);

    EXPECT_EQ(LaunchIn(root), 0);

    EXPECT_EQ(ReportValue(root / "standin-report.txt", "noise"), "1");
    EXPECT_EQ(ReportValue(root / "standin-report.txt", "vdf"), kModVolumeName);
    EXPECT_EQ(FirstDifference(testCase.settingsAfter, ReadFileText(root / settings)), "");
    EXPECT_EQ(FirstDifference(testCase.definitionAfter, ReadFileText(root / definition)), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileProfile, ::testing::ValuesIn(HostileCases()),
                         [](const auto& testInfo) { return testInfo.param.name; });

}  // namespace
