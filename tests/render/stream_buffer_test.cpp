// Vertices streamed to the driver: more in a frame than the stream buffer holds, and one list
// longer than all of it.
#include <gtest/gtest.h>

#include <vector>

#include "device_fixture.h"
#include "render/device.h"

namespace vantrel::test {

namespace {

using render::WorldVertex;

class StreamBufferTest : public RenderTest {};

}  // namespace

TEST_F(StreamBufferTest, ManyFansInAFrameAllArrive) {
    // More vertex data than the stream buffer holds, so it must restart mid-frame.
    device().clear(BLACK);
    for (int i = 0; i < 40000; ++i) {
        const float x = float(i % 640);
        drawScreenQuad(device(), x, 0, x + 1, 1, WHITE);
    }
    drawScreenQuad(device(), 0, 2, 640, 3, WHITE);
    const auto f = frame();
    EXPECT_EQ(countPixels(f, 0, 0, 640, 1, [](uint32_t c) { return c == WHITE; }), 640);
    EXPECT_EQ(countPixels(f, 0, 2, 640, 3, [](uint32_t c) { return c == WHITE; }), 640);
}

TEST_F(StreamBufferTest, ATriangleListLongerThanTheStreamBufferIsDrawnWhole) {
    device().clear(BLACK);
    lookForward(device());
    std::vector<WorldVertex> list;
    auto addSquare = [&list](float left, uint32_t colour) {
        const WorldVertex a{left, 0.5f, 5, colour, 0, 0}, b{left + 1, 0.5f, 5, colour, 0, 0};
        const WorldVertex c{left + 1, -0.5f, 5, colour, 0, 0}, d{left, -0.5f, 5, colour, 0, 0};
        list.insert(list.end(), {a, b, c, a, c, d});
    };
    addSquare(-2.0f, 0xFFFF0000);
    list.resize(90000, WorldVertex{0, 0, 5, WHITE, 0, 0});  // zero-area triangles: 2 MB in all
    addSquare(1.0f, 0xFF00FF00);
    device().drawWorldTriangles(list.data(), static_cast<int>(list.size()));
    const auto f = frame();
    EXPECT_EQ(pixelAt(f, 195, 240), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(f, 445, 240), 0xFF00FF00u);
    EXPECT_EQ(pixelAt(f, 320, 240), BLACK);
}

}  // namespace vantrel::test
