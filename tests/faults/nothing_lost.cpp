#include "faults/nothing_lost.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>

#include "common/game_folder.h"
#include "support/game_folder_tree.h"
#include "support/ini_values.h"
#include "support/text_helpers.h"

namespace fs = std::filesystem;

namespace fault_testing {
namespace {

using testing_support::AsciiLower;
using testing_support::AsciiUpper;
using testing_support::Escaped;
using testing_support::SplitLines;

// A fixed name of the game folder as a snapshot path: '/' for '\', letter case folded.
std::string FixedPath(const std::string& windowsPath) {
    std::string path = windowsPath;
    std::replace(path.begin(), path.end(), '\\', '/');
    return AsciiLower(path);
}

bool IsFolderEntry(const std::string& path) {
    return !path.empty() && path.back() == '/';
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

enum class VolumePlace { None, Active, Parked };

// Where a snapshot path lies as a volume file; the folder names match in any letter case, as
// Windows finds them.
VolumePlace PlaceOf(const std::string& path) {
    if (IsFolderEntry(path)) {
        return VolumePlace::None;
    }
    const std::string lower = AsciiLower(path);
    if (!EndsWith(lower, ".mod")) {
        return VolumePlace::None;
    }
    const std::string active = FixedPath(kActiveFolder);
    const std::string parked = FixedPath(kParkFolder);
    const std::string name = NameOf(lower);
    if (lower == active + name) {
        return VolumePlace::Active;
    }
    if (lower == parked + name) {
        return VolumePlace::Parked;
    }
    return VolumePlace::None;
}

// The entry whose path equals the fixed path with letter case ignored.
const std::string* FindFixed(const FolderSnapshot& snapshot, const std::string& fixedPath) {
    for (const auto& [path, content] : snapshot) {
        if (AsciiLower(path) == fixedPath) {
            return &content;
        }
    }
    return nullptr;
}

void CheckVolumes(const FolderSnapshot& before, const FolderSnapshot& after,
                  std::vector<std::string>* losses) {
    std::set<std::string> activeNames;
    for (const auto& [path, content] : before) {
        if (PlaceOf(path) == VolumePlace::Active) {
            activeNames.insert(AsciiLower(NameOf(path)));
        }
    }
    for (const auto& [path, content] : before) {
        const VolumePlace place = PlaceOf(path);
        if (place == VolumePlace::None) {
            continue;
        }
        const std::string name = AsciiLower(NameOf(path));
        if (place == VolumePlace::Parked && activeNames.count(name) != 0) {
            continue;
        }
        const bool kept = std::any_of(after.begin(), after.end(), [&](const auto& entry) {
            return PlaceOf(entry.first) != VolumePlace::None &&
                   AsciiLower(NameOf(entry.first)) == name && entry.second == content;
        });
        if (!kept) {
            losses->push_back("the volume " + path + " (" + std::to_string(content.size()) +
                              " bytes) is in neither folder with its bytes");
        }
    }
}

std::string KeyOfLine(const std::string& line) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return "";
    }
    const std::string key = line.substr(0, equals);
    const size_t first = key.find_first_not_of(" \t");
    const size_t last = key.find_last_not_of(" \t");
    return first == std::string::npos ? "" : AsciiUpper(key.substr(first, last - first + 1));
}

struct ProfileFile {
    std::string path;                                             // A fixed path.
    std::vector<std::pair<std::string, std::string>> launchKeys;  // Upper-cased section, key.
};

void CheckProfile(const FolderSnapshot& before, const FolderSnapshot& after,
                  const ProfileFile& file, std::vector<std::string>* losses) {
    const std::string* old = FindFixed(before, file.path);
    if (old == nullptr) {
        return;
    }
    const std::string* now = FindFixed(after, file.path);
    if (now == nullptr) {
        losses->push_back("the profile file " + file.path + " is gone");
        return;
    }
    auto isLaunchKey = [&](const std::string& section, const std::string& key) {
        return std::find(file.launchKeys.begin(), file.launchKeys.end(),
                         std::make_pair(section, key)) != file.launchKeys.end();
    };
    const testing_support::IniValues oldValues = testing_support::ParseIni(*old);
    const testing_support::IniValues newValues = testing_support::ParseIni(*now);
    for (const auto& [section, keys] : oldValues) {
        for (const auto& [key, value] : keys) {
            if (isLaunchKey(section, key)) {
                continue;
            }
            const auto s = newValues.find(section);
            if (s == newValues.end() || s->second.count(key) == 0) {
                losses->push_back(file.path + ": [" + section + "] " + key + " is gone");
            } else if (s->second.at(key) != value) {
                losses->push_back(file.path + ": [" + section + "] " + key + " changed from \"" +
                                  Escaped(value, 48) + "\" to \"" + Escaped(s->second.at(key), 48) +
                                  "\"");
            }
        }
    }
    // Every line but those of the launch's keys is still there, as often as it was: a file cut
    // short or rewritten in part loses some.
    std::map<std::string, int> remaining;
    for (const std::string& line : SplitLines(*now)) {
        ++remaining[line];
    }
    for (const std::string& line : SplitLines(*old)) {
        const std::string key = KeyOfLine(line);
        const bool launchLine = std::any_of(file.launchKeys.begin(), file.launchKeys.end(),
                                            [&](const auto& entry) { return entry.second == key; });
        if (launchLine) {
            continue;
        }
        if (--remaining[line] < 0) {
            losses->push_back(file.path + ": the line \"" + Escaped(line, 48) + "\" is gone");
        }
    }
}

void CheckDumps(const FolderSnapshot& before, const FolderSnapshot& after,
                const GameDumpTrace& game, std::vector<std::string>* losses) {
    const std::string engine = FixedPath(kEngineDump);
    const std::string backup = FixedPath(kEngineDumpBackup);
    const std::string modDump = FixedPath(kModDump);
    const std::string* engineBefore = FindFixed(before, engine);
    const std::string* backupBefore = FindFixed(before, backup);
    const std::string* original = backupBefore != nullptr ? backupBefore : engineBefore;

    if (original != nullptr) {
        const bool overwrittenByGame = !game.written.empty() && game.seen == *original;
        const std::string* engineAfter = FindFixed(after, engine);
        const std::string* backupAfter = FindFixed(after, backup);
        const bool kept = (engineAfter != nullptr && *engineAfter == *original) ||
                          (backupAfter != nullptr && *backupAfter == *original);
        if (!kept && !overwrittenByGame) {
            losses->push_back("the engine's dump \"" + Escaped(*original, 48) +
                              "\" is in neither " + engine + " nor " + backup);
        }
    }

    // The per-mod dump may be used up by an abnormal run, or replaced by the dump the game left
    // after running with it; never by another dump.
    const std::string* modBefore = FindFixed(before, modDump);
    const std::string* modAfter = FindFixed(after, modDump);
    if (modBefore != nullptr && modAfter != nullptr && *modAfter != *modBefore &&
        std::find(game.written.begin(), game.written.end(), *modAfter) == game.written.end()) {
        losses->push_back("the per-mod dump was replaced by a dump that is not the mod's: \"" +
                          Escaped(*modAfter, 48) + "\"");
    }

    std::vector<std::string> known = game.written;
    for (const std::string& path : {engine, backup, modDump}) {
        if (const std::string* content = FindFixed(before, path)) {
            known.push_back(*content);
        }
    }
    for (const std::string& path : {engine, backup, modDump}) {
        const std::string* content = FindFixed(after, path);
        if (content != nullptr && std::find(known.begin(), known.end(), *content) == known.end()) {
            losses->push_back("the dump " + path + " holds bytes that no dump held: \"" +
                              Escaped(*content, 48) + "\"");
        }
    }
}

void CheckNothingAdded(const FolderSnapshot& before, const FolderSnapshot& after,
                       const std::vector<std::string>& gameOutputs,
                       std::vector<std::string>* losses) {
    std::set<std::string> allowed;
    std::set<std::string> volumeNames;
    for (const auto& [path, content] : before) {
        allowed.insert(AsciiLower(path));
        if (PlaceOf(path) != VolumePlace::None) {
            volumeNames.insert(AsciiLower(NameOf(path)));
        }
    }
    for (const char* fixed :
         {kSettingsFile, kModDefinitionFile, kEngineDump, kEngineDumpBackup, kModDump}) {
        allowed.insert(FixedPath(fixed));
    }
    for (const std::string& output : gameOutputs) {
        allowed.insert(AsciiLower(output));
    }
    for (const auto& [path, content] : after) {
        const std::string lower = AsciiLower(path);
        if (allowed.count(lower) != 0) {
            continue;
        }
        if (PlaceOf(path) != VolumePlace::None &&
            volumeNames.count(AsciiLower(NameOf(path))) != 0) {
            continue;
        }
        losses->push_back("an entry appeared that the launch has no business creating: " + path);
    }
}

}  // namespace

