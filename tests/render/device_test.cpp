#include <SDL.h>

#include <array>

#include "render/device.h"
#include "render_fixture.h"

namespace vantrel::test {

namespace {

using render::ScreenVertex;
using render::WorldVertex;

constexpr uint32_t BACKGROUND = 0xFF1464FF;

std::array<ScreenVertex, 4> screenQuad(float x0, float y0, float x1, float y1, uint32_t colour) {
    return {{{x0, y0, 0, 1, colour, 0, 0}, {x0, y1, 0, 1, colour, 0, 1}, {x1, y1, 0, 1, colour, 1, 1},
             {x1, y0, 0, 1, colour, 1, 0}}};
}

class DeviceTest : public RenderTest {};

}  // namespace

TEST_F(DeviceTest, ClearFillsEveryPixel) {
    device().clear(BACKGROUND);
    const auto f = frame();
    ASSERT_EQ(f.size(), size_t(render::SCREEN_WIDTH) * render::SCREEN_HEIGHT);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 480, [](uint32_t c) { return c == BACKGROUND; }), 640 * 480);
}

TEST_F(DeviceTest, ScreenQuadCoversExactlyItsPixels) {
    device().clear(0xFF000000);
    device().bindTexture(-1);
    const auto quad = screenQuad(10, 10, 20, 20, 0xFFFFFFFF);
    device().drawScreenFan(quad.data(), 4);
    const auto f = frame();
    EXPECT_EQ(countPixels(f, 10, 10, 20, 20, [](uint32_t c) { return c == 0xFFFFFFFF; }), 100);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 480, [](uint32_t c) { return c == 0xFFFFFFFF; }), 100);
}

}  // namespace vantrel::test
