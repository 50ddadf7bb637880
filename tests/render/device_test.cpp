// The device as the scenes use it: starting, fans and triangle lists placed by the matrices,
// depth and blending, the texture table, and text.
#include <SDL.h>

#include <algorithm>
#include <string>

#include "device_fixture.h"
#include "render/device.h"
#include "render/fonts.h"

namespace vantrel::test {

namespace {

using render::ScreenVertex;
using render::TextAlign;
using render::WorldVertex;

class DeviceTest : public RenderTest {};

}  // namespace

TEST(Device, NoWindowGivesNoDeviceAndTheCreationMessage) {
    ::testing::internal::CaptureStderr();
    const auto device = render::Device::initGraphics(nullptr, makeTempDirectory("no-window"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(device, nullptr);
    EXPECT_NE(err.find("Direct3Dの作成に失敗しました"), std::string::npos) << err;
}

TEST_F(DeviceTest, WindowWithoutOpenGlGivesNoDevice) {
    SDL_Window* plain = SDL_CreateWindow("plain", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
    ASSERT_NE(plain, nullptr);
    ::testing::internal::CaptureStderr();
    auto second = render::Device::initGraphics(plain, makeTempDirectory("plain-window"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    SDL_DestroyWindow(plain);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(err.find("ERROR"), std::string::npos) << err;
}

TEST_F(DeviceTest, ScreenQuadCoversExactlyItsPixels) {
    device().clear(BLACK);
    device().bindTexture(-1);
    drawScreenQuad(device(), 10, 10, 20, 20, WHITE);
    const auto f = frame();
    EXPECT_EQ(countPixels(f, 10, 10, 20, 20, [](uint32_t c) { return c == WHITE; }), 100);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 480, [](uint32_t c) { return c == WHITE; }), 100);
}

TEST_F(DeviceTest, EmptyTextureSlotsBindAsWhite) {
    device().clear(BLACK);
    for (int slot : {0, 6, 17, -1, 18}) {
        device().bindTexture(slot);
        drawScreenQuad(device(), 0, 0, 640, 480, 0xFF336699);
        EXPECT_TRUE(near(pixelAt(frame(), 320, 240), 0x33, 0x66, 0x99, 0)) << "slot " << slot;
    }
}

TEST_F(DeviceTest, TexturesThatCannotBeReadAreNamedOnceEach) {
    EXPECT_TRUE(device().failedDataFiles().empty()) << "nothing is read before it is bound";
    for (int slot : {12, 5, 12, 18}) device().bindTexture(slot);
    EXPECT_EQ(device().failedDataFiles(), (std::vector<std::string>{"title.bmp", "sky.bmp"}));
}

TEST_F(DeviceTest, AlphaBlendsSourceOverDestination) {
    device().clear(WHITE);
    drawScreenQuad(device(), 0, 0, 100, 100, 0x80FF0000);
    EXPECT_TRUE(near(pixelAt(frame(), 50, 50), 255, 127, 127));
    drawScreenQuad(device(), 0, 0, 100, 100, 0x00000000);
    EXPECT_TRUE(near(pixelAt(frame(), 50, 50), 255, 127, 127));
}

TEST_F(DeviceTest, FansWithTooFewVerticesDrawNothing) {
    device().clear(BLACK);
    const auto q = screenQuad(0, 0, 640, 480, WHITE);
    device().drawScreenFan(q.data(), 2);
    device().drawScreenFan(nullptr, 4);
    device().drawScreenFan(q.data(), -5);
    EXPECT_EQ(countPixels(frame(), 0, 0, 640, 480, [](uint32_t c) { return c != BLACK; }), 0);
}

TEST_F(DeviceTest, WorldFanIsPlacedByTheMatrices) {
    device().clear(BLACK);
    lookForward(device());
    const auto square = facingSquare(1, 5, WHITE);
    device().drawWorldFan(square.data(), 4);
    auto f = frame();
    // Half-size 1 at distance 5 spans 1.732 / 5 of the half-height: 83 pixels each way.
    EXPECT_EQ(pixelAt(f, 320, 240), WHITE);
    EXPECT_EQ(pixelAt(f, 320, 240 - 80), WHITE);
    EXPECT_EQ(pixelAt(f, 320, 240 - 86), BLACK);
    EXPECT_EQ(pixelAt(f, 320 - 86, 240), BLACK);

    device().clear(BLACK);
    device().setWorld(render::matrixTranslation(3, 0, 0));  // moves it to the right
    device().drawWorldFan(square.data(), 4);
    f = frame();
    EXPECT_EQ(pixelAt(f, 320, 240), BLACK);
    EXPECT_EQ(pixelAt(f, 320 + 234, 240), WHITE);
}

TEST_F(DeviceTest, WorldTrianglesDrawAListAndDropAnIncompleteOne) {
    device().clear(BLACK);
    lookForward(device());
    const auto s = facingSquare(1, 5, WHITE);
    const WorldVertex list[5] = {s[0], s[1], s[2], s[0], s[2]};  // one triangle and a stray pair
    device().drawWorldTriangles(list, 5);
    const auto f = frame();
    EXPECT_EQ(pixelAt(f, 320 - 40, 240 + 40), WHITE);  // inside (0, 1, 2)
    EXPECT_EQ(pixelAt(f, 320 + 40, 240 - 40), BLACK);  // the other half was never given whole
}

TEST_F(DeviceTest, BothFacesOfATriangleAreDrawn) {
    device().clear(BLACK);
    lookForward(device());
    auto square = facingSquare(1, 5, WHITE);
    std::reverse(square.begin(), square.end());
    device().drawWorldFan(square.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), WHITE);
}

TEST_F(DeviceTest, DepthTestKeepsTheNearerSurfaceAndLetsEqualDepthDrawAgain) {
    device().clear(BLACK);
    lookForward(device());
    const auto nearGreen = facingSquare(1, 4, 0xFF00FF00);
    const auto farRed = facingSquare(2, 6, 0xFFFF0000);
    device().drawWorldFan(nearGreen.data(), 4);
    device().drawWorldFan(farRed.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFF00FF00);

    const auto sameDepthBlue = facingSquare(1, 4, 0xFF0000FF);
    device().drawWorldFan(sameDepthBlue.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFF0000FF);

    device().clear(BLACK);  // clearing resets depth too
    device().drawWorldFan(farRed.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFFFF0000);
}

TEST_F(DeviceTest, NearerOnlyKeepsWhatIsEquallyFar) {
    device().clear(BLACK);
    lookForward(device());
    const auto red = facingSquare(1, 5, 0xFFFF0000);
    const auto blue = facingSquare(1, 5, 0xFF0000FF);
    const auto nearGreen = facingSquare(0.5f, 4, 0xFF00FF00);
    device().drawWorldFan(red.data(), 4);
    device().setNearerOnly(true);
    device().drawWorldFan(blue.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFFFF0000u);
    device().drawWorldFan(nearGreen.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFF00FF00u);
    device().setNearerOnly(false);
    device().drawWorldFan(nearGreen.data(), 4);  // equally near draws again once it is off
    device().drawWorldFan(blue.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFF00FF00u);
    EXPECT_EQ(pixelAt(frame(), 320 + 60, 240), 0xFF0000FFu);
}

// Blending is skipped for opaque vertices over an opaque texture; the colours must not show it.
TEST_F(DeviceTexturesTest, OpaqueWorldTrianglesCoverAndTranslucentOnesBlend) {
    device().clear(0xFF0000FF);
    lookForward(device());
    device().bindTexture(7);  // opaque 0xC86428
    auto square = facingSquare(1, 5, WHITE);
    device().drawWorldFan(square.data(), 4);
    EXPECT_TRUE(near(pixelAt(frame(), 320, 240), 200, 100, 40, 0));
    device().clear(0xFF0000FF);
    square[2].diffuse = 0x00FFFFFF;  // one corner transparent: the square blends
    device().drawWorldFan(square.data(), 4);
    const uint32_t blended = pixelAt(frame(), 320, 240);
    EXPECT_GT(blueOf(blended), 40);
    EXPECT_LT(redOf(blended), 200);
    device().clear(0xFF0000FF);
    device().bindTexture(4);  // half-transparent white under opaque vertices
    square[2].diffuse = WHITE;
    device().drawWorldTriangles(square.data(), 3);
    EXPECT_TRUE(near(pixelAt(frame(), 320 - 40, 240 + 20), 128, 128, 255));
}

TEST_F(DeviceTexturesTest, ATextureIsReadWhenFirstBoundAndReadAgainOnlyAfterARelease) {
    const std::string plane12 = dir_ + "/plane12.bmp";  // slot 8, written after the device started
    writeFile(plane12, bmp32Bytes(4, 4, solid(4, 4, 0xFF102030)));
    EXPECT_EQ(shownBy(8), 0xFF102030u);
    writeFile(plane12, bmp32Bytes(4, 4, solid(4, 4, 0xFF405060)));
    EXPECT_EQ(shownBy(8), 0xFF102030u) << "a texture once read is kept";
    device().releaseTexture(8);
    EXPECT_EQ(shownBy(8), 0xFF405060u) << "a released texture is read again";

    // Releasing the bound texture leaves no texture bound, not a deleted one.
    device().releaseTexture(8);
    drawScreenQuad(device(), 0, 0, 640, 480, 0xFF808080);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFF808080u);
    device().releaseTexture(1);  // never read: nothing to release
    EXPECT_EQ(shownBy(1), 0xFF00FF00u);
}

TEST_F(DeviceTexturesTest, TextureModulatedByDiffuse) {
    device().clear(BLACK);
    device().bindTexture(7);
    drawScreenQuad(device(), 0, 0, 640, 480, 0xFF808080);
    EXPECT_TRUE(near(pixelAt(frame(), 320, 240), 100, 50, 20));
    device().clear(BLACK);  // screen quads write depth 0, which nothing in the world passes
    lookForward(device());
    const auto square = facingSquare(1, 5, 0xFFFFFF00);
    device().drawWorldFan(square.data(), 4);
    EXPECT_TRUE(near(pixelAt(frame(), 320, 240), 200, 100, 0));
}

TEST_F(DeviceTexturesTest, TextureAlphaIsModulatedAndBlended) {
    device().clear(BLACK);
    device().bindTexture(4);
    drawScreenQuad(device(), 0, 0, 100, 100, WHITE);
    EXPECT_TRUE(near(pixelAt(frame(), 50, 50), 128, 128, 128));
    device().clear(BLACK);
    drawScreenQuad(device(), 0, 0, 100, 100, 0x80FFFFFF);
    EXPECT_TRUE(near(pixelAt(frame(), 50, 50), 64, 64, 64));
}

TEST_F(DeviceTexturesTest, TextureRowsRunTopDownWithV) {
    device().clear(BLACK);
    device().bindTexture(12);
    drawScreenQuad(device(), 0, 0, 640, 480, WHITE);
    const auto f = frame();
    // Away from the top and bottom edges, where repeating blends the far rows in.
    EXPECT_TRUE(near(pixelAt(f, 320, 100), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(f, 320, 380), 0, 0, 255));
}

TEST_F(DeviceTexturesTest, MinifiedTexturesSampleTheMipChain) {
    device().clear(0xFFFF0000);
    device().bindTexture(13);
    drawScreenQuad(device(), 0, 0, 7, 7, WHITE);  // 64 texels into 7 pixels: off the texel grid
    const auto f = frame();
    EXPECT_EQ(countPixels(f, 0, 0, 7, 7, [](uint32_t c) { return near(c, 128, 128, 128, 8); }), 49);
}

TEST_F(DeviceTexturesTest, SlotsKeepTheirIndicesWhateverFails) {
    device().clear(BLACK);
    device().bindTexture(1);  // exp.dds loads
    drawScreenQuad(device(), 0, 0, 10, 10, WHITE);
    device().bindTexture(2);  // smk.dds is damaged: white
    drawScreenQuad(device(), 10, 0, 20, 10, 0xFF406080);
    device().bindTexture(6);  // sunlight.dds is absent: white
    drawScreenQuad(device(), 20, 0, 30, 10, 0xFF406080);
    device().bindTexture(7);  // the next file still lands in its own slot
    drawScreenQuad(device(), 30, 0, 40, 10, WHITE);
    const auto f = frame();
    EXPECT_TRUE(near(pixelAt(f, 5, 5), 0, 255, 0));
    EXPECT_TRUE(near(pixelAt(f, 15, 5), 0x40, 0x60, 0x80, 0));
    EXPECT_TRUE(near(pixelAt(f, 25, 5), 0x40, 0x60, 0x80, 0));
    EXPECT_TRUE(near(pixelAt(f, 35, 5), 200, 100, 40));
}

// Screen quads and text wait to go out together; each must still land as if drawn at once:
// under what the world draws after it, gone under a clear, with the texture, font, filtering
// and lighting it was drawn with, whatever changes after.
TEST_F(DeviceTexturesTest, ScreenDrawsLandAsIfDrawnAtOnce) {
    const auto plainQuad = [this](uint32_t colour) {
        device().bindTexture(-1);
        drawScreenQuad(device(), 0, 0, 10, 10, colour);
    };
    lookForward(device());
    device().clear(BLACK);
    drawScreenQuad(device(), 300, 220, 340, 260, 0xFFFF0000);
    const auto square = facingSquare(1, 5, WHITE);
    device().drawWorldFan(square.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), WHITE) << "the world draws over a quad drawn before it";

    plainQuad(0xFF00FF00);
    device().clear(BLACK);
    EXPECT_EQ(pixelAt(frame(), 5, 5), BLACK) << "a clear covers a quad drawn before it";

    plainQuad(0xFF00FF00);
    device().setLighting(true);
    device().drawWorldFan(square.data(), 4);
    device().setLighting(false);
    EXPECT_EQ(pixelAt(frame(), 5, 5), 0xFF00FF00u) << "a quad is not lit by a light turned on after it";

    device().clear(BLACK);
    device().bindTexture(7);
    drawScreenQuad(device(), 0, 0, 10, 10, WHITE);
    device().releaseTexture(7);
    EXPECT_TRUE(near(pixelAt(frame(), 5, 5), 200, 100, 40)) << "a texture let go after the quad";

    const auto smallChecker = [this](bool nearestAfter) {
        device().clear(BLACK);
        device().bindTexture(13);
        drawScreenQuad(device(), 0, 0, 7, 7, WHITE);
        device().setNearestTexels(nearestAfter);
        const auto drawn = frame();
        device().setNearestTexels(false);
        return drawn;
    };
    EXPECT_EQ(smallChecker(true), smallChecker(false)) << "filtering changed after the quad";

    device().createFont(0, 20);
    device().clear(BLACK);
    device().drawText(0, "AB", 0, 0, 640, 480, TextAlign::Left, WHITE);
    const auto text = frame();
    device().clear(BLACK);
    device().drawText(0, "AB", 0, 0, 640, 480, TextAlign::Left, WHITE);
    device().createFont(0, 40);
    EXPECT_EQ(frame(), text) << "a font made again after the text";
    EXPECT_GT(countPixels(text, 0, 0, 640, 480, [](uint32_t c) { return c != BLACK; }), 0);
}

// The browser build draws a baked atlas at the picture's scale: quads, advance and line step
// grow with it, and at scale 1 every glyph is its atlas box, pixel for pixel.
TEST_F(DeviceTest, AFontDrawnAtAScaleLaysItsGlyphsOutThatMuchLarger) {
    render::GlyphAtlas glyphs;
    glyphs.width = 64;
    glyphs.height = 32;
    glyphs.lineHeight = 12;
    glyphs.advance = 7;
    glyphs.rgba.assign(64 * 32 * 4, 255);
    for (render::GlyphBox& box : glyphs.glyphs) box = {1, 2, 6, 10};
    const auto plain = render::FontAtlas::fromGlyphs(glyphs);
    const auto large = render::FontAtlas::fromGlyphs(glyphs, 1.5f);
    std::vector<ScreenVertex> a, b;
    plain->layout("AB\nC", 10, 20, 200, TextAlign::Left, WHITE, a);
    large->layout("AB\nC", 10, 20, 200, TextAlign::Left, WHITE, b);
    ASSERT_EQ(a.size(), 18u);
    ASSERT_EQ(b.size(), 18u);
    // Each glyph: corners a, b, c, a, c, d with c the bottom right.
    EXPECT_EQ(a[0].x, 10.0f);
    EXPECT_EQ(a[2].x - a[0].x, 6.0f);
    EXPECT_EQ(a[2].y - a[0].y, 10.0f);
    EXPECT_EQ(a[6].x - a[0].x, 7.0f);
    EXPECT_EQ(a[12].y - a[0].y, 12.0f);
    EXPECT_EQ(b[0].x, 10.0f);
    EXPECT_EQ(b[2].x - b[0].x, 9.0f);
    EXPECT_EQ(b[2].y - b[0].y, 15.0f);
    EXPECT_EQ(b[6].x - b[0].x, 10.5f);
    EXPECT_EQ(b[12].y - b[0].y, 18.0f);
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].u, b[i].u) << "the same atlas pixels";
    EXPECT_EQ(plain->lineWidth("AB"), 14);
    EXPECT_EQ(large->lineWidth("AB"), 21);
    std::vector<ScreenVertex> right;
    large->layout("AB", 0, 0, 100, TextAlign::Right, WHITE, right);
    EXPECT_EQ(right[0].x, 79.0f) << "aligned by the scaled width";
}