FolderSnapshot TakeSnapshot(const fs::path& root) {
    FolderSnapshot snapshot;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        // The game is a link to a program outside the folder; it is neither read nor listed.
        if (it->is_symlink()) {
            continue;
        }
        const std::string relative = fs::relative(it->path(), root).generic_string();
        if (it->is_directory()) {
            snapshot[relative + "/"] = "";
        } else {
            snapshot[relative] = testing_support::ReadFileText(it->path());
        }
    }
    return snapshot;
}

std::vector<std::string> FindLosses(const FolderSnapshot& before, const FolderSnapshot& after,
                                    const GameDumpTrace& game,
                                    const std::vector<std::string>& gameOutputs) {
    std::vector<std::string> losses;
    CheckVolumes(before, after, &losses);
    CheckProfile(before, after,
                 {FixedPath(kSettingsFile),
                  {{AsciiUpper(kGameSection), AsciiUpper(kSubtitleNoiseKey)},
                   {AsciiUpper(kInternalSection), AsciiUpper(kAbnormalExitKey)}}},
                 &losses);
    CheckProfile(
        before, after,
        {FixedPath(kModDefinitionFile), {{AsciiUpper(kFilesSection), AsciiUpper(kVolumeKey)}}},
        &losses);
    CheckDumps(before, after, game, &losses);
    CheckNothingAdded(before, after, gameOutputs, &losses);
    return losses;
}

std::string DescribeDifferences(const FolderSnapshot& expected, const FolderSnapshot& actual) {
    std::ostringstream text;
    for (const auto& [path, content] : expected) {
        const auto found = actual.find(path);
        if (found == actual.end()) {
            text << "  missing: " << Escaped(path, 48) << "\n";
        } else if (found->second != content) {
            text << "  " << Escaped(path, 48) << " holds " << found->second.size() << " bytes \""
                 << Escaped(found->second, 48) << "\", not " << content.size() << " bytes \""
                 << Escaped(content, 48) << "\"\n";
        }
    }
    for (const auto& [path, content] : actual) {
        if (expected.count(path) == 0) {
            text << "  unexpected: " << Escaped(path, 48) << " (" << content.size() << " bytes)\n";
        }
    }
    return text.str();
}

std::string DescribeSnapshot(const FolderSnapshot& snapshot) {
    std::ostringstream text;
    for (const auto& [path, content] : snapshot) {
        text << "  " << Escaped(path, 48);
        if (!IsFolderEntry(path)) {
            text << " (" << content.size() << " bytes): " << Escaped(content, 48);
        }
        text << "\n";
    }
    return text.str();
}

}  // namespace fault_testing
