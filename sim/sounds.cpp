#include "sim/sounds.h"

#include <cmath>

namespace vantrel {

void emitSoundAt(World& w, float x, float y, float z, int channel) {
    const double dx = static_cast<double>(x) - w.cameraPos.x;
    const double dz = static_cast<double>(z) - w.cameraPos.z;
    const double dy = static_cast<double>(y) - w.cameraPos.y;
    const double h = std::sqrt(dx * dx + dz * dz);
    const float d = static_cast<float>(std::sqrt(h * h + dy * dy));
    const double scaled = static_cast<double>(d) * 1.5;
    if (!(scaled < 100.0)) return;  // also refuses a non-finite distance
    appendSoundPlay(w.sounds, channel, 100 - static_cast<int>(scaled));
}

}  // namespace vantrel
