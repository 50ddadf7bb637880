// The picture the device draws into: its layout in the window, clearing, reading back, and
// presenting it.
#include <gtest/gtest.h>

#include "device_fixture.h"
#include "render/device.h"

namespace vantrel::test {

namespace {

constexpr uint32_t BACKGROUND = 0xFF1464FF;

class PictureBufferTest : public RenderTest {};

}  // namespace

TEST(PictureBuffer, LetterboxKeepsTheAspectCentred) {
    const auto wide = render::letterboxRect(1280, 720);
    EXPECT_EQ(wide.x, 160);
    EXPECT_EQ(wide.y, 0);
    EXPECT_EQ(wide.width, 960);
    EXPECT_EQ(wide.height, 720);
    const auto tall = render::letterboxRect(640, 960);
    EXPECT_EQ(tall.x, 0);
    EXPECT_EQ(tall.y, 240);
    EXPECT_EQ(tall.width, 640);
    EXPECT_EQ(tall.height, 480);
    const auto doubled = render::letterboxRect(1280, 960);
    EXPECT_EQ(doubled.x, 0);
    EXPECT_EQ(doubled.width, 1280);
}

TEST_F(PictureBufferTest, ClearFillsEveryPixelWithOpaqueColour) {
    device().clear(BACKGROUND);
    const auto f = frame();
    ASSERT_EQ(f.size(), size_t(render::SCREEN_WIDTH) * render::SCREEN_HEIGHT);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 480, [](uint32_t c) { return c == BACKGROUND; }), 640 * 480);
    device().clear(0x00102030);  // the picture has no alpha of its own
    EXPECT_EQ(pixelAt(frame(), 5, 5), 0xFF102030u);
}

TEST_F(PictureBufferTest, ReadPixelsStartsWithTheTopRow) {
    device().clear(BLACK);
    drawScreenQuad(device(), 0, 0, 3, 1, WHITE);
    const auto f = frame();
    EXPECT_EQ(pixelAt(f, 0, 0), WHITE);
    EXPECT_EQ(pixelAt(f, 2, 0), WHITE);
    EXPECT_EQ(pixelAt(f, 0, 1), BLACK);
    EXPECT_EQ(pixelAt(f, 0, 479), BLACK);
}

TEST_F(PictureBufferTest, PresentLeavesThePictureReadable) {
    device().clear(BLACK);
    drawScreenQuad(device(), 100, 100, 200, 200, WHITE);
    const auto before = frame();
    device().present();
    EXPECT_EQ(frame(), before);
    drawScreenQuad(device(), 300, 300, 310, 310, WHITE);  // drawing continues into the picture
    EXPECT_EQ(pixelAt(frame(), 305, 305), WHITE);
}

}  // namespace vantrel::test
