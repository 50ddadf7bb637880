#include "sim/effects.h"

namespace vantrel {

void spawnEffect(World& w, float x, float y, float z, const EffectRecipe& r) {
    for (Effect& e : w.effects) {
        if (e.life != 0) continue;
        e = Effect{};
        e.x = x;
        e.y = y;
        e.z = z;
        e.spin = r.spin;
        e.size = r.size;
        e.shade = r.shade;
        e.alpha = r.alpha;
        e.vx = r.vx;
        e.vy = r.vy;
        e.vz = r.vz;
        e.spinRate = r.spinRate;
        e.growth = r.growth;
        e.shadeStep = r.shadeStep;
        e.alphaStep = r.alphaStep;
        e.life = r.life;
        e.kind = r.kind;
        return;
    }
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
