#include <gtest/gtest.h>

#include <initializer_list>

#include "fixtures.h"
#include "sim/controls.h"

using namespace vantrel;

namespace {

// One player-controls step with the given virtual-key codes held; the previous step's
// keys become the previous snapshot.
void step(World& w, std::initializer_list<int> codes) {
    uint8_t snapshot[256] = {};
    for (int code : codes) snapshot[code] = 0x80;
    updateKeyState(w.seats[PLAYER_SEAT].input, snapshot);
    updatePlayerControls(w);
}

// Live aircraft in the given slots; the player flies the first.
std::unique_ptr<World> worldWithSlots(std::initializer_list<int> slots) {
    auto w = test::makeWorld();
    for (int slot : slots) w->aircraft[slot].side = 1;
    w->seats[PLAYER_SEAT].slot = *slots.begin();
    return w;
}

}  // namespace

TEST(Controls, KeysBuildTheWordLauncherOnlyOnThePress) {
    const struct {
        int code;
        uint32_t bit;
    } rows[] = {{104, 0x001}, {101, 0x002}, {100, 0x004}, {102, 0x008}, {103, 0x010},
                {105, 0x020}, {90, 0x040},  {88, 0x080},  {81, 0x100},  {65, 0x200}};
    for (const auto& row : rows) {
        auto w = worldWithSlots({0});
        w->aircraft[0].controls = 0x3FF;
        step(*w, {row.code});
        EXPECT_EQ(w->aircraft[0].controls, row.bit) << "key " << row.code;
    }
    auto w = worldWithSlots({0});
    step(*w, {90, 88});
    EXPECT_EQ(w->aircraft[0].controls, 0x0C0u);
    step(*w, {90, 88});  // X still held: no second launch
    EXPECT_EQ(w->aircraft[0].controls, 0x040u);
    step(*w, {100, 102});  // opposite keys both set
    EXPECT_EQ(w->aircraft[0].controls, 0x00Cu);
}

TEST(Controls, FunctionKeysToggleOncePerPress) {
    auto w = worldWithSlots({0});
    step(*w, {113, 114});
    EXPECT_EQ(w->seats[PLAYER_SEAT].radarLong, 1);
    EXPECT_EQ(w->seats[PLAYER_SEAT].cockpitView, 1);
    step(*w, {113, 114});
    EXPECT_EQ(w->seats[PLAYER_SEAT].radarLong, 1);
    step(*w, {});
    step(*w, {114});
    EXPECT_EQ(w->seats[PLAYER_SEAT].radarLong, 1);
    EXPECT_EQ(w->seats[PLAYER_SEAT].cockpitView, 0);
}

TEST(Controls, MapShowsWhileF4IsHeld) {
    auto w = worldWithSlots({0});
    step(*w, {VK_F4});
    EXPECT_EQ(w->seats[PLAYER_SEAT].mapShown, 1);
    step(*w, {VK_F4});
    EXPECT_EQ(w->seats[PLAYER_SEAT].mapShown, 1) << "held, not toggled";
    step(*w, {});
    EXPECT_EQ(w->seats[PLAYER_SEAT].mapShown, 0);
    w->seats[PLAYER_SEAT].slot = -1;  // even with no aircraft to steer
    step(*w, {VK_F4});
    EXPECT_EQ(w->seats[PLAYER_SEAT].mapShown, 1);
}

TEST(Controls, SwitchKeysStepThroughLiveAircraftWithWrap) {
    auto w = worldWithSlots({3, 7});
    for (const auto& [key, expected] : {std::pair{123, 7}, {123, 3}, {122, 7}, {122, 3}}) {
        step(*w, {});
        step(*w, {key});
        EXPECT_EQ(w->seats[PLAYER_SEAT].slot, expected);
    }
    w->seats[PLAYER_SEAT].slot = 5;  // a destroyed aircraft: F12 goes to 7 first, then F11 back to 3
    step(*w, {});
    step(*w, {122, 123});
    EXPECT_EQ(w->seats[PLAYER_SEAT].slot, 3);

    auto empty = test::makeWorld();
    empty->seats[PLAYER_SEAT].slot = 12;
    step(*empty, {123});
    EXPECT_EQ(empty->seats[PLAYER_SEAT].slot, 12);
}

TEST(Controls, WordGoesToTheAircraftFlownAsTheTickBegan) {
    auto w = worldWithSlots({3, 7});
    w->aircraft[7].controls = CTRL_YAW_LEFT;  // its pilot's word from the previous tick
    step(*w, {123, 104});
    EXPECT_EQ(w->seats[PLAYER_SEAT].slot, 7);
    EXPECT_EQ(w->aircraft[3].controls, CTRL_PITCH_DOWN);
    EXPECT_EQ(w->aircraft[7].controls, CTRL_YAW_LEFT);
    w->aircraft[7].side = 0;  // destroyed, still written
    step(*w, {90});
    EXPECT_EQ(w->aircraft[7].controls, CTRL_FIRE_GUN);

    w->seats[PLAYER_SEAT].slot = -1;  // outside the table: nothing is written, F12 finds an aircraft
    step(*w, {90, 123});
    EXPECT_EQ(w->aircraft[3].controls, CTRL_PITCH_DOWN);
    EXPECT_EQ(w->seats[PLAYER_SEAT].slot, 3);
}
