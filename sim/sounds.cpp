#include "sim/sounds.h"

#include "sim/vecmath.h"

namespace vantrel {

namespace {

void emitSoundFor(Seat& s, float x, float y, float z, int channel) {
    const float d = static_cast<float>(groundThenHeightLength(offsetBetween(Vec3{x, y, z}, s.cameraPos)));
    const double scaled = static_cast<double>(d) * 1.5;
    if (!(scaled < 100.0)) return;  // also refuses a non-finite distance
    appendSoundPlay(s.sounds, channel, 100 - static_cast<int>(scaled));
}

}  // namespace

void emitSoundAt(World& w, float x, float y, float z, int channel) {
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        if (seatIsHuman(w, seat)) emitSoundFor(w.seats[seat], x, y, z, channel);
    }
}

}  // namespace vantrel
