#include "app/icon.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

namespace {

constexpr int SUBSAMPLES = 4;  // per side, for smooth edges at 32 x 32

struct Rgb {
    double r, g, b;
};
constexpr Rgb SKY_TOP{40, 90, 170}, SKY_BOTTOM{150, 200, 240}, JET{245, 245, 240}, STRIPE{200, 40, 40};

// u right and v up, both -1..1 across the icon.
bool insideDisc(double u, double v) { return u * u + v * v <= 0.94 * 0.94; }

bool insideJet(double u, double v) {
    const double a = std::abs(u);
    const bool fuselage = a < 0.09 && v > -0.72 && v < 0.78 - a * 3.0;
    const bool wing = v > -0.38 && v < 0.30 && a < (0.30 - v) * 0.95;
    const bool tail = v > -0.72 && v < -0.52 && a < 0.30 - (v + 0.72) * 0.8;
    return fuselage || wing || tail;
}

bool onStripe(double u, double v) { return std::abs(u) < 0.09 && v > 0.05 && v < 0.16; }

Rgb colourAt(double u, double v) {
    if (onStripe(u, v)) return STRIPE;
    if (insideJet(u, v)) return JET;
    const double t = (v + 1.0) / 2.0;
    return {SKY_BOTTOM.r + (SKY_TOP.r - SKY_BOTTOM.r) * t, SKY_BOTTOM.g + (SKY_TOP.g - SKY_BOTTOM.g) * t,
            SKY_BOTTOM.b + (SKY_TOP.b - SKY_BOTTOM.b) * t};
}

uint32_t channel(double v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

std::vector<uint32_t> iconPixels(int size) {
    std::vector<uint32_t> pixels(static_cast<std::size_t>(std::max(size, 0)) * std::max(size, 0));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgb sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < SUBSAMPLES; ++sy) {
                for (int sx = 0; sx < SUBSAMPLES; ++sx) {
                    const double u = ((x + (sx + 0.5) / SUBSAMPLES) / size) * 2.0 - 1.0;
                    const double v = 1.0 - ((y + (sy + 0.5) / SUBSAMPLES) / size) * 2.0;
                    if (!insideDisc(u, v)) continue;
                    const Rgb c = colourAt(u, v);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                    ++covered;
                }
            }
            if (covered == 0) continue;
            const double alpha = 255.0 * covered / (SUBSAMPLES * SUBSAMPLES);
            pixels[static_cast<std::size_t>(y) * size + x] = channel(alpha) << 24 | channel(sum.r / covered) << 16 |
                                                             channel(sum.g / covered) << 8 | channel(sum.b / covered);
        }
    }
    return pixels;
}

}  // namespace vantrel
