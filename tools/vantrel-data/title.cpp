#include "tools/vantrel-data/title.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/vantrel-data/models.h"
#include "tools/vantrel-data/noise.h"
#include "tools/vantrel-data/paint.h"
#include "tools/vantrel-data/raster.h"

namespace vantrel::data {

namespace {

constexpr double HORIZON = 318;
const V3 SUN_ON_SCREEN{468, 300, 0};

struct Stop {
    double y;
    int color;
};
constexpr Stop TITLE_SKY[] = {{0, 0x141f45}, {120, 0x2a4684}, {220, 0x6a78a8}, {280, 0xd89a7a}, {HORIZON, 0xf6c48a}};

Color titleSky(double y) {
    for (size_t i = 1; i < std::size(TITLE_SKY); ++i)
        if (y <= TITLE_SKY[i].y)
            return lerp(rgb(TITLE_SKY[i - 1].color), rgb(TITLE_SKY[i].color),
                        smoothStep((y - TITLE_SKY[i - 1].y) / (TITLE_SKY[i].y - TITLE_SKY[i - 1].y)));
    return rgb(TITLE_SKY[std::size(TITLE_SKY) - 1].color);
}

struct Range {
    double baseY, amplitude, scale;
    int color;
    uint32_t seed;
};
// Far to near: each range darker and less hazy than the one behind it.
constexpr Range RANGES[] = {
    {300, 40, 140, 0x8c7f9e, 51},
    {330, 48, 110, 0x5a5a7c, 52},
    {372, 55, 90, 0x2e3350, 53},
    {425, 40, 70, 0x171c2e, 54},
};

double ridgeY(const Range& r, double x) {
    const double n = fractalNoise(x / r.scale, 0.5, r.seed, 5);
    const double peaks = 1.0 - std::abs(fractalNoise(x / (r.scale * 1.7), 3.5, r.seed + 9, 3));
    return r.baseY - r.amplitude * (0.55 * n + 0.7 * peaks * peaks);
}

void paintBackdrop(Image& img) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            Color c = titleSky(y);
            const double d = std::hypot(x - SUN_ON_SCREEN.x, (y - SUN_ON_SCREEN.y) * 1.6);
            c = lerp(c, rgb(0xfff0c8), clamp01(std::exp(-d / 70.0) * 0.9));
            const double wisps = fractalNoise(x / 160.0, y / 14.0, 61, 5);
            c = lerp(c, rgb(0xf0a890),
                     smoothRange(0.1, 0.5, wisps) * smoothRange(120, 240, y) * smoothRange(HORIZON, 250, y) * 0.45);
            img.at(x, y) = c;
        }
    fillDisc(img, SUN_ON_SCREEN.x, SUN_ON_SCREEN.y, 16, rgb(0xfff8e0));
    for (const Range& r : RANGES)
        for (int x = 0; x < img.width; ++x) {
            const double top = ridgeY(r, x);
            for (int y = std::max(0, static_cast<int>(top)); y < img.height; ++y) {
                const double haze = smoothRange(top + 60, top, y) * 0.25;
                blendPixel(img, x, y, lerp(rgb(r.color), rgb(0xf0b888), haze), clamp01(y + 1 - top));
            }
        }
    // A lake in the valley floor catching the sky.
    for (int y = 438; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const double edge = 438 + 10 * std::sin(x / 60.0) + 6 * fractalNoise(x / 30.0, 1.0, 62, 3);
            if (y < edge) continue;
            const double ripple = 0.5 + 0.5 * std::sin(y * 2.1 + fractalNoise(x / 20.0, y / 3.0, 63, 2) * 4.0);
            Color c = lerp(titleSky(HORIZON - (y - edge) * 2.0), rgb(0x101828), 0.45 + 0.2 * ripple);
            blendPixel(img, x, y, c, clamp01(y + 1 - edge));
        }
}

// Aircraft flying past the viewer, drawn with the game's own models and liveries.
struct Flyer {
    int model, livery;
    V3 position;
    double pitch, heading, roll;
};
constexpr Flyer FLYERS[] = {
    {5, 6, {-6.5, -1.2, 30}, 0.08, 2.0, 0.45},
    {0, 1, {7.0, 0.2, 38}, 0.05, -2.3, -0.6},
    {0, 0, {1.6, -1.9, 12.5}, 0.16, 2.45, -0.4},
};

void paintFlyers(Image& img) {
    Canvas canvas(img.width, img.height, 3);
    const View view{{0, 0, 0}, {0, 0, 1}, 0.75};
    for (const Flyer& f : FLYERS)
        canvas.draw(aircraftModel(f.model), paintLivery(f.livery), {f.position, f.pitch, f.heading, f.roll, 1.0}, view,
                    true);
    const Image flyers = canvas.finish();
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) blendPixel(img, x, y, flyers.at(x, y));
}

