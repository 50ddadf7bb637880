#include "sim/effects.h"

namespace vantrel {

namespace {

static_assert(MAX_EFFECTS % 4 == 0, "the free-slot scan takes four slots at a time");

// The first slot whose life is 0, or MAX_EFFECTS. In a fight the table is usually full, so
// the scan tests four slots per step.
int firstFreeEffect(const World& w) {
    for (int i = 0; i < MAX_EFFECTS; i += 4) {
        const Effect* e = &w.effects[i];
        if ((e[0].life != 0) & (e[1].life != 0) & (e[2].life != 0) & (e[3].life != 0)) continue;
        while (w.effects[i].life != 0) ++i;
        return i;
    }
    return MAX_EFFECTS;
}

}  // namespace

void spawnEffect(World& w, float x, float y, float z, const EffectRecipe& r) {
    const int slot = firstFreeEffect(w);
    if (slot == MAX_EFFECTS) return;
    Effect& e = w.effects[slot];
    e = Effect{};
    e.x = x;
    e.y = y;
    e.z = z;
    e.spin = r.spin;
    e.size = r.size;
    e.shade = r.shade;
    e.alpha = r.alpha;
    e.seenBy = r.seenBy;
    e.vx = r.vx;
    e.vy = r.vy;
    e.vz = r.vz;
    e.spinRate = r.spinRate;
    e.growth = r.growth;
    e.shadeStep = r.shadeStep;
    e.alphaStep = r.alphaStep;
    e.life = r.life;
    e.kind = r.kind;
}

void updateEffects(World& w) {
    for (Effect& e : w.effects) {
        if (e.life == 0) continue;
        e.x += e.vx;
        e.y += e.vy;
        e.z += e.vz;
        e.spin += e.spinRate;
        e.size += e.growth;
        e.shade = static_cast<uint8_t>(e.shade + e.shadeStep);
        e.alpha = static_cast<uint8_t>(e.alpha + e.alphaStep);
        if (e.life != -1) --e.life;
    }
}

}  // namespace vantrel
