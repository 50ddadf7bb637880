// The kept still-screen layer: copied back instead of drawn while nothing under it changes, and
// let go when the screens that keep one give way to others.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "device_fixture.h"
#include "render/device.h"
#include "render/frame.h"

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

// The title at rest redraws only its prompt's line over the last frame: a quad drawn below that
// line after a whole frame shows that the next one did not redraw the rest, and everywhere else
// that frame equals the same title drawn whole.
TEST_F(KeptLayerTest, TheTitlesPromptRedrawnAloneEqualsTheTitleDrawnWhole) {
    device().createFont(0, 20);
    device().createFont(1, 40);
    auto w = std::make_unique<World>();
    w->gameMode = MODE_TITLE;
    const auto titleAt = [&](int tick) {
        w->tickCount = tick;
        render::renderFrame(device(), *w);
        return frame();
    };
    titleAt(1);  // a window that cycles through back buffers gets the title whole in each
    titleAt(2);
    const std::vector<uint32_t> first = titleAt(3);
    drawScreenQuad(device(), 600, 400, 610, 410, 0xFF00FF00);
    const std::vector<uint32_t> redrawn = titleAt(9);
    EXPECT_EQ(pixelAt(redrawn, 605, 405), 0xFF00FF00u) << "only the prompt's line was drawn again";
    EXPECT_NE(redrawn, first) << "the prompt's alpha changed";

    device().clear(BLACK);  // a cleared picture holds no title: the next is drawn whole
    std::vector<uint32_t> whole = titleAt(9);
    EXPECT_NE(pixelAt(whole, 605, 405), 0xFF00FF00u);
    for (int y = 400; y < 410; ++y)
        for (int x = 600; x < 610; ++x) whole[size_t(y) * 640 + size_t(x)] = 0xFF00FF00u;
    EXPECT_EQ(redrawn, whole);
}

// On a window made for low, which has no depth, a software renderer copies textures onto the
// window on a path of its own: the title drawn back from its kept layer must still be the title
// as drawn, frame after frame, and a menu after it as well.
TEST_F(KeptLayerTest, StillScreensDrawnBackOnAWindowWithoutDepthEqualThemDrawn) {
    reopenFor(render::renderQuality(render::Quality::Low));
    if (HasFatalFailure()) return;
    device().createFont(0, 20);
    device().createFont(1, 40);
    auto w = std::make_unique<World>();
    const auto screenAt = [&](int mode, int tick) {
        w->gameMode = mode;
        w->tickCount = tick;
        render::renderFrame(device(), *w);
        return frame();
    };
    const std::vector<uint32_t> drawn = screenAt(MODE_TITLE, 5);
    ASSERT_GT(countPixels(drawn, 0, 0, 640, 480, [](uint32_t c) { return c != BLACK; }), 0);
    EXPECT_EQ(screenAt(MODE_TITLE, 5), drawn) << "drawn back from the kept layer";
    EXPECT_EQ(screenAt(MODE_TITLE, 5), drawn);
    const std::vector<uint32_t> menu = screenAt(MODE_SELECT, 6);
    EXPECT_NE(menu, drawn);
    EXPECT_EQ(screenAt(MODE_SELECT, 6), menu);
}

}  // namespace vantrel::test
