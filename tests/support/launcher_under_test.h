// The launcher as the scenario tests run it: the native build directly, or the Windows build
// under Wine. CTest names a configuration file in LAUNCHER_TEST_CONFIG, written by CMake, with
// one "key=value" a line:
//   kind          "native" or "wine"
//   launcher      the launcher to run
//   standin       the stand-in game built for the same system
//   wine_loader, wineprefix   the Wine loader and the prefix to run it in (wine only)
//   volume, definition, dump, game   the mod identity the launcher was built with
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// The names a launcher build was given for its mod; the game executable's path uses '/'.
struct ModIdentity {
    std::string volume;
    std::string definition;
    std::string dump;
    std::string gameExecutable;

    // Replaces "{volume}", "{definition}", "{dump}" and "{game}" in text by these names, and
    // "{VOLUME}" by the volume's name in capitals.
    std::string Substitute(std::string text) const;
};

class LauncherUnderTest {
  public:
    static LauncherUnderTest FromEnvironment();

    bool underWine() const { return underWine_; }
    const ModIdentity& identity() const { return identity_; }

    // Puts the stand-in game where the launcher starts the game executable.
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
    std::string winePrefix_;
    ModIdentity identity_;
};

// Waits until the file exists, up to timeout_ms; returns whether it appeared.
bool WaitForFile(const std::filesystem::path& path, int timeout_ms);

}  // namespace testing_support
