// The profile table run through the POSIX backend here and through KERNEL32 under Wine: every
// value read agrees, and so do the values of each file after its writes, except where a row
// records that Wine differs from Windows; there Wine must still give the result recorded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "differential/posix_profile_functions.h"
#include "differential/profile_table.h"
#include "faults/wine_program.h"
#include "support/game_folder_tree.h"
#include "support/ini_values.h"

namespace fs = std::filesystem;
using namespace profile_agreement;
using testing_support::TempFolder;

namespace {

std::string Describe(const ProfileOperation& operation) {
    const std::string where = "[" + operation.section + "] " + operation.key;
    switch (operation.kind) {
        case ProfileOperation::Kind::Read:
            return "read of " + where + " into " + std::to_string(operation.number) + " characters";
        case ProfileOperation::Kind::ReadNumber:
            return "number read of " + where;
        case ProfileOperation::Kind::Write:
            return "write of " + where + "=" + Escape(operation.text);
    }
    return "";
}

class ProfileAgreement : public ::testing::TestWithParam<ProfileCase> {
  public:
    // Both runs happen once, for every row.
    static void SetUpTestSuite() {
        TempFolder posixFolder("profile-posix");
        const fs::path previous = fs::current_path();
        ASSERT_EQ(chdir(posixFolder.path().c_str()), 0);
        posixResults_ = RunProfileCases(PosixProfileFunctions());
        ASSERT_EQ(chdir(previous.c_str()), 0);

        const auto configuration = fault_testing::ReadTestConfiguration();
        const auto tool = configuration.find("profile_table");
        ASSERT_NE(tool, configuration.end()) << "LAUNCHER_TEST_CONFIG names no profile_table";
        TempFolder wineFolder("profile-kernel32");
        TempFolder outputs("profile-kernel32-output");
        const fs::path results = outputs.path() / "results.txt";
        const int status = fault_testing::RunUnderWine(
            fault_testing::WineSetup::From(configuration), wineFolder.path(),
            {tool->second, fault_testing::WindowsPathOf(results)},
            outputs.path() / "wine-output.txt", 120);
        ASSERT_EQ(status, 0) << testing_support::ReadFileText(outputs.path() / "wine-output.txt");
        wineResults_ = ParseResults(testing_support::ReadFileText(results));
    }

  protected:
    static std::map<std::string, std::string> posixResults_;
    static std::map<std::string, std::string> wineResults_;
};

std::map<std::string, std::string> ProfileAgreement::posixResults_;
std::map<std::string, std::string> ProfileAgreement::wineResults_;

TEST_P(ProfileAgreement, PosixBackendAgreesWithKernel32) {
    const ProfileCase& row = GetParam();
    ASSERT_FALSE(wineResults_.empty()) << "the KERNEL32 side did not run";
    if (!row.wineDifference.empty()) {
        std::printf("Wine differs from Windows here: %s\n", row.wineDifference.c_str());
    }
    for (size_t i = 0; i < row.operations.size(); ++i) {
        const std::string key = row.name + "#" + std::to_string(i);
        ASSERT_EQ(posixResults_.count(key), 1u) << key;
        ASSERT_EQ(wineResults_.count(key), 1u) << key;
        const auto documented = row.wineResults.find(i);
        if (documented == row.wineResults.end()) {
            EXPECT_EQ(posixResults_[key], wineResults_[key]) << Describe(row.operations[i]);
        } else {
            EXPECT_EQ(wineResults_[key], documented->second)
                << Describe(row.operations[i]) << ": " << row.wineDifference;
            EXPECT_NE(posixResults_[key], wineResults_[key])
                << Describe(row.operations[i])
                << " no longer shows the difference recorded: " << row.wineDifference;
        }
    }
    // The files after the writes hold the same values, whatever their bytes.
    const std::string posixFile = posixResults_[row.name + "#file"];
    const std::string wineFile = wineResults_[row.name + "#file"];
    if (posixFile == "<missing>" || wineFile == "<missing>") {
        EXPECT_EQ(posixFile, wineFile);
    } else {
        EXPECT_EQ(testing_support::ParseIni(Unescape(posixFile)),
                  testing_support::ParseIni(Unescape(wineFile)))
            << "POSIX: " << posixFile << "\nWine:  " << wineFile;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ProfileAgreement, ::testing::ValuesIn(ProfileCases()),
                         [](const auto& testInfo) { return testInfo.param.name; });

}  // namespace