TEST_F(DeviceTest, TextIsDrawnInItsColourAndAlignment) {
    device().createFont(0, 20);
    const auto lit = [](uint32_t c) { return redOf(c) > 128; };
    device().clear(BLACK);
    device().drawText(0, "MMMM", 100, 100, 640, 480, TextAlign::Left, 0xFFFF0000);
    auto f = frame();
    EXPECT_GT(countPixels(f, 100, 100, 160, 120, lit), 40);
    EXPECT_EQ(countPixels(f, 0, 0, 100, 480, lit), 0);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 100, lit), 0);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 480, [](uint32_t c) { return greenOf(c) > 0; }), 0);

    device().clear(BLACK);
    device().drawText(0, "MMMM", 0, 100, 300, 480, TextAlign::Right, 0xFFFF0000);
    f = frame();
    EXPECT_GT(countPixels(f, 250, 100, 300, 120, lit), 40);
    EXPECT_EQ(countPixels(f, 300, 0, 640, 480, lit), 0);
    EXPECT_EQ(countPixels(f, 0, 0, 240, 480, lit), 0);

    device().clear(BLACK);
    device().drawText(0, "MMMM", 0, 100, 640, 480, TextAlign::Center, 0xFFFF0000);
    f = frame();
    long long sumX = 0;
    int n = 0;
    for (int y = 100; y < 120; ++y)
        for (int x = 0; x < 640; ++x)
            if (lit(pixelAt(f, x, y))) sumX += x, ++n;
    ASSERT_GT(n, 40);
    EXPECT_NEAR(double(sumX) / n, 319.5, 3.0);
}

