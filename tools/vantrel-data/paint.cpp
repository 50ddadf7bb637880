#include "tools/vantrel-data/paint.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "tools/vantrel-data/models.h"
#include "tools/vantrel-data/noise.h"

namespace vantrel::data {

namespace {

enum class Marking { BlueRoundel, RedStar };

// The paint scheme of one aircraft type. Colours are 0xRRGGBB.
struct Livery {
    int camoLight, camoDark, underside, accent;
    Marking marking;
    double camoScale;  // size of the camouflage blotches (model units)
    uint32_t seed;
};

constexpr Livery LIVERIES[LIVERY_COUNT] = {
    {0x8797a9, 0x5b6c80, 0xc9d0d8, 0x2450a8, Marking::BlueRoundel, 0.9, 11},  // type 0: blue jet
    {0xb39a6e, 0x765a3a, 0xd8cbad, 0xb82a22, Marking::RedStar, 0.9, 12},      // type 1: red jet
    {0x6b7d4a, 0x46552f, 0xaab8c2, 0xe0b020, Marking::BlueRoundel, 0.7, 13},  // type 2: prop fighter
    {0x6d6a50, 0x45443a, 0x9da3a0, 0xa82a22, Marking::RedStar, 1.2, 14},      // type 3: gunship
    {0xc0c4c8, 0xa3a8ad, 0xccd0d4, 0xc03028, Marking::RedStar, 2.5, 15},      // type 4: interceptor
    {0x7b8270, 0x4f5a4a, 0x8c949a, 0x3b4a6a, Marking::BlueRoundel, 0.6, 16},  // type 5: attack
    {0x5f6d80, 0x3c4757, 0xb0bcc8, 0xe8e8e8, Marking::BlueRoundel, 1.0, 17},  // type 6: delta
};

// Calls paint(u, v) for every pixel of a region, u and v in 0..1 across it.
void forRegion(Image& img, const Region& r, const std::function<Color(double, double)>& paint) {
    const int x0 = static_cast<int>(r.u0 * img.width), x1 = static_cast<int>(r.u1 * img.width);
    const int y0 = static_cast<int>(r.v0 * img.height), y1 = static_cast<int>(r.v1 * img.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) img.at(x, y) = paint((x + 0.5 - x0) / (x1 - x0), (y + 0.5 - y0) / (y1 - y0));
}

// Pixel position of (u, v) inside a region.
double regionX(const Image& img, const Region& r, double u) { return (r.u0 + (r.u1 - r.u0) * u) * img.width; }
double regionY(const Image& img, const Region& r, double v) { return (r.v0 + (r.v1 - r.v0) * v) * img.height; }

Color camouflage(const Livery& l, double x, double y) {
    const double n = fractalNoise(x / l.camoScale, y / l.camoScale, l.seed, 3);
    return lerp(rgb(l.camoLight), rgb(l.camoDark), smoothRange(-0.05, 0.05, n));
}

Color weathered(Color c, double x, double y, uint32_t seed) {
    return scaled(c, 1.0 + 0.05 * fractalNoise(x * 9.0, y * 9.0, seed + 50, 2));
}

void paintStar(Image& img, double cx, double cy, double radius, const Color& c) {
    std::vector<double> points;
    for (int i = 0; i < 10; ++i) {
        const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const double r = i % 2 == 0 ? radius : radius * 0.42;
        points.push_back(cx + r * std::cos(a));
        points.push_back(cy + r * std::sin(a));
    }
    fillPolygon(img, points, c);
}

void paintMarking(Image& img, Marking m, double cx, double cy, double radius) {
    if (m == Marking::BlueRoundel) {
        fillDisc(img, cx, cy, radius, rgb(0x1d3f8f));
        fillDisc(img, cx, cy, radius * 0.66, rgb(0xf2f2f2));
        fillDisc(img, cx, cy, radius * 0.33, rgb(0x2f6fd0));
    } else {
        fillDisc(img, cx, cy, radius, rgb(0xf2f2f2));
        paintStar(img, cx, cy, radius * 0.92, rgb(0xc42a20));
    }
}

void panelLine(Image& img, double x0, double y0, double x1, double y1) {
    strokeLine(img, x0, y0, x1, y1, 1.0, rgb(0x101010, 0.28));
}

void paintFuselage(Image& img, const Livery& l) {
    const Region& r = FUSELAGE_REGION;
    forRegion(img, r, [&](double u, double v) {
        const double theta = v * TAU;
        const double upper = -std::cos(theta);
        const double along = u * 5.0, around = theta * 0.4;
        Color c = lerp(rgb(l.underside), camouflage(l, along, around + 7.0 * (v > 0.5)), smoothRange(-0.3, 0.0, upper));
        if (u > 0.7 && u < 0.75) c = rgb(l.accent);                   // band round the rear fuselage
        if (u < 0.045) c = rgb(0x3a3d40);                             // nose cone
        c = lerp(c, rgb(0x202020), smoothRange(0.93, 1.0, u) * 0.8);  // exhaust soot
        return weathered(c, along, around, l.seed);
    });
    for (double u : {0.18, 0.32, 0.5, 0.62, 0.86})
        panelLine(img, regionX(img, r, u), regionY(img, r, 0.02), regionX(img, r, u), regionY(img, r, 0.98));
    panelLine(img, regionX(img, r, 0.05), regionY(img, r, 0.5), regionX(img, r, 0.95), regionY(img, r, 0.5));  // spine
    for (double v : {0.25, 0.75}) paintMarking(img, l.marking, regionX(img, r, 0.58), regionY(img, r, v), 10.0);
}

void paintWing(Image& img, const Livery& l, const Region& r, bool top) {
    forRegion(img, r, [&](double u, double v) {
        const double span = u * 2.3, chord = v * 1.3;
        Color c = top ? camouflage(l, span + 3.0, chord + 1.0) : rgb(l.underside);
        if (v < 0.06) c = scaled(c, 0.82);  // leading edge
        if (u > 0.94) c = rgb(l.accent);    // wing tip
        return weathered(c, span, chord, l.seed + (top ? 1 : 2));
    });
    panelLine(img, regionX(img, r, 0.45), regionY(img, r, 0.72), regionX(img, r, 0.93), regionY(img, r, 0.72));
    panelLine(img, regionX(img, r, 0.1), regionY(img, r, 0.72), regionX(img, r, 0.42), regionY(img, r, 0.72));
    panelLine(img, regionX(img, r, 0.43), regionY(img, r, 0.72), regionX(img, r, 0.43), regionY(img, r, 0.98));
    panelLine(img, regionX(img, r, 0.05), regionY(img, r, 0.3), regionX(img, r, 0.9), regionY(img, r, 0.3));
    paintMarking(img, l.marking, regionX(img, r, 0.74), regionY(img, r, 0.42), 10.0);
}

void paintFin(Image& img, const Livery& l) {
    const Region& r = FIN_REGION;
    forRegion(img, r, [&](double u, double v) {
        Color c = camouflage(l, u * 1.2 + 9.0, v * 1.1);
        if (v < 0.14) c = rgb(l.accent);
        return weathered(c, u, v, l.seed + 3);
    });
    if (l.marking == Marking::BlueRoundel) {
        const double x = regionX(img, r, 0.42), y0 = regionY(img, r, 0.35), y1 = regionY(img, r, 0.75);
        fillRect(img, x, y0, x + 5, y1, rgb(0x1d3f8f));
        fillRect(img, x + 5, y0, x + 10, y1, rgb(0xf2f2f2));
        fillRect(img, x + 10, y0, x + 15, y1, rgb(0x2f6fd0));
    } else {
        paintStar(img, regionX(img, r, 0.55), regionY(img, r, 0.55), 11.0, rgb(0xc42a20));
    }
}

void paintCanopy(Image& img) {
    const Region& r = CANOPY_REGION;
    forRegion(img, r, [&](double u, double v) {
        const double upper = -std::cos(v * TAU);
        Color c = lerp(rgb(0x10202e), rgb(0x5d84a6), smoothRange(-0.2, 1.0, upper) * 0.8);
        const double glint = std::exp(-std::pow((u - 0.35) * 6.0, 2) - std::pow((v - 0.42) * 10.0, 2));
        return lerp(c, rgb(0xe8f2ff), glint * 0.8);
    });
    for (double u : {0.3, 0.62})
        strokeLine(img, regionX(img, r, u), regionY(img, r, 0.2), regionX(img, r, u), regionY(img, r, 0.8), 2.0,
                   rgb(0x2a2c30));
}

void paintEngine(Image& img) {
    const Region& r = ENGINE_REGION;
    forRegion(img, r, [&](double u, double v) {
        const double upper = -std::cos(v * TAU);
        Color c = lerp(rgb(0x4c5054), rgb(0x8a8f94), smoothRange(-1.0, 1.0, upper));
        if (u < 0.05) c = rgb(0x2a2c2e);               // intake lip
        if (u > 0.9) c = lerp(c, rgb(0x1c1a18), 0.7);  // hot section
        if (u > 0.97) c = rgb(0x0c0b0a);               // the sooty inside, used by the caps
        return weathered(c, u * 3.0, v, 40);
    });
    for (double u : {0.3, 0.6})
        panelLine(img, regionX(img, r, u), regionY(img, r, 0.0), regionX(img, r, u), regionY(img, r, 1.0));
}

}  // namespace

Image paintLivery(int type) {
    const Livery& l = LIVERIES[type];
    Image img(AIRCRAFT_TEXTURE_SIZE, AIRCRAFT_TEXTURE_SIZE, rgb(l.underside));
    paintFuselage(img, l);
    paintWing(img, l, WING_TOP_REGION, true);
    paintWing(img, l, WING_BOTTOM_REGION, false);
    paintFin(img, l);
    paintCanopy(img);
    paintEngine(img);
    return img;
}

namespace {

// Projectile skins: a body colour along the length (u from the nose) and a fin colour.
Image paintProjectile(const std::function<Color(double)>& body, const Color& fin) {
    Image img(64, 64, fin);
    forRegion(img, FUSELAGE_REGION, [&](double u, double v) {
        const double upper = -std::cos(v * TAU);
        return scaled(body(u), 0.85 + 0.15 * upper);
    });
    forRegion(img, ENGINE_REGION, [&](double u, double) { return u > 0.9 ? rgb(0x141210) : rgb(0x606468); });
    return img;
}

}  // namespace

Image paintGunShot() {
    Image img(64, 64);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            // The tracer burns white at its head and cools to a bright orange along its tail.
            const double u = (x + 0.5) / img.width;
            img.at(x, y) = lerp(rgb(0xffffff), rgb(0xffb040), smoothRange(0.2, 0.95, u));
        }
    return img;
}

