#include "render/hud_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "render/view.h"
#include "render_fixture.h"
#include "sim/flight.h"

namespace vantrel::render {
namespace {

constexpr double PIXELS_PER_RADIAN = 480.0 / FIELD_OF_VIEW;

using test::playerMissionWorld;

Aircraft& addOther(World& w, int slot, float x, float y, float z, int side = 2) {
    Aircraft& a = w.aircraft[slot];
    a.x = x;
    a.y = y;
    a.z = z;
    a.side = static_cast<int8_t>(side);
    a.target = -1;
    return a;
}

TEST(HudLayout, PushSpaceFadesOutThenBackIn) {
    EXPECT_EQ(pushSpaceAlpha(0), 255);
    EXPECT_EQ(pushSpaceAlpha(63), 3);
    EXPECT_EQ(pushSpaceAlpha(64), 0);
    EXPECT_EQ(pushSpaceAlpha(127), 252);
    EXPECT_EQ(pushSpaceAlpha(128), 255);
    EXPECT_EQ(pushSpaceAlpha(128 * 7 + 32), pushSpaceAlpha(32));
}

TEST(HudLayout, InstrumentLineOfAFullAircraft) {
    auto w = playerMissionWorld();
    w->aircraft[0].y = 20.7f;
    w->aircraft[0].pitch = 0.1f;
    EXPECT_EQ(instrumentLine(*w), "ARMOR:100% W1:800 W2:8 SPEED:25 HEIGHT:20 ANGLE:5");
}

TEST(HudLayout, InstrumentLineTruncatesTowardZero) {
    auto w = playerMissionWorld();
    Aircraft& p = w->aircraft[0];
    p.armor = 7;  // 8.75 %
    p.y = -3.9f;
    p.pitch = -0.1f;   // -5.7 degrees
    p.speed = 0.019f;  // 0.95
    EXPECT_EQ(instrumentLine(*w), "ARMOR:8% W1:800 W2:8 SPEED:0 HEIGHT:-3 ANGLE:-5");
    p.armor = -5;  // the last hit took more than was left
    EXPECT_EQ(instrumentLine(*w).substr(0, 9), "ARMOR:0% ") << "armour never reads below zero";
}

TEST(HudLayout, FullArmourReadsHundredForEveryType) {
    auto w = playerMissionWorld();
    for (int t = 0; t < AIRCRAFT_TYPE_COUNT; ++t) {
        w->aircraft[0].type = static_cast<int8_t>(t);
        w->aircraft[0].armor = AIRCRAFT_TYPES[t].armor;
        EXPECT_EQ(instrumentLine(*w).substr(0, 11), "ARMOR:100% ") << "type " << t;
    }
}

TEST(HudLayout, InstrumentLineSurvivesAnAbsurdHeight) {
    auto w = playerMissionWorld();
    w->aircraft[0].y = 1e30f;
    w->aircraft[0].speed = std::nanf("");
    const std::string line = instrumentLine(*w);
    EXPECT_NE(line.find("SPEED:0 "), std::string::npos);
    EXPECT_NE(line.find("HEIGHT:2147483647 "), std::string::npos);
}

TEST(HudLayout, StallBelowSpeedOrAboveSeventy) {
    auto w = playerMissionWorld();
    Aircraft& p = w->aircraft[0];
    EXPECT_FALSE(isStalling(p));
    p.speed = 0.1f;
    EXPECT_TRUE(isStalling(p));
    p.speed = 0.15f;
    EXPECT_FALSE(isStalling(p));
    p.y = 70.0f;
    EXPECT_FALSE(isStalling(p));
    p.y = std::nextafter(70.0f, 100.0f);
    EXPECT_TRUE(isStalling(p));
    p.y = 90.0f;
    EXPECT_EQ(warningLine(*w), "STALL");
}

TEST(HudLayout, WarningLineByPriority) {
    auto w = playerMissionWorld();
    EXPECT_EQ(warningLine(*w), "");
    addOther(*w, 3, 0.0f, 20.0f, 30.0f);
    w->aircraft[0].target = 3;
    EXPECT_EQ(warningLine(*w), "LOCK ON");
    w->aircraft[0].speed = 0.1f;
    EXPECT_EQ(warningLine(*w), "STALL");
    Projectile& m = w->projectiles[17];
    m.side = 2;
    m.weapon = WEAPON_MISSILE;
    m.target = 0;
    EXPECT_EQ(warningLine(*w), "! MISSILE !");
}

TEST(HudLayout, OnlyALiveMissileOnThePlayerWarns) {
    auto w = playerMissionWorld();
    w->seats[PLAYER_SEAT].slot = 4;
    w->aircraft[4] = w->aircraft[0];
    w->aircraft[0].side = 0;
    Projectile& m = w->projectiles[0];
    m.weapon = WEAPON_MISSILE;
    m.target = 4;
    EXPECT_FALSE(missileHomingOnPlayer(*w)) << "free slot";
    m.side = 2;
    EXPECT_TRUE(missileHomingOnPlayer(*w));
    m.weapon = WEAPON_ROCKET;
    EXPECT_FALSE(missileHomingOnPlayer(*w)) << "rocket";
    m.weapon = WEAPON_MISSILE;
    m.target = 0;
    EXPECT_FALSE(missileHomingOnPlayer(*w)) << "aimed at another slot";
}

TEST(HudLayout, LockOnNeedsTargetAndGuidedMissileLauncher) {
    auto w = playerMissionWorld();
    addOther(*w, 3, 0.0f, 20.0f, 30.0f);
    EXPECT_FALSE(showsLockOn(*w));
    w->aircraft[0].target = 3;
    EXPECT_TRUE(showsLockOn(*w));
    for (int t = 0; t < AIRCRAFT_TYPE_COUNT; ++t) {
        w->aircraft[0].type = static_cast<int8_t>(t);
        EXPECT_EQ(showsLockOn(*w), AIRCRAFT_TYPES[t].launcherKind == LAUNCHER_GUIDED_MISSILE) << "type " << t;
        if (AIRCRAFT_TYPES[t].launcherKind != LAUNCHER_GUIDED_MISSILE) {
            EXPECT_EQ(warningLine(*w), "");
        }
    }
}

TEST(HudLayout, RadarRimAtFiftyPixels) {
    auto w = playerMissionWorld();
    const Aircraft& p = w->aircraft[0];
    Aircraft& other = addOther(*w, 5, 0.0f, 20.0f, 75.0f);
    const auto rim = radarMarker(p, other, 60.0f, 420.0f, radarScale(*w));
    ASSERT_TRUE(rim.has_value());
    EXPECT_NEAR(rim->x, 60.0f, 1e-3);
    EXPECT_NEAR(rim->y, 370.0f, 1e-3);
    other.z = 75.1f;
    EXPECT_FALSE(radarMarker(p, other, 60.0f, 420.0f, radarScale(*w)).has_value());

    w->seats[PLAYER_SEAT].radarLong = 1;
    EXPECT_TRUE(radarMarker(p, other, 60.0f, 420.0f, radarScale(*w)).has_value());
    other.z = 150.0f;
    EXPECT_TRUE(radarMarker(p, other, 60.0f, 420.0f, radarScale(*w)).has_value());
    other.z = 150.1f;
    EXPECT_FALSE(radarMarker(p, other, 60.0f, 420.0f, radarScale(*w)).has_value());
}

TEST(HudLayout, RadarIsHeadingUp) {
    auto w = playerMissionWorld();
    Aircraft& p = w->aircraft[0];
    p.x = 100.0f;
    p.z = -50.0f;
    const Aircraft& east = addOther(*w, 1, 130.0f, 20.0f, -50.0f);
    const Aircraft& north = addOther(*w, 2, 100.0f, 20.0f, -20.0f);
    const float pixels = 30.0f / 1.5f;

    auto right = radarMarker(p, east, 60.0f, 420.0f, 1.5f);
    ASSERT_TRUE(right.has_value());
    EXPECT_NEAR(right->x, 60.0f + pixels, 1e-3);
    EXPECT_NEAR(right->y, 420.0f, 1e-3);

    p.heading = HALF_PI;  // now facing +x: the aircraft to the east is ahead, north is left
    auto ahead = radarMarker(p, east, 60.0f, 420.0f, 1.5f);
    auto left = radarMarker(p, north, 60.0f, 420.0f, 1.5f);
    ASSERT_TRUE(ahead.has_value() && left.has_value());
    EXPECT_NEAR(ahead->x, 60.0f, 1e-3);
    EXPECT_NEAR(ahead->y, 420.0f - pixels, 1e-3);
    EXPECT_NEAR(left->x, 60.0f - pixels, 1e-3);
    EXPECT_NEAR(left->y, 420.0f, 1e-3);
}

TEST(HudLayout, WorldToScreenAheadRightAndBelow) {
    auto w = playerMissionWorld();
    w->seats[PLAYER_SEAT].cameraPos = {10.0f, 30.0f, -20.0f};
    const ScreenPoint ahead = worldToScreen(*w, 10.0f, 30.0f, 0.0f);
    EXPECT_NEAR(ahead.x, 320.0f, 1e-3);
    EXPECT_NEAR(ahead.y, 240.0f, 1e-3);

    const ScreenPoint right = worldToScreen(*w, 30.0f, 30.0f, 0.0f);  // 45 degrees right
    EXPECT_NEAR(right.x, 320.0 + std::atan(1.0) * PIXELS_PER_RADIAN, 1e-2);
    EXPECT_NEAR(right.y, 240.0f, 1e-3);

    const ScreenPoint below = worldToScreen(*w, 10.0f, 10.0f, 0.0f);  // 45 degrees down
    EXPECT_NEAR(below.x, 320.0f, 1e-3);
    EXPECT_NEAR(below.y, 240.0 + std::atan(1.0) * PIXELS_PER_RADIAN, 1e-2);
}

TEST(HudLayout, WorldToScreenFollowsTheCameraAngles) {
    auto w = playerMissionWorld();
    w->seats[PLAYER_SEAT].cameraHeading = HALF_PI;  // looking along +x
    const ScreenPoint ahead = worldToScreen(*w, 40.0f, 0.0f, 0.0f);
    EXPECT_NEAR(ahead.x, 320.0f, 1e-2);
    EXPECT_NEAR(ahead.y, 240.0f, 1e-2);

    w->seats[PLAYER_SEAT].cameraHeading = 0.0f;
    w->seats[PLAYER_SEAT].cameraPitch = 0.3f;  // nose up: a level point ahead drops below the centre
    const ScreenPoint level = worldToScreen(*w, 0.0f, 0.0f, 40.0f);
    EXPECT_NEAR(level.x, 320.0f, 1e-2);
    EXPECT_NEAR(level.y, 240.0 + 0.3 * PIXELS_PER_RADIAN, 1e-2);

    w->seats[PLAYER_SEAT].cameraPitch = 0.0f;
    w->seats[PLAYER_SEAT].cameraRoll = HALF_PI;  // rolled a quarter turn: a point straight above lies to one side
    const ScreenPoint above = worldToScreen(*w, 0.0f, 40.0f, 40.0f);
    EXPECT_NEAR(std::abs(above.x - 320.0f), std::atan(1.0) * PIXELS_PER_RADIAN, 1e-1);
    EXPECT_NEAR(above.y, 240.0f, 1e-1);

    w->seats[PLAYER_SEAT].cameraRoll = 0.0f;  // behind the camera: wrapped to the far side, off the screen
    const ScreenPoint behind = worldToScreen(*w, 1.0f, 0.0f, -40.0f);
    EXPECT_GT(behind.x, 640.0f);
}

TEST(HudLayout, AtlasCellsAreQuartersAndStayInside) {
    const AtlasCell lockOn = atlasCell(CELL_LOCK_ON);
    EXPECT_FLOAT_EQ(lockOn.uLeft, 0.25f);
    EXPECT_FLOAT_EQ(lockOn.uRight, 0.5f);
    EXPECT_FLOAT_EQ(lockOn.vTop, 0.25f);
    EXPECT_FLOAT_EQ(lockOn.vBottom, 0.5f);
    const AtlasCell last = atlasCell(15);
    EXPECT_FLOAT_EQ(last.uLeft, 0.75f);
    EXPECT_FLOAT_EQ(last.vBottom, 1.0f);
    for (int cell = 0; cell < 256; ++cell) {
        const AtlasCell c = atlasCell(static_cast<uint8_t>(cell));
        EXPECT_GE(c.uLeft, 0.0f);
        EXPECT_GE(c.vTop, 0.0f);
        EXPECT_LE(c.uRight, 1.0f) << "cell " << cell;
        EXPECT_LE(c.vBottom, 1.0f) << "cell " << cell;
    }
}

TEST(HudLayout, SpriteCornersGoRoundTheCell) {
    const auto v = spriteCorners(100.0f, 50.0f, 150, 20.0f, 6);  // column 2, row 1
    const float expected[4][4] = {
        {90, 40, 0.5f, 0.25f}, {90, 60, 0.5f, 0.5f}, {110, 60, 0.75f, 0.5f}, {110, 40, 0.75f, 0.25f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(v[i].x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(v[i].y, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(v[i].u, expected[i][2]) << i;
        EXPECT_FLOAT_EQ(v[i].v, expected[i][3]) << i;
        EXPECT_EQ(v[i].diffuse, 0x96FFFFFFu);
        EXPECT_EQ(v[i].z, 0.0f);
        EXPECT_EQ(v[i].rhw, 1.0f);
    }
}

TEST(HudLayout, UpsideDownRectangleFlipsTheTexture) {
    const auto v = screenRectCorners(220.0f, 340.0f, 420.0f, 140.0f, 256 + 120);
    EXPECT_EQ(v[0].diffuse, 0x78FFFFFFu) << "only the low 8 bits of alpha count";
    EXPECT_FLOAT_EQ(v[0].y, 340.0f);  // bottom of the screen ...
    EXPECT_FLOAT_EQ(v[0].v, 0.0f);    // ... shows the top row of the texture
    EXPECT_FLOAT_EQ(v[1].y, 140.0f);
    EXPECT_FLOAT_EQ(v[1].v, 1.0f);
    EXPECT_FLOAT_EQ(v[2].x, 420.0f);
    EXPECT_FLOAT_EQ(v[2].u, 1.0f);
    EXPECT_FLOAT_EQ(v[3].u, 1.0f);
    EXPECT_FLOAT_EQ(v[3].v, 0.0f);
}

TEST(HudLayout, MapMarksLiveAircraftAndBlinksThePlayer) {
    auto w = playerMissionWorld();
    w->aircraft[0].x = 40.0f;
    w->aircraft[0].z = 80.0f;
    const ScreenPoint at = mapMarker(w->aircraft[0]);
    EXPECT_FLOAT_EQ(at.x, 330.0f);
    EXPECT_FLOAT_EQ(at.y, 220.0f);

    addOther(*w, 2, 0.0f, 0.0f, 0.0f);
    for (int t = 0; t < 12; ++t) {
        w->tickCount = t;
        EXPECT_EQ(showsMapMarker(*w, 0), t % 6 >= 3) << "tick " << t;
        EXPECT_TRUE(showsMapMarker(*w, 2)) << "tick " << t;
        EXPECT_FALSE(showsMapMarker(*w, 7)) << "free slot, tick " << t;
    }
    w->aircraft[0].side = 0;
    w->tickCount = 4;
    EXPECT_FALSE(showsMapMarker(*w, 0)) << "destroyed player";
}

TEST(HudLayout, MissionResultWhileTheCountdownRuns) {
    auto w = playerMissionWorld();
    EXPECT_EQ(missionResult(*w), "");
    w->flowCounter = 150;
    EXPECT_EQ(missionResult(*w), "MISSION COMPLETE");
    w->aircraft[0].side = 0;
    EXPECT_EQ(missionResult(*w), "MISSION FAILURE");
}

TEST(HudLayout, DebriefCountsByPlacedSidesAndStopsTheClockAtTheOutcome) {
    auto w = playerMissionWorld();
    w->placedSide[0] = 1;
    addOther(*w, 1, 0, 20, 0, 1);  // a friend, lost below
    addOther(*w, 2, 0, 20, 0, 2);  // an enemy, downed below
    addOther(*w, 3, 0, 20, 0, 2);
    for (int slot = 1; slot <= 3; ++slot) w->placedSide[slot] = w->aircraft[slot].side;
    w->aircraft[1].side = 0;
    w->aircraft[2].side = 0;
    EXPECT_EQ(debriefLine(*w), "") << "no debrief while the mission runs";
    w->tickCount = 61 + 40;  // decided at tick 61, 40 ticks into the countdown
    w->flowCounter = 150 - 40;
    EXPECT_EQ(debriefLine(*w), "ENEMIES DOWNED 1 OF 2   FRIENDS LOST 1   TIME 0:01");
    w->lastDamage[2].by = 0;
    EXPECT_EQ(debriefLine(*w, true), "ENEMIES DOWNED 1 OF 2 (YOU 1)   FRIENDS LOST 1   TIME 0:01")
        << "the player's own kills beside the side's";
    w->tickCount = 2001 + 149;  // 60.03 s
    w->flowCounter = 1;
    EXPECT_EQ(debriefLine(*w).substr(debriefLine(*w).size() - 9), "TIME 1:00");
}

}  // namespace
}  // namespace vantrel::render
