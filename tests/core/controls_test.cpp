#include <gtest/gtest.h>

#include <initializer_list>

#include "fixtures.h"
#include "sim/controls.h"

using namespace vantrel;

namespace {

// Starts a tick holding the given virtual-key codes; the previous tick's keys roll over.
void holdKeys(World& w, std::initializer_list<int> codes) {
    uint8_t snapshot[256] = {};
    for (int code : codes) snapshot[code] = 0x80;
    updateKeyState(w.input, snapshot);
}

// A world with live aircraft in the given slots, side 1, the player in the first of them.
std::unique_ptr<World> worldWithSlots(std::initializer_list<int> slots) {
    auto w = test::makeWorld();
    for (int slot : slots) {
        w->aircraft[slot].side = 1;
        w->aircraft[slot].type = 0;
    }
    w->playerIndex = *slots.begin();
    return w;
}

}  // namespace

TEST(Controls, EachHeldKeySetsItsBit) {
    struct Row {
        int code;
        uint32_t bit;
    };
    const Row rows[] = {{104, 0x001}, {101, 0x002}, {100, 0x004}, {102, 0x008}, {103, 0x010},
                        {105, 0x020}, {90, 0x040},  {88, 0x080},  {81, 0x100},  {65, 0x200}};
    for (const Row& row : rows) {
        auto w = worldWithSlots({0});
        holdKeys(*w, {row.code});
        updatePlayerControls(*w);
        EXPECT_EQ(w->aircraft[0].controls, row.bit) << "key " << row.code;
    }
    auto w = worldWithSlots({0});
    holdKeys(*w, {100, 102, 81, 65});
    updatePlayerControls(*w);
    EXPECT_EQ(w->aircraft[0].controls, 0x004u | 0x008u | 0x100u | 0x200u);
}

TEST(Controls, LauncherOnlyOnTheTickXGoesDownGunWhileZIsHeld) {
    auto w = worldWithSlots({0});
    const uint32_t expected[] = {0x0C0, 0x040, 0x040, 0x000, 0x0C0};
    const bool held[] = {true, true, true, false, true};
    for (int t = 0; t < 5; ++t) {
        if (held[t]) {
            holdKeys(*w, {90, 88});
        } else {
            holdKeys(*w, {});
        }
        updatePlayerControls(*w);
        EXPECT_EQ(w->aircraft[0].controls, expected[t]) << "tick " << t;
    }
}

TEST(Controls, NoKeyClearsTheWholeWord) {
    auto w = worldWithSlots({0});
    w->aircraft[0].controls = 0x3FF;
    holdKeys(*w, {});
    updatePlayerControls(*w);
    EXPECT_EQ(w->aircraft[0].controls, 0u);
}

TEST(Controls, FunctionKeysToggleRadarAndViewOncePerPress) {
    auto w = worldWithSlots({0});
    holdKeys(*w, {113, 114});
    updatePlayerControls(*w);
    EXPECT_EQ(w->radarLong, 1);
    EXPECT_EQ(w->cockpitView, 1);
    holdKeys(*w, {113, 114});  // still held: no new press
    updatePlayerControls(*w);
    EXPECT_EQ(w->radarLong, 1);
    holdKeys(*w, {});
    updatePlayerControls(*w);
    holdKeys(*w, {114});
    updatePlayerControls(*w);
    EXPECT_EQ(w->radarLong, 1);
    EXPECT_EQ(w->cockpitView, 0);
}

TEST(Controls, SwitchKeysStepThroughLiveAircraftWithWrap) {
    auto w = worldWithSlots({3, 7});
    const struct {
        int key, expected;
    } steps[] = {{123, 7}, {123, 3}, {122, 7}, {122, 3}};
    for (const auto& s : steps) {
        holdKeys(*w, {});
        updatePlayerControls(*w);
        holdKeys(*w, {s.key});
        updatePlayerControls(*w);
        EXPECT_EQ(w->playerIndex, s.expected);
    }
}

TEST(Controls, BothSwitchKeysRunNextFirst) {
    auto w = worldWithSlots({3, 7});
    w->playerIndex = 5;  // the player's aircraft has been destroyed
    holdKeys(*w, {122, 123});
    updatePlayerControls(*w);
    EXPECT_EQ(w->playerIndex, 3) << "F12 to 7, then F11 back to 3";
}

TEST(Controls, SwitchWithNothingAliveComesBackToTheStart) {
    auto w = test::makeWorld();
    w->playerIndex = 12;
    holdKeys(*w, {123});
    updatePlayerControls(*w);
    EXPECT_EQ(w->playerIndex, 12);
}

TEST(Controls, WordGoesToTheAircraftFlownAsTheTickBegan) {
    auto w = worldWithSlots({3, 7});
    w->aircraft[7].controls = CTRL_YAW_LEFT;  // its pilot's word from the previous tick
    holdKeys(*w, {123, 104});
    updatePlayerControls(*w);
    EXPECT_EQ(w->playerIndex, 7);
    EXPECT_EQ(w->aircraft[3].controls, CTRL_PITCH_DOWN);
    EXPECT_EQ(w->aircraft[7].controls, CTRL_YAW_LEFT);

    // A destroyed player's record still receives the word.
    w->aircraft[7].side = 0;
    holdKeys(*w, {90});
    updatePlayerControls(*w);
    EXPECT_EQ(w->aircraft[7].controls, CTRL_FIRE_GUN);
}

TEST(Controls, PlayerIndexOutsideTheTableIsNeverUsedAsAnIndex) {
    auto w = worldWithSlots({4});
    w->playerIndex = -1;
    holdKeys(*w, {90});
    updatePlayerControls(*w);
    EXPECT_EQ(w->aircraft[4].controls, 0u);
    holdKeys(*w, {123});
    updatePlayerControls(*w);
    EXPECT_EQ(w->playerIndex, 4);
}
