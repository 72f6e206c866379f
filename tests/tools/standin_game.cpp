// A stand-in for the game executable. Started by the launcher in the game folder, it writes
// what it received and saw into "standin-report.txt", then does what "standin-control.txt"
// tells it, so that a test can play any game and check the prepared folder from the inside.
//
// Control file, one "key=value" a line, every key optional:
//   pause_ms=N         wait N milliseconds after the report is written
//   wait_for=FILE      then wait until FILE exists in the game folder (a minute at most)
//   noise=VALUE        write subTitlesNoise in section GAME of the settings file
//   mark=VALUE         write gameAbnormalExit in section INTERNAL of the settings file;
//                      "<missing>" removes the key
//   dump=TEXT          replace the content of VDFS.DMP ("\n" in TEXT becomes a line break)
//   hold=NAME          at the end, hold the file NAME of the game folder past the game's end:
//                      the launcher can copy it but can neither rename nor delete it
//   release=NAME       before anything else, let go of NAME, held by an earlier game
//   exit=N             exit with status N
// Report, one "key=value" a line: start_ns (wall clock), arg (one per argument after the
// program name), cwd, active (one per "*.mod" file in the data folder, sorted), vdf (from the
// definition file that the "-game:" argument names), noise,
// mark (each "<missing>" when absent), dump ("<missing>" when absent, "<folder>"
// for a folder). When the game ends it
// writes "standin-end.txt" with end_ns.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "standin_hold.h"
#include "support/ini_values.h"
#include "support/text_helpers.h"

namespace fs = std::filesystem;
using testing_support::AsciiLower;
using testing_support::FindIniValue;
using testing_support::RemoveIniValue;
using testing_support::SetIniValue;

namespace {

// Finds a path below the working directory as Windows would: each part matched without regard
// to letter case, so a folder copied from Windows ("DATA", "System") is found too.
std::optional<fs::path> FindPath(const std::vector<std::string>& parts) {
    fs::path current = ".";
    for (const std::string& part : parts) {
        if (fs::exists(current / part)) {
            current /= part;
            continue;
        }
        std::error_code error;
        std::optional<fs::path> match;
        for (const auto& entry : fs::directory_iterator(current, error)) {
            if (AsciiLower(entry.path().filename().string()) == AsciiLower(part)) {
                match = entry.path();
                break;
            }
        }
        if (!match) {
            return std::nullopt;
        }
        current = *match;
    }
    return current;
}

std::optional<std::string> ReadText(const std::optional<fs::path>& path) {
    if (!path) {
        return std::nullopt;
    }
    std::ifstream in(*path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteText(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

long long NowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string ValueOrMissing(const std::optional<std::string>& value) {
    return value ? *value : "<missing>";
}

std::optional<std::string> IniValue(const std::vector<std::string>& file,
                                    const std::string& section, const std::string& key) {
    std::optional<std::string> text = ReadText(FindPath(file));
    return text ? FindIniValue(*text, section, key) : std::nullopt;
}

void SetSetting(const std::string& section, const std::string& key, const std::string& value) {
    std::optional<fs::path> path = FindPath({"system", "HADRIN.INI"});
    fs::path target = path ? *path : fs::path("system") / "HADRIN.INI";
    const std::string text = ReadText(path).value_or("");
    WriteText(target, value == "<missing>" ? RemoveIniValue(text, section, key)
                                           : SetIniValue(text, section, key, value));
}

}  // namespace

int main(int argc, char** argv) {
    if (RunAsFileHolder(argc, argv)) {
        return 0;
    }
    const long long start = NowNanoseconds();
    std::map<std::string, std::string> control;
    if (std::optional<std::string> text = ReadText(fs::path("standin-control.txt"))) {
        std::istringstream lines(*text);
        std::string line;
        while (std::getline(lines, line)) {
            size_t eq = line.find('=');
            if (eq != std::string::npos) {
                control[line.substr(0, eq)] = line.substr(eq + 1);
            }
        }
    }

    if (control.count("release") && !ReleaseHeldFile(control["release"])) {
        return 4;
    }

    std::ostringstream report;
    report << "start_ns=" << start << "\n";
    for (int i = 1; i < argc; ++i) {
        report << "arg=" << argv[i] << "\n";
    }
    report << "cwd=" << fs::current_path().string() << "\n";
    std::vector<std::string> active;
    if (std::optional<fs::path> data = FindPath({"Data"})) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(*data, error)) {
            std::string name = entry.path().filename().string();
            if (name.size() > 4 && AsciiLower(name.substr(name.size() - 4)) == ".mod") {
                active.push_back(name);
            }
        }
    }
    std::sort(active.begin(), active.end());
    for (const std::string& name : active) {
        report << "active=" << name << "\n";
    }
    // The definition file is the one the "-game:" option names, in the "system" folder.
    std::optional<std::string> vdf;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("-game:", 0) == 0) {
            vdf = IniValue({"system", argument.substr(6)}, "FILES", "VDF");
            break;
        }
    }
    report << "vdf=" << ValueOrMissing(vdf) << "\n";
    report << "noise="
           << ValueOrMissing(IniValue({"system", "HADRIN.INI"}, "GAME", "subTitlesNoise")) << "\n";
    report << "mark="
           << ValueOrMissing(IniValue({"system", "HADRIN.INI"}, "INTERNAL", "gameAbnormalExit"))
           << "\n";
    const std::optional<fs::path> dumpPath = FindPath({"VDFS.DMP"});
    report << "dump="
           << (dumpPath && fs::is_directory(*dumpPath) ? "<folder>"
                                                       : ValueOrMissing(ReadText(dumpPath)))
           << "\n";
    // Written whole under another name, then renamed, so that a test polling for the report
    // never reads half of it.
    WriteText("standin-report.tmp", report.str());
    fs::rename("standin-report.tmp", "standin-report.txt");

    if (control.count("pause_ms")) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stoll(control["pause_ms"])));
    }
    if (control.count("wait_for")) {
        const fs::path release = control["wait_for"];
        for (int waited = 0; waited < 6000 && !fs::exists(release); ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (control.count("noise")) {
        SetSetting("GAME", "subTitlesNoise", control["noise"]);
    }
    if (control.count("mark")) {
        SetSetting("INTERNAL", "gameAbnormalExit", control["mark"]);
    }
    if (control.count("dump")) {
        std::string dump = control["dump"];
        for (size_t at = dump.find("\\n"); at != std::string::npos; at = dump.find("\\n", at)) {
            dump.replace(at, 2, "\n");
        }
        std::optional<fs::path> path = FindPath({"VDFS.DMP"});
        WriteText(path ? *path : fs::path("VDFS.DMP"), dump);
    }
    if (control.count("hold") && !HoldFile(argv[0], control["hold"])) {
        return 4;
    }
    WriteText("standin-end.txt", "end_ns=" + std::to_string(NowNanoseconds()) + "\n");
    return control.count("exit") ? std::stoi(control["exit"]) : 0;
}
