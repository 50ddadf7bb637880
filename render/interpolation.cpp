#include "render/interpolation.h"
#include "render/view.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel::render {

namespace {

float blendValue(float a, float b, float f) { return std::lerp(a, b, f); }

void blendPosition(float& x, float& y, float& z, float bx, float by, float bz, float f) {
    x = blendValue(bx, x, f);
    y = blendValue(by, y, f);
    z = blendValue(bz, z, f);
}

// A slot continues when it held the same thing in both ticks; life counts down one a tick
// (effects with life -1 never expire), so a slot freed and filled again in one tick shows.
bool sameAircraft(const Aircraft& before, const Aircraft& now) {
    return before.side != 0 && before.side == now.side && before.type == now.type;
}

bool sameProjectile(const Projectile& before, const Projectile& now) {
    return before.side != 0 && before.side == now.side && before.weapon == now.weapon && now.life == before.life - 1;
}

bool sameEffect(const Effect& before, const Effect& now) {
    const bool countedDown = now.life == before.life - 1 || (now.life == -1 && before.life == -1);
    return before.life != 0 && before.kind == now.kind && countedDown;
}

bool consecutiveTicks(const World& before, const World& latest) {
    return before.gameMode == latest.gameMode && latest.tickCount == before.tickCount + 1;
}

void blendAircraft(const Aircraft& b, float f, Aircraft& a) {
    blendPosition(a.x, a.y, a.z, b.x, b.y, b.z, f);
    a.pitch = blendAngle(b.pitch, a.pitch, f);
    a.heading = blendAngle(b.heading, a.heading, f);
    a.roll = blendAngle(b.roll, a.roll, f);
}

void blendProjectile(const Projectile& b, float f, Projectile& p) {
    blendPosition(p.x, p.y, p.z, b.x, b.y, b.z, f);
    p.pitch = blendAngle(b.pitch, p.pitch, f);
    p.heading = blendAngle(b.heading, p.heading, f);
    p.roll = blendAngle(b.roll, p.roll, f);
}

void blendEffect(const Effect& b, float f, Effect& e) {
    blendPosition(e.x, e.y, e.z, b.x, b.y, b.z, f);
    e.spin = blendAngle(b.spin, e.spin, f);
}

// Only the viewer's camera: the picture is drawn from it alone.
void blendCamera(const Seat& b, float f, Seat& s) {
    blendPosition(s.cameraPos.x, s.cameraPos.y, s.cameraPos.z, b.cameraPos.x, b.cameraPos.y, b.cameraPos.z, f);
    s.cameraPitch = blendAngle(b.cameraPitch, s.cameraPitch, f);
    s.cameraHeading = blendAngle(b.cameraHeading, s.cameraHeading, f);
    s.cameraRoll = blendAngle(b.cameraRoll, s.cameraRoll, f);
}

}  // namespace

float blendAngle(float a, float b, float fraction) {
    if (fraction >= 1.0f) return b;
    const double turn = std::remainder(static_cast<double>(b) - a, 2.0 * std::numbers::pi);
    return static_cast<float>(a + turn * fraction);
}

void blendWorlds(const World& before, const World& latest, float fraction, World& out) {
    out = latest;
    const float f = std::isnan(fraction) ? 1.0f : std::clamp(fraction, 0.0f, 1.0f);
    if (f >= 1.0f || !consecutiveTicks(before, latest)) return;
    blendCamera(viewerOf(before), f, viewerOf(out));
    for (int i = 0; i < MAX_AIRCRAFT; ++i) {
        if (sameAircraft(before.aircraft[i], latest.aircraft[i])) blendAircraft(before.aircraft[i], f, out.aircraft[i]);
    }
    for (int i = 0; i < MAX_PROJECTILES; ++i) {
        if (sameProjectile(before.projectiles[i], latest.projectiles[i]))
            blendProjectile(before.projectiles[i], f, out.projectiles[i]);
    }
    for (int i = 0; i < MAX_EFFECTS; ++i) {
        if (sameEffect(before.effects[i], latest.effects[i])) blendEffect(before.effects[i], f, out.effects[i]);
    }
}

}  // namespace vantrel::render
