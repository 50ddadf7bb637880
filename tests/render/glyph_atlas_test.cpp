#include <gtest/gtest.h>

#include <SDL_ttf.h>

#include "render/desktop/glyph_raster.h"
#include "render/glyph_atlas.h"

using namespace vantrel::render;

namespace {

class GlyphAtlasTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(TTF_Init(), 0) << TTF_GetError(); }
    void TearDown() override { TTF_Quit(); }
};

void setWord(std::string& bytes, size_t offset, uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(word >> (8 * i));
}

constexpr size_t FIRST_GLYPH_BOX = 24;  // after the name and the four sizes

}  // namespace

TEST_F(GlyphAtlasTest, BothGameFontsComeBackBitForBitAsSdlTtfDrewThem) {
    for (int height : {20, 40}) {
        std::string error;
        const auto drawn = rasteriseGlyphs(FONT_FILE, height, &error);
        ASSERT_TRUE(drawn) << error;
        EXPECT_EQ(drawn->lineHeight, height);
        EXPECT_GT(drawn->glyphs[size_t('M' - FIRST_GLYPH)].width, 0);
        const auto back = readBakedGlyphAtlas(bakeGlyphAtlas(*drawn), error);
        ASSERT_TRUE(back) << error;
        EXPECT_EQ(back->width, drawn->width);
        EXPECT_EQ(back->height, drawn->height);
        EXPECT_EQ(back->lineHeight, drawn->lineHeight);
        EXPECT_EQ(back->advance, drawn->advance);
        for (int i = 0; i < GLYPH_COUNT; ++i) {
            const GlyphBox &a = drawn->glyphs[size_t(i)], &b = back->glyphs[size_t(i)];
            EXPECT_TRUE(a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height) << "glyph " << i;
        }
        EXPECT_EQ(back->rgba, drawn->rgba);
    }
}

TEST_F(GlyphAtlasTest, TruncatedPaddedOrOutOfRangeBakesAreRefused) {
    std::string error;
    const auto drawn = rasteriseGlyphs(FONT_FILE, 20, &error);
    ASSERT_TRUE(drawn) << error;
    const std::string good = bakeGlyphAtlas(*drawn);
    for (size_t n : {size_t{0}, size_t{7}, size_t{8}, FIRST_GLYPH_BOX + 5, good.size() / 2, good.size() - 1}) {
        EXPECT_FALSE(readBakedGlyphAtlas(std::string_view(good).substr(0, n), error)) << n << " bytes";
    }
    EXPECT_FALSE(readBakedGlyphAtlas(good + "x", error));

    std::string hugeWidth = good;
    setWord(hugeWidth, 8, 0x40000000u);  // would ask for gigabytes of pixels
    EXPECT_FALSE(readBakedGlyphAtlas(hugeWidth, error));
    EXPECT_EQ(error, "glyph atlas sizes out of range");

    const uint32_t width = static_cast<uint32_t>(drawn->width);
    for (uint32_t field : {0u, 8u}) {  // a glyph reaching past the right edge, or a negative x
        std::string bad = good;
        setWord(bad, FIRST_GLYPH_BOX + field, field == 0 ? width + 1 : 0xFFFFFFFFu);
        EXPECT_FALSE(readBakedGlyphAtlas(bad, error));
        EXPECT_EQ(error, "glyph 0 lies outside the atlas");
    }
}

TEST_F(GlyphAtlasTest, AnUnreadableFontIsReportedNotDrawn) {
    std::string error;
    EXPECT_FALSE(rasteriseGlyphs("/nonexistent/font.ttf", 20, &error));
    EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos) << error;
    EXPECT_FALSE(rasteriseGlyphs(FONT_FILE, 0, &error));
}
