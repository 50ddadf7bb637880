#include "sound/sound.h"

#include <cmath>

namespace vantrel {

void soundPlay(const Sound& s, int channel, int volume) {
    if (!s.soundEnabled || !s.lib.DSplay) return;
    s.lib.DSplay(static_cast<char>(channel), static_cast<char>(volume));
}

void soundLoop(const Sound& s, int operation, int level) {
    if (!s.soundEnabled || !s.lib.DSloopOPE) return;
    s.lib.DSloopOPE(static_cast<char>(operation), static_cast<char>(level));
}

void playSoundAt(const World& w, const Sound& s, float x, float y, float z, int channel) {
    if (!s.soundEnabled) return;
    const double dx = static_cast<double>(x) - w.cameraPos.x;
    const double dz = static_cast<double>(z) - w.cameraPos.z;
    const double dy = static_cast<double>(y) - w.cameraPos.y;
    const double h = std::sqrt(dx * dx + dz * dz);
    const float d = static_cast<float>(std::sqrt(h * h + dy * dy));
    const double scaled = static_cast<double>(d) * 1.5;
    if (!(scaled < 100.0)) return;  // also refuses a non-finite distance
    soundPlay(s, channel, 100 - static_cast<int>(scaled));
}

}  // namespace vantrel
