// The kept still-screen layer: copied back instead of drawn while nothing under it changes, and
// let go when the screens that keep one give way to others.
#include <gtest/gtest.h>

#include <cstdint>

#include "device_fixture.h"
#include "render/device.h"

namespace vantrel::test {

namespace {

class KeptLayerTest : public RenderTest {};

}  // namespace

// A half-transparent quad, so the kept picture depends on the clear under it.
TEST_F(KeptLayerTest, AStaticLayerIsLetGoAfterAFrameThatDidNotUseIt) {
    int draws = 0;
    auto frameWith = [&](bool withLayer) {
        device().beginFrame();
        device().clear(BLACK);
        if (withLayer)
            device().drawStaticLayer(1, [&] {
                ++draws;
                drawScreenQuad(device(), 0, 0, 320, 240, WHITE);
            });
        return pixelAt(RenderTest::frame(), 10, 10);
    };
    EXPECT_EQ(frameWith(true), WHITE);
    EXPECT_EQ(frameWith(true), WHITE);
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(frameWith(false), BLACK);
    EXPECT_EQ(frameWith(true), WHITE);
    EXPECT_EQ(draws, 2) << "the copy went with the frame without the layer";
    EXPECT_EQ(frameWith(true), WHITE);
    EXPECT_EQ(draws, 2);
}

TEST_F(KeptLayerTest, StaticLayerIsCopiedBackOnlyOverTheSameClearWithTheSameKey) {
    int draws = 0;
    auto layer = [&](uint64_t key, uint32_t colour) {
        device().drawStaticLayer(key, [&] {
            ++draws;
            drawScreenQuad(device(), 0, 0, 320, 240, colour);
        });
    };
    auto frameWith = [&](uint32_t clear, uint64_t key, uint32_t colour) {
        device().clear(clear);
        layer(key, colour);
        drawScreenQuad(device(), 600, 400, 610, 410, WHITE);  // drawn after the layer every frame
        return frame();
    };
    const auto first = frameWith(BLACK, 1, 0x80FF0000);
    EXPECT_TRUE(near(pixelAt(first, 10, 10), 128, 0, 0));
    EXPECT_EQ(frameWith(BLACK, 1, 0x80FF0000), first);
    EXPECT_EQ(draws, 1) << "the second frame copies the layer back";

    const auto overWhite = frameWith(WHITE, 1, 0x80FF0000);
    EXPECT_EQ(draws, 2) << "another clear colour under the layer";
    EXPECT_TRUE(near(pixelAt(overWhite, 10, 10), 255, 127, 127));
    EXPECT_EQ(pixelAt(overWhite, 400, 300), WHITE);

    const auto blue = frameWith(WHITE, 2, 0x800000FF);
    EXPECT_EQ(draws, 3) << "another key";
    EXPECT_TRUE(near(pixelAt(blue, 10, 10), 127, 127, 255));

    // Over something already drawn the layer is drawn as usual and nothing is kept of it.
    device().clear(WHITE);
    drawScreenQuad(device(), 0, 0, 5, 5, BLACK);
    layer(2, 0x800000FF);
    EXPECT_EQ(draws, 4);
    EXPECT_TRUE(near(pixelAt(frame(), 2, 2), 0, 0, 128));
    EXPECT_EQ(frameWith(WHITE, 2, 0x800000FF), blue);
    EXPECT_EQ(draws, 4);
}

}  // namespace vantrel::test
