// Images: the BMP and DDS encoders against their readers, and the sprites and the
// head-up-display atlas the effects and the display draw from.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/vantrel-data/image.h"
#include "tools/vantrel-data/paint.h"

namespace vantrel::data::test {
namespace {

Image testPattern(int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.at(x, y) = {x / double(w), y / double(h), (x * y % 7) / 6.0, ((x + y) % 5) / 4.0};
    return img;
}

void expectSameColours(const Image& a, const Image& b, bool withAlpha) {
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        ASSERT_NEAR(a.pixels[i].r, b.pixels[i].r, 0.51 / 255) << i;
        ASSERT_NEAR(a.pixels[i].g, b.pixels[i].g, 0.51 / 255) << i;
        ASSERT_NEAR(a.pixels[i].b, b.pixels[i].b, 0.51 / 255) << i;
        if (withAlpha) {
            ASSERT_NEAR(a.pixels[i].a, b.pixels[i].a, 0.51 / 255) << i;
        }
    }
}

TEST(ImageFormats, BmpRoundTripKeepsRowsInOrderWithPadding) {
    const Image img = testPattern(13, 7);  // 39-byte rows need padding
    Image back;
    std::string error;
    ASSERT_TRUE(decodeBmp(encodeBmp(img), back, error)) << error;
    expectSameColours(img, back, false);
}

TEST(ImageFormats, DdsRoundTripKeepsAlpha) {
    const Image img = testPattern(16, 8);
    Image back;
    std::string error;
    ASSERT_TRUE(decodeDds(encodeDds(img), back, error)) << error;
    expectSameColours(img, back, true);
}

TEST(ImageFormats, AbsurdSizesAreRefused) {
    std::vector<uint8_t> bytes = encodeDds(testPattern(4, 4));
    bytes[16] = 0xFF, bytes[17] = 0xFF, bytes[18] = 0xFF;  // width near 16 million
    Image out;
    std::string error;
    EXPECT_FALSE(decodeDds(bytes, out, error));
    std::vector<uint8_t> bmp = encodeBmp(testPattern(4, 4));
    bmp[25] = 0x80;  // height of about two thousand million
    EXPECT_FALSE(decodeBmp(bmp, out, error));
}

TEST(Sprites, AreSoftShapesWithClearBorders) {
    for (const Image& sprite : {paintFire(), paintSmoke(), paintFlash(), paintSunGlare()}) {
        double border = 0;
        for (int i = 0; i < sprite.width; ++i)
            border = std::max({border, sprite.at(i, 0).a, sprite.at(0, i).a, sprite.at(i, sprite.height - 1).a,
                               sprite.at(sprite.width - 1, i).a});
        EXPECT_LT(border, 0.01);
        EXPECT_GT(sprite.at(sprite.width / 2, sprite.height / 2).a, 0.5);
    }
}

struct CellSummary {
    double opaque = 0, r = 0, g = 0, b = 0, edgeAlpha = 0;
};

CellSummary cell(const Image& atlas, int n) {
    const int size = atlas.width / 4, x0 = n % 4 * size, y0 = n / 4 * size;
    CellSummary s;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const Color& c = atlas.at(x0 + x, y0 + y);
            if (x == 0 || y == 0 || x == size - 1 || y == size - 1) s.edgeAlpha = std::max(s.edgeAlpha, c.a);
            if (c.a > 0.5) s.opaque += 1, s.r += c.r, s.g += c.g, s.b += c.b;
        }
    if (s.opaque > 0) s.r /= s.opaque, s.g /= s.opaque, s.b /= s.opaque;
    return s;
}

TEST(HudAtlas, EveryCellHoldsASeparateShape) {
    const Image atlas = paintHudAtlas();
    ASSERT_EQ(atlas.width, atlas.height);
    for (int n = 0; n < 16; ++n) {
        const CellSummary s = cell(atlas, n);
        EXPECT_GT(s.opaque, 30) << "cell " << n;
        EXPECT_LT(s.edgeAlpha, 0.01) << "cell " << n << " bleeds into its neighbour";
    }
}

TEST(HudAtlas, SideMarkersTellTheSidesApart) {
    const Image atlas = paintHudAtlas();
    const CellSummary one = cell(atlas, 1), two = cell(atlas, 2), three = cell(atlas, 3);
    EXPECT_GT(one.b, one.r + 0.3) << "side 1 is blue";
    EXPECT_GT(two.r, two.b + 0.3) << "side 2 is red";
    EXPECT_GT(three.r + three.g, three.b * 2 + 0.5) << "side 3 is yellow";
    // The radar disc is mostly see-through; the gun sight is thin lines.
    EXPECT_GT(cell(atlas, 0).opaque, 1000);
    EXPECT_LT(cell(atlas, 4).opaque, 1200);
}

}  // namespace
}  // namespace vantrel::data::test