Image paintRocket() {
    return paintProjectile(
        [](double u) {
            if (u < 0.14) return rgb(0xc8322a);
            if (u < 0.18) return rgb(0xe0e0e0);
            return lerp(rgb(0x6c7448), rgb(0x565c3a), smoothRange(0.2, 1.0, u));
        },
        rgb(0x4c5234));
}

Image paintMissile() {
    return paintProjectile(
        [](double u) {
            if (u < 0.06) return rgb(0x30343a);
            if (u > 0.3 && u < 0.34) return rgb(0xe0b020);
            if (u > 0.62 && u < 0.66) return rgb(0x2a4aa0);
            return rgb(0xe6e8ea);
        },
        rgb(0xd0d4d8));
}

namespace {

struct SkyStop {
    double elevation;  // degrees
    int color;
};
// From the zenith down to the nadir; below the horizon the haze takes the colour of the
// distant ground the terrain fades into.
constexpr SkyStop SKY_STOPS[] = {
    {90, 0x2459ad}, {55, 0x3470c2}, {25, 0x5b93d4},  {10, 0x8cb7e3},  {3, 0xbcd3e8},   {0, 0xd3dfe6},
    {-2, 0xb4c4b8}, {-7, 0x8ea583}, {-18, 0x6a8a55}, {-35, 0x5a7d42}, {-90, 0x52743a},
};

constexpr double SKY_EYE_HEIGHT = 40.0;  // typical flying height the distant land is drawn for

// Far below the horizon the sky shows the land beyond the drawn terrain: woods and fields
// projected onto the ground from a typical eye height, fading into the haze.
Color distantLand(double elevation, double azimuth, const Color& haze) {
    const double down = std::tan(-elevation * std::numbers::pi / 180.0);
    const double distance = SKY_EYE_HEIGHT / std::max(down, 1e-3);
    const double gx = distance * std::sin(azimuth), gz = distance * std::cos(azimuth);
    const double woods = fractalNoise(gx / 70.0, gz / 70.0, 2100, 4);
    const double fields = fractalNoise(gx / 25.0, gz / 25.0, 2101, 2);
    Color land = lerp(rgb(0x6f9848), rgb(0x2f5a2a), smoothRange(0.05, 0.25, woods));
    land = lerp(land, rgb(0xa49a5c), smoothRange(0.3, 0.5, fields) * 0.5);
    const double clarity = smoothRange(-1.5, -14.0, elevation);  // haze thickens toward the horizon
    return lerp(haze, land, clarity * 0.65);
}

Color skyGradient(double elevation) {
    for (size_t i = 1; i < std::size(SKY_STOPS); ++i)
        if (elevation >= SKY_STOPS[i].elevation) {
            const double t =
                (elevation - SKY_STOPS[i].elevation) / (SKY_STOPS[i - 1].elevation - SKY_STOPS[i].elevation);
            return lerp(rgb(SKY_STOPS[i].color), rgb(SKY_STOPS[i - 1].color), smoothStep(t));
        }
    return rgb(SKY_STOPS[std::size(SKY_STOPS) - 1].color);
}

constexpr uint32_t SKY_SEED = 2024;

}  // namespace

