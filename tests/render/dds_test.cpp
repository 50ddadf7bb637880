#include "render/dds.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vantrel::render {

namespace {

constexpr uint32_t PF_ALPHAPIXELS = 0x1;
constexpr uint32_t PF_FOURCC = 0x4;
constexpr uint32_t PF_RGB = 0x40;

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void setU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[offset + size_t(i)] = uint8_t(v >> (8 * i));
}

uint32_t code(const char* s) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

struct Format {
    uint32_t flags;
    uint32_t fourCC;
    uint32_t bitCount;
    uint32_t masks[4];  // red, green, blue, alpha
};

std::vector<uint8_t> ddsFile(uint32_t width, uint32_t height, const Format& f, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out = {'D', 'D', 'S', ' '};
    putU32(out, 124);
    putU32(out, 0x1007);
    putU32(out, height);
    putU32(out, width);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
    for (int i = 0; i < 11; ++i) putU32(out, 0);
    putU32(out, 32);
    putU32(out, f.flags);
    putU32(out, f.fourCC);
    putU32(out, f.bitCount);
    for (const uint32_t m : f.masks) putU32(out, m);
    putU32(out, 0x1000);
    for (int i = 0; i < 4; ++i) putU32(out, 0);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

const Format ARGB32{PF_RGB | PF_ALPHAPIXELS, 0, 32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}};
const Format RGB24{PF_RGB, 0, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0}};
const Format RGB565{PF_RGB, 0, 16, {0xF800, 0x07E0, 0x001F, 0}};
const Format ARGB1555{PF_RGB | PF_ALPHAPIXELS, 0, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}};
const Format ARGB4444{PF_RGB | PF_ALPHAPIXELS, 0, 16, {0x0F00, 0x00F0, 0x000F, 0xF000}};
const Format DXT1{PF_FOURCC, code("DXT1"), 0, {}};
const Format DXT3{PF_FOURCC, code("DXT3"), 0, {}};
const Format DXT5{PF_FOURCC, code("DXT5"), 0, {}};

std::vector<uint8_t> pixelAt(const Image& img, int x, int y) {
    const size_t at = (size_t(y) * size_t(img.width) + size_t(x)) * 4;
    return {img.rgba[at], img.rgba[at + 1], img.rgba[at + 2], img.rgba[at + 3]};
}

using Rgba = std::vector<uint8_t>;

// A colour block: colours c0 and c1 (5:6:5), then 2-bit indices, texel 0 in the lowest bits.
std::vector<uint8_t> colourBlock(uint16_t c0, uint16_t c1, uint32_t indices) {
    std::vector<uint8_t> b = {uint8_t(c0), uint8_t(c0 >> 8), uint8_t(c1), uint8_t(c1 >> 8)};
    putU32(b, indices);
    return b;
}

constexpr uint16_t RED565 = 0xF800;
constexpr uint16_t BLUE565 = 0x001F;
// Texel 0 index 0, texel 1 index 1, texel 2 index 2, texel 3 index 3, the rest 0.
constexpr uint32_t FIRST_ROW_INDICES_0123 = 0b11100100;

std::string refusal(const std::vector<uint8_t>& bytes) {
    std::string error;
    EXPECT_FALSE(decodeDds(bytes, &error).has_value());
    return error;
}

}  // namespace

TEST(Dds, Uncompressed32BitKeepsEveryChannel) {
    std::vector<uint8_t> payload;
    putU32(payload, 0x80102030);
    putU32(payload, 0xFFFFFFFF);
    const auto img = decodeDds(ddsFile(2, 1, ARGB32, payload), nullptr);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 2);
    EXPECT_EQ(img->height, 1);
    EXPECT_EQ(pixelAt(*img, 0, 0), (Rgba{0x10, 0x20, 0x30, 0x80}));
    EXPECT_EQ(pixelAt(*img, 1, 0), (Rgba{255, 255, 255, 255}));
}

TEST(Dds, RowsAreReadTopFirstAtTheirPitch) {
    // 3 x 2 pixels of 24 bits: rows of 9 bytes, unpadded.
    const std::vector<uint8_t> payload = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    const auto img = decodeDds(ddsFile(3, 2, RGB24, payload), nullptr);
    ASSERT_TRUE(img);
    EXPECT_EQ(pixelAt(*img, 0, 0), (Rgba{3, 2, 1, 255}));  // stored B, G, R
    EXPECT_EQ(pixelAt(*img, 2, 0), (Rgba{9, 8, 7, 255}));
    EXPECT_EQ(pixelAt(*img, 0, 1), (Rgba{12, 11, 10, 255}));
}

