#include "config/subtitle_noise.h"

#include "common/bounded_text.h"
#include "common/game_folder.h"
#include "platform/platform.h"

namespace {

constexpr char kForcedValue[] = "1";
constexpr char kDefaultValue[] = "0";

}  // namespace

void ForceSubtitleNoise(SubtitleNoiseValue& saved) {
    ReadProfileValue(kGameSection, kSubtitleNoiseKey, kDefaultValue, saved, sizeof saved,
                     kSettingsFile);
    if (!TextEquals(saved, kForcedValue)) {
        WriteProfileValue(kGameSection, kSubtitleNoiseKey, kForcedValue, kSettingsFile);
    }
}

void RestoreSubtitleNoise(const SubtitleNoiseValue& saved) {
    if (TextEquals(saved, kForcedValue)) {
        return;
    }
    WriteProfileValue(kGameSection, kSubtitleNoiseKey, saved, kSettingsFile);
    FlushProfile(kSettingsFile);
}
