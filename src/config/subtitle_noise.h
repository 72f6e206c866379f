// The subtitle-noise override: while the mod runs, subTitlesNoise in section "GAME" of the
// game's settings file reads "1"; afterwards it has its earlier value back.
#pragma once

// The value saved before the run: at most 127 characters and the NUL, as the game's profile
// read cuts a longer one. The launch keeps it from the prepare phase to the restore phase.
using SubtitleNoiseValue = char[128];

// Reads the setting into saved (a missing file, section or key reads as "0"; an empty value
// stays empty) and, unless it is exactly "1", writes "1". Does not flush: the launch flushes
// the settings file once before the game starts.
void ForceSubtitleNoise(SubtitleNoiseValue& saved);

// Writes the saved value back and flushes the file, unless the saved value is exactly "1", in
// which case nothing is written, so a change the game made during the run then stays.
void RestoreSubtitleNoise(const SubtitleNoiseValue& saved);
