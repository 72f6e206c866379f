#include "faults/generated_game_folder.h"

#include <algorithm>
#include <cctype>

#include "common/game_folder.h"
#include "support/text_helpers.h"

namespace fault_testing {
namespace {

using testing_support::AsciiLower;
using testing_support::AsciiUpper;

// SplitMix64: a fixed sequence per seed on every compiler, unlike the standard distributions.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    size_t Below(size_t bound) { return static_cast<size_t>(Next() % bound); }
    bool Chance(unsigned percent) { return Below(100) < percent; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }

  private:
    uint64_t state_;
};

// The name as written, or in one of the spellings a folder copied between systems shows.
std::string Spelling(Random& random, const std::string& name) {
    switch (random.Below(10)) {
        case 0:
            return AsciiLower(name);
        case 1:
            return AsciiUpper(name);
        default:
            return name;
    }
}

std::string WithSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Volume names: short ones, the mod's own in two spellings, names that the two folders share
// in other letter cases, a blank, a byte above 0x7F, and the longest names whose parked path
// still fits in the Windows limit of 259 characters (247) and one that does not (248).
std::vector<std::string> VolumeNamePool() {
    const std::string longStem(243, 'v');
    return {"a.mod",
            "B.MOD",
            "c.Mod",
            kModVolumeName,
            AsciiUpper(kModVolumeName),
            "shared.mod",
            "Shared.MOD",
            "with space.mod",
            "\xC3\xBC"
            "bel.mod",
            longStem + ".mod",
            "w" + longStem + ".mod"};
}

// Picks up to four names that differ with letter case ignored, as names of one folder must.
std::vector<std::string> PickNames(Random& random, const std::vector<std::string>& pool) {
    std::vector<std::string> names;
    const size_t wanted = random.Below(5);
    for (size_t attempt = 0; attempt < 12 && names.size() < wanted; ++attempt) {
        const std::string& name = random.Pick(pool);
        const bool clash = std::any_of(names.begin(), names.end(), [&](const std::string& other) {
            return AsciiLower(other) == AsciiLower(name);
        });
        if (!clash) {
            names.push_back(name);
        }
    }
    return names;
}

std::string Content(Random& random, const std::string& label, uint64_t seed) {
    std::string content = label + "#" + std::to_string(seed) + ":";
    const size_t filler = random.Chance(20) ? 70000 + random.Below(5000) : random.Below(300);
    for (size_t i = 0; i < filler; ++i) {
        content += static_cast<char>('a' + random.Below(26));
    }
    return content;
}

// A profile text from lines, with the line breaks, byte order mark and final break chosen.
std::string ProfileText(Random& random, const std::vector<std::string>& lines) {
    const std::vector<std::string> breaks = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
    const bool mixed = random.Chance(10);
    const std::string lineBreak = random.Pick(breaks);
    std::string text = random.Chance(10) ? "\xEF\xBB\xBF" : "";
    for (size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i + 1 < lines.size() || random.Chance(85)) {
            text += mixed ? random.Pick(breaks) : lineBreak;
        }
    }
    return text;
}

// One section's lines: its header, then its entries in a random order.
void AddSection(Random& random, std::vector<std::string>* lines, const std::string& header,
                std::vector<std::string> entries) {
    lines->push_back(header);
    for (size_t i = entries.size(); i > 1; --i) {
        std::swap(entries[i - 1], entries[random.Below(i)]);
    }
    lines->insert(lines->end(), entries.begin(), entries.end());
}

std::string SettingsText(Random& random) {
    std::vector<std::string> lines;
    if (random.Chance(20)) {
        lines.push_back("version=1.08");
    }
    if (random.Chance(20)) {
        lines.push_back("; the game's settings");
    }
    std::vector<std::string> sections = {"game", "internal", "video"};
    for (size_t i = sections.size(); i > 1; --i) {
        std::swap(sections[i - 1], sections[random.Below(i)]);
    }
    for (const std::string& section : sections) {
        if (random.Chance(15)) {
            continue;
        }
        if (section == "game") {
            std::vector<std::string> entries = {"playerName=Hero", "difficulty = 2 ",
                                                "title=\"a b\""};
            const std::vector<std::string> noise = {
                "0", "1", "", "01", " 1 ", "\"1\"", std::string(200, '7')};
            if (!random.Chance(20)) {
                entries.push_back(Spelling(random, "subTitlesNoise") + "=" + random.Pick(noise));
            }
            if (random.Chance(20)) {
                entries.push_back(";subTitlesNoise=9");
            }
            if (random.Chance(15)) {
                entries.push_back("blob=a" + std::string(1, '\0') + "b");
            }
            if (random.Chance(15)) {
                entries.push_back("");
            }
            if (random.Chance(15)) {
                entries.push_back("a line without a value");
            }
            AddSection(random, &lines, Spelling(random, "[GAME]"), entries);
        } else if (section == "internal") {
            std::vector<std::string> entries = {"gameStart=3"};
            const std::vector<std::string> marks = {"0", "1", "x", " 0 "};
            if (!random.Chance(25)) {
                entries.push_back("gameAbnormalExit=" + random.Pick(marks));
            }
            AddSection(random, &lines, Spelling(random, "[INTERNAL]"), entries);
        } else {
            AddSection(random, &lines, "[VIDEO]", {"width=800", "\tzbuffer\t=\t16", "gamma=0.5"});
        }
    }
    if (random.Chance(15)) {
        AddSection(random, &lines, "[GAME]", {"subTitlesNoise=5", "playerName=Other"});
    }
    return ProfileText(random, lines);
}

