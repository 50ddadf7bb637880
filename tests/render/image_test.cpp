#include "render/image.h"

#include <gtest/gtest.h>

#include "render/dds.h"
#include "render_fixture.h"

namespace vantrel::render {

namespace {

Image picture(int w, int h, std::vector<uint8_t> rgba) {
    Image img;
    img.width = w;
    img.height = h;
    img.rgba = std::move(rgba);
    return img;
}

}  // namespace

TEST(Image, MipChainHalvesDownToOneTexelWithBlockMeans) {
    // 4 x 2: left block red-ish values, right block with alpha varying.
    const Image base = picture(4, 2,
                               {
                                   0, 0, 0, 255, 4,  0, 0, 255, 10, 20, 30, 0, 10, 20, 30, 255,
                                   8, 0, 0, 255, 13, 0, 0, 255, 10, 20, 30, 0, 10, 20, 30, 255,
                               });
    const auto chain = mipChain(base);
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(chain[1].width, 2);
    EXPECT_EQ(chain[1].height, 1);
    EXPECT_EQ(chain[1].rgba, (std::vector<uint8_t>{6, 0, 0, 255, 10, 20, 30, 128}));  // (0+4+8+13+2)/4 = 6
    EXPECT_EQ(chain[2].width, 1);
    EXPECT_EQ(chain[2].height, 1);
    // A 1-texel-high level repeats its row: (6 + 10 + 6 + 10 + 2) / 4 = 8.
    EXPECT_EQ(chain[2].rgba, (std::vector<uint8_t>{8, 10, 15, 192}));
}

TEST(Image, MipChainOfOddSizesStopsAtOneByOne) {
    const Image base = picture(5, 3, std::vector<uint8_t>(5 * 3 * 4, 77));
    const auto chain = mipChain(base);
    ASSERT_EQ(chain.size(), 3u);  // 5x3, 2x1, 1x1
    EXPECT_EQ(chain[1].width, 2);
    EXPECT_EQ(chain[1].height, 1);
    for (const Image& level : chain) {
        EXPECT_EQ(level.rgba.size(), size_t(level.width) * size_t(level.height) * 4);
        for (const uint8_t v : level.rgba) EXPECT_EQ(v, 77);
    }
}

TEST(Image, BmpKeepsRowsTopFirstAndItsAlpha) {
    const auto bytes = test::bmp32Bytes(2, 2, {0xFF102030, 0x80405060, 0xFF708090, 0xFFA0B0C0});
    std::string error;
    const auto img = decodeImage(bytes, &error);
    ASSERT_TRUE(img) << error;
    EXPECT_EQ(img->width, 2);
    EXPECT_EQ(img->height, 2);
    EXPECT_EQ(img->rgba, (std::vector<uint8_t>{0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x80, 0x70, 0x80, 0x90, 0xFF,
                                               0xA0, 0xB0, 0xC0, 0xFF}));
}

TEST(Image, DdsIsRecognisedByItsMagicAndDamageIsRefused) {
    const auto dds = test::dds32Bytes(1, 1, {0xFF0000FF});
    const auto img = decodeImage(dds, nullptr);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->rgba, (std::vector<uint8_t>{0, 0, 255, 255}));

    std::string error;
    EXPECT_FALSE(decodeImage(std::vector<uint8_t>(dds.begin(), dds.end() - 1), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(decodeImage(std::vector<uint8_t>{'B', 'M', 1, 2, 3}, &error));
    EXPECT_FALSE(decodeImage(std::vector<uint8_t>{}, &error));
}

TEST(Image, BmpClaimingAHugeSizeIsRefusedBeforeDecoding) {
    auto bytes = test::bmp32Bytes(1, 1, {0xFFFFFFFF});
    for (const size_t field : {18u, 22u}) {  // width, then height: 30000
        bytes[field] = 0x30;
        bytes[field + 1] = 0x75;
    }
    std::string error;
    EXPECT_FALSE(decodeImage(bytes, &error));
    EXPECT_NE(error.find("out of range"), std::string::npos) << error;
}

TEST(Image, OpaqueOnlyWhenEveryPixelsAlphaIs255) {
    render::Image image{2, 1, {1, 2, 3, 255, 4, 5, 6, 255}};
    EXPECT_TRUE(render::isOpaque(image));
    image.rgba[7] = 254;
    EXPECT_FALSE(render::isOpaque(image)) << "the last pixel";
    image.rgba[7] = 255;
    image.rgba[3] = 0;
    EXPECT_FALSE(render::isOpaque(image)) << "the first pixel";
}

TEST(Image, MissingFileSaysSo) {
    std::string error;
    EXPECT_FALSE(readAssetFile(test::makeTempDirectory("image-missing") + "/none.bmp", &error));
    EXPECT_NE(error.find("none.bmp"), std::string::npos);
}

}  // namespace vantrel::render

// GL reads the picture bottom row first as R, G, B, A bytes; the game wants 0xAARRGGBB words
// with the top row first (screenshots, the render tests).
TEST(ReadBack, RgbaRowsFromTheBottomBecomeArgbWordsFromTheTop) {
    const std::vector<uint8_t> bottomUp = {
        0x10, 0x20, 0x30, 0x40, 0x11, 0x21, 0x31, 0x41, 0x12, 0x22, 0x32, 0x42,  // bottom row
        0xA0, 0xB0, 0xC0, 0xD0, 0xA1, 0xB1, 0xC1, 0xD1, 0xA2, 0xB2, 0xC2, 0xD2,  // top row
    };
    const std::vector<uint32_t> argb = vantrel::render::argbFromRgbaRows(bottomUp, 3, 2);
    const std::vector<uint32_t> expected = {0xD0A0B0C0, 0xD1A1B1C1, 0xD2A2B2C2, 0x40102030, 0x41112131, 0x42122232};
    EXPECT_EQ(argb, expected);
    EXPECT_TRUE(vantrel::render::argbFromRgbaRows({}, 0, 0).empty());
}