TEST(Dds, SixteenBitChannelsWidenToFullRange) {
    const std::vector<uint8_t> p565 = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
    const auto a = decodeDds(ddsFile(4, 1, RGB565, p565), nullptr);
    ASSERT_TRUE(a);
    EXPECT_EQ(pixelAt(*a, 0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*a, 1, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(*a, 2, 0), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*a, 3, 0), (Rgba{132, 130, 132, 255}));  // 16/31, 32/63, 16/31 of 255, rounded

    const std::vector<uint8_t> p1555 = {0x00, 0x80, 0xFF, 0x7F};
    const auto b = decodeDds(ddsFile(2, 1, ARGB1555, p1555), nullptr);
    ASSERT_TRUE(b);
    EXPECT_EQ(pixelAt(*b, 0, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*b, 1, 0), (Rgba{255, 255, 255, 0}));

    const std::vector<uint8_t> p4444 = {0x48, 0x8F};
    const auto c = decodeDds(ddsFile(1, 1, ARGB4444, p4444), nullptr);
    ASSERT_TRUE(c);
    EXPECT_EQ(pixelAt(*c, 0, 0), (Rgba{0xFF, 0x44, 0x88, 0x88}));
}

TEST(Dds, AlphaMaskIsIgnoredWithoutTheAlphaFlag) {
    Format noAlpha = ARGB32;
    noAlpha.flags = PF_RGB;
    std::vector<uint8_t> payload;
    putU32(payload, 0x00405060);
    const auto img = decodeDds(ddsFile(1, 1, noAlpha, payload), nullptr);
    ASSERT_TRUE(img);
    EXPECT_EQ(pixelAt(*img, 0, 0), (Rgba{0x40, 0x50, 0x60, 255}));
}

TEST(Dds, Dxt1FourColourBlock) {
    const auto img = decodeDds(ddsFile(4, 4, DXT1, colourBlock(RED565, BLUE565, FIRST_ROW_INDICES_0123)), nullptr);
    ASSERT_TRUE(img);
    EXPECT_EQ(pixelAt(*img, 0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*img, 1, 0), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*img, 2, 0), (Rgba{170, 0, 85, 255}));
    EXPECT_EQ(pixelAt(*img, 3, 0), (Rgba{85, 0, 170, 255}));
    EXPECT_EQ(pixelAt(*img, 3, 3), (Rgba{255, 0, 0, 255}));
}

TEST(Dds, Dxt1ThreeColourBlockHasTransparentBlack) {
    const auto img = decodeDds(ddsFile(4, 4, DXT1, colourBlock(BLUE565, RED565, FIRST_ROW_INDICES_0123)), nullptr);
    ASSERT_TRUE(img);
    EXPECT_EQ(pixelAt(*img, 2, 0), (Rgba{127, 0, 127, 255}));
    EXPECT_EQ(pixelAt(*img, 3, 0), (Rgba{0, 0, 0, 0}));
}

TEST(Dds, Dxt3ExplicitAlphaAndAlwaysFourColours) {
    std::vector<uint8_t> block = {0x8F, 0x00, 0, 0, 0, 0, 0, 0};  // texel 0 alpha 15, texel 1 alpha 8
    const auto colours = colourBlock(BLUE565, RED565, FIRST_ROW_INDICES_0123);
    block.insert(block.end(), colours.begin(), colours.end());
    const auto img = decodeDds(ddsFile(4, 4, DXT3, block), nullptr);
    ASSERT_TRUE(img);
    EXPECT_EQ(pixelAt(*img, 0, 0), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*img, 1, 0)[3], 136);
    EXPECT_EQ(pixelAt(*img, 2, 0)[3], 0);
    EXPECT_EQ(pixelAt(*img, 3, 0), (Rgba{170, 0, 85, 0}));  // no transparent-black mode
}

TEST(Dds, Dxt5InterpolatedAlphaInBothModes) {
    // Eight-step mode (a0 > a1): index 2 is (6 a0 + a1) / 7.
    std::vector<uint8_t> eight = {255, 0, 0b00'010'001, 0, 0, 0, 0, 0};  // texels 0..2: idx 1, 2, 0
    const auto colours = colourBlock(RED565, RED565, 0);
    eight.insert(eight.end(), colours.begin(), colours.end());
    const auto a = decodeDds(ddsFile(4, 4, DXT5, eight), nullptr);
    ASSERT_TRUE(a);
    EXPECT_EQ(pixelAt(*a, 0, 0)[3], 0);
    EXPECT_EQ(pixelAt(*a, 1, 0)[3], 218);
    EXPECT_EQ(pixelAt(*a, 2, 0)[3], 255);

    // Six-step mode (a0 <= a1): index 6 is 0, index 7 is 255, index 2 is (4 a0 + a1) / 5.
    std::vector<uint8_t> six = {50, 100, 0b10'111'110, 0, 0, 0, 0, 0};  // texels: idx 6, 7, 2
    six.insert(six.end(), colours.begin(), colours.end());
    const auto b = decodeDds(ddsFile(4, 4, DXT5, six), nullptr);
    ASSERT_TRUE(b);
    EXPECT_EQ(pixelAt(*b, 0, 0)[3], 0);
    EXPECT_EQ(pixelAt(*b, 1, 0)[3], 255);
    EXPECT_EQ(pixelAt(*b, 2, 0)[3], 60);
}