Image paintSky() {
    Image img(1024, 512);
    const V3 sun = normalized({-0.1, 0.7, -0.2});
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const double u = (x + 0.5) / img.width, v = (y + 0.5) / img.height;
            const double elevation = 90.0 - v * 180.0;
            const double polar = v * std::numbers::pi, azimuth = u * TAU;
            const V3 dir{std::sin(polar) * std::sin(azimuth), std::cos(polar), std::sin(polar) * std::cos(azimuth)};
            Color c = skyGradient(elevation);
            if (elevation < 0) c = distantLand(elevation, azimuth, c);
            const double sunAngle = std::acos(std::clamp(dot(dir, sun), -1.0, 1.0));
            c = lerp(c, rgb(0xfff6dc), 0.55 * std::exp(-sunAngle * sunAngle * 18.0));
            // Cumulus along the horizon, flattened by perspective; cirrus streaks higher up.
            const double band = smoothRange(1.0, 4.0, elevation) * smoothRange(26.0, 8.0, elevation);
            const double puff = fractalNoise(u * 24.0, elevation / 4.0, SKY_SEED, 5, 24);
            const double cumulus = smoothRange(0.05, 0.35, puff + 0.25 * band - 0.25) * band;
            const Color cloud = lerp(rgb(0xaab4c2), rgb(0xffffff), smoothRange(2.0, 14.0, elevation + 6.0 * puff));
            c = lerp(c, cloud, cumulus * 0.92);
            const double streak = fractalNoise(u * 6.0, elevation / 18.0, SKY_SEED + 1, 4, 6);
            const double cirrus = smoothRange(0.1, 0.45, streak) * smoothRange(22.0, 35.0, elevation) *
                                  smoothRange(80.0, 55.0, elevation);
            c = lerp(c, rgb(0xf4f8ff), cirrus * 0.35);
            img.at(x, y) = c;
        }
    return img;
}

