#include "sim/sounds.h"

#include "sim/vecmath.h"

namespace vantrel {

void emitSoundAt(World& w, float x, float y, float z, int channel) {
    const float d = static_cast<float>(groundThenHeightLength(offsetBetween(Vec3{x, y, z}, w.cameraPos)));
    const double scaled = static_cast<double>(d) * 1.5;
    if (!(scaled < 100.0)) return;  // also refuses a non-finite distance
    appendSoundPlay(w.sounds, channel, 100 - static_cast<int>(scaled));
}

}  // namespace vantrel
