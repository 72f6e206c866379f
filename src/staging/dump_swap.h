// The engine dump swap: the mod keeps an engine dump of its own ("the per-mod dump") from one
// clean run to the next. While the mod runs, the per-mod dump stands in "VDFS.DMP" and the
// engine's own dump waits in "VDFS.DMP.old"; afterwards the engine's dump is put back.
//
// Only a swap-in creates "VDFS.DMP.old", from the engine's own "VDFS.DMP", so a "VDFS.DMP.old"
// that is there before one (left by a launch ended while the game ran, by a move back that
// could not finish, or by another mod's launcher) holds the engine's dump: it is never
// replaced, and it comes back as "VDFS.DMP" after the run. Dumps are files: a folder at any of
// the three names is left alone.
#pragma once

// When a per-mod dump exists: marks the game's last run as normal (not flushed here; the
// launch flushes the settings file before the game starts), sets the engine's dump aside as
// "VDFS.DMP.old" and moves the per-mod dump into "VDFS.DMP". Beside a leftover "VDFS.DMP.old",
// "VDFS.DMP" holds the dump of an unfinished mod run, which is not kept: the per-mod dump takes
// its place. Returns whether the per-mod dump now stands in "VDFS.DMP"; where no rename or copy
// could put it there, every dump stays where it was (or the engine's dump waits in
// "VDFS.DMP.old") and the result is false. Otherwise changes nothing and returns false.
bool SwapInModDump();

// After the game has ended, given what SwapInModDump returned: when the game marked its run as
// normal and it ran with the per-mod dump, or there is no per-mod dump, saves "VDFS.DMP" as the
// per-mod dump; a per-mod dump that was not swapped in is never replaced. After a run not
// marked normal, a per-mod dump that was swapped in is gone. Then moves "VDFS.DMP.old", if
// there is one, back to "VDFS.DMP".
void SwapOutModDump(bool modDumpSwappedIn);