namespace {

// Sprite painting over a square, r the distance from the centre in half-widths.
Image paintSprite(const std::function<Color(double, double, double)>& paint) {
    Image img(SPRITE_SIZE, SPRITE_SIZE);
    for (int y = 0; y < SPRITE_SIZE; ++y)
        for (int x = 0; x < SPRITE_SIZE; ++x) {
            const double dx = (x + 0.5) / SPRITE_SIZE * 2 - 1, dy = (y + 0.5) / SPRITE_SIZE * 2 - 1;
            Color c = paint(dx, dy, std::hypot(dx, dy));
            c.a *= smoothRange(0.985, 0.93, std::max(std::abs(dx), std::abs(dy)));  // clear border
            img.at(x, y) = c;
        }
    return img;
}

}  // namespace

Image paintFire() {
    return paintSprite([](double dx, double dy, double r) {
        const double n = fractalNoise(dx * 3.0 + 5.0, dy * 3.0 + 5.0, 301, 5);
        // A solid white-hot core: a hit reads as a flash on the aircraft, not a faint puff.
        const double density = clamp01(smoothRange(0.95, 0.45, r + 0.35 * n) + std::exp(-r * r * 10.0));
        const double heat = clamp01((1.0 - r) * 1.6 + 0.5 * n);
        Color c = heat > 0.6 ? lerp(rgb(0xffa030), rgb(0xfff2b0), smoothRange(0.6, 1.0, heat))
                             : lerp(rgb(0x8a2a0c), rgb(0xffa030), smoothRange(0.1, 0.6, heat));
        c.a = density;
        return c;
    });
}

