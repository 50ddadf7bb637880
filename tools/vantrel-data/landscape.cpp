#include "tools/vantrel-data/landscape.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/vantrel-data/noise.h"
#include "world/terrain.h"

namespace vantrel::data {

namespace {

constexpr uint32_t TERRAIN_SEED = 7321;
constexpr double TOP_HEIGHT = 255 * GRID_HEIGHT_SCALE;  // world height of byte 255

// Landscape features in map coordinates u, v in -1..1 (u along x, v along z).
// A rounded rise of the ground: centre, radius (map units) and height (world units).
struct Rise {
    double u, v, radius, height;
};
constexpr Rise PEAKS[] = {
    {-0.82, -0.74, 0.20, 22.0}, {0.78, -0.86, 0.18, 20.0}, {0.88, 0.62, 0.22, 21.0},
    {-0.66, 0.88, 0.17, 19.0},  {0.05, 0.93, 0.16, 15.0},  {-0.94, 0.1, 0.15, 16.0},
};
constexpr Rise CENTRAL_HILLS[] = {
    {0.30, 0.22, 0.16, 9.0},  {-0.42, -0.18, 0.13, 8.5}, {0.12, -0.40, 0.10, 6.0},
    {-0.15, 0.45, 0.12, 7.0}, {0.52, -0.05, 0.09, 6.5},  {-0.05, 0.05, 0.07, 4.5},
};
struct Basin {
    double u, v, radius;
};
constexpr Basin LAKE = {0.42, -0.48, 0.17};

// The river meanders from the northern mountains down to the lake.
double riverU(double v) { return -0.12 + 0.16 * std::sin(2.6 * v + 0.4) + 0.06 * std::sin(6.1 * v); }

double gauss(double d2, double radius) { return std::exp(-d2 / (radius * radius)); }

double riverDistance(double u, double v) {
    if (v < LAKE.v) return std::hypot(u - LAKE.u, v - LAKE.v);
    // Past the lake's latitude the river bends east into it.
    const double bend = smoothRange(LAKE.v + 0.25, LAKE.v, v);
    const double centre = mix(riverU(v), LAKE.u, bend);
    return std::abs(u - centre);
}

double ridged(double u, double v) {
    const double n = 1.0 - std::abs(fractalNoise(u * 3.0 + 11.0, v * 3.0 - 5.0, TERRAIN_SEED + 3, 4));
    return n * n;
}

// Mountains flatten off toward the top of the byte range instead of being cut flat, so
// only the highest tips reach it.
double softTop(double h) {
    constexpr double knee = 29.0, room = TOP_HEIGHT + 1.2 - knee;
    return h < knee ? h : knee + room * (1.0 - std::exp(-(h - knee) / room));
}

// Continuous height in world units.
double landscapeHeight(double u, double v) {
    const double edge = smoothRange(0.45, 0.98, std::max(std::abs(u), std::abs(v)) * 0.7 + std::hypot(u, v) * 0.3);
    double h = 4.0 + 5.0 * (fractalNoise(u * 2.6 + 3.1, v * 2.6 + 7.7, TERRAIN_SEED, 5) + 0.5);
    h += edge * (12.0 + 12.0 * ridged(u, v));
    for (const Rise& hill : CENTRAL_HILLS)
        h += hill.height * gauss((u - hill.u) * (u - hill.u) + (v - hill.v) * (v - hill.v), hill.radius);
    for (const Rise& p : PEAKS)
        h += p.height * gauss((u - p.u) * (u - p.u) + (v - p.v) * (v - p.v), p.radius) *
             (0.55 + 0.6 * ridged(u * 1.7, v * 1.7));
    // Carve the river valley and the lake basin.
    const double valley = gauss(std::pow(riverDistance(u, v), 2), 0.13);
    h = mix(h, std::min(h, 1.5 + h * 0.25), valley);
    const double wobble = std::max(0.3, 1.0 + 2.0 * fractalNoise(u * 4.0, v * 4.0, TERRAIN_SEED + 4, 3));
    const double lake = gauss(((u - LAKE.u) * (u - LAKE.u) + (v - LAKE.v) * (v - LAKE.v)) * wobble, LAKE.radius);
    h = mix(h, 0.0, smoothRange(0.35, 0.8, lake));
    const double bed = smoothRange(0.035, 0.012, riverDistance(u, v));
    h = mix(h, 0.2, bed);
    return std::max(0.0, softTop(h));
}

double gridToMap(double index) { return index / 49.5 - 1.0; }

}  // namespace

HeightGrid makeHeightGrid() {
    HeightGrid grid{};
    for (int r = 0; r < GRID_SIZE; ++r)
        for (int c = 0; c < GRID_SIZE; ++c) {
            const double h = landscapeHeight(gridToMap(c), gridToMap(r));
            grid[r * GRID_SIZE + c] = static_cast<uint8_t>(std::clamp(std::lround(h / GRID_HEIGHT_SCALE), 0l, 255l));
        }
    return grid;
}

namespace {

// Height of the drawn surface (the grid's triangles) at grid coordinates (a, b).
double surfaceHeight(const HeightGrid& g, double a, double b) {
    const int c = std::clamp(static_cast<int>(a), 0, GRID_SIZE - 2);
    const int r = std::clamp(static_cast<int>(b), 0, GRID_SIZE - 2);
    const double fu = a - c, fv = b - r;
    auto H = [&](int cc, int rr) { return g[rr * GRID_SIZE + cc] * GRID_HEIGHT_SCALE; };
    if (fu >= fv) return H(c, r) + (H(c + 1, r) - H(c, r)) * fu + (H(c + 1, r + 1) - H(c + 1, r)) * fv;
    return H(c, r) + (H(c, r + 1) - H(c, r)) * fv + (H(c + 1, r + 1) - H(c, r + 1)) * fu;
}

struct RoadPoint {
    double x, z;  // world units
};
// Roads: one along the river valley, one crossing the map from west to east over a bridge.
const std::vector<std::vector<RoadPoint>> ROADS = {
    {{-170, 400}, {-150, 260}, {-110, 150}, {-135, 40}, {-95, -70}, {-20, -130}, {60, -170}, {120, -150}},
    {{-400, 60}, {-260, 40}, {-135, 40}, {-40, 70}, {60, 30}, {160, 60}, {260, 20}, {400, 40}},
    {{60, 30}, {90, -60}, {60, -170}},
};
struct Village {
    double x, z;
    int houses;
};
constexpr Village VILLAGES[] = {{-135, 40, 26}, {60, 30, 18}, {-20, -130, 14}, {160, 60, 10}, {-110, 150, 12}};

double roadDistance(double x, double z) {
    double best = 1e9;
    for (const auto& road : ROADS)
        for (size_t i = 1; i < road.size(); ++i) {
            const double dx = road[i].x - road[i - 1].x, dz = road[i].z - road[i - 1].z;
            const double t = clamp01(((x - road[i - 1].x) * dx + (z - road[i - 1].z) * dz) / (dx * dx + dz * dz));
            best = std::min(best, std::hypot(x - road[i - 1].x - t * dx, z - road[i - 1].z - t * dz));
        }
    return best;
}

const Color WATER_DEEP = rgb(0x1f4d6e), WATER_SHALLOW = rgb(0x3f7f92), SAND = rgb(0xc9b98a);
const Color GRASS_A = rgb(0x5d8f36), GRASS_B = rgb(0x86a548), FOREST = rgb(0x2c5424), FOREST_DARK = rgb(0x1d3d1a);
const Color ROCK = rgb(0x80776a), ROCK_DARK = rgb(0x5d564e), SNOW = rgb(0xeef1f4), ROAD = rgb(0xbaa98a);
const Color HEDGE = rgb(0x3f5f26);
const Color FIELD_COLORS[] = {rgb(0xc9b45e), rgb(0x8fb146), rgb(0x8c6c45), rgb(0xa9bb62), rgb(0x6f9a3a), rgb(0xb99a55)};

// Fields: a patchwork of rectangles in flat, low, dry ground.
Color fieldColor(double x, double z, const Color& grass, double& hedge) {
    const double cellX = 18.0, cellZ = 11.0;
    const double fx = x / cellX + 0.3 * std::floor(z / cellZ / 3.0), fz = z / cellZ;
    const int ix = static_cast<int>(std::floor(fx)), iz = static_cast<int>(std::floor(fz));
    const uint32_t h = hash3(ix, iz, TERRAIN_SEED + 17);
    const double ex = std::min(fx - ix, 1.0 - (fx - ix)) * cellX, ez = std::min(fz - iz, 1.0 - (fz - iz)) * cellZ;
    hedge = smoothRange(0.9, 0.3, std::min(ex, ez));
    if (h % 5 == 0) return grass;
    return FIELD_COLORS[(h >> 8) % 6];
}

Color groundColor(const HeightGrid& g, double a, double b, double& slope) {
    const double x = a * 8.0 - 400.0, z = b * 8.0 - 400.0;
    const double h = surfaceHeight(g, a, b);
    const double d = 0.05;
    const double gx = (surfaceHeight(g, a + d, b) - surfaceHeight(g, a - d, b)) / (16.0 * d);
    const double gz = (surfaceHeight(g, a, b + d) - surfaceHeight(g, a, b - d)) / (16.0 * d);
    slope = std::hypot(gx, gz);
    const double n1 = fractalNoise(x / 40.0, z / 40.0, TERRAIN_SEED + 5, 4);
    const double n2 = fractalNoise(x / 6.0, z / 6.0, TERRAIN_SEED + 6, 3);
    const double shoreNoise = 0.25 * n2;

    const double river = riverDistance(gridToMap(a), gridToMap(b));
    if (river < 0.011 + 0.003 * n2 || h < WATER_LEVEL + shoreNoise)
        return lerp(WATER_SHALLOW, WATER_DEEP, smoothRange(0.9, 0.0, h) * 0.8 + 0.1 * n2);
    Color c = lerp(GRASS_A, GRASS_B, clamp01(0.5 + n1 * 0.9));
    double hedge = 0.0;
    const double fieldZone = smoothRange(0.05, 0.25, fractalNoise(x / 90.0, z / 90.0, TERRAIN_SEED + 8, 3));
    const double flatness = smoothRange(0.25, 0.08, slope) * smoothRange(11.0, 7.0, h);
    if (fieldZone * flatness > 0.5) {
        c = fieldColor(x, z, c, hedge);
        c = lerp(c, HEDGE, hedge * 0.6);
    }
    const double forestZone =
        fractalNoise(x / 55.0 + 4.0, z / 55.0, TERRAIN_SEED + 9, 4) + 0.35 * smoothRange(6.0, 16.0, h);
    if (forestZone > 0.18 && h < 27.0 && !(fieldZone * flatness > 0.5)) {
        const double canopy = fractalNoise(x / 2.0, z / 2.0, TERRAIN_SEED + 10, 2);
        c = lerp(c, lerp(FOREST, FOREST_DARK, clamp01(0.5 + canopy)), smoothRange(0.18, 0.3, forestZone));
    }
    const double rockiness = smoothRange(0.55, 0.95, slope + 0.2 * n2) + smoothRange(24.0, 30.0, h + 3.0 * n1);
    c = lerp(c, lerp(ROCK, ROCK_DARK, clamp01(0.5 + n2)), clamp01(rockiness));
    const double snowLine = h + 2.0 * n1 + 3.0 * ridged(x / 60.0, z / 60.0) - slope * 3.0;
    c = lerp(c, SNOW, smoothRange(36.0, 37.5, snowLine) * 0.95);
    c = lerp(
        c, SAND,
        std::max(smoothRange(WATER_LEVEL + 0.6, WATER_LEVEL + 0.2, h - shoreNoise), smoothRange(0.02, 0.012, river)) *
            0.85);
    return c;
}

void paintVillages(Image& img) {
    Rng rng(TERRAIN_SEED + 31);
    const double pixelsPerUnit = MAP_TEXTURE_SIZE / (99.0 * 8.0);
    const Color roofs[] = {rgb(0xa3472f), rgb(0x8d3b2b), rgb(0x9a9188), rgb(0xb55a3a)};
    for (const Village& v : VILLAGES)
        for (int i = 0; i < v.houses; ++i) {
            const double hx = v.x + rng.range(-14, 14), hz = v.z + rng.range(-14, 14);
            const double w = rng.range(1.6, 3.0), d = rng.range(1.2, 2.2);
            const double px = (hx + 400.0) * pixelsPerUnit, py = (hz + 400.0) * pixelsPerUnit;
            fillRect(img, px - w * pixelsPerUnit + 1, py - d * pixelsPerUnit + 1, px + w * pixelsPerUnit + 1,
                     py + d * pixelsPerUnit + 1, rgb(0x202018, 0.35));
            fillRect(img, px - w * pixelsPerUnit, py - d * pixelsPerUnit, px + w * pixelsPerUnit,
                     py + d * pixelsPerUnit, roofs[rng.below(4)]);
        }
}

}  // namespace

Image paintMapTexture(const HeightGrid& g) {
    Image img(MAP_TEXTURE_SIZE, MAP_TEXTURE_SIZE);
    const double sx = -0.1, sy = 0.7, sz = -0.2;  // toward the sun
    const double sl = std::sqrt(sx * sx + sy * sy + sz * sz);
    const double flatLight = sy / sl;
    for (int py = 0; py < img.height; ++py)
        for (int px = 0; px < img.width; ++px) {
            const double a = (px + 0.5) / img.width * 99.0, b = (py + 0.5) / img.height * 99.0;
            double slope = 0;
            Color c = groundColor(g, a, b, slope);
            const double x = a * 8.0 - 400.0, z = b * 8.0 - 400.0;
            const double road = roadDistance(x, z);
            c = lerp(c, ROAD, smoothRange(1.6, 0.9, road));
            // Hill shading from the slope of the drawn surface plus fine relief for texture.
            const double d = 0.05;
            const double detail = 0.6;
            auto fine = [&](double aa, double bb) {
                return surfaceHeight(g, aa, bb) + detail * fractalNoise(aa * 1.6, bb * 1.6, TERRAIN_SEED + 12, 3);
            };
            const double gx = (fine(a + d, b) - fine(a - d, b)) / (16.0 * d);
            const double gz = (fine(a, b + d) - fine(a, b - d)) / (16.0 * d);
            const double nl = std::sqrt(gx * gx + 1.0 + gz * gz);
            const double light = (-gx * sx + sy - gz * sz) / (nl * sl);
            const double grain = 0.04 * valueNoise(px * 0.9, py * 0.9, TERRAIN_SEED + 13);
            img.at(px, py) = scaled(c, std::clamp(1.0 + 2.6 * (light - flatLight) + grain, 0.45, 1.3));
        }
    paintVillages(img);
    return img;
}

}  // namespace vantrel::data
