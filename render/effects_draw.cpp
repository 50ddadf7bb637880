#include "render/effects_draw.h"

#include <vector>

#include "render/scene.h"
#include "render/view.h"
#include "sim/vecmath.h"

namespace vantrel::render {

namespace {

// Neighbours in the table firing the same weapon go out as one instanced draw; the order of
// the table is kept.
void flushProjectiles(Device& device, int weapon, std::vector<Matrix>& run) {
    if (run.empty()) return;
    device.bindTexture(WEAPON_TYPES[weapon].texture);
    device.drawMeshInstances(WEAPON_TYPES[weapon].mesh, run);
    run.clear();
}

}  // namespace

void drawProjectiles(Device& device, const World& w) {
    std::vector<Matrix> run;
    int runWeapon = -1;
    for (const Projectile& p : w.projectiles) {
        if (p.side == 0) continue;
        if (!withinDrawDistance(w, p.x, p.z)) continue;
        if (p.weapon != runWeapon) {
            flushProjectiles(device, runWeapon, run);
            runWeapon = p.weapon;
        }
        run.push_back(meshWorldMatrix(Pose{{p.x, p.y, p.z}, -p.pitch, p.heading, -p.roll}, PROJECTILE_SCALE));
    }
    flushProjectiles(device, runWeapon, run);
}

namespace {

float viewDepthKey(const World& w, const Effect& e) {
    Vec3 d{static_cast<float>(static_cast<double>(e.x) - viewerOf(w).cameraPos.x),
           static_cast<float>(static_cast<double>(e.y) - viewerOf(w).cameraPos.y),
           static_cast<float>(static_cast<double>(e.z) - viewerOf(w).cameraPos.z)};
    rotateWorldToLocal(d, -viewerOf(w).cameraHeading, -viewerOf(w).cameraPitch, -viewerOf(w).cameraRoll);
    return static_cast<float>(static_cast<double>(d.z) + EFFECT_DEPTH_OFFSET);
}

}  // namespace

// A selection sort. Slots already listed are tracked apart from the keys, so a key of any
// value (an effect far behind the camera, or a NaN from a broken position) can neither be
// listed twice nor crowd another slot out of the order.
EffectOrder sortEffects(const World& w) {
    std::array<float, MAX_EFFECTS> key;
    for (int k = 0; k < MAX_EFFECTS; ++k) key[k] = viewDepthKey(w, w.effects[k]);
    std::array<bool, MAX_EFFECTS> listed{};
    EffectOrder order;
    for (int n = 0; n < MAX_EFFECTS; ++n) {
        int best = -1;
        for (int k = 0; k < MAX_EFFECTS; ++k) {
            if (listed[k]) continue;
            if (best < 0 || key[k] > key[best]) best = k;
        }
        listed[best] = true;
        order[n] = best;
    }
    return order;
}

Matrix effectWorldMatrix(const World& w, const Effect& e) {
    const double roll = -static_cast<double>(viewerOf(w).cameraRoll) + PI + e.spin;
    const double pitch = static_cast<double>(viewerOf(w).cameraPitch) + PI;
    const double heading = static_cast<double>(viewerOf(w).cameraHeading) + PI;
    return matrixRotationZ(static_cast<float>(roll)) * matrixRotationX(static_cast<float>(pitch)) *
           matrixRotationY(static_cast<float>(heading)) * matrixTranslation(e.x, e.y, e.z);
}

uint32_t effectColour(const Effect& e) {
    const uint32_t grey = 255u - e.shade;
    return static_cast<uint32_t>(e.alpha) << 24 | grey << 16 | grey << 8 | grey;
}

bool drawableKind(int kind) { return kind >= 0 && kind < TEXTURE_COUNT; }

namespace {

// The square's fan (-s, s) (-s, -s) (s, -s) (s, s) as two triangles, moved to world space
// here so that neighbours in the order sharing a texture go out in one draw call.
void appendEffectQuad(const World& w, const Effect& e, std::vector<WorldVertex>& out) {
    const Matrix m = effectWorldMatrix(w, e);
    const uint32_t colour = effectColour(e);
    const float s = e.size;
    const WorldVertex fan[4] = {{-s, s, 0.0f, colour, 0.0f, 0.0f},
                                {-s, -s, 0.0f, colour, 0.0f, 1.0f},
                                {s, -s, 0.0f, colour, 1.0f, 1.0f},
                                {s, s, 0.0f, colour, 1.0f, 0.0f}};
    for (int k : {0, 1, 2, 0, 2, 3}) {
        WorldVertex v = fan[k];
        const Vec3 p = transformCoord(Vec3{v.x, v.y, v.z}, m);
        v.x = p.x;
        v.y = p.y;
        v.z = p.z;
        out.push_back(v);
    }
}

// Another seat's sun glare is not in this view.
bool seenByViewer(const Effect& e) { return e.seenBy == 0 || e.seenBy == PLAYER_SEAT + 1; }

void flushRun(Device& device, int kind, std::vector<WorldVertex>& run) {
    if (run.empty()) return;
    device.bindTexture(kind);
    device.drawWorldTriangles(run.data(), static_cast<int>(run.size()));
    run.clear();
}

}  // namespace

void drawEffects(Device& device, const World& w) {
    const EffectOrder order = sortEffects(w);
    device.setWorld(matrixIdentity());
    std::vector<WorldVertex> run;
    int runKind = -1;
    for (int slot : order) {
        const Effect& e = w.effects[slot];
        if (e.life == 0 || !drawableKind(e.kind) || !seenByViewer(e)) continue;
        if (e.kind != runKind) {
            flushRun(device, runKind, run);
            runKind = e.kind;
        }
        appendEffectQuad(w, e, run);
    }
    flushRun(device, runKind, run);
}

}  // namespace vantrel::render