std::string DefinitionText(Random& random) {
    std::vector<std::string> lines;
    if (random.Chance(60)) {
        AddSection(random, &lines, "[INFO]", {"title=Talvero", "version=2"});
    }
    if (!random.Chance(15)) {
        std::vector<std::string> entries = {"script=story.dat"};
        const std::vector<std::string> vdf = {kModVolumeName, kInvalidVolume, "old.mod", ""};
        if (!random.Chance(20)) {
            entries.push_back(Spelling(random, "VDF") + "=" + random.Pick(vdf));
        }
        AddSection(random, &lines, Spelling(random, "[FILES]"), entries);
    }
    if (random.Chance(30)) {
        AddSection(random, &lines, "[WORLD]", {"start=harbour", "VDF=not this one"});
    }
    return ProfileText(random, lines);
}

}  // namespace

GeneratedGameFolder GenerateGameFolder(uint64_t seed) {
    Random random(seed);
    GeneratedGameFolder folder;
    folder.seed = seed;

    if (!random.Chance(5)) {
        const std::string data = Spelling(random, "Data") + "/";
        folder.tree.push_back({data, ""});
        const std::vector<std::string> pool = VolumeNamePool();
        for (const std::string& name : PickNames(random, pool)) {
            folder.tree.push_back({data + name, Content(random, "active " + name, seed)});
        }
        if (!random.Chance(10)) {
            const std::string park = data + Spelling(random, "ModVdf") + "/";
            folder.tree.push_back({park, ""});
            for (const std::string& name : PickNames(random, pool)) {
                folder.tree.push_back({park + name, Content(random, "parked " + name, seed)});
            }
            if (random.Chance(10)) {
                folder.tree.push_back({park + "notes.txt", "parked notes"});
            }
        }
        if (random.Chance(10)) {
            folder.tree.push_back({data + "textures.mode", "not a volume"});
        }
        if (random.Chance(10)) {
            folder.tree.push_back({data + "folder.mod/", ""});
        }
    }

    const std::vector<std::pair<std::string, std::string>> dumps = {
        {kEngineDump, "engine"}, {kEngineDumpBackup, "backup"}, {kModDump, "mod"}};
    for (const auto& [name, label] : dumps) {
        if (random.Chance(55)) {
            folder.tree.push_back({Spelling(random, name), Content(random, label + " dump", seed)});
        }
    }

    if (!random.Chance(5)) {
        const std::string system = Spelling(random, "system") + "/";
        folder.tree.push_back({system, ""});
        const std::string settings = WithSlashes(kSettingsFile);
        const std::string definition = WithSlashes(kModDefinitionFile);
        if (!random.Chance(15)) {
            folder.tree.push_back(
                {system + Spelling(random, settings.substr(settings.find('/') + 1)),
                 SettingsText(random)});
        }
        if (!random.Chance(30)) {
            folder.tree.push_back(
                {system + Spelling(random, definition.substr(definition.find('/') + 1)),
                 DefinitionText(random)});
        }
        const std::string game = WithSlashes(GAME_EXECUTABLE_PATH);
        if (!random.Chance(10) && AsciiLower(game.substr(0, game.find('/') + 1)) == "system/") {
            folder.gamePath = system + game.substr(game.find('/') + 1);
        }
    }

    const std::vector<std::vector<std::string>> games = {
        {},
        {"mark=0"},
        {"mark=1"},
        {"mark=0", "dump=game dump#" + std::to_string(seed)},
        {"dump=game dump#" + std::to_string(seed)},
        {"noise=5"}};
    folder.gameControl = random.Pick(games);
    return folder;
}

}  // namespace fault_testing
