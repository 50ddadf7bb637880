#include "game/demo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/ai.h"
#include "sim/controls.h"
#include "world/keys.h"

namespace vantrel {
namespace {

struct Keys {
    uint8_t keys[256];
};

Keys next(DemoPilot& demo, const World& w) {
    Keys k;
    demo.snapshot(w, k.keys);
    return k;
}

std::unique_ptr<World> worldInMode(int32_t mode) {
    auto w = std::make_unique<World>();
    w->gameMode = mode;
    w->rngState = 12345;
    return w;
}

void placeAircraft(World& w, int slot, float x, float z, float heading, int8_t side) {
    Aircraft& a = w.aircraft[slot];
    a.x = x;
    a.y = 300.0f;
    a.z = z;
    a.heading = heading;
    a.speed = 0.5f;
    a.type = 0;
    a.side = side;
    w.placedSide[slot] = side;  // as the mission places it
    a.armor = AIRCRAFT_TYPES[0].armor;
    a.gunAmmo = AIRCRAFT_TYPES[0].gunAmmo;
    a.launcherAmmo = AIRCRAFT_TYPES[0].launcherAmmo;
    a.target = -1;
}

// Player in slot 0 facing an enemy straight ahead, another enemy off to the side.
std::unique_ptr<World> dogfight() {
    auto w = worldInMode(MODE_MISSION);
    w->seats[PLAYER_SEAT].slot = 0;
    placeAircraft(*w, 0, 0.0f, 0.0f, 0.0f, 1);
    placeAircraft(*w, 1, 0.0f, 40.0f, 0.0f, 2);
    placeAircraft(*w, 2, 300.0f, -200.0f, 1.0f, 2);
    return w;
}

TEST(Demo, MenuKeysStartTheChosenMission) {
    DemoPilot demo(3);
    auto w = worldInMode(MODE_TITLE);
    EXPECT_EQ(next(demo, *w).keys[VK_SPACE], KEY_DOWN_BIT);
    w->gameMode = MODE_SELECT;
    w->flowCounter = 1;
    Keys k = next(demo, *w);
    EXPECT_EQ(k.keys[VK_NUMPAD5], KEY_DOWN_BIT) << "mission 1 highlighted, 3 wanted";
    EXPECT_EQ(k.keys[VK_SPACE], 0);
    EXPECT_EQ(next(demo, *w).keys[VK_NUMPAD5], 0) << "a key must come up before it can be pressed again";
    EXPECT_EQ(next(demo, *w).keys[VK_NUMPAD5], KEY_DOWN_BIT);
    w->flowCounter = 3;
    EXPECT_EQ(next(demo, *w).keys[VK_SPACE], KEY_DOWN_BIT);
    EXPECT_FALSE(demo.finished(*w));
}

TEST(Demo, FliesThePlayerAsAComputerPilotWouldWithoutTouchingTheWorld) {
    auto w = dogfight();
    w->aircraft[0].roll = 0.8f;  // banked: any pilot levels the wings
    auto expected = std::make_unique<World>(*w);
    expected->seats[PLAYER_SEAT].slot = -1;
    updateAiPilots(*expected);
    const uint64_t before = hashWorld(*w);

    DemoPilot demo(1);
    const Keys k = next(demo, *w);
    EXPECT_EQ(hashWorld(*w), before) << "the pilot's draws and memory stay out of the World";

    auto flown = std::make_unique<World>(*w);
    updateKeyState(flown->seats[PLAYER_SEAT].input, k.keys);
    updatePlayerControls(*flown);
    EXPECT_EQ(flown->aircraft[0].controls, expected->aircraft[0].controls);
    EXPECT_NE(flown->aircraft[0].controls & (CTRL_ROLL_LEFT | CTRL_ROLL_RIGHT), 0u)
        << "banked, so the pilot levels the wings";
}

TEST(Demo, EndsWhenTheMissionGivesWayToTheTitle) {
    DemoPilot demo(1);
    auto w = dogfight();
    EXPECT_NE(demo.outcome(*w).find("never started"), std::string::npos);
    next(demo, *w);
    EXPECT_FALSE(demo.finished(*w));
    EXPECT_NE(demo.outcome(*w).find("still going after 1 ticks"), std::string::npos) << demo.outcome(*w);
    w->aircraft[1].side = 0;
    next(demo, *w);
    w->gameMode = MODE_TITLE;
    EXPECT_TRUE(demo.finished(*w));
    const std::string line = demo.outcome(*w);
    EXPECT_NE(line.find("situation 1 flown for 2 ticks"), std::string::npos) << line;
    EXPECT_NE(line.find("1 of 2 enemy aircraft downed"), std::string::npos) << line;
}

TEST(Demo, SaysHowTheAircraftWasLost) {
    DemoPilot demo(1);
    auto w = dogfight();
    next(demo, *w);
    w->aircraft[0].side = 0;
    w->lastDamage[0] = DamageRecord{0, DAMAGE_GROUND};
    w->gameMode = MODE_TITLE;
    const std::string line = demo.outcome(*w);
    EXPECT_NE(line.find("the demo aircraft was lost: crashed into the ground;"), std::string::npos) << line;
}

}  // namespace
}  // namespace vantrel
