// What a launch must never do to a game folder, whatever failed around it: lose a volume file,
// a profile value or the engine's dump, leave a file half written, or leave a temporary file
// behind. A test takes a snapshot of the folder before the launch and one after it, and asks
// for the losses between them.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fault_testing {

// Every file below a folder, by its path relative to the folder ('/' as separator), with its
// bytes. Folders are listed with a trailing '/' and no content.
using FolderSnapshot = std::map<std::string, std::string>;

FolderSnapshot TakeSnapshot(const std::filesystem::path& root);

// What the game did to the engine's dump while it ran: the content it found in "VDFS.DMP"
// (nullopt when it found none or did not run) and the contents it wrote there.
struct GameDumpTrace {
    std::optional<std::string> seen;
    std::vector<std::string> written;
};

// Every loss between the two snapshots, one sentence each; empty when nothing was lost.
//  - A volume file ("*.mod" in "Data\" or the park folder) still exists in one of the two,
//    under its name in any letter case, with the same bytes. Only a parked file whose name an
//    active volume also had may be gone: the launch parks the active one over it.
//  - Every value of the settings and definition files keeps its value, except the keys the
//    launch writes (subTitlesNoise, gameAbnormalExit, VDF); no other line of them is lost.
//  - The engine's dump (a leftover "VDFS.DMP.old" if there is one, as it holds the engine's
//    dump of an interrupted launch, else "VDFS.DMP") is in "VDFS.DMP" or "VDFS.DMP.old"
//    afterwards, unless the game itself overwrote it; the per-mod dump is afterwards gone, as it
//    was, or what the game wrote; every dump file holds one whole content that existed before
//    or that the game wrote.
//  - No file or folder appears that the launch has no business creating (a temporary file
//    above all); gameOutputs names the files the game writes (relative paths, '/').
std::vector<std::string> FindLosses(const FolderSnapshot& before, const FolderSnapshot& after,
                                    const GameDumpTrace& game,
                                    const std::vector<std::string>& gameOutputs);

// Where two snapshots differ, one line per path, with excerpts of the bytes; empty when equal.
std::string DescribeDifferences(const FolderSnapshot& expected, const FolderSnapshot& actual);

// The snapshot as text for a failure message: each path with its size and the start of its
// bytes, escaped.
std::string DescribeSnapshot(const FolderSnapshot& snapshot);

}  // namespace fault_testing
