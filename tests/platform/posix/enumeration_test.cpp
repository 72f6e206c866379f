// Wildcard enumeration of one folder: letter case ignored, folders reported as folders, and a
// visitor that moves the matches out of the folder still sees each entry exactly once.
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform_test_folder.h"

namespace {

// Every visit in order, with the kind reported.
struct Visits {
    std::vector<std::string> names;
    std::map<std::string, bool> isFolder;
};

void Record(const char* name, bool isFolder, void* context) {
    Visits* visits = static_cast<Visits*>(context);
    visits->names.push_back(name);
    visits->isFolder[name] = isFolder;
}

using Enumeration = PlatformTestFolder;

TEST_F(Enumeration, MatchesIgnoringCaseAndReportsFolders) {
    MakeFolder("Data/dir.MOD");
    MakeFolder("Data/other");
    for (const char* name :
         {"a.mod", "B.MOD", "c.Mod", "d.mode", "e.mo", "f.mod~", "mod", ".mod"}) {
        WriteFile(std::string("Data/") + name, "x");
    }
    ASSERT_EQ(symlink("dir.MOD", "Data/link.mod"), 0);
    Visits visits;
    EXPECT_TRUE(VisitMatchingEntries("data\\*.MOD", Record, &visits));
    // Listed with letter case ignored, as Windows lists them.
    EXPECT_EQ(visits.names,
              (std::vector<std::string>{".mod", "a.mod", "B.MOD", "c.Mod", "dir.MOD", "link.mod"}));
    EXPECT_FALSE(visits.isFolder["a.mod"]);
    EXPECT_TRUE(visits.isFolder["dir.MOD"]);
    EXPECT_TRUE(visits.isFolder["link.mod"]);
}

TEST_F(Enumeration, QuestionMarkMatchesOneCharacter) {
    for (const char* name : {"a1.txt", "A22.txt", "a.txt", "b1.txt"}) {
        WriteFile(name, "x");
    }
    Visits visits;
    EXPECT_TRUE(VisitMatchingEntries("a?.TXT", Record, &visits));
    EXPECT_EQ(visits.names, std::vector<std::string>{"a1.txt"});
}

TEST_F(Enumeration, DotEntriesAreNeverReported) {
    WriteFile("only", "x");
    Visits visits;
    EXPECT_TRUE(VisitMatchingEntries("*", Record, &visits));
    EXPECT_EQ(visits.names, std::vector<std::string>{"only"});
}

TEST_F(Enumeration, NothingToEnumerateIsFalse) {
    MakeFolder("Data");
    WriteFile("Data/x.txt", "x");
    Visits visits;
    EXPECT_FALSE(VisitMatchingEntries("Data\\*.mod", Record, &visits));
    EXPECT_FALSE(VisitMatchingEntries("Missing\\*.mod", Record, &visits));
    EXPECT_FALSE(VisitMatchingEntries("Data\\x.txt\\*", Record, &visits));
    EXPECT_TRUE(visits.names.empty());
}

// Far more matches than one pass of the enumeration holds.
constexpr int kManyMatches = 300;

void MakeManyMatches() {
    PlatformTestFolder::MakeFolder("Data/ModVdf");
    for (int i = 0; i < kManyMatches; ++i) {
        PlatformTestFolder::WriteFile("Data/v" + std::to_string(i) + (i % 2 ? ".MOD" : ".mod"),
                                      std::to_string(i));
    }
}

void ParkMatch(const char* name, bool, void* context) {
    Record(name, false, context);
    const std::string source = std::string("Data\\") + name;
    const std::string target = std::string("Data\\ModVdf\\") + name;
    EXPECT_TRUE(MoveByCopy(source.c_str(), target.c_str())) << name;
}

void DeleteMatch(const char* name, bool, void* context) {
    Record(name, false, context);
    EXPECT_TRUE(RemoveFile((std::string("Data\\") + name).c_str())) << name;
}

std::vector<std::string> SortedSet(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << "an entry visited twice";
    return names;
}

TEST_F(Enumeration, VisitorMovingEveryMatchOutSeesEachOnce) {
    MakeManyMatches();
    const std::vector<std::string> expected = Names("Data/");
    Visits visits;
    EXPECT_TRUE(VisitMatchingEntries("Data\\*.mod", ParkMatch, &visits));
    std::vector<std::string> expectedMoved = expected;
    expectedMoved.erase(std::find(expectedMoved.begin(), expectedMoved.end(), "ModVdf"));
    EXPECT_EQ(SortedSet(visits.names), expectedMoved);
    EXPECT_EQ(Names("Data"), std::vector<std::string>{"ModVdf"});
    EXPECT_EQ(Names("Data/ModVdf").size(), static_cast<size_t>(kManyMatches));
}

TEST_F(Enumeration, VisitorDeletingEveryMatchSeesEachOnce) {
    MakeManyMatches();
    Visits visits;
    EXPECT_TRUE(VisitMatchingEntries("Data\\*.MOD", DeleteMatch, &visits));
    EXPECT_EQ(SortedSet(visits.names).size(), static_cast<size_t>(kManyMatches));
    EXPECT_EQ(Names("Data"), std::vector<std::string>{"ModVdf"});
}

TEST_F(Enumeration, VisitorLeavingMatchesInPlaceSeesEachOnce) {
    MakeManyMatches();
    Visits visits;
    EXPECT_TRUE(VisitMatchingEntries("Data\\*.mod", Record, &visits));
    EXPECT_EQ(SortedSet(visits.names).size(), static_cast<size_t>(kManyMatches));
}

}  // namespace
