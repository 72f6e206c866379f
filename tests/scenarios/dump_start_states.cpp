// The engine dump swap from every start state: each subset of "VDFS.DMP", "VDFS.DMP.old" and the
// per-mod dump, and each mark the game leaves (0, 1, or none). A "VDFS.DMP.old" that is there
// at the start holds the engine's dump, and "VDFS.DMP" beside it the dump of an unfinished mod
// run. What must come out: the game runs with the per-mod dump whenever there is one; the
// engine's dump is in "VDFS.DMP" afterwards and no "VDFS.DMP.old" remains; after a run marked
// normal the per-mod dump is the game's dump, after any other run there is none.
#include <string>
#include <vector>

#include "scenarios/scenario.h"

namespace scenarios {
namespace {

struct MarkAfterRun {
    const char* name;
    const char* controlValue;  // What the game writes; "<missing>" removes the key.
};

constexpr MarkAfterRun kMarks[] = {{"Mark0", "0"}, {"Mark1", "1"}, {"MarkMissing", "<missing>"}};

const std::string kEngine = "engine";
const std::string kUnfinishedRun = "unfinished run";
const std::string kMod = "mod";
const std::string kGameRun = "game run";

}  // namespace

std::vector<Scenario> DumpStartStateScenarios() {
    std::vector<Scenario> rows;
    for (unsigned subset = 0; subset < 8; ++subset) {
        const bool engineDump = (subset & 1) != 0;
        const bool backup = (subset & 2) != 0;
        const bool modDump = (subset & 4) != 0;
        std::string state = "DumpStartState";
        state += subset == 0 ? "None" : "";
        state += engineDump ? "Engine" : "";
        state += backup ? "Backup" : "";
        state += modDump ? "Mod" : "";

        Tree before = {{"system/HADRIN.INI", Settings("1", "1")}};
        const std::string engineDumpAtStart = backup ? kUnfinishedRun : kEngine;
        if (engineDump) {
            before.push_back({"VDFS.DMP", engineDumpAtStart});
        }
        if (backup) {
            before.push_back({"VDFS.DMP.old", kEngine});
        }
        if (modDump) {
            before.push_back({"{dump}", kMod});
        }
        // The swap-in marks the last run as normal only where it has a per-mod dump to use.
        const std::string markSeen = modDump ? "0" : "1";
        const std::string dumpSeen =
            modDump ? kMod : (engineDump ? engineDumpAtStart : std::string(kMissing));
        // The engine's dump comes back wherever there was one to set aside.
        const bool engineDumpComesBack = backup || (engineDump && modDump);

        for (const MarkAfterRun& mark : kMarks) {
            const std::string markAfter = mark.controlValue;
            Tree after = {{"system/", ""}, {"system/{definition}", kInvalidDefinition}};
            after.push_back({"system/HADRIN.INI",
                             markAfter == kMissing ? "[GAME]\r\nsubTitlesNoise=1\r\n[INTERNAL]\r\n"
                                                   : Settings("1", markAfter)});
            after.push_back({"VDFS.DMP", engineDumpComesBack ? kEngine : kGameRun});
            if (markAfter == "0") {
                after.push_back({"{dump}", kGameRun});
            }
            rows.push_back({state + mark.name,
                            before,
                            true,
                            {{{"dump=" + kGameRun, "mark=" + markAfter},
                              {},
                              Seen({}, "1", markSeen, dumpSeen)}},
                            after});
        }
    }
    return rows;
}

}  // namespace scenarios
