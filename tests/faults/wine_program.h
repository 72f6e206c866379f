// Running a Windows program under Wine from a native test. Its output goes to a file, never to
// a pipe: the wineserver keeps the standard output of the run that started it open for
// seconds after its last client has gone, and a reader waiting for the pipe's end would wait
// that long.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fault_testing {

// The "key=value" lines of the configuration file that CTest names in LAUNCHER_TEST_CONFIG
// (written by CMake: the Wine loader and prefix, the programs to run); empty when unset.
std::map<std::string, std::string> ReadTestConfiguration();

// The Wine loader and prefix ("wine_loader" and "wineprefix" in the configuration).
struct WineSetup {
    std::string loader;
    std::string prefix;

    static WineSetup From(const std::map<std::string, std::string>& configuration);
};

// Runs program with arguments under Wine, with folder as working directory and its output
// (standard output and error) written to outputFile. Returns its exit status, or -1 when it
// did not exit normally or was still running after timeoutSeconds (it is then killed).
int RunUnderWine(const WineSetup& wine, const std::filesystem::path& folder,
                 const std::vector<std::string>& programAndArguments,
                 const std::filesystem::path& outputFile, int timeoutSeconds);

// The path as a Windows program under Wine sees it: on drive Z:, with backslashes.
std::string WindowsPathOf(const std::filesystem::path& path);

}  // namespace fault_testing
