#include "faults/launch_in_folder.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "common/game_folder.h"
#include "launch/launch_sequence.h"

namespace fs = std::filesystem;

namespace fault_testing {

const std::vector<std::string>& StandInOutputs() {
    static const std::vector<std::string> outputs = {"standin-report.txt", "standin-report.tmp",
                                                     "standin-end.txt", "standin-control.txt"};
    return outputs;
}

int LaunchIn(const fs::path& gameFolder, const char* tail) {
    const fs::path previous = fs::current_path();
    if (chdir(gameFolder.c_str()) != 0) {
        throw std::runtime_error("cannot enter " + gameFolder.string());
    }
    const int status = RunLaunchSequence(tail);
    if (chdir(previous.c_str()) != 0) {
        throw std::runtime_error("cannot go back to " + previous.string());
    }
    return status;
}

void LayOutGeneratedFolder(const fs::path& root, const GeneratedGameFolder& folder) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(root)) {
        fs::remove_all(entry.path(), ignored);
    }
    testing_support::WriteTree(root, folder.tree);
    std::string control;
    for (const std::string& line : folder.gameControl) {
        control += line + "\n";
    }
    testing_support::WriteFileText(root / "standin-control.txt", control);
    if (!folder.gamePath.empty()) {
        InstallGameLink(root, folder.gamePath, FAULT_STANDIN_GAME);
    }
}

void InstallGameLink(const fs::path& gameFolder, const std::string& gamePath,
                     const fs::path& program) {
    fs::create_directories((gameFolder / gamePath).parent_path());
    fs::create_symlink(program, gameFolder / gamePath);
}

GameDumpTrace ReadGameDumpTrace(const fs::path& gameFolder,
                                const std::vector<std::string>& control) {
    GameDumpTrace trace;
    std::ifstream report(gameFolder / "standin-report.txt", std::ios::binary);
    if (!report) {
        return trace;
    }
    std::string line;
    while (std::getline(report, line)) {
        if (line.rfind("dump=", 0) == 0 && line != "dump=<missing>") {
            trace.seen = line.substr(5);
        }
    }
    for (const std::string& entry : control) {
        if (entry.rfind("dump=", 0) == 0) {
            trace.written.push_back(entry.substr(5));
        }
    }
    return trace;
}

std::string GamePath() {
    std::string path = GAME_EXECUTABLE_PATH;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string WithIdentity(std::string text) {
    const std::pair<const char*, const char*> names[] = {
        {"{volume}", kModVolumeName}, {"{definition}", MOD_DEFINITION_NAME}, {"{dump}", kModDump}};
    for (const auto& [placeholder, name] : names) {
        const std::string token = placeholder;
        for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at)) {
            text.replace(at, token.size(), name);
        }
    }
    return text;
}

testing_support::Tree WithIdentity(testing_support::Tree tree) {
    for (testing_support::TreeEntry& entry : tree) {
        entry.path = WithIdentity(entry.path);
    }
    return tree;
}

FolderSnapshot WithIdentity(const FolderSnapshot& snapshot) {
    FolderSnapshot named;
    for (const auto& [path, content] : snapshot) {
        named[WithIdentity(path)] = content;
    }
    return named;
}

}  // namespace fault_testing
