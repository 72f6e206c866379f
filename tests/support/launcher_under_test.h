// The launcher as the scenario tests run it: the native build directly, or the Windows build
// under Wine. Which one, and where the programs are, comes from the environment that CTest
// sets for each test:
//   LAUNCHER_KIND      "native" or "wine"
//   LAUNCHER_EXE       the launcher to run
//   STANDIN_GAME_EXE   the stand-in game built for the same system
//   WINE_LOADER        the Wine loader (wine only); WINEPREFIX and WINEDEBUG are passed on
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

class LauncherUnderTest {
  public:
    static LauncherUnderTest FromEnvironment();

    bool underWine() const { return underWine_; }

    // Puts the stand-in game at "system\Hadrin2.exe" in the game folder.
    void InstallGame(const std::filesystem::path& gameFolder) const;

    // Starts the launcher in the game folder with the given arguments; returns its process id.
    pid_t Start(const std::filesystem::path& gameFolder,
                const std::vector<std::string>& arguments) const;

    // Starts the launcher and waits for it; returns its exit status (-1 if it did not exit).
    int Run(const std::filesystem::path& gameFolder,
            const std::vector<std::string>& arguments) const;

    // Waits for a started launcher; returns its exit status (-1 if it did not exit normally).
    static int Wait(pid_t process);

    // Ends a started launcher at once, as a player's task manager would, and reaps it.
    void Kill(pid_t process) const;

  private:
    bool underWine_ = false;
    std::string launcher_;
    std::string standIn_;
    std::string wineLoader_;
};

// Waits until the file exists, up to timeout_ms; returns whether it appeared.
bool WaitForFile(const std::filesystem::path& path, int timeout_ms);

}  // namespace testing_support
