#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "render/frame.h"
#include "render/hud.h"
#include "render/hud_layout.h"
#include "render_fixture.h"

namespace vantrel::test {

namespace {

using render::ScreenPoint;

constexpr uint32_t BLACK = 0xFF000000;
constexpr uint32_t TITLE_GREY = 0xFF303030;
constexpr uint32_t MAP_TEAL = 0xFF008080;  // top half of the map picture
constexpr uint32_t MAP_RED = 0xFF800000;   // bottom half
constexpr int CELL_PIXELS = 16;

// Opaque atlas cells in colours told apart by their channels.
constexpr uint32_t CELL_COLOURS[render::ATLAS_CELLS] = {0xFF0000C0,  // 0 radar background: blue
                                                        0xFF00FF00, 0xFF00FFFF, 0xFF808080,
                                                        0xFFFFFF00,  // 4 gun sight: yellow
                                                        0xFFFF00FF,  // 5 lock-on box: magenta
                                                        0xFF404040, 0xFF404040, 0xFF404040, 0xFF404040, 0xFF404040,
                                                        0xFF404040, 0xFF404040, 0xFF404040, 0xFF404040, 0xFF404040};

std::vector<uint32_t> atlasPixels() {
    constexpr int side = 4 * CELL_PIXELS;
    std::vector<uint32_t> pixels(size_t(side) * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            pixels[size_t(y) * side + x] = CELL_COLOURS[(y / CELL_PIXELS) * 4 + x / CELL_PIXELS];
    return pixels;
}

bool isBrightWhite(uint32_t c) { return redOf(c) > 160 && greenOf(c) > 160 && blueOf(c) > 160; }
bool isGreenText(uint32_t c) { return greenOf(c) > 128 && redOf(c) < 64 && blueOf(c) < 64; }
bool isRedText(uint32_t c) { return redOf(c) > 128 && greenOf(c) < 64 && blueOf(c) < 64; }
bool isMagenta(uint32_t c) { return redOf(c) > 128 && blueOf(c) > 128 && greenOf(c) < 64; }
bool isYellowish(uint32_t c) { return redOf(c) > 40 && greenOf(c) > 40 && blueOf(c) < 16; }

// Summed green above a base level, so a faint background adds nothing.
int brightnessAbove(const std::vector<uint32_t>& f, int base, int x0, int y0, int x1, int y1) {
    int sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) sum += std::max(0, greenOf(pixelAt(f, x, y)) - base);
    return sum;
}

struct Extent {
    int left = 640, right = -1;
};
// The leftmost and rightmost columns of the band y0 <= y < y1 holding a pixel that passes.
Extent horizontalExtent(const std::vector<uint32_t>& f, int y0, int y1, bool (*test)(uint32_t)) {
    Extent e;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < 640; ++x)
            if (test(pixelAt(f, x, y))) {
                e.left = std::min(e.left, x);
                e.right = std::max(e.right, x);
            }
    return e;
}

std::vector<uint32_t> mapPixels() {
    std::vector<uint32_t> pixels(32 * 32, MAP_TEAL);
    std::fill(pixels.begin() + 16 * 32, pixels.end(), MAP_RED);
    return pixels;
}

// A data directory of plain pictures: a grey title, a two-colour map and a cell-coloured atlas.
class HudRender : public RenderTest {
protected:
    std::string dataDirectory() override {
        const std::string dir = makeTempDirectory("hud-data");
        writeFile(dir + "/title.bmp", bmp32Bytes(64, 48, std::vector<uint32_t>(64 * 48, TITLE_GREY)));
        writeFile(dir + "/map1.bmp", bmp32Bytes(32, 32, mapPixels()));
        writeFile(dir + "/2dtex.dds", dds32Bytes(4 * CELL_PIXELS, 4 * CELL_PIXELS, atlasPixels()));
        return dir;
    }

    void SetUp() override {
        RenderTest::SetUp();
        if (HasFatalFailure()) return;
        device().createFont(render::FONT_SMALL, 20);
        device().createFont(render::FONT_LARGE, 40);
        world_ = std::make_unique<World>();
        for (Aircraft& a : world_->aircraft) a.target = -1;
        for (Projectile& p : world_->projectiles) p.target = -1;
    }

    // The player in slot 0: type 0 (guided missiles), side 1, level at height 20 facing +z,
    // the camera just behind it.
    World& mission() {
        world_ = playerMissionWorld();
        world_->seats[PLAYER_SEAT].cameraPos = {0.0f, 20.0f, -5.0f};
        return *world_;
    }

    void addEnemy(int slot, float x, float z) {
        Aircraft& a = world_->aircraft[slot];
        a.x = x;
        a.y = 20.0f;
        a.z = z;
        a.side = 2;
        a.target = -1;
    }

