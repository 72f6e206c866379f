// Mod volume staging: a volume file ("*.mod") is active while it lies in "Data\" and parked
// while it lies in the park folder "Data\ModVdf\". While the mod runs, its own volume file is
// the only active one; between launches none is.
#pragma once

// Moves every volume file from "Data\" into the park folder, replacing a parked file of the
// same name. Only files whose own name ends in ".mod" move: the system's pattern also matches
// short 8.3 names ("x.modx"), and folders stay where they are. A move that fails leaves its
// file in "Data\"; a name too long for a path is left where it is. The park folder is never
// created. After a pass that moved anything the folder is listed and swept again, at most
// three passes in all, so that an entry that a listing of the changing folder left out is
// parked too.
void ParkModVolumes();

// Moves the mod's own volume file from the park folder into "Data\". Changes nothing when it
// is not parked.
void ActivateModVolume();