Image paintSmoke() {
    return paintSprite([](double dx, double dy, double r) {
        const double n = fractalNoise(dx * 2.5 + 9.0, dy * 2.5 + 1.0, 302, 5);
        const double density = smoothRange(1.0, 0.25, r + 0.4 * n) * 0.9;
        Color c = scaled(rgb(0xdcdcdc), 0.82 + 0.18 * clamp01(0.5 - (dx + dy) * 0.4 + n * 0.5));
        c.a = density;
        return c;
    });
}

Image paintFlash() {
    return paintSprite([](double dx, double dy, double r) {
        const double angle = std::atan2(dy, dx);
        const double spikes = std::pow(std::abs(std::cos(angle * 3.0)), 24.0) * smoothRange(0.95, 0.1, r);
        const double core = std::exp(-r * r * 14.0);
        const double glow = std::exp(-r * r * 4.0) * 0.5;
        const double intensity = clamp01(core + glow + spikes);
        Color c = lerp(rgb(0xff9a30), rgb(0xfffbe8), clamp01(core * 1.5 + spikes * 0.4));
        c.a = intensity;
        return c;
    });
}

Image paintSunGlare() {
    return paintSprite([](double, double, double r) {
        const double halo = 0.55 * std::exp(-r * r * 5.0);
        const double ring = 0.22 * std::exp(-std::pow((r - 0.72) / 0.07, 2));
        Color c = lerp(rgb(0xffd9a0), rgb(0xfffdf4), std::exp(-r * r * 6.0));
        c.a = clamp01(halo + ring);
        return c;
    });
}