// The letters of the name as strokes in a box one unit high (y down), each letter
// `width` wide.
struct Letter {
    double width;
    std::vector<std::vector<double>> strokes;  // polylines x0, y0, x1, y1, ...
};
const Letter NAME[] = {
    {0.9, {{0, 0, 0.45, 1, 0.9, 0}}},                                                               // V
    {0.9, {{0, 1, 0.45, 0, 0.9, 1}, {0.2, 0.62, 0.7, 0.62}}},                                       // A
    {0.8, {{0, 1, 0, 0, 0.8, 1, 0.8, 0}}},                                                          // N
    {0.8, {{0, 0, 0.8, 0}, {0.4, 0, 0.4, 1}}},                                                      // T
    {0.8, {{0, 1, 0, 0, 0.55, 0, 0.78, 0.12, 0.78, 0.38, 0.55, 0.5, 0, 0.5}, {0.4, 0.5, 0.8, 1}}},  // R
    {0.7, {{0.7, 0, 0, 0, 0, 1, 0.7, 1}, {0, 0.5, 0.55, 0.5}}},                                     // E
    {0.7, {{0, 0, 0, 1, 0.7, 1}}},                                                                  // L
};

struct Segment {
    double x0, y0, x1, y1;
};

std::vector<Segment> nameSegments(double left, double top, double height, double gap, double slant) {
    std::vector<Segment> segments;
    double x = left;
    for (const Letter& l : NAME) {
        for (const auto& line : l.strokes)
            for (size_t i = 2; i + 1 < line.size(); i += 2) {
                auto place = [&](double lx, double ly) {
                    return std::pair{x + (lx + (1.0 - ly) * slant) * height, top + ly * height};
                };
                const auto [ax, ay] = place(line[i - 2], line[i - 1]);
                const auto [bx, by] = place(line[i], line[i + 1]);
                segments.push_back({ax, ay, bx, by});
            }
        x += (l.width + gap) * height;
    }
    return segments;
}

double distanceToSegments(const std::vector<Segment>& segments, double px, double py) {
    double best = 1e9;
    for (const Segment& s : segments) {
        const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
        const double t = clamp01(((px - s.x0) * dx + (py - s.y0) * dy) / (dx * dx + dy * dy));
        best = std::min(best, std::hypot(px - s.x0 - t * dx, py - s.y0 - t * dy));
    }
    return best;
}

void paintName(Image& img) {
    constexpr double height = 72, gap = 0.28, slant = 0.18, stroke = 8.5, top = 112;
    double width = 0;
    for (const Letter& l : NAME) width += (l.width + gap) * height;
    width -= gap * height;
    const auto segments = nameSegments((img.width - width) / 2.0 - slant * height / 2.0, top, height, gap, slant);
    for (int y = static_cast<int>(top - 30); y < top + height + 40; ++y)
        for (int x = 0; x < img.width; ++x) {
            const double shadow = distanceToSegments(segments, x - 5.0, y - 6.0);
            blendPixel(img, x, y, rgb(0x000010, 0.45), clamp01((stroke + 6.0 - shadow) / 6.0));
            const double d = distanceToSegments(segments, x + 0.5, y + 0.5);
            blendPixel(img, x, y, rgb(0x0e1830), clamp01(stroke + 3.0 - d + 0.5));
            const double t = clamp01((y - top + stroke) / (height + 2 * stroke));
            Color fill =
                t < 0.5 ? lerp(rgb(0xffffff), rgb(0xc8dcf4), t * 2) : lerp(rgb(0x7d9cc8), rgb(0xd8e6f8), (t - 0.5) * 2);
            blendPixel(img, x, y, fill, clamp01(stroke - d + 0.5));
        }
    // A swept underline, like a contrail.
    for (int x = 0; x < img.width; ++x) {
        const double u = x / static_cast<double>(img.width);
        const double y = top + height + 26 - 10 * std::sin(u * 3.0);
        const double strength = smoothRange(0.12, 0.3, u) * smoothRange(0.9, 0.7, u);
        for (int dy = -3; dy <= 3; ++dy)
            blendPixel(img, x, static_cast<int>(y) + dy, rgb(0xffe0b0), strength * (1.0 - std::abs(dy) / 3.5) * 0.8);
    }
}

}  // namespace

Image paintTitle() {
    Image img(TITLE_WIDTH, TITLE_HEIGHT);
    paintBackdrop(img);
    paintFlyers(img);
    paintName(img);
    return img;
}

}  // namespace vantrel::data
