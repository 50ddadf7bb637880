#include "sim/targeting.h"

#include "sim/vecmath.h"

namespace vantrel {

namespace {

constexpr double TARGET_RANGE = 80.0;    // straight-line world units
constexpr float TARGET_CONE = 12 * DEG;  // largest sum of heading and pitch errors

}  // namespace

AimError aimErrorTo(const Aircraft& from, float x, float y, float z) {
    const Offset d = offsetBetween(from, Vec3{x, y, z});
    float heading = static_cast<float>(static_cast<double>(from.heading) -
                                       angleOf(static_cast<float>(d.x), static_cast<float>(d.z)) + PI);
    wrapAngle(heading);
    const float horizontal = static_cast<float>(groundLength(d));
    float pitch =
        static_cast<float>(static_cast<double>(angleOf(horizontal, static_cast<float>(d.y))) - from.pitch - HALF_PI);
    wrapAngle(pitch);
    return {heading, pitch};
}

namespace {

void selectTargetFor(World& w, Aircraft& player) {
    player.target = -1;
    float best = TARGET_CONE;
    for (int j = 0; j < MAX_AIRCRAFT; ++j) {
        const Aircraft& other = w.aircraft[j];
        if (other.side == 0 || other.side == player.side) continue;
        const float distance = static_cast<float>(straightLength(offsetBetween(player, other)));
        const AimError e = aimErrorTo(player, other.x, other.y, other.z);
        const float score = static_cast<float>(static_cast<double>(absolute(e.heading)) + absolute(e.pitch));
        if (distance < TARGET_RANGE && score < best) {
            player.target = static_cast<int16_t>(j);
            best = score;
        }
    }
}

}  // namespace

void selectPlayerTarget(World& w) {
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        Aircraft* player = aircraftInSlot(w, w.seats[seat].slot);
        if (seatIsHuman(w, seat) && player != nullptr) selectTargetFor(w, *player);
    }
}

}  // namespace vantrel