    std::vector<uint32_t> hudFrame() {
        device().clear(BLACK);
        render::drawHud(device(), *world_);
        return frame();
    }

    std::unique_ptr<World> world_;
};

TEST_F(HudRender, TitleShowsTheVersionAtTheRightAndTheBlinkingPrompt) {
    auto title = [&](int tick) {
        world_->tickCount = tick;
        device().clear(BLACK);
        render::drawTitleScreen(device(), *world_);
        return frame();
    };
    const auto lit = title(0);
    EXPECT_EQ(pixelAt(lit, 0, 0), TITLE_GREY);
    EXPECT_EQ(pixelAt(lit, 639, 479), TITLE_GREY);
    EXPECT_GT(countPixels(lit, 480, 10, 631, 30, isBrightWhite), 100) << "version line";
    const Extent version = horizontalExtent(lit, 10, 30, isBrightWhite);
    EXPECT_LE(version.right, 630);
    EXPECT_GE(version.right, 620) << "right-aligned at 630";
    EXPECT_GT(countPixels(lit, 10, 10, 320, 50, isBrightWhite), 400) << "PUSH SPACE KEY";
    EXPECT_EQ(countPixels(lit, 0, 50, 640, 480, isBrightWhite), 0);

    const auto faded = title(64);
    EXPECT_EQ(countPixels(faded, 10, 10, 320, 50, isBrightWhite), 0);
    EXPECT_GT(countPixels(faded, 480, 10, 631, 30, isBrightWhite), 100);
}

TEST_F(HudRender, MenuHighlightsTheChosenMission) {
    for (int chosen = 1; chosen <= 5; ++chosen) {
        world_->gameMode = MODE_SELECT;
        world_->flowCounter = chosen;
        device().clear(BLACK);
        render::drawMissionMenu(device(), *world_);
        const auto f = frame();
        EXPECT_GT(countPixels(f, 10, 10, 400, 50, isBrightWhite), 400) << "SELECT SITUATION";
        const int background = greenOf(pixelAt(f, 639, 479));
        EXPECT_GT(background, 0) << "the faint title picture";
        EXPECT_LT(background, greenOf(TITLE_GREY));
        std::vector<int> rows;
        for (int k = 1; k <= 5; ++k) {
            rows.push_back(brightnessAbove(f, background, 0, 50 + 50 * k, 640, 90 + 50 * k));
        }
        for (int k = 1; k <= 5; ++k) {
            if (k == chosen) continue;
            EXPECT_GT(rows[chosen - 1], 2 * rows[k - 1]) << "chosen " << chosen << ", row " << k;
            EXPECT_GT(rows[k - 1], 0) << "dim rows are still shown";
        }
        const Extent row = horizontalExtent(f, 50 + 50 * chosen, 90 + 50 * chosen, isBrightWhite);
        EXPECT_NEAR(row.left + row.right, 640, 24) << "centred, chosen " << chosen;
    }
}

TEST_F(HudRender, InstrumentLineSightAndRadar) {
    mission();
    addEnemy(3, 0.0f, 30.0f);  // 30 ahead: 20 pixels above the radar centre
    const auto f = hudFrame();
    EXPECT_GT(countPixels(f, 10, 10, 630, 30, isGreenText), 300) << "instrument line";
    EXPECT_EQ(countPixels(f, 0, 30, 640, 480, isGreenText), 0) << "green only in the top line";
    EXPECT_TRUE(isYellowish(pixelAt(f, 320, 250))) << "gun sight";
    EXPECT_TRUE(isYellowish(pixelAt(f, 320, 278)));
    EXPECT_EQ(pixelAt(f, 320, 216), BLACK);
    EXPECT_GT(blueOf(pixelAt(f, 60, 440)), 30) << "radar background";
    EXPECT_GT(greenOf(pixelAt(f, 60, 400)), 60) << "enemy marker above the radar centre";
    EXPECT_EQ(countPixels(f, 0, 300, 640, 320, isRedText), 0) << "no warning";

    world_->seats[PLAYER_SEAT].cockpitView = 1;
    const auto cockpit = hudFrame();
    EXPECT_TRUE(isYellowish(pixelAt(cockpit, 320, 216)));
    EXPECT_EQ(pixelAt(cockpit, 320, 278), BLACK);
}

TEST_F(HudRender, LockOnBoxOnlyForTheGuidedMissileLauncher) {
    mission();
    addEnemy(3, 20.0f, 25.0f);
    world_->aircraft[0].target = 3;
    const Aircraft& t = world_->aircraft[3];
    const ScreenPoint at = render::worldToScreen(*world_, t.x, t.y, t.z);
    ASSERT_GT(at.x, 400.0f);
    const auto locked = hudFrame();
    EXPECT_TRUE(isMagenta(pixelAt(locked, int(at.x), int(at.y))));
    EXPECT_GT(countPixels(locked, 0, 300, 640, 320, isRedText), 50) << "LOCK ON";

    world_->aircraft[0].type = 2;  // unguided rockets
    const auto rockets = hudFrame();
    EXPECT_EQ(countPixels(rockets, 0, 0, 640, 480, isMagenta), 0);
    EXPECT_EQ(countPixels(rockets, 0, 300, 640, 320, isRedText), 0);
}

TEST_F(HudRender, LongRangeLabelAndMissionResult) {
    mission();
    EXPECT_EQ(countPixels(hudFrame(), 110, 450, 200, 470, isGreenText), 0);
    world_->seats[PLAYER_SEAT].radarLong = 1;
    world_->flowCounter = 120;
    const auto f = hudFrame();
    EXPECT_GT(countPixels(f, 110, 450, 200, 470, isGreenText), 40) << "LONG";
    const int complete = countPixels(f, 0, 200, 640, 240, isBrightWhite);
    EXPECT_GT(complete, 300) << "MISSION COMPLETE";

    world_->aircraft[0].side = 0;
    const int failure = countPixels(hudFrame(), 0, 200, 640, 240, isBrightWhite);
    EXPECT_GT(failure, 300) << "MISSION FAILURE";
    EXPECT_NE(failure, complete);
}

TEST_F(HudRender, FullMapCoversTheCentreWhileShown) {
    mission();
    world_->flowCounter = 120;
    addEnemy(3, 200.0f, 200.0f);  // map position (370, 190)
    world_->tickCount = 4;        // the player's marker is on
    const auto without = hudFrame();
    EXPECT_EQ(pixelAt(without, 230, 150), BLACK);
    EXPECT_GT(countPixels(without, 220, 200, 420, 240, isBrightWhite), 100) << "result text";
    world_->seats[PLAYER_SEAT].mapShown = 1;
    const auto f = hudFrame();
    // Upside down: the top of the picture lies at the bottom of the screen, so +z points up.
    const uint32_t bottom = pixelAt(f, 230, 330);
    EXPECT_EQ(redOf(bottom), 0);
    EXPECT_GT(greenOf(bottom), 40);
    EXPECT_NEAR(greenOf(bottom), blueOf(bottom), 2);
    const uint32_t top = pixelAt(f, 230, 150);
    EXPECT_GT(redOf(top), 40);
    EXPECT_EQ(greenOf(top), 0);
    EXPECT_EQ(pixelAt(f, 218, 240), BLACK) << "200 pixels wide from x 220";
    EXPECT_EQ(pixelAt(f, 320, 342), BLACK) << "200 pixels high up to y 340";
    EXPECT_GT(greenOf(pixelAt(f, 370, 190)), 150) << "side-2 marker";
    EXPECT_GT(greenOf(pixelAt(f, 320, 240)), 150) << "player marker (side 1)";
    EXPECT_EQ(countPixels(f, 220, 200, 420, 240, isBrightWhite), 0) << "the map covers the result";

    world_->tickCount = 2;  // the player's marker blinks off
    EXPECT_LT(greenOf(pixelAt(hudFrame(), 320, 240)), 150);
}

// The game shows the last picture again instead of drawing a still screen under the same key,
// so the same key must mean the same picture, and a new key something new.
TEST_F(HudRender, StillScreensDrawTheSamePictureUnderTheSameKey) {
    auto still = [&](int mode, int tick, int row) {
        world_->gameMode = mode;
        world_->tickCount = tick;
        world_->flowCounter = row;
        render::renderFrame(device(), *world_);
        return std::pair{render::stillFrameKey(*world_), frame()};
    };
    const auto title = still(MODE_TITLE, 5, 0);
    ASSERT_TRUE(title.first.has_value());
    int sameBlink = 6;
    while (sameBlink < 1000 && still(MODE_TITLE, sameBlink, 0).first != title.first) ++sameBlink;
    ASSERT_LT(sameBlink, 1000) << "the prompt blinks";
    EXPECT_EQ(still(MODE_TITLE, sameBlink, 0).second, title.second);
    const auto nextTick = still(MODE_TITLE, 6, 0);
    EXPECT_NE(nextTick.first, title.first);
    EXPECT_NE(nextTick.second, title.second);

    const auto menu = still(MODE_SELECT, 10, 2);
    const auto menuLater = still(MODE_SELECT, 77, 2);
    EXPECT_EQ(menuLater.first, menu.first);
    EXPECT_EQ(menuLater.second, menu.second);
    const auto otherRow = still(MODE_SELECT, 77, 3);
    EXPECT_NE(otherRow.first, menu.first);
    EXPECT_NE(otherRow.second, menu.second);
    EXPECT_NE(menu.first, title.first);

    world_->gameMode = MODE_MISSION;
    EXPECT_FALSE(render::stillFrameKey(*world_).has_value());
}

}  // namespace
}  // namespace vantrel::test
