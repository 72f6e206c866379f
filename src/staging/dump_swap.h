// The engine dump swap: the mod keeps an engine dump of its own ("the per-mod dump") from one
// clean run to the next. While the mod runs, the per-mod dump stands in "VDFS.DMP" and the
// engine's own dump waits in "VDFS.DMP.old"; afterwards the engine's dump is put back.
#pragma once

// When a per-mod dump exists: marks the game's last run as normal (not flushed here; the
// launch flushes the settings file before the game starts), keeps "VDFS.DMP" as
// "VDFS.DMP.old" and moves the per-mod dump into "VDFS.DMP". A "VDFS.DMP.old" left over from an
// interrupted launch is never replaced; the per-mod dump then takes the place of "VDFS.DMP"
// only where there is none. Otherwise changes nothing.
void SwapInModDump();

// After the game has ended: when the game marked its run as normal, saves "VDFS.DMP" as the
// per-mod dump, unless one is still there (it was not swapped in); then moves "VDFS.DMP.old",
// if there is one, back to "VDFS.DMP".
void SwapOutModDump();
