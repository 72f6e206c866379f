// The launch scenarios: a game folder before, what the stand-in game does in each launch, what
// the game saw while it ran, and the folder after the last launch. The same table runs against
// the native launcher and, under Wine, against the Windows build of the same sources.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_folder_tree.h"
#include "support/ini_values.h"
#include "support/launcher_under_test.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

constexpr char kReport[] = "standin-report.txt";
constexpr char kEnd[] = "standin-end.txt";
constexpr char kControl[] = "standin-control.txt";
constexpr char kGame[] = "system/Hadrin2.exe";

struct Launch {
    // Lines of the stand-in's control file for this launch.
    std::vector<std::string> game;
    // The launcher's arguments.
    std::vector<std::string> arguments;
    // The stand-in's report, less its start_ns and cwd lines; nullopt when the game must not
    // have run.
    std::optional<std::vector<std::string>> seen;
    // End the launcher while the game runs (the game pauses until the launcher is gone).
    bool interrupted = false;
};

struct Scenario {
    std::string name;
    Tree before;
    bool gameInstalled = true;
    std::vector<Launch> launches;
    Tree after;
};

// The report lines of a game that was started with no tail and saw the given volumes, VDF,
// subtitle setting, mark and dump.
std::vector<std::string> Seen(std::vector<std::string> active, const std::string& noise,
                              const std::string& mark, const std::string& dump,
                              const std::vector<std::string>& extraArguments = {},
                              const std::string& vdf = "talvero.mod") {
    std::vector<std::string> lines = {"arg=-game:talveroh2.ini"};
    for (const std::string& argument : extraArguments) {
        lines.push_back("arg=" + argument);
    }
    for (const std::string& name : active) {
        lines.push_back("active=" + name);
    }
    lines.push_back("vdf=" + vdf);
    lines.push_back("noise=" + noise);
    lines.push_back("mark=" + mark);
    lines.push_back("dump=" + dump);
    return lines;
}

const std::string kInvalidDefinition = "[FILES]\r\nVDF=!<invalid>\r\n";
const std::string kNoiseZero = "[GAME]\r\nsubTitlesNoise=0\r\n";
const std::string kMissing = "<missing>";

std::string Settings(const std::string& noise, const std::string& mark) {
    return "[GAME]\r\nsubTitlesNoise=" + noise + "\r\n[INTERNAL]\r\ngameAbnormalExit=" + mark +
           "\r\n";
}

