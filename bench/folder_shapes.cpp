#include "folder_shapes.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "common/game_folder.h"

namespace fs = std::filesystem;

namespace bench {

namespace {

// A game folder name on this file system: backslashes become slashes.
fs::path Local(const char* windowsPath) {
    std::string path = windowsPath;
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return fs::path(path);
}

// Writes size bytes of varied content, so no file system can store the file as holes.
void WriteFileOfSize(const fs::path& path, std::uint64_t size, unsigned seed) {
    std::vector<char> block(1 << 20);
    std::uint32_t state = 2463534242u + seed;
    for (char& c : block) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::uint64_t left = size; left > 0;) {
        const std::uint64_t chunk = left < block.size() ? left : block.size();
        out.write(block.data(), static_cast<std::streamsize>(chunk));
        left -= chunk;
    }
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// A settings file of the game's kind: a dozen sections and some hundreds of key lines, CRLF
// line ends, subTitlesNoise off and the last run marked as normal.
std::string SettingsText() {
    static const char* const kSections[] = {"PERFORMANCE", "GAME",     "VIDEO",   "SOUND",
                                            "MUSIC",       "ENGINE",   "KEYS",    "RENDERER_D3D",
                                            "SKY_OUTDOOR", "CONTROLS", "OPTIONS", "INTERNAL"};
    std::string text = "; Game settings, written by the game\r\n";
    for (const char* section : kSections) {
        text += std::string("[") + section + "]\r\n";
        const std::string name = section;
        if (name == "GAME") {
            text +=
                "subTitles=1\r\nsubTitlesAmbient=1\r\nsubTitlesPlayer=1\r\n"
                "subTitlesNoise=0\r\n";
        }
        if (name == "INTERNAL") {
            text += "gameStarts=117\r\ngameAbnormalExit=0\r\nextendedMenu=0\r\n";
        }
        for (int key = 0; key < 34; ++key) {
            text += name.substr(0, 3) + "Setting" + std::to_string(key) + "=" +
                    std::to_string(key * 37 % 1000) + "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

std::string DefinitionText() {
    std::string text = "[INFO]\r\nTitle=Talvero\r\nVersion=1.4\r\nAuthors=The Talvero team\r\n";
    for (int key = 0; key < 12; ++key) {
        text += "Line" + std::to_string(key) + "=Description line " + std::to_string(key) + "\r\n";
    }
    text += "\r\n[SETTINGS]\r\nPlayer=PC_HERO\r\nWorld=NEWWORLD.ZEN\r\n\r\n[FILES]\r\n";
    text += std::string(kVolumeKey) + "=" + kInvalidVolume + "\r\n";
    return text;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path OtherVolume(const fs::path& root, int index) {
    return root / Local(kParkFolder) / ("othermod" + std::to_string(index) + ".mod");
}

}  // namespace

fs::path ParkedModVolume(const fs::path& root) {
    return root / Local(kParkedModVolume);
}

void CreateGameFolder(const fs::path& root, std::uint64_t modVolumeBytes, const fs::path& game,
                      const fs::path& sameVolume) {
    if (fs::exists(root)) {
        throw std::runtime_error(root.string() + " exists already");
    }
    fs::create_directories(root / Local(kParkFolder));
    fs::create_directories(root / "system");
    for (int i = 0; i < kGameDataFiles; ++i) {
        WriteFileOfSize(root / Local(kActiveFolder) / ("game" + std::to_string(i) + ".vdf"),
                        kOtherVolumeBytes, 100u + static_cast<unsigned>(i));
    }
    if (sameVolume.empty()) {
        WriteFileOfSize(ParkedModVolume(root), modVolumeBytes, 1);
    } else if (fs::file_size(sameVolume) == modVolumeBytes) {
        fs::create_hard_link(sameVolume, ParkedModVolume(root));
    } else {
        throw std::runtime_error(sameVolume.string() + " is not of the volume's size");
    }
    WriteFileOfSize(root / Local(kEngineDump), kDumpBytes, 2);
    WriteFileOfSize(root / Local(kModDump), kDumpBytes, 3);
    WriteText(root / Local(kSettingsFile), SettingsText());
    WriteText(root / Local(kModDefinitionFile), DefinitionText());
    const fs::path executable = root / Local(GAME_EXECUTABLE_PATH);
    fs::copy_file(game, executable);
    fs::permissions(executable, fs::perms::owner_all);
}

void SetParkedVolumeCount(const fs::path& root, int count) {
    for (int i = 0; i < count; ++i) {
        if (!fs::exists(OtherVolume(root, i))) {
            WriteFileOfSize(OtherVolume(root, i), kOtherVolumeBytes,
                            1000u + static_cast<unsigned>(i));
        }
    }
    for (int i = count; fs::exists(OtherVolume(root, i)); ++i) {
        fs::remove(OtherVolume(root, i));
    }
}

std::string ParkedStateFault(const fs::path& root) {
    for (const fs::directory_entry& entry : fs::directory_iterator(root / Local(kActiveFolder))) {
        if (entry.path().extension() == ".mod") {
            return entry.path().filename().string() + " is still active";
        }
    }
    if (!fs::exists(ParkedModVolume(root))) {
        return "the mod's volume is not parked";
    }
    if (!fs::exists(root / Local(kEngineDump)) || !fs::exists(root / Local(kModDump))) {
        return "a dump is missing";
    }
    if (fs::exists(root / Local(kEngineDumpBackup))) {
        return "the dump's backup was left behind";
    }
    if (ReadText(root / Local(kSettingsFile)).find("\r\nsubTitlesNoise=0\r\n") ==
        std::string::npos) {
        return "subTitlesNoise was not restored";
    }
    if (ReadText(root / Local(kModDefinitionFile))
            .find(std::string(kVolumeKey) + "=" + kInvalidVolume) == std::string::npos) {
        return "the definition file still names a volume";
    }
    return "";
}

}  // namespace bench
