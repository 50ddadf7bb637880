// The terrain: relief that uses the whole byte range, a flyable middle, mountains at the
// edges, water, and a map texture that lies the right way round on the grid.
#include <gtest/gtest.h>

#include <algorithm>

#include "tools/vantrel-data/landscape.h"

namespace vantrel::data::test {
namespace {

int sample(const HeightGrid& g, int c, int r) { return g[r * GRID_SIZE + c]; }

double meanWhere(const HeightGrid& g, bool (*inside)(int, int)) {
    double sum = 0;
    int n = 0;
    for (int r = 0; r < GRID_SIZE; ++r)
        for (int c = 0; c < GRID_SIZE; ++c)
            if (inside(c, r)) sum += sample(g, c, r), ++n;
    return sum / n;
}

TEST(Landscape, UsesTheWholeHeightRange) {
    const HeightGrid g = makeHeightGrid();
    EXPECT_LE(*std::min_element(g.begin(), g.end()), 2);
    EXPECT_GE(*std::max_element(g.begin(), g.end()), 245);
}

TEST(Landscape, EdgesRiseAboveAFlyableMiddle) {
    const HeightGrid g = makeHeightGrid();
    auto middle = [](int c, int r) { return std::abs(c - 50) < 20 && std::abs(r - 50) < 20; };
    auto rim = [](int c, int r) { return std::max(std::abs(c - 50), std::abs(r - 50)) > 38; };
    EXPECT_GT(meanWhere(g, rim), meanWhere(g, middle) * 2.0);
    // Computer pilots climb away below height 20: the middle stays lower than that.
    for (int r = 31; r < 70; ++r)
        for (int c = 31; c < 70; ++c) EXPECT_LT(sample(g, c, r) * 0.15, 20.0) << c << ", " << r;
}

TEST(Landscape, HasAWaterBasin) {
    const HeightGrid g = makeHeightGrid();
    const auto wet = std::count_if(g.begin(), g.end(), [](uint8_t h) { return h * 0.15 < WATER_LEVEL; });
    EXPECT_GT(wet, 150);
    EXPECT_LT(wet, GRID_SAMPLES / 5);
}

TEST(MapTexture, WaterAndSnowLieOverTheLowestAndHighestSamples) {
    const HeightGrid g = makeHeightGrid();
    const Image map = paintMapTexture(g);
    ASSERT_GE(map.width, 512);
    ASSERT_EQ(map.width, map.height);
    // Sample (c, r) maps to u = c / 99, v = r / 99 with the top row at z = -400.
    auto pixel = [&](int index) {
        const int c = index % GRID_SIZE, r = index / GRID_SIZE;
        return map.at(std::min(map.width - 1, c * map.width / 99), std::min(map.height - 1, r * map.height / 99));
    };
    // The lowest sample away from the edges (the lake), and the highest (a peak).
    int low = 0, high = 0;
    for (int i = 0; i < GRID_SAMPLES; ++i) {
        const int c = i % GRID_SIZE, r = i / GRID_SIZE;
        if (c < 5 || r < 5 || c > 94 || r > 94) continue;
        if (g[i] < g[low] || low == 0) low = i;
        if (g[i] > g[high]) high = i;
    }
    const Color water = pixel(low), peak = pixel(high);
    EXPECT_GT(water.b, water.r + 0.1);
    EXPECT_GT(peak.r + peak.g + peak.b, water.r + water.g + water.b + 0.6);
    EXPECT_LT(std::abs(peak.r - peak.b), 0.15) << "peaks are rock or snow, not grass";
}

}  // namespace
}  // namespace vantrel::data::test
