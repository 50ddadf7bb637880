#include "tools/vantrel-data/models.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <vector>

#include "tools/vantrel-data/noise.h"

namespace vantrel::data {

namespace {

// The game draws up to 30 aircraft and 240 projectiles a frame on a software rasteriser, an
// aircraft rarely over 150 pixels wide: shapes are kept to a few hundred triangles. Wings,
// tails and fins are straight lofts, so a root and a tip section describe them exactly; three
// chord points (edges and a mid-chord ridge) give them thickness without a curved section.
constexpr int SURFACE_STATIONS = 2;
constexpr int SURFACE_CHORD_POINTS = 3;

// A body lofted along z from its nose (z0) to its tail (z1): fuselages, pods, canopies,
// spinners, gun barrels. Lengths in model units; tapers as fractions of the length.
struct Body {
    double z0, z1, x, y;
    double width, height;           // largest half-extents
    double noseLength, noseRadius;  // nose taper; radius at the tip as a fraction
    double tailLength, tailRadius;
    double tailRise;  // the axis climbs this much toward the tail
    Region region;
    bool mirrored;  // a second copy at -x
    bool capped;    // close open ends with dark discs (intakes, exhausts)
};

// A lifting surface: wing, tailplane, fin, canard, blade or missile fin. The span runs
// at `angle` about the z axis (0: along -x, the right wing; pi/2: straight up).
struct Surface {
    double x, y, z;  // leading edge at the root
    double span, rootChord, tipChord, sweep, dihedral, thickness;
    double angle;
    Region top, bottom;
    double uScale;  // how much of the region's u range the span uses
    bool mirrored;
};

// How finely bodies are cut: sides around a body at least LARGE_BODY thick, around thinner
// ones, around the thinnest (gun barrels); sections along a body closer than `sectionGap`
// model units are merged. Surface tips are closed only where they are big enough to see.
struct Detail {
    int largeRing, smallRing, thinRing;
    double sectionGap;
    bool closedTips;
};
constexpr double LARGE_BODY = 0.3, THIN_BODY = 0.1;

struct Model {
    std::span<const Body> bodies;
    std::span<const Surface> surfaces;
    Detail detail;
};

constexpr Region CAP_REGION = {0.985, 0.8, 0.995, 0.95};  // the sooty inside of the engine texture
constexpr double RIGHT = 0.0, UP = std::numbers::pi / 2;
constexpr double DEG_ANGLE = std::numbers::pi / 180.0;

PatchPoint regionPoint(V3 p, const Region& r, double u, double v) {
    return {p, r.u0 + (r.u1 - r.u0) * u, r.v0 + (r.v1 - r.v0) * v};
}

double bodyProfile(const Body& b, double t) {
    if (t < b.noseLength) {
        const double s = 1.0 - t / b.noseLength;
        return b.noseRadius + (1.0 - b.noseRadius) * std::sqrt(std::max(0.0, 1.0 - s * s));
    }
    if (t > 1.0 - b.tailLength) {
        const double s = (t - (1.0 - b.tailLength)) / b.tailLength;
        return 1.0 - (1.0 - b.tailRadius) * s * s;
    }
    return 1.0;
}

V3 bodyPoint(const Body& b, double t, double theta, double mirror) {
    const double r = bodyProfile(b, t);
    const double z = b.z0 + (b.z1 - b.z0) * t;
    const double axisY = b.y + b.tailRise * t * t;
    return {mirror * (b.x + b.width * r * std::sin(theta)), axisY - b.height * r * std::cos(theta), z};
}

int ringSides(const Body& b, const Detail& d) {
    const double thickness = std::max(b.width, b.height);
    return thickness >= LARGE_BODY ? d.largeRing : thickness >= THIN_BODY ? d.smallRing : d.thinRing;
}

// Where along a body (0 nose .. 1 tail) its sections go: three to round the nose, the
// shoulders of the nose and tail, one to shape the taper, and one midway when the axis
// bends. Sections closer than the model's gap are merged, the tail end always kept.
std::vector<double> bodySections(const Body& b, const Detail& d) {
    const double n = b.noseLength, tail = 1.0 - b.tailLength;
    std::vector<double> wanted = {0.15 * n, 0.45 * n, n, tail, 0.5 * (tail + 1.0)};
    if (b.tailRise != 0) wanted.push_back(0.5 * (n + tail));
    std::sort(wanted.begin(), wanted.end());
    const double length = b.z1 - b.z0;
    std::vector<double> kept = {0.0};
    for (double t : wanted)
        if ((t - kept.back()) * length >= d.sectionGap && (1.0 - t) * length >= d.sectionGap) kept.push_back(t);
    kept.push_back(1.0);
    return kept;
}

void addCap(Mesh& mesh, const Body& b, double t, double mirror, int sides) {
    const V3 centre = bodyPoint(b, t, 0, mirror) + V3{0, b.height * bodyProfile(b, t), 0};
    const double facing = t < 0.5 ? -1.0 : 1.0;
    addPatch(
        mesh, 2, sides + 1,
        [&](int row, int column) {
            const V3 p = row == 0 ? bodyPoint(b, t, TAU * column / sides, mirror) : centre;
            return regionPoint(p, CAP_REGION, column / double(sides), row);
        },
        [&](V3) {
            return V3{0, 0, facing};
        });
}

void addBody(Mesh& mesh, const Body& b, const Detail& d) {
    const int sides = ringSides(b, d);
    const std::vector<double> sections = bodySections(b, d);
    for (double mirror : {1.0, -1.0}) {
        if (mirror < 0 && !b.mirrored) break;
        const double axisX = mirror * b.x;
        addPatch(
            mesh, static_cast<int>(sections.size()), sides + 1,
            [&](int row, int column) {
                const double t = sections[row];
                return regionPoint(bodyPoint(b, t, TAU * column / sides, mirror), b.region, t, column / double(sides));
            },
            [&](V3 p) {
                return V3{p.x - axisX, p.y - b.y, 0};
            });
        if (b.capped) {
            if (b.noseRadius > 0) addCap(mesh, b, 0.0, mirror, sides);
            if (b.tailRadius > 0) addCap(mesh, b, 1.0, mirror, sides);
        }
    }
}

// Half-thickness of a symmetric aerofoil at chord fraction c (as a fraction of the chord).
double aerofoil(double c, double thickness) {
    return 5.0 * thickness *
           (0.2969 * std::sqrt(c) - 0.126 * c - 0.3516 * c * c + 0.2843 * c * c * c - 0.1036 * c * c * c * c);
}

V3 surfacePoint(const Surface& s, double station, double c, double side, double mirror) {
    const V3 spanDir{-std::cos(s.angle), std::sin(s.angle), 0};
    const V3 thickDir{std::sin(s.angle), std::cos(s.angle), 0};
    const double chord = mix(s.rootChord, s.tipChord, station);
    V3 p = V3{s.x, s.y, s.z} + spanDir * (s.span * station) + thickDir * (s.dihedral * station);
    p = p + V3{0, 0, s.sweep * station + chord * c} + thickDir * (side * aerofoil(c, s.thickness) * chord);
    p.x *= mirror;
    return p;
}

void addSurface(Mesh& mesh, const Surface& s, bool closedTip) {
    for (double mirror : {1.0, -1.0}) {
        if (mirror < 0 && !s.mirrored) break;
        const V3 thickDir{mirror * std::sin(s.angle), std::cos(s.angle), 0};
        for (double side : {1.0, -1.0}) {
            const Region& region = side > 0 ? s.top : s.bottom;
            addPatch(
                mesh, SURFACE_STATIONS, SURFACE_CHORD_POINTS,
                [&](int row, int column) {
                    const double station = row / double(SURFACE_STATIONS - 1);
                    const double c = 0.5 - 0.5 * std::cos(std::numbers::pi * column / (SURFACE_CHORD_POINTS - 1));
                    return regionPoint(surfacePoint(s, station, c, side, mirror), region, station * s.uScale, c);
                },
                [&](V3) { return thickDir * side; });
        }
        if (!closedTip) continue;
        const V3 spanDir{-mirror * std::cos(s.angle), std::sin(s.angle), 0};
        addPatch(
            mesh, 2, SURFACE_CHORD_POINTS,
            [&](int row, int column) {
                const double c = 0.5 - 0.5 * std::cos(std::numbers::pi * column / (SURFACE_CHORD_POINTS - 1));
                return regionPoint(surfacePoint(s, 1.0, c, row == 0 ? 1.0 : -1.0, mirror), s.top, s.uScale, c);
            },
            [&](V3) { return spanDir; });
    }
}

Mesh buildModel(const Model& m) {
    Mesh mesh;
    for (const Body& b : m.bodies) addBody(mesh, b, m.detail);
    for (const Surface& s : m.surfaces) addSurface(mesh, s, m.detail.closedTips);
    return mesh;
}

// Turns a model built nose-to--z round to point along +z (a half turn about y).
Mesh turnedAround(Mesh mesh) {
    for (Vertex& v : mesh.vertices) {
        v.position.x = -v.position.x;
        v.position.z = -v.position.z;
        v.normal.x = -v.normal.x;
        v.normal.z = -v.normal.z;
    }
    return mesh;
}

constexpr Region F = FUSELAGE_REGION, WT = WING_TOP_REGION, WB = WING_BOTTOM_REGION, FIN = FIN_REGION,
                 CAN = CANOPY_REGION, ENG = ENGINE_REGION;

// One blade of a three-bladed propeller whose hub is at (x, y, z).
constexpr Surface blade(double x, double y, double z, double angleDegrees) {
    return {x, y, z, 0.95, 0.2, 0.12, 0.02, 0.0, 0.3, angleDegrees * DEG_ANGLE, ENG, ENG, 0.1, false};
}

// plane1: the jet fighter both sides fly.
constexpr Body JET_BODIES[] = {
    {-2.6, 2.3, 0, 0, 0.36, 0.38, 0.32, 0.0, 0.22, 0.55, 0.08, F, false, true},
    {-1.65, -0.45, 0, 0.26, 0.19, 0.22, 0.45, 0.0, 0.55, 0.0, 0.0, CAN, false, false},
    {-1.2, 0.9, 0.36, -0.02, 0.14, 0.22, 0.1, 0.75, 0.3, 0.4, 0.0, ENG, true, true},
};
constexpr Surface JET_SURFACES[] = {
    {-0.3, -0.05, -0.45, 2.2, 1.8, 0.5, 1.25, -0.08, 0.05, RIGHT, WT, WB, 1.0, true},
    {-0.25, 0.02, 1.55, 0.95, 0.8, 0.35, 0.5, 0.0, 0.05, RIGHT, WT, WB, 0.45, true},
    {0.0, 0.25, 0.95, 1.15, 1.25, 0.45, 0.85, 0.0, 0.06, UP, FIN, FIN, 1.0, false},
};

// plane2: the light propeller fighter.
constexpr Body PROP_BODIES[] = {
    {-2.2, 2.4, 0, 0, 0.33, 0.40, 0.2, 0.75, 0.55, 0.06, 0.12, F, false, true},
    {-2.58, -2.15, 0, 0, 0.15, 0.15, 0.9, 0.0, 0.05, 1.0, 0.0, ENG, false, false},
    {-0.7, 0.55, 0, 0.3, 0.2, 0.23, 0.4, 0.0, 0.5, 0.0, 0.0, CAN, false, false},
};
constexpr Surface PROP_SURFACES[] = {
    {-0.3, -0.22, -1.1, 2.2, 1.3, 0.55, 0.25, 0.25, 0.12, RIGHT, WT, WB, 1.0, true},
    {-0.1, 0.05, 1.85, 0.85, 0.6, 0.3, 0.15, 0.0, 0.08, RIGHT, WT, WB, 0.4, true},
    {0.0, 0.2, 1.7, 0.75, 0.75, 0.35, 0.35, 0.0, 0.09, UP, FIN, FIN, 1.0, false},
    blade(0.0, 0.0, -2.3, 90),
    blade(0.0, 0.0, -2.3, 210),
    blade(0.0, 0.0, -2.3, 330),
};

// plane3: the heavy twin-engined gunship with a rear turret.
constexpr Body GUNSHIP_BODIES[] = {
    {-2.6, 2.8, 0, 0, 0.45, 0.5, 0.2, 0.25, 0.45, 0.12, 0.18, F, false, true},
    {-2.15, -1.15, 0, 0.36, 0.27, 0.23, 0.45, 0.0, 0.5, 0.0, 0.0, CAN, false, false},
    {-1.9, 0.6, 1.35, -0.05, 0.26, 0.28, 0.15, 0.75, 0.5, 0.2, 0.0, ENG, true, true},
    {-2.3, -1.92, 1.35, -0.05, 0.11, 0.11, 0.9, 0.0, 0.05, 1.0, 0.0, ENG, true, false},
    {0.55, 1.25, 0, 0.42, 0.24, 0.22, 0.5, 0.0, 0.5, 0.0, 0.0, CAN, false, false},
    {0.9, 2.0, 0.07, 0.55, 0.035, 0.035, 0.05, 1.0, 0.05, 0.8, 0.0, ENG, true, false},
};
constexpr Surface GUNSHIP_SURFACES[] = {
    {-0.4, 0.0, -0.8, 2.7, 1.5, 0.7, 0.2, 0.18, 0.14, RIGHT, WT, WB, 1.0, true},
    {-0.15, 0.15, 2.1, 1.25, 0.75, 0.4, 0.2, 0.05, 0.08, RIGHT, WT, WB, 0.45, true},
    {0.0, 0.3, 1.85, 1.05, 0.95, 0.45, 0.4, 0.0, 0.09, UP, FIN, FIN, 1.0, false},
    blade(-1.35, -0.05, -2.05, 90),
    blade(-1.35, -0.05, -2.05, 210),
    blade(-1.35, -0.05, -2.05, 330),
    blade(1.35, -0.05, -2.05, 90),
    blade(1.35, -0.05, -2.05, 210),
    blade(1.35, -0.05, -2.05, 330),
};

// plane4: the interceptor: long nose, sharply swept wings, canards, canted twin fins.
constexpr Body INTERCEPTOR_BODIES[] = {
    {-2.85, 2.4, 0, 0, 0.3, 0.32, 0.4, 0.0, 0.15, 0.6, 0.0, F, false, true},
    {-1.55, -0.55, 0, 0.22, 0.17, 0.2, 0.45, 0.0, 0.55, 0.0, 0.0, CAN, false, false},
};
constexpr Surface INTERCEPTOR_SURFACES[] = {
    {-0.25, 0.0, 0.05, 2.15, 1.8, 0.35, 1.6, -0.12, 0.045, RIGHT, WT, WB, 1.0, true},
    {-0.2, 0.06, -1.55, 0.65, 0.55, 0.2, 0.38, 0.0, 0.05, RIGHT, WT, WB, 0.35, true},
    {-0.3, 0.15, 1.25, 0.95, 0.95, 0.4, 0.6, 0.0, 0.06, 72 * DEG_ANGLE, FIN, FIN, 1.0, true},
};

// plane5: the attack aircraft: straight wings, engine pods high at the back, twin fins.
constexpr Body ATTACK_BODIES[] = {
    {-2.45, 2.5, 0, 0, 0.38, 0.42, 0.2, 0.3, 0.35, 0.2, 0.1, F, false, true},
    {-1.95, -1.05, 0, 0.34, 0.23, 0.23, 0.45, 0.0, 0.5, 0.0, 0.0, CAN, false, false},
    {0.55, 1.85, 0.6, 0.55, 0.3, 0.3, 0.15, 0.8, 0.25, 0.7, 0.0, ENG, true, true},
    {-2.75, -2.3, 0, -0.15, 0.045, 0.045, 0.05, 1.0, 0.05, 1.0, 0.0, ENG, false, false},
};
constexpr Surface ATTACK_SURFACES[] = {
    {-0.35, -0.15, -0.55, 2.3, 1.25, 0.7, 0.08, 0.18, 0.15, RIGHT, WT, WB, 1.0, true},
    {-0.2, 0.12, 1.9, 1.1, 0.6, 0.5, 0.05, 0.0, 0.08, RIGHT, WT, WB, 0.45, true},
    {-1.3, -0.25, 1.8, 0.9, 0.65, 0.45, 0.15, 0.0, 0.09, UP, FIN, FIN, 1.0, true},
};

// plane6: the delta-wing fighter.
constexpr Body DELTA_BODIES[] = {
    {-2.7, 2.3, 0, 0, 0.3, 0.34, 0.36, 0.0, 0.12, 0.6, 0.0, F, false, true},
    {-1.65, -0.7, 0, 0.24, 0.17, 0.21, 0.45, 0.0, 0.55, 0.0, 0.0, CAN, false, false},
    {-0.95, 0.7, 0.32, 0.0, 0.13, 0.2, 0.1, 0.7, 0.3, 0.5, 0.0, ENG, true, true},
};
constexpr Surface DELTA_SURFACES[] = {
    {-0.25, -0.05, -0.65, 2.25, 2.95, 0.15, 2.7, -0.05, 0.04, RIGHT, WT, WB, 1.0, true},
    {0.0, 0.25, 0.55, 1.25, 1.7, 0.4, 1.25, 0.0, 0.05, UP, FIN, FIN, 1.0, false},
};

constexpr Detail AIRCRAFT_DETAIL = {8, 6, 4, 0.15, true};
constexpr Model AIRCRAFT[AIRCRAFT_MODEL_COUNT] = {
    {JET_BODIES, JET_SURFACES, AIRCRAFT_DETAIL},         {PROP_BODIES, PROP_SURFACES, AIRCRAFT_DETAIL},
    {GUNSHIP_BODIES, GUNSHIP_SURFACES, AIRCRAFT_DETAIL}, {INTERCEPTOR_BODIES, INTERCEPTOR_SURFACES, AIRCRAFT_DETAIL},
    {ATTACK_BODIES, ATTACK_SURFACES, AIRCRAFT_DETAIL},   {DELTA_BODIES, DELTA_SURFACES, AIRCRAFT_DETAIL},
};

// Projectiles are built nose to -z like the aircraft and turned round afterwards.
// The gun round is a tracer: a thin streak 1.7 units long (at the drawing scale of 0.1),
// bright at the head and trailing along its flight line, thick enough to cover a pixel at
// 60 units.
constexpr Body SHOT_BODIES[] = {
    {-3.0, 14.0, 0, 0, 0.7, 0.7, 0.1, 0.0, 0.9, 0.0, 0.0, F, false, false},
};
constexpr Body ROCKET_BODIES[] = {
    {-2.5, 2.5, 0, 0, 0.3, 0.3, 0.22, 0.0, 0.06, 0.8, 0.0, F, false, true},
};
constexpr Surface ROCKET_SURFACES[] = {
    {-0.2, 0.2, 1.6, 0.5, 0.8, 0.4, 0.4, 0.0, 0.06, 45 * DEG_ANGLE, FIN, FIN, 1.0, true},
    {-0.2, -0.2, 1.6, 0.5, 0.8, 0.4, 0.4, 0.0, 0.06, -45 * DEG_ANGLE, FIN, FIN, 1.0, true},
};
constexpr Body MISSILE_BODIES[] = {
    {-3.0, 3.0, 0, 0, 0.24, 0.24, 0.12, 0.0, 0.04, 0.85, 0.0, F, false, true},
};
constexpr Surface MISSILE_SURFACES[] = {
    {-0.17, 0.17, 2.0, 0.55, 0.9, 0.35, 0.55, 0.0, 0.05, 45 * DEG_ANGLE, FIN, FIN, 1.0, true},
    {-0.17, -0.17, 2.0, 0.55, 0.9, 0.35, 0.55, 0.0, 0.05, -45 * DEG_ANGLE, FIN, FIN, 1.0, true},
    {-0.17, 0.17, -1.9, 0.3, 0.45, 0.2, 0.25, 0.0, 0.05, 45 * DEG_ANGLE, FIN, FIN, 1.0, true},
    {-0.17, -0.17, -1.9, 0.3, 0.45, 0.2, 0.25, 0.0, 0.05, -45 * DEG_ANGLE, FIN, FIN, 1.0, true},
};

// Projectiles are drawn at half an aircraft's scale, a few pixels long.
constexpr Detail PROJECTILE_DETAIL = {6, 6, 4, 0.3, false};

// The colour comes from the texture, so a coarse dome suffices. Rows (v: 0 zenith, 0.5
// horizon, 1 nadir) crowd toward the horizon, where the haze changes fastest, and ring each
// pole closely: the texture's top and bottom rows are not one colour, and the fan of
// triangles meeting at a pole smears them into spokes.
constexpr double SKY_ROW_V[] = {0.0, 0.025, 0.1, 0.2, 0.3, 0.38, 0.45, 0.5, 0.55, 0.7, 0.975, 1.0};
constexpr int SKY_ROWS = std::size(SKY_ROW_V), SKY_COLUMNS = 17;

}  // namespace

Mesh aircraftModel(int model) { return buildModel(AIRCRAFT[model]); }

Mesh gunShotModel() { return turnedAround(buildModel({SHOT_BODIES, {}, PROJECTILE_DETAIL})); }
Mesh rocketModel() { return turnedAround(buildModel({ROCKET_BODIES, ROCKET_SURFACES, PROJECTILE_DETAIL})); }
Mesh missileModel() { return turnedAround(buildModel({MISSILE_BODIES, MISSILE_SURFACES, PROJECTILE_DETAIL})); }

Mesh skyDome() {
    Mesh mesh;
    addPatch(
        mesh, SKY_ROWS, SKY_COLUMNS,
        [](int row, int column) {
            const double v = SKY_ROW_V[row];
            const double polar = v * std::numbers::pi, azimuth = TAU * column / (SKY_COLUMNS - 1);
            const V3 p{SKY_RADIUS * std::sin(polar) * std::sin(azimuth), SKY_RADIUS * std::cos(polar),
                       SKY_RADIUS * std::sin(polar) * std::cos(azimuth)};
            // Each pole point serves one triangle of its fan; it takes the middle of that
            // triangle's columns so the texture is not sheared into a star at the pole.
            const double poleShift = row == 0 ? -0.5 : row == SKY_ROWS - 1 ? 0.5 : 0.0;
            const double u = std::clamp((column + poleShift) / (SKY_COLUMNS - 1), 0.0, 1.0);
            return PatchPoint{p, u, v};
        },
        [](V3 p) { return p; });
    return mesh;
}

}  // namespace vantrel::data