TEST(Dds, PartialBlocksCoverSizesNotMultipleOfFour) {
    // 5 x 3 needs 2 x 1 blocks.
    std::vector<uint8_t> payload = colourBlock(RED565, RED565, 0);
    const auto blue = colourBlock(BLUE565, BLUE565, 0);
    payload.insert(payload.end(), blue.begin(), blue.end());
    const auto img = decodeDds(ddsFile(5, 3, DXT1, payload), nullptr);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->rgba.size(), size_t(5 * 3 * 4));
    EXPECT_EQ(pixelAt(*img, 3, 2), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*img, 4, 2), (Rgba{0, 0, 255, 255}));
}

TEST(Dds, EveryTruncationIsRefused) {
    std::vector<uint8_t> payload;
    for (int i = 0; i < 16; ++i) putU32(payload, 0xFF000000u + uint32_t(i));
    const std::vector<std::vector<uint8_t>> files = {
        ddsFile(4, 4, ARGB32, payload), ddsFile(4, 4, DXT1, colourBlock(RED565, BLUE565, 0)),
        ddsFile(4, 4, DXT5, std::vector<uint8_t>(16, 7)), ddsFile(3, 3, RGB24, std::vector<uint8_t>(27, 1))};
    for (const auto& file : files) {
        ASSERT_TRUE(decodeDds(file, nullptr));
        for (size_t len = 0; len < file.size(); ++len) {
            const std::vector<uint8_t> cut(file.begin(), file.begin() + std::ptrdiff_t(len));
            EXPECT_FALSE(decodeDds(cut, nullptr)) << "accepted " << len << " of " << file.size() << " bytes";
        }
    }
}

TEST(Dds, LyingHeadersAreRefused) {
    const std::vector<uint8_t> pixels(64, 0xAB);
    const auto good = ddsFile(4, 4, ARGB32, pixels);
    ASSERT_TRUE(decodeDds(good, nullptr));

    auto hugeWidth = good;
    setU32(hugeWidth, 16, 0xFFFFFFFF);
    EXPECT_NE(refusal(hugeWidth), "");
    auto productOverflows = good;  // 65536 x 65536 x 4 wraps 32 bits to 0
    setU32(productOverflows, 12, 65536);
    setU32(productOverflows, 16, 65536);
    refusal(productOverflows);
    auto claimsMore = good;  // in range, but the data is for 4 x 4
    setU32(claimsMore, 12, 4096);
    refusal(claimsMore);
    auto zeroHeight = good;
    setU32(zeroHeight, 12, 0);
    refusal(zeroHeight);
    auto headerSize = good;
    setU32(headerSize, 4, 120);
    refusal(headerSize);
    auto formatSize = good;
    setU32(formatSize, 76, 0);
    refusal(formatSize);
    auto badMagic = good;
    badMagic[0] = 'X';
    refusal(badMagic);
    auto cube = good;
    setU32(cube, 112, 0x200);
    refusal(cube);
    auto dxtHuge = ddsFile(4, 4, DXT1, std::vector<uint8_t>(8, 0));
    setU32(dxtHuge, 12, 8192);
    setU32(dxtHuge, 16, 8192);
    refusal(dxtHuge);
}

TEST(Dds, UnsupportedPixelFormatsAreRefused) {
    const std::vector<uint8_t> data(256, 0);
    refusal(ddsFile(4, 4, {PF_FOURCC, code("DX10"), 0, {}}, data));
    refusal(ddsFile(4, 4, {PF_FOURCC, code("DXT2"), 0, {}}, data));
    refusal(ddsFile(4, 4, {PF_RGB, 0, 8, {0xE0, 0x1C, 0x03, 0}}, data));
    refusal(ddsFile(4, 4, {0, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0}}, data));       // neither RGB nor FourCC
    refusal(ddsFile(4, 4, {PF_RGB, 0, 32, {0, 0, 0, 0}}, data));                 // no colour at all
    refusal(ddsFile(4, 4, {PF_RGB, 0, 32, {0xF0F000, 0xFF00, 0xFF, 0}}, data));  // gap in a mask
    refusal(ddsFile(4, 4, {PF_RGB, 0, 16, {0xFF0000, 0xFF00, 0xFF, 0}}, data));  // mask beyond 16 bits
}

}  // namespace vantrel::render