TEST_F(DeviceTest, TextIsClippedToItsRectangle) {
    device().createFont(1, 40);
    device().clear(BLACK);
    device().drawText(1, "WWWWWWWW", 100, 100, 130, 115, TextAlign::Left, WHITE);
    const auto f = frame();
    const auto lit = [](uint32_t c) { return c != BLACK; };
    EXPECT_GT(countPixels(f, 100, 100, 130, 115, lit), 20);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 480, lit), countPixels(f, 100, 100, 130, 115, lit));
}

TEST_F(DeviceTest, TextAlphaBlendsAndLinesFitTheirHeight) {
    device().createFont(0, 20);
    device().createFont(1, 40);
    device().clear(WHITE);
    device().drawText(0, "|gM", 10, 10, 640, 480, TextAlign::Left, 0x80FF0000);
    device().drawText(1, "|gM", 10, 100, 640, 480, TextAlign::Left, 0xFF000000);
    const auto f = frame();
    int minGreen = 255;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 60; ++x) minGreen = std::min(minGreen, greenOf(pixelAt(f, x, y)));
    EXPECT_NEAR(minGreen, 127, 3);  // fully covered pixels are half red, half the white behind
    const auto rowsWithInk = [&](int y0, int y1, auto ink) {
        int first = -1, last = -1;
        for (int y = y0; y < y1; ++y) {
            if (countPixels(f, 0, y, 640, y + 1, ink) > 0) {
                if (first < 0) first = y;
                last = y;
            }
        }
        return last - first + 1;
    };
    const int small = rowsWithInk(0, 60, [](uint32_t c) { return greenOf(c) < 200; });
    const int large = rowsWithInk(90, 200, [](uint32_t c) { return greenOf(c) < 100; });
    EXPECT_LE(small, 20);
    EXPECT_GE(small, 15);
    EXPECT_LE(large, 40);
    EXPECT_GE(large, 32);
}

