// Helpers shared by the fight's tests: a sound library that records the channels played,
// and a count of live effects by recipe.
#pragma once

#include <vector>

#include "sound/sound.h"
#include "world/world.h"

namespace vantrel::test {

// Channels passed to DSplay since the last recordingSound(), in order.
inline std::vector<int> playedChannels;

inline void recordChannel(char channel, char) { playedChannels.push_back(channel); }

// Sound enabled with a library whose DSplay only records. playSoundAt still drops sounds
// 66.67 units or more from the camera, so tests place the camera near the events.
inline Sound recordingSound() {
    playedChannels.clear();
    Sound s;
    s.lib.DSplay = recordChannel;
    s.soundEnabled = 1;
    return s;
}

// Live effects spawned from the recipe, told apart by the fields ageing never changes.
inline int liveEffects(const World& w, const EffectRecipe& r) {
    int n = 0;
    for (const Effect& e : w.effects) {
        const bool sizeKept = r.growth != 0.0f || e.size == r.size;
        n += e.life != 0 && e.kind == r.kind && e.vy == r.vy && e.growth == r.growth &&
             e.shadeStep == r.shadeStep && e.alphaStep == r.alphaStep && sizeKept;
    }
    return n;
}

}  // namespace vantrel::test
