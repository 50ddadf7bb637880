// What a quality changes: the 3D view drawn smaller and scaled up, while what is drawn after it
// stays at the picture's full resolution; high draws straight into the picture.
#include <SDL.h>
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
    // A white square and a white screen quad in the 3D view, then a white screen quad and a
    // half-transparent one drawn after it, over black.
    std::vector<uint32_t> squareAndQuad() {
        device().clear(BLACK);
        lookForward(device());
        const auto square = facingSquare(1, 5, WHITE);
        device().drawWorldView([&] {
            device().drawWorldFan(square.data(), 4);
            drawScreenQuad(device(), 50, 10, 60, 20, WHITE);
        });
        drawScreenQuad(device(), 10, 10, 20, 20, WHITE);
        drawScreenQuad(device(), 30, 10, 40, 20, HALF_WHITE);
        return frame();
    }
};

bool between(uint32_t c) { return c != BLACK && c != WHITE; }

constexpr uint32_t RED = 0xFFFF0000;
constexpr uint32_t BLUE = 0xFF0000FF;

// A red square in front of a larger blue one, the near one drawn first: only depth keeps it in
// front.
std::vector<uint32_t> nearSquareDrawnFirst(render::Device& d) {
    d.clear(BLACK);
    lookForward(d);
    const auto nearSquare = facingSquare(1, 4, RED);
    const auto farSquare = facingSquare(3, 8, BLUE);
    d.drawWorldView([&] {
        d.drawWorldFan(nearSquare.data(), 4);
        d.drawWorldFan(farSquare.data(), 4);
    });
    return d.readPixels();
}

int pixelsApart(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int apart = 0;
    for (size_t i = 0; i < a.size(); ++i) apart += near(a[i], redOf(b[i]), greenOf(b[i]), blueOf(b[i])) ? 0 : 1;
    return apart;
}

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
    EXPECT_GT(countPixels(soft, 45, 5, 65, 25, between), 0) << "a screen quad drawn in the view is scaled with it";
    EXPECT_EQ(countPixels(soft, 10, 10, 20, 20, [](uint32_t c) { return c == WHITE; }), 100);
    EXPECT_EQ(countPixels(soft, 0, 0, 25, 40, [](uint32_t c) { return c != BLACK; }), 100)
        << "the quad drawn after the view is as sharp as at high";
    EXPECT_TRUE(between(pixelAt(soft, 35, 15))) << "what is drawn after the view blends as before it";
    EXPECT_EQ(pixelAt(soft, 35, 15), pixelAt(high, 35, 15));

    device().setQuality(render::renderQuality(render::Quality::High));
    EXPECT_EQ(squareAndQuad(), high);
}

// The game's window for a view drawn smaller has no depth, so that a software renderer copies
// the view up on its fast path; a full-size view then needs a picture of its own with depth.
TEST_F(QualityTest, AWindowWithoutDepthShowsTheViewAsOneWithDepthAtEitherSize) {
    const render::RenderQuality low = render::renderQuality(render::Quality::Low);
    const render::RenderQuality high = render::renderQuality(render::Quality::High);
    device().setQuality(low);
    const std::vector<uint32_t> scaledWithDepth = nearSquareDrawnFirst(device());
    device().setQuality(high);
    const std::vector<uint32_t> fullWithDepth = nearSquareDrawnFirst(device());
    ASSERT_EQ(pixelAt(scaledWithDepth, 320, 240), RED);
    ASSERT_EQ(pixelAt(fullWithDepth, 320, 240), RED);

    reopenFor(low);
    if (HasFatalFailure()) return;
    EXPECT_EQ(pixelsApart(nearSquareDrawnFirst(device()), scaledWithDepth), 0)
        << "the scaled view, copied up by another path, differs at most by rounding";
    device().setQuality(high);
    EXPECT_EQ(nearSquareDrawnFirst(device()), fullWithDepth) << "the full-size view has depth";
    device().setQuality(low);
    EXPECT_EQ(pixelsApart(nearSquareDrawnFirst(device()), scaledWithDepth), 0);
}

}  // namespace vantrel::test