std::vector<Scenario> Scenarios() {
    const std::string longValue(200, 'v');
    return {
        // ---- The launch frame ----------------------------------------------------------
        {"EmptyFolderStillStartsTheGame",
         {},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"TailReachesTheGameWithItsQuotesAndSpaces",
         {},
         true,
         {{{},
           {"-window", "a b", "say \"hi\""},
           Seen({}, "1", kMissing, kMissing, {"-window", "a b", "say \"hi\""})}},
         {{"system/", ""},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"MissingGameStillPutsTheFolderBack",
         {{"system/", ""}, {"Data/ModVdf/talvero.mod", "T"}, {"Data/a.mod", "A"}},
         false,
         {{{}, {"-x"}, std::nullopt}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/talvero.mod", "T"},
          {"Data/ModVdf/a.mod", "A"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"GameExitCodeIsNotPassedOn",
         {},
         true,
         {{{"exit=3"}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},

        // ---- Volume staging and the definition file ----------------------------------
        {"OnlyTheModVolumeIsActiveWhileTheGameRuns",
         {{"Data/ModVdf/talvero.mod", "T"},
          {"Data/ModVdf/other.mod", "O"},
          {"Data/a.mod", "A"},
          {"Data/B.MOD", "B"},
          {"Data/Mixed.Mod", "M"},
          {"Data/textures.vdf", "V"}},
         true,
         {{{}, {}, Seen({"talvero.mod"}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/textures.vdf", "V"},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/talvero.mod", "T"},
          {"Data/ModVdf/other.mod", "O"},
          {"Data/ModVdf/a.mod", "A"},
          {"Data/ModVdf/B.MOD", "B"},
          {"Data/ModVdf/Mixed.Mod", "M"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"ActiveVolumeReplacesItsParkedNamesake",
         {{"Data/ModVdf/", ""}, {"Data/ModVdf/x.mod", "old"}, {"Data/x.mod", "new"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/x.mod", "new"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"ModVolumeLeftActiveByAnInterruptedLaunchIsUsedAndParked",
         {{"Data/ModVdf/talvero.mod", "parked"}, {"Data/talvero.mod", "active"}},
         true,
         {{{}, {}, Seen({"talvero.mod"}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/talvero.mod", "active"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"NoParkedModVolumeStillStartsTheGame",
         {{"Data/ModVdf/other.mod", "O"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/other.mod", "O"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"OnlyNamesEndingInModMove",
         {{"Data/ModVdf/", ""},
          {"Data/x.modx", "X"},
          {"Data/y.mode", "Y"},
          {"Data/z.mod~", "Z"},
          {"Data/folder.mod/", ""},
          {"Data/folder.mod/inner.mod", "I"}},
         true,
         {{{}, {}, Seen({"folder.mod"}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/x.modx", "X"},
          {"Data/y.mode", "Y"},
          {"Data/z.mod~", "Z"},
          {"Data/folder.mod/", ""},
          {"Data/folder.mod/inner.mod", "I"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"MissingParkFolderLeavesEveryVolumeInPlace",
         {{"Data/a.mod", "A"}, {"Data/b.mod", "B"}},
         true,
         {{{}, {}, Seen({"a.mod", "b.mod"}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/a.mod", "A"},
          {"Data/b.mod", "B"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"DefinitionFileKeepsEverythingElse",
         {{"system/talveroh2.ini",
           "; mod definition\r\n[INFO]\r\ntitle = The Mod\r\n[FILES]\r\nVDF=old.mod\r\n"
           "textures=extra.vdf\r\n[END]\r\nx=1\r\n"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini",
           "; mod definition\r\n[INFO]\r\ntitle = The Mod\r\n[FILES]\r\nVDF=!<invalid>\r\n"
           "textures=extra.vdf\r\n[END]\r\nx=1\r\n"}}},
        {"MissingSystemFolderIsNotCreated",
         {{"Data/ModVdf/talvero.mod", "T"}},
         false,
         {{{}, {}, std::nullopt}},
         {{"Data/", ""}, {"Data/ModVdf/", ""}, {"Data/ModVdf/talvero.mod", "T"}}},

        // ---- Subtitle noise ------------------------------------------------------------
        {"SubtitleNoiseOneIsLeftAlone",
         {{"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=1\r\n"}},
         true,
         {{{"noise=0"}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"SubtitleNoiseInAnotherFormComesBackAsItWas",
         {{"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=01\r\n"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=01\r\n"},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"EmptySubtitleNoiseComesBackEmpty",
         {{"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=\r\n"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=\r\n"},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"LongSubtitleNoiseComesBackAsItsFirst127Characters",
         {{"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=" + longValue + "\r\n"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=" + longValue.substr(0, 127) + "\r\n"},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"SavedSubtitleNoiseOverwritesTheGamesChange",
         {{"system/HADRIN.INI",
           "[VIDEO]\r\nwidth=1024\r\n[GAME]\r\nsubTitles=1\r\nsubTitlesNoise=0\r\nlang=de\r\n"}},
         true,
         {{{"noise=5"}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI",
           "[VIDEO]\r\nwidth=1024\r\n[GAME]\r\nsubTitles=1\r\nsubTitlesNoise=0\r\nlang=de\r\n"},
          {"system/talveroh2.ini", kInvalidDefinition}}},

        // ---- Engine dump swap ----------------------------------------------------------
        {"ModDumpSwappedInAndSavedAfterACleanRun",
         {{"VDFS.DMP", "engine"},
          {"vdfs_talveroh2.dmp", "mod"},
          {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"dump=mod after run", "mark=0"}, {}, Seen({}, "1", "0", "mod")}},
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"vdfs_talveroh2.dmp", "mod after run"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"ModDumpDroppedAfterAnAbnormalRun",
         {{"VDFS.DMP", "engine"},
          {"vdfs_talveroh2.dmp", "mod"},
          {"system/HADRIN.INI", Settings("1", "0")}},
         true,
         {{{"dump=crashed", "mark=1"}, {}, Seen({}, "1", "0", "mod")}},
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"system/HADRIN.INI", Settings("1", "1")},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"FirstCleanRunCreatesTheModDump",
         {{"VDFS.DMP", "engine"}, {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"dump=written by game", "mark=0"}, {}, Seen({}, "1", "1", "engine")}},
         {{"system/", ""},
          {"VDFS.DMP", "written by game"},
          {"vdfs_talveroh2.dmp", "written by game"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"AbnormalRunWithoutModDumpSavesNothing",
         {{"VDFS.DMP", "engine"}, {"system/HADRIN.INI", Settings("1", "0")}},
         true,
         {{{"dump=written by game", "mark=7"}, {}, Seen({}, "1", "0", "engine")}},
         {{"system/", ""},
          {"VDFS.DMP", "written by game"},
          {"system/HADRIN.INI", Settings("1", "7")},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"MissingMarkCountsAsAbnormal",
         {{"VDFS.DMP", "engine"}, {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=1\r\n"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, "engine")}},
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=1\r\n"},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"TwoCleanLaunchesCreateThenSwapInTheModDump",
         {{"VDFS.DMP", "engine"}, {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"dump=first", "mark=0"}, {}, Seen({}, "1", "1", "engine")},
          {{"dump=second", "mark=0"}, {}, Seen({}, "1", "0", "first")}},
         {{"system/", ""},
          {"VDFS.DMP", "first"},
          {"vdfs_talveroh2.dmp", "second"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"GameThatCannotStartKeepsTheModDump",
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"vdfs_talveroh2.dmp", "mod"},
          {"system/HADRIN.INI", Settings("1", "1")}},
         false,
         {{{}, {}, std::nullopt}},
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"vdfs_talveroh2.dmp", "mod"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/talveroh2.ini", kInvalidDefinition}}},
        {"ModDumpWithoutEngineDumpBecomesTheEngineDump",
         {{"vdfs_talveroh2.dmp", "mod"}, {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"mark=1"}, {}, Seen({}, "1", "0", "mod")}},
         {{"system/", ""},
          {"VDFS.DMP", "mod"},
          {"system/HADRIN.INI", Settings("1", "1")},
          {"system/talveroh2.ini", kInvalidDefinition}}},

        // ---- Interrupted launches ------------------------------------------------------
        {"InterruptedLaunchIsPutRightByTheNextOne",
         {{"Data/ModVdf/talvero.mod", "T"},
          {"Data/ModVdf/other.mod", "O"},
          {"VDFS.DMP", "engine"},
          {"vdfs_talveroh2.dmp", "mod"},
          {"system/HADRIN.INI", Settings("0", "1")}},
         true,
         {{{"pause_ms=1500", "dump=left by killed run", "mark=0"},
           {},
           Seen({"talvero.mod"}, "1", "0", "mod"),
           true},
          {{"dump=clean run", "mark=0"},
           {},
           Seen({"talvero.mod"}, "1", "0", "left by killed run")}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/talvero.mod", "T"},
          {"Data/ModVdf/other.mod", "O"},
          {"VDFS.DMP", "engine"},
          {"vdfs_talveroh2.dmp", "clean run"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/talveroh2.ini", kInvalidDefinition}}},
    };
}

std::vector<std::string> ReportLines(const fs::path& report) {
    std::vector<std::string> lines;
    std::istringstream in(ReadFileText(report));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("start_ns=", 0) != 0 && line.rfind("cwd=", 0) != 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

bool IsIniFile(const std::string& path) {
    return path.size() > 4 && (path.compare(path.size() - 4, 4, ".ini") == 0 ||
                               path.compare(path.size() - 4, 4, ".INI") == 0);
}

class LaunchScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(LaunchScenario, FolderDuringAndAfterTheRun) {
    const Scenario& scenario = GetParam();
    const LauncherUnderTest launcher = LauncherUnderTest::FromEnvironment();
    TempFolder folder("launch-scenario");
    WriteTree(folder.path(), scenario.before);
    if (scenario.gameInstalled) {
        launcher.InstallGame(folder.path());
    }

    for (size_t i = 0; i < scenario.launches.size(); ++i) {
        SCOPED_TRACE("launch " + std::to_string(i + 1));
        const Launch& launch = scenario.launches[i];
        fs::remove(folder.path() / kReport);
        fs::remove(folder.path() / kEnd);
        std::string control;
        for (const std::string& line : launch.game) {
            control += line + "\n";
        }
        WriteFileText(folder.path() / kControl, control);

        if (launch.interrupted) {
            pid_t process = launcher.Start(folder.path(), launch.arguments);
            ASSERT_TRUE(WaitForFile(folder.path() / kReport, 60000));
            launcher.Kill(process);
            ASSERT_TRUE(WaitForFile(folder.path() / kEnd, 60000));
        } else {
            EXPECT_EQ(launcher.Run(folder.path(), launch.arguments), 0);
        }

        if (launch.seen) {
            ASSERT_TRUE(fs::exists(folder.path() / kReport)) << "the game did not run";
            EXPECT_EQ(ReportLines(folder.path() / kReport), *launch.seen);
        } else {
            EXPECT_FALSE(fs::exists(folder.path() / kReport)) << "the game ran";
        }
    }

    std::map<std::string, std::string> actual =
        ReadTree(folder.path(), {kReport, kEnd, kControl, kGame});
    std::map<std::string, std::string> expected;
    for (const TreeEntry& entry : scenario.after) {
        expected[entry.path] = entry.content;
    }
    // Wine rewrites a whole profile file on every write, so under Wine the profile files are
    // compared by their values; natively every byte must be as expected.
    if (launcher.underWine()) {
        for (auto& [path, content] : expected) {
            if (IsIniFile(path) && actual.count(path) != 0) {
                EXPECT_EQ(ParseIni(actual[path]), ParseIni(content)) << path;
                actual[path] = content;
            }
        }
    }
    EXPECT_EQ(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, LaunchScenario, ::testing::ValuesIn(Scenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             return info.param.name;
                         });

}  // namespace
