// The launch scenarios: a game folder before, what the stand-in game does in each launch, what
// the game saw while it ran, and the folder after the last launch. The same table runs against
// the native launcher and, under Wine, against the Windows build of the same sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "scenarios/scenario.h"
#include "support/game_folder_tree.h"
#include "support/ini_values.h"
#include "support/launcher_under_test.h"

namespace fs = std::filesystem;
using namespace testing_support;
using namespace scenarios;

namespace {

constexpr char kReport[] = "standin-report.txt";
constexpr char kEnd[] = "standin-end.txt";
constexpr char kControl[] = "standin-control.txt";
// A game told to wait for this file runs until the test writes it.
constexpr char kRelease[] = "standin-release.txt";
constexpr char kWaitForRelease[] = "wait_for=standin-release.txt";

std::vector<Scenario> Scenarios() {
    const std::string longValue(200, 'v');
    std::vector<Scenario> table = {
        // ---- The launch frame ----------------------------------------------------------
        {"EmptyFolderStillStartsTheGame",
         {},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},
        {"TailReachesTheGameWithItsQuotesAndSpaces",
         {},
         true,
         {{{},
           {"-window", "a b", "say \"hi\""},
           Seen({}, "1", kMissing, kMissing, {"-window", "a b", "say \"hi\""})}},
         {{"system/", ""},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},
        {"MissingGameStillPutsTheFolderBack",
         {{"system/", ""}, {"Data/ModVdf/{volume}", "T"}, {"Data/a.mod", "A"}},
         false,
         {{{}, {"-x"}, std::nullopt}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/{volume}", "T"},
          {"Data/ModVdf/a.mod", "A"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},
        {"GameExitCodeIsNotPassedOn",
         {},
         true,
         {{{"exit=3"}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},

        // ---- Volume staging and the definition file ----------------------------------
        {"OnlyTheModVolumeIsActiveWhileTheGameRuns",
         {{"Data/ModVdf/{volume}", "T"},
          {"Data/ModVdf/other.mod", "O"},
          {"Data/a.mod", "A"},
          {"Data/B.MOD", "B"},
          {"Data/Mixed.Mod", "M"},
          {"Data/textures.vdf", "V"}},
         true,
         {{{}, {}, Seen({"{volume}"}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/textures.vdf", "V"},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/{volume}", "T"},
          {"Data/ModVdf/other.mod", "O"},
          {"Data/ModVdf/a.mod", "A"},
          {"Data/ModVdf/B.MOD", "B"},
          {"Data/ModVdf/Mixed.Mod", "M"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},
        {"ActiveVolumeReplacesItsParkedNamesake",
         {{"Data/ModVdf/", ""}, {"Data/ModVdf/x.mod", "old"}, {"Data/x.mod", "new"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/x.mod", "new"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},
        {"ModVolumeLeftActiveByAnInterruptedLaunchIsUsedAndParked",
         {{"Data/ModVdf/{volume}", "parked"}, {"Data/{volume}", "active"}},
         true,
         {{{}, {}, Seen({"{volume}"}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/{volume}", "active"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},
        {"NoParkedModVolumeStillStartsTheGame",
         {{"Data/ModVdf/other.mod", "O"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/other.mod", "O"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},
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
          {"system/{definition}", kInvalidDefinition}}},
        {"MissingParkFolderLeavesEveryVolumeInPlace",
         {{"Data/a.mod", "A"}, {"Data/b.mod", "B"}},
         true,
         {{{}, {}, Seen({"a.mod", "b.mod"}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/a.mod", "A"},
          {"Data/b.mod", "B"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},
        {"DefinitionFileKeepsEverythingElse",
         {{"system/{definition}",
           "; mod definition\r\n[INFO]\r\ntitle = The Mod\r\n[FILES]\r\nVDF=old.mod\r\n"
           "textures=extra.vdf\r\n[END]\r\nx=1\r\n"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}",
           "; mod definition\r\n[INFO]\r\ntitle = The Mod\r\n[FILES]\r\nVDF=!<invalid>\r\n"
           "textures=extra.vdf\r\n[END]\r\nx=1\r\n"}}},
        // A park path is built in 260 characters: "Data\\ModVdf\\" and a name of up to 247
        // fit; a longer name cannot be parked and stays active rather than overflow.
        {"VolumeNameTooLongToParkStaysActive",
         {{"Data/ModVdf/", ""},
          {"Data/" + std::string(243, 'a') + ".mod", "fits"},
          {"Data/" + std::string(244, 'b') + ".mod", "too long"}},
         true,
         {{{}, {}, Seen({std::string(244, 'b') + ".mod"}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/" + std::string(243, 'a') + ".mod", "fits"},
          {"Data/" + std::string(244, 'b') + ".mod", "too long"},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},
        {"MissingSystemFolderIsNotCreated",
         {{"Data/ModVdf/{volume}", "T"}},
         false,
         {{{}, {}, std::nullopt}},
         {{"Data/", ""}, {"Data/ModVdf/", ""}, {"Data/ModVdf/{volume}", "T"}}},

        // ---- Subtitle noise ------------------------------------------------------------
        {"SubtitleNoiseOneIsLeftAlone",
         {{"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=1\r\n"}},
         true,
         {{{"noise=0"}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", kNoiseZero},
          {"system/{definition}", kInvalidDefinition}}},
        {"SubtitleNoiseInAnotherFormComesBackAsItWas",
         {{"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=01\r\n"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=01\r\n"},
          {"system/{definition}", kInvalidDefinition}}},
        {"EmptySubtitleNoiseComesBackEmpty",
         {{"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=\r\n"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=\r\n"},
          {"system/{definition}", kInvalidDefinition}}},
        {"LongSubtitleNoiseComesBackAsItsFirst127Characters",
         {{"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=" + longValue + "\r\n"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=" + longValue.substr(0, 127) + "\r\n"},
          {"system/{definition}", kInvalidDefinition}}},
        {"SavedSubtitleNoiseOverwritesTheGamesChange",
         {{"system/HADRIN.INI",
           "[VIDEO]\r\nwidth=1024\r\n[GAME]\r\nsubTitles=1\r\nsubTitlesNoise=0\r\nlang=de\r\n"}},
         true,
         {{{"noise=5"}, {}, Seen({}, "1", kMissing, kMissing)}},
         {{"system/", ""},
          {"system/HADRIN.INI",
           "[VIDEO]\r\nwidth=1024\r\n[GAME]\r\nsubTitles=1\r\nsubTitlesNoise=0\r\nlang=de\r\n"},
          {"system/{definition}", kInvalidDefinition}}},

        // ---- Engine dump swap ----------------------------------------------------------
        {"ModDumpSwappedInAndSavedAfterACleanRun",
         {{"VDFS.DMP", "engine"}, {"{dump}", "mod"}, {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"dump=mod after run", "mark=0"}, {}, Seen({}, "1", "0", "mod")}},
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"{dump}", "mod after run"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/{definition}", kInvalidDefinition}}},
        {"ModDumpDroppedAfterAnAbnormalRun",
         {{"VDFS.DMP", "engine"}, {"{dump}", "mod"}, {"system/HADRIN.INI", Settings("1", "0")}},
         true,
         {{{"dump=crashed", "mark=1"}, {}, Seen({}, "1", "0", "mod")}},
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"system/HADRIN.INI", Settings("1", "1")},
          {"system/{definition}", kInvalidDefinition}}},
        {"FirstCleanRunCreatesTheModDump",
         {{"VDFS.DMP", "engine"}, {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"dump=written by game", "mark=0"}, {}, Seen({}, "1", "1", "engine")}},
         {{"system/", ""},
          {"VDFS.DMP", "written by game"},
          {"{dump}", "written by game"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/{definition}", kInvalidDefinition}}},
        {"AbnormalRunWithoutModDumpSavesNothing",
         {{"VDFS.DMP", "engine"}, {"system/HADRIN.INI", Settings("1", "0")}},
         true,
         {{{"dump=written by game", "mark=7"}, {}, Seen({}, "1", "0", "engine")}},
         {{"system/", ""},
          {"VDFS.DMP", "written by game"},
          {"system/HADRIN.INI", Settings("1", "7")},
          {"system/{definition}", kInvalidDefinition}}},
        {"MissingMarkCountsAsAbnormal",
         {{"VDFS.DMP", "engine"}, {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=1\r\n"}},
         true,
         {{{}, {}, Seen({}, "1", kMissing, "engine")}},
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"system/HADRIN.INI", "[GAME]\r\nsubTitlesNoise=1\r\n"},
          {"system/{definition}", kInvalidDefinition}}},
        {"TwoCleanLaunchesCreateThenSwapInTheModDump",
         {{"VDFS.DMP", "engine"}, {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"dump=first", "mark=0"}, {}, Seen({}, "1", "1", "engine")},
          {{"dump=second", "mark=0"}, {}, Seen({}, "1", "0", "first")}},
         {{"system/", ""},
          {"VDFS.DMP", "first"},
          {"{dump}", "second"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/{definition}", kInvalidDefinition}}},
        {"GameThatCannotStartKeepsTheModDump",
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"{dump}", "mod"},
          {"system/HADRIN.INI", Settings("1", "1")}},
         false,
         {{{}, {}, std::nullopt}},
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"{dump}", "mod"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/{definition}", kInvalidDefinition}}},
        {"ModDumpWithoutEngineDumpBecomesTheEngineDump",
         {{"{dump}", "mod"}, {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"mark=1"}, {}, Seen({}, "1", "0", "mod")}},
         {{"system/", ""},
          {"VDFS.DMP", "mod"},
          {"system/HADRIN.INI", Settings("1", "1")},
          {"system/{definition}", kInvalidDefinition}}},

        // Dumps are files: a folder at any of the three names stays as it is, and no dump is
        // moved into it or lost to it.
        {"FolderAtModDumpNameIsLeftAlone",
         {{"VDFS.DMP", "engine"}, {"{dump}/inner", "I"}, {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"dump=game run", "mark=0"}, {}, Seen({}, "1", "1", "engine")}},
         {{"system/", ""},
          {"VDFS.DMP", "game run"},
          {"{dump}/", ""},
          {"{dump}/inner", "I"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/{definition}", kInvalidDefinition}}},
        {"FolderAtBackupNameKeepsTheEngineDumpInPlace",
         {{"VDFS.DMP", "engine"},
          {"VDFS.DMP.old/inner", "I"},
          {"{dump}", "mod"},
          {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"mark=0"}, {}, Seen({}, "1", "0", "engine")}},
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"VDFS.DMP.old/", ""},
          {"VDFS.DMP.old/inner", "I"},
          {"{dump}", "mod"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/{definition}", kInvalidDefinition}}},
        {"FolderAtEngineDumpNameIsLeftAlone",
         {{"VDFS.DMP/inner", "I"}, {"{dump}", "mod"}, {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"mark=0"}, {}, Seen({}, "1", "0", "<folder>")}},
         {{"system/", ""},
          {"VDFS.DMP/", ""},
          {"VDFS.DMP/inner", "I"},
          {"{dump}", "mod"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/{definition}", kInvalidDefinition}}},
        // A move back of the backup whose rename and delete fail (the backup held by a scanner
        // after the game ended) leaves the backup beside the "VDFS.DMP" its copy restored. The
        // next launch still runs with the mod's dump and saves the game's; the one after runs
        // with that.
        {"MoveBackThatLeavesItsSourceThenTwoCleanLaunches",
         {{"VDFS.DMP", "engine"}, {"{dump}", "mod"}, {"system/HADRIN.INI", Settings("1", "1")}},
         true,
         {{{"dump=first", "mark=0", "hold=VDFS.DMP.old"}, {}, Seen({}, "1", "0", "mod")},
          {{"release=VDFS.DMP.old", "dump=second", "mark=0"}, {}, Seen({}, "1", "0", "first")},
          {{"dump=third", "mark=0"}, {}, Seen({}, "1", "0", "second")}},
         {{"system/", ""},
          {"VDFS.DMP", "engine"},
          {"{dump}", "third"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/{definition}", kInvalidDefinition}}},

        // ---- Interrupted launches ------------------------------------------------------
        {"InterruptedLaunchIsPutRightByTheNextOne",
         {{"Data/ModVdf/{volume}", "T"},
          {"Data/ModVdf/other.mod", "O"},
          {"VDFS.DMP", "engine"},
          {"{dump}", "mod"},
          {"system/HADRIN.INI", Settings("0", "1")}},
         true,
         {{{"pause_ms=1500", "dump=left by killed run", "mark=0"},
           {},
           Seen({"{volume}"}, "1", "0", "mod"),
           true},
          {{"dump=clean run", "mark=0"}, {}, Seen({"{volume}"}, "1", "0", "left by killed run")}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/{volume}", "T"},
          {"Data/ModVdf/other.mod", "O"},
          {"VDFS.DMP", "engine"},
          {"{dump}", "clean run"},
          {"system/HADRIN.INI", Settings("1", "0")},
          {"system/{definition}", kInvalidDefinition}}},

        // ---- A second launcher while the game runs -------------------------------------
        // The player double-clicks again while the first game runs: the second launcher leaves
        // the prepared folder alone and starts no game, so the first launch alone puts the
        // folder back, keeping the first game's dump for the mod.
        {"SecondLauncherWhileTheGameRunsChangesNothing",
         {{"Data/ModVdf/{volume}", "T"},
          {"Data/a.mod", "A"},
          {"VDFS.DMP", "engine"},
          {"{dump}", "mod"},
          {"system/HADRIN.INI", Settings("0", "1")},
          {"system/{definition}", kInvalidDefinition}},
         true,
         {{{kWaitForRelease, "dump=first game", "mark=0"},
           {},
           Seen({"{volume}"}, "1", "0", "mod"),
           false,
           true}},
         {{"system/", ""},
          {"Data/", ""},
          {"Data/ModVdf/", ""},
          {"Data/ModVdf/{volume}", "T"},
          {"Data/ModVdf/a.mod", "A"},
          {"VDFS.DMP", "engine"},
          {"{dump}", "first game"},
          {"system/HADRIN.INI", Settings("0", "0")},
          {"system/{definition}", kInvalidDefinition}}},

        // ---- A game folder copied from Windows -----------------------------------------
        // Its names keep the letter case they had there. The first park replaces the parked
        // volume by the one an interrupted launch left active; Wine and the POSIX backend keep
        // the replaced file's spelling there, while NTFS gives the entry the new one. The
        // activation moves that file out again, so the folder after the launch is the same.
        {"FolderCopiedFromWindowsIsUsedInItsOwnLetterCase",
         {{"DATA/MODVDF/{VOLUME}", "parked"},
          {"DATA/{volume}", "active"},
          {"DATA/Extra.MOD", "E"},
          {"System/Hadrin.ini", Settings("0", "1")}},
         true,
         {{{}, {}, Seen({"{volume}"}, "1", "1", kMissing)}},
         {{"DATA/", ""},
          {"DATA/MODVDF/", ""},
          {"DATA/MODVDF/{volume}", "active"},
          {"DATA/MODVDF/Extra.MOD", "E"},
          {"System/", ""},
          {"System/Hadrin.ini", Settings("0", "1")},
          {"System/{definition}", kInvalidDefinition}}},
    };
    for (Scenario& scenario : DumpStartStateScenarios()) {
        table.push_back(std::move(scenario));
    }
    return table;
}

// The working directory the stand-in game reported, as the test's own path: under Wine the game
// sees the folder on drive Z:, with backslashes.
std::string ReportedFolder(const fs::path& report, bool underWine) {
    std::istringstream in(ReadFileText(report));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("cwd=", 0) == 0) {
            std::string folder = line.substr(4);
            if (underWine && folder.rfind("Z:", 0) == 0) {
                folder = folder.substr(2);
                std::replace(folder.begin(), folder.end(), '\\', '/');
            }
            return folder;
        }
    }
    return "";
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

// The files of a game folder that the stand-in game and the test use to talk to each other.
std::vector<std::string> TestFiles(const LauncherUnderTest& launcher) {
    return {kReport, kEnd, kControl, kRelease, launcher.identity().gameExecutable};
}

// Starts the first launcher, whose game waits for the release file, and once that game runs, a
// second launcher in the same folder. The second must exit with 0 while the first game still
// runs, having changed nothing and started no game; then the first game is released and the
// first launcher finishes. The first game's report is left where a single launch leaves it.
void RunSecondLauncherWhileTheGameRuns(const LauncherUnderTest& launcher, const fs::path& folder,
                                       const std::vector<std::string>& arguments) {
    const pid_t first = launcher.Start(folder, arguments);
    ASSERT_TRUE(WaitForFile(folder / kReport, 60000)) << "the first game did not start";
    const fs::path firstReport = folder / "first-report.txt";
    fs::rename(folder / kReport, firstReport);
    std::vector<std::string> ignored = TestFiles(launcher);
    ignored.push_back(firstReport.filename().string());
    const std::map<std::string, std::string> whileRunning = ReadTree(folder, ignored);

    EXPECT_EQ(launcher.Run(folder, arguments), 0);
    EXPECT_FALSE(fs::exists(folder / kReport)) << "the second launcher started a game";
    EXPECT_FALSE(fs::exists(folder / kEnd)) << "the first game ended before the second launcher";
    EXPECT_EQ(ReadTree(folder, ignored), whileRunning) << "the second launcher changed the folder";

    WriteFileText(folder / kRelease, "");
    EXPECT_EQ(LauncherUnderTest::Wait(first), 0);
    fs::remove(folder / kRelease);
    fs::rename(firstReport, folder / kReport);
}

class LaunchScenario : public ::testing::TestWithParam<Scenario> {};

// The scenario with the names of the launcher's mod identity in place of the placeholders.
Scenario ForIdentity(Scenario scenario, const ModIdentity& identity) {
    for (Tree* tree : {&scenario.before, &scenario.after}) {
        for (TreeEntry& entry : *tree) {
            entry.path = identity.Substitute(entry.path);
            entry.content = identity.Substitute(entry.content);
        }
    }
    for (Launch& launch : scenario.launches) {
        if (launch.seen) {
            for (std::string& line : *launch.seen) {
                line = identity.Substitute(line);
            }
        }
    }
    return scenario;
}

TEST_P(LaunchScenario, FolderDuringAndAfterTheRun) {
    const LauncherUnderTest launcher = LauncherUnderTest::FromEnvironment();
    const Scenario scenario = ForIdentity(GetParam(), launcher.identity());
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
        } else if (launch.secondLauncherWhileRunning) {
            RunSecondLauncherWhileTheGameRuns(launcher, folder.path(), launch.arguments);
        } else {
            EXPECT_EQ(launcher.Run(folder.path(), launch.arguments), 0);
        }

        if (launch.seen) {
            ASSERT_TRUE(fs::exists(folder.path() / kReport)) << "the game did not run";
            EXPECT_EQ(ReportLines(folder.path() / kReport), *launch.seen);
            EXPECT_EQ(ReportedFolder(folder.path() / kReport, launcher.underWine()),
                      folder.path().string())
                << "the game did not start in the game folder";
        } else {
            EXPECT_FALSE(fs::exists(folder.path() / kReport)) << "the game ran";
        }
    }

    std::map<std::string, std::string> actual = ReadTree(folder.path(), TestFiles(launcher));
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
                         [](const ::testing::TestParamInfo<Scenario>& caseInfo) {
                             return caseInfo.param.name;
                         });

}  // namespace

namespace {

// Launchers in two game folders do not hold each other up: while the first folder's game runs,
// a whole launch in the second folder runs its game and puts its folder back.
TEST(LaunchGuard, LaunchersInTwoGameFoldersRunSideBySide) {
    const LauncherUnderTest launcher = LauncherUnderTest::FromEnvironment();
    const ModIdentity& identity = launcher.identity();
    TempFolder first("launch-guard-first");
    TempFolder second("launch-guard-second");
    for (const TempFolder* folder : {&first, &second}) {
        WriteTree(folder->path(), {{identity.Substitute("Data/ModVdf/{volume}"), "T"}});
        launcher.InstallGame(folder->path());
    }
    WriteFileText(first.path() / kControl, std::string(kWaitForRelease) + "\n");

    const pid_t running = launcher.Start(first.path(), {});
    ASSERT_TRUE(WaitForFile(first.path() / kReport, 60000)) << "the first game did not start";
    EXPECT_EQ(launcher.Run(second.path(), {}), 0);
    EXPECT_TRUE(fs::exists(second.path() / kEnd)) << "the second folder's game did not run";
    EXPECT_FALSE(fs::exists(first.path() / kEnd)) << "the first game ended too early";
    WriteFileText(first.path() / kRelease, "");
    EXPECT_EQ(LauncherUnderTest::Wait(running), 0);

    const std::string parked = identity.Substitute("Data/ModVdf/{volume}");
    for (const TempFolder* folder : {&first, &second}) {
        const std::map<std::string, std::string> after =
            ReadTree(folder->path(), TestFiles(launcher));
        EXPECT_EQ(after.count(parked), 1u) << folder->path() << ": the volume is not parked";
    }
    const std::vector<std::string> seen = ReportLines(second.path() / kReport);
    EXPECT_NE(std::find(seen.begin(), seen.end(), identity.Substitute("active={volume}")),
              seen.end())
        << "the second folder's game ran without the mod's volume";
}

}  // namespace