TEST_F(DeviceTest, MissingFontsDrawNothing) {
    device().createFont(7, 20);  // outside the table: ignored
    device().clear(BLACK);
    for (int font : {0, 1, -1, 2}) device().drawText(font, "HELLO", 0, 0, 640, 480, TextAlign::Left, WHITE);
    EXPECT_EQ(countPixels(frame(), 0, 0, 640, 480, [](uint32_t c) { return c != BLACK; }), 0);
}

TEST_F(DeviceTest, TextLeavesTheBoundTextureInPlace) {
    device().createFont(0, 20);
    device().clear(BLACK);
    device().bindTexture(-1);
    device().drawText(0, "A", 0, 0, 640, 480, TextAlign::Left, WHITE);
    drawScreenQuad(device(), 100, 100, 110, 110, 0xFF00FF00);
    EXPECT_EQ(pixelAt(frame(), 105, 105), 0xFF00FF00);
}

TEST_F(DeviceTest, OddCharactersDrawAsReplacementGlyphs) {
    device().createFont(0, 20);
    device().clear(BLACK);
    device().drawText(0, "\xE3\x81\x82\t", 0, 0, 640, 480, TextAlign::Left, WHITE);
    const auto f = frame();
    const auto lit = [](uint32_t c) { return c != BLACK; };
    device().clear(BLACK);
    device().drawText(0, "??", 0, 0, 640, 480, TextAlign::Left, WHITE);
    EXPECT_EQ(f, frame());
    EXPECT_GT(countPixels(f, 0, 0, 640, 480, lit), 0);
}

}  // namespace vantrel::test
