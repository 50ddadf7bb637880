// What a quality changes: the 3D view drawn smaller and scaled up, while what is drawn after it
// stays at the picture's full resolution; high draws straight into the picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "device_fixture.h"
#include "render/device.h"

namespace vantrel::test {

namespace {

constexpr uint32_t HALF_WHITE = 0x80FFFFFF;

class QualityTest : public RenderTest {
protected:
    // A white square in the 3D view, then a white screen quad and a half-transparent one drawn
    // after it, over black.
    std::vector<uint32_t> squareAndQuad() {
        device().clear(BLACK);
        lookForward(device());
        const auto square = facingSquare(1, 5, WHITE);
        device().drawWorldView([&] { device().drawWorldFan(square.data(), 4); });
        drawScreenQuad(device(), 10, 10, 20, 20, WHITE);
        drawScreenQuad(device(), 30, 10, 40, 20, HALF_WHITE);
        return frame();
    }
};

bool between(uint32_t c) { return c != BLACK && c != WHITE; }

}  // namespace

TEST_F(QualityTest, AScaledViewIsSoftenedAndWhatFollowsItStaysSharp) {
    const std::vector<uint32_t> high = squareAndQuad();
    EXPECT_EQ(countPixels(high, 200, 100, 440, 380, between), 0) << "at high the square's edges are not filtered";
    EXPECT_EQ(pixelAt(high, 320, 240), WHITE);

    render::RenderQuality scaled;
    scaled.viewScale = 0.25f;
    device().setQuality(scaled);
    const std::vector<uint32_t> soft = squareAndQuad();
    EXPECT_GT(countPixels(soft, 200, 100, 440, 380, between), 200) << "the square's edges are spread over pixels";
    EXPECT_EQ(pixelAt(soft, 320, 240), WHITE);
    EXPECT_EQ(pixelAt(soft, 120, 240), BLACK);
    EXPECT_EQ(countPixels(soft, 10, 10, 20, 20, [](uint32_t c) { return c == WHITE; }), 100);
    EXPECT_EQ(countPixels(soft, 0, 0, 25, 40, [](uint32_t c) { return c != BLACK; }), 100)
        << "the quad drawn after the view is as sharp as at high";
    EXPECT_TRUE(between(pixelAt(soft, 35, 15))) << "what is drawn after the view blends as before it";
    EXPECT_EQ(pixelAt(soft, 35, 15), pixelAt(high, 35, 15));

    device().setQuality(render::renderQuality(render::Quality::High));
    EXPECT_EQ(squareAndQuad(), high);
}

}  // namespace vantrel::test