namespace {

constexpr int CELL = ATLAS_SIZE / 4;

struct CellOrigin {
    double x, y;
};
CellOrigin cellOrigin(int cell) { return {static_cast<double>(cell % 4 * CELL), static_cast<double>(cell / 4 * CELL)}; }

const Color HUD_GREEN = rgb(0x54ff78);

// The scope reaches the cell's edge: blips sit at most 50 pixels from the centre of the
// 100-pixel radar, so a small blip on the rim still lies on the scope's ring.
void paintRadarCell(Image& img) {
    const auto [x, y] = cellOrigin(0);
    const double cx = x + CELL / 2.0, cy = y + CELL / 2.0, radius = CELL / 2.0 - 2.0;
    fillDisc(img, cx, cy, radius, rgb(0x06220e, 0.8));
    for (double ring : {radius / 3, radius * 2 / 3}) strokeCircle(img, cx, cy, ring, 1.0, rgb(0x54ff78, 0.45));
    strokeLine(img, cx - radius, cy, cx + radius, cy, 1.0, rgb(0x54ff78, 0.3));
    strokeLine(img, cx, cy - radius, cx, cy + radius, 1.0, rgb(0x54ff78, 0.3));
    strokeCircle(img, cx, cy, radius, 2.0, HUD_GREEN);
}

struct MarkerStyle {
    int color;
    int corners;  // 3 triangle, 4 diamond, 0 disc
};
// Markers of sides 1, 2 and 3 (cells 1 to 3), then of sides 6 to 14 (cells 6 to 14); cell 15
// is the player's own marker.
constexpr MarkerStyle SIDE_MARKERS[16] = {
    {0, 0},        {0x3cc8ff, 3}, {0xff3a2a, 4}, {0xffd030, 0}, {0, 0},        {0, 0},
    {0x60ff60, 3}, {0xff60ff, 4}, {0xffffff, 0}, {0xff9a30, 3}, {0x9a7aff, 4}, {0x40ffd0, 0},
    {0xffa0a0, 3}, {0xa0ffa0, 4}, {0xa0a0ff, 0}, {0, 0},
};
// A blip fills a small part of its cell (about 6 of the 25 pixels of a radar marker), with a
// dark rim, so neighbouring aircraft stay apart on the scope.
constexpr double MARKER_RADIUS = 0.15;  // of the cell
constexpr double MARKER_RIM = 0.04;

void paintMarkerCell(Image& img, int cell) {
    const MarkerStyle& m = SIDE_MARKERS[cell];
    const auto [x, y] = cellOrigin(cell);
    const double cx = x + CELL / 2.0, cy = y + CELL / 2.0, r = CELL * MARKER_RADIUS, rim = CELL * MARKER_RIM;
    std::vector<double> shape;
    if (m.corners == 3) shape = {cx, cy - r, cx + r * 0.95, cy + r * 0.8, cx - r * 0.95, cy + r * 0.8};
    if (m.corners == 4) shape = {cx, cy - r, cx + r, cy, cx, cy + r, cx - r, cy};
    if (shape.empty()) {
        fillDisc(img, cx, cy, r * 0.85 + rim, rgb(0x000000, 0.85));
        fillDisc(img, cx, cy, r * 0.85, rgb(m.color));
        return;
    }
    for (size_t i = 0; i < shape.size(); i += 2)
        strokeLine(img, shape[i], shape[i + 1], shape[(i + 2) % shape.size()], shape[(i + 3) % shape.size()], rim * 2,
                   rgb(0x000000, 0.85));
    fillPolygon(img, shape, rgb(m.color));
}

// The player's own marker: a white arrowhead pointing up the screen (the radar is heading-up),
// a little larger than the blips, with a dark rim.
void paintPlayerMarkerCell(Image& img) {
    const auto [x, y] = cellOrigin(15);
    const double cx = x + CELL / 2.0, cy = y + CELL / 2.0, r = CELL * 0.2, rim = CELL * MARKER_RIM;
    const std::vector<double> shape = {cx, cy - r, cx + r * 0.85, cy + r, cx, cy + r * 0.45, cx - r * 0.85, cy + r};
    for (size_t i = 0; i < shape.size(); i += 2)
        strokeLine(img, shape[i], shape[i + 1], shape[(i + 2) % shape.size()], shape[(i + 3) % shape.size()], rim * 2,
                   rgb(0x000000, 0.9));
    fillPolygon(img, shape, rgb(0xffffff));
}

void paintGunSightCell(Image& img) {
    const auto [x, y] = cellOrigin(4);
    const double cx = x + CELL / 2.0, cy = y + CELL / 2.0;
    strokeCircle(img, cx, cy, 16, 2.2, HUD_GREEN);
    for (int i = 0; i < 4; ++i) {
        const double a = i * std::numbers::pi / 2;
        strokeLine(img, cx + std::cos(a) * 20, cy + std::sin(a) * 20, cx + std::cos(a) * 28, cy + std::sin(a) * 28, 2.2,
                   HUD_GREEN);
    }
    fillDisc(img, cx, cy, 2.2, HUD_GREEN);
}

void paintLockBoxCell(Image& img) {
    const auto [x, y] = cellOrigin(5);
    const double a = x + 6, b = y + 6, c = x + CELL - 6, d = y + CELL - 6, arm = 14, w = 3.0;
    const Color red = rgb(0xff4030);
    for (auto [px, py, sx, sy] : {std::array<double, 4>{a, b, 1, 1}, {c, b, -1, 1}, {a, d, 1, -1}, {c, d, -1, -1}}) {
        strokeLine(img, px, py, px + sx * arm, py, w, red);
        strokeLine(img, px, py, px, py + sy * arm, w, red);
    }
    strokeCircle(img, x + CELL / 2.0, y + CELL / 2.0, 3, 1.5, red);
}

}  // namespace

Image paintHudAtlas() {
    Image img(ATLAS_SIZE, ATLAS_SIZE, Color{1, 1, 1, 0});
    paintRadarCell(img);
    for (int cell = 1; cell < 15; ++cell)
        if (cell != 4 && cell != 5) paintMarkerCell(img, cell);
    paintPlayerMarkerCell(img);
    paintGunSightCell(img);
    paintLockBoxCell(img);
    return img;
}

}  // namespace vantrel::data
