#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "fixtures.h"
#include "sim/ai.h"
#include "sim/vecmath.h"

using namespace vantrel;

namespace {

constexpr uint32_t STEERING_BITS = CTRL_PITCH_DOWN | CTRL_PITCH_UP | CTRL_ROLL_LEFT | CTRL_ROLL_RIGHT |
                                   CTRL_YAW_LEFT | CTRL_YAW_RIGHT;
constexpr uint32_t YAW_BITS = CTRL_YAW_LEFT | CTRL_YAW_RIGHT;
constexpr uint32_t PITCH_BITS = CTRL_PITCH_DOWN | CTRL_PITCH_UP;
constexpr uint32_t ROLL_BITS = CTRL_ROLL_LEFT | CTRL_ROLL_RIGHT;

// A copy of the world's generator, to say in advance what the pilots' draws will give.
struct Draws {
    uint32_t state;
    explicit Draws(const World& w) : state(w.rngState) {}
    int next() { return nextRandom(state); }
    bool chance(int n) { return next() % n == 1; }
};

// Slot 0 is the player, whom no pilot flies. By default a far-off friend of the pilots
// (side 1); tests that count draws make the player the target instead, so that the only
// pilot drawing is the one under test.
struct Scene {
    std::unique_ptr<World> w = test::makeWorld();
    explicit Scene(Vec3 player = {280.0f, 60.0f, 280.0f}, int playerSide = 1) {
        test::addAircraft(*w, player.x, player.y, player.z, 0.0f, 0, playerSide);
        w->playerIndex = 0;
    }
    Aircraft& operator[](int slot) { return w->aircraft[slot]; }
    int add(float x, float y, float z, int side, int type = 0, int aiMode = AI_RUDDER) {
        return test::addAircraft(*w, x, y, z, 0.0f, type, side, aiMode);
    }
    // A pilot already chasing a target that has not moved since the last look.
    void chase(int pilot, int target) {
        Aircraft& a = w->aircraft[pilot];
        a.aiFlags |= AIF_PURSUE;
        a.target = static_cast<int16_t>(target);
        const Aircraft& t = w->aircraft[target];
        w->lastTargetPos[pilot] = Vec3{t.x, t.y, t.z};
    }
    // Points the pilot's nose exactly at a point.
    void aimAt(int pilot, double x, double y, double z) {
        Aircraft& a = w->aircraft[pilot];
        const double dx = x - a.x, dy = y - a.y, dz = z - a.z;
        a.heading = static_cast<float>(std::atan2(dx, dz));
        a.pitch = static_cast<float>(std::atan2(dy, std::sqrt(dx * dx + dz * dz)));
    }
    void tick() { updateAiPilots(*w); }
};

void seedUntil(World& w, bool (*wanted)(Draws&)) {
    for (uint32_t seed = 1;; ++seed) {
        seedRandom(w.rngState, seed);
        Draws d(w);
        if (wanted(d)) return;
    }
}

}  // namespace

TEST(AiPilots, PlayerAndFreeSlotsAreUntouched) {
    Scene s;
    const int enemy = s.add(5.0f, 40.0f, -280.0f, 1);
    s[0].controls = 0x155;
    s[0].aiFlags = AIF_PURSUE | AIF_BURST;
    s[0].target = static_cast<int16_t>(enemy);
    Aircraft freeSlot{};
    freeSlot.controls = 0x3FF;
    freeSlot.aiFlags = AIF_PURSUE | AIF_BURST;
    freeSlot.target = -1;
    freeSlot.y = 1.0f;
    s[5] = freeSlot;
    const Aircraft player = s[0];
    for (int t = 0; t < 50; ++t) s.tick();
    EXPECT_EQ(std::memcmp(&s[0], &player, sizeof player), 0);
    EXPECT_EQ(std::memcmp(&s[5], &freeSlot, sizeof freeSlot), 0);
}

TEST(AiPilots, NothingHappensWithOnlyThePlayerAlive) {
    Scene s;
    s[0].aiFlags = AIF_BURST;
    const uint64_t before = hashWorld(*s.w);
    for (int t = 0; t < 20; ++t) s.tick();
    EXPECT_EQ(hashWorld(*s.w), before);
}

TEST(AiPilots, CruiseLevelsTheWingsAndTheNose) {
    struct Case {
        float roll, pitch;
        uint32_t expected;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0},
        {0.5f, 0.0f, CTRL_ROLL_LEFT},
        {-0.5f, 0.0f, CTRL_ROLL_RIGHT},
        {1.9f * DEG, 0.0f, 0},
        {-1.9f * DEG, 0.0f, 0},
        {2.0f * TWO_PI + 0.5f, 0.0f, CTRL_ROLL_LEFT},  // never wrapped by the flight update
        {-TWO_PI - 0.5f, 0.0f, CTRL_ROLL_RIGHT},
        {3.0f, 0.0f, CTRL_ROLL_LEFT},
        {0.0f, 0.2f, CTRL_PITCH_DOWN},
        {0.0f, -0.2f, CTRL_PITCH_UP},
        {0.0f, 4.9f * DEG, 0},
        {0.0f, -4.9f * DEG, 0},
        {-0.4f, 0.3f, CTRL_ROLL_RIGHT | CTRL_PITCH_DOWN},
    };
    for (const Case& c : cases) {
        Scene s;
        const int pilot = s.add(0.0f, 40.0f, 0.0f, 1);
        s[pilot].roll = c.roll;
        s[pilot].pitch = c.pitch;
        s[pilot].controls = 0x3FF;  // rebuilt from nothing
        s.tick();
        EXPECT_EQ(s[pilot].controls, c.expected) << "roll " << c.roll << " pitch " << c.pitch;
    }
}

TEST(AiPilots, CruiseTurnsBackTowardTheCentreBeyondTheArena) {
    struct Case {
        float x, z, heading;
        uint32_t expected;
    };
    const Case cases[] = {
        {260.0f, 0.0f, 0.0f, CTRL_YAW_LEFT},         // centre lies toward -x, heading must fall
        {-260.0f, 0.0f, 0.0f, CTRL_YAW_RIGHT},       // centre toward +x
        {0.0f, -260.0f, HALF_PI, CTRL_YAW_LEFT},     // flying +x, centre toward +z
        {0.0f, -260.0f, -HALF_PI, CTRL_YAW_RIGHT},   // flying -x, centre toward +z
        {100.0f, 251.0f, PI, CTRL_YAW_RIGHT},        // beyond on z only
        {250.0f, -250.0f, 0.0f, 0},                  // on the limit is inside
        {240.0f, 0.0f, 0.0f, 0},
    };
    for (const Case& c : cases) {
        Scene s;
        const int pilot = s.add(c.x, 40.0f, c.z, 1);
        s[pilot].heading = c.heading;
        s.tick();
        EXPECT_EQ(s[pilot].controls & YAW_BITS, c.expected) << c.x << "," << c.z;
    }
}

TEST(AiPilots, SearchTakesTheDrawnSlotWhenAnEnemyIsWithinHundredHorizontally) {
    struct Case {
        float dx, dy, dz;
        int side;
        bool taken;
    };
    const Case cases[] = {
        {60.0f, 0.0f, 79.0f, 2, true},   // 99 away
        {0.0f, 55.0f, 99.5f, 2, true},   // height plays no part
        {0.0f, 0.0f, 100.0f, 2, false},  // not less than 100
        {10.0f, 0.0f, 0.0f, 1, false},   // a friend
    };
    for (const Case& c : cases) {
        Scene s;
        const int pilot = s.add(0.0f, 30.0f, 0.0f, 1);
        const int other = s.add(c.dx, 30.0f + c.dy, c.dz, c.side);
        ASSERT_EQ(other, 2);
        s[pilot].roll = 0.5f;
        seedUntil(*s.w, [](Draws& d) { return d.next() % MAX_AIRCRAFT == 2 && !d.chance(500); });
        s.tick();
        EXPECT_EQ((s[pilot].aiFlags & AIF_PURSUE) != 0, c.taken) << c.dx << "," << c.dz;
        if (!c.taken) continue;
        EXPECT_EQ(s[pilot].target, other);
        // The acquisition tick still steers as in cruise and remembers where the target was.
        EXPECT_EQ(s[pilot].controls, static_cast<uint32_t>(CTRL_ROLL_LEFT));
        EXPECT_EQ(s.w->lastTargetPos[pilot].x, s[other].x);
        EXPECT_EQ(s.w->lastTargetPos[pilot].y, s[other].y);
        EXPECT_EQ(s.w->lastTargetPos[pilot].z, s[other].z);
    }
}

TEST(AiPilots, AnEnemyInRangeIsFoundWithinAFewDozenTicks) {
    Scene s;
    const int pilot = s.add(0.0f, 30.0f, 0.0f, 1);
    const int enemy = s.add(30.0f, 30.0f, 30.0f, 2);
    s[enemy].aiMode = 9;  // flies on without steering, so the two stay close
    int ticks = 0;
    while ((s[pilot].aiFlags & AIF_PURSUE) == 0 && ticks < 1000) {
        s.tick();
        ++ticks;
    }
    EXPECT_EQ(s[pilot].target, enemy);
    EXPECT_LT(ticks, 1000);
}

TEST(AiPilots, GivesUpAtOnceOnAWeakGoneOrFriendlyTarget) {
    struct Case {
        int16_t armor;
        int8_t side;
        bool worthChasing;
    };
    const Case cases[] = {{19, 2, false}, {20, 2, true}, {80, 0, false}, {80, 1, false}, {80, 2, true}};
    for (const Case& c : cases) {
        for (uint32_t seed = 1; seed < 1500; seed += 7) {
            Scene s({40.0f, 30.0f, 0.0f}, 2);  // off to the right: no aiming draws
            seedRandom(s.w->rngState, seed);
            const int pilot = s.add(0.0f, 30.0f, 0.0f, 1);
            s.chase(pilot, 0);
            s[0].armor = c.armor;
            s[0].side = c.side;
            const uint32_t before = s.w->rngState;
            Draws d(*s.w);
            const bool drawGivesUp = d.chance(500);  // made only for a target worth chasing
            s.tick();
            EXPECT_EQ(s[pilot].target, 0);  // the target itself is kept
            if (c.worthChasing) {
                EXPECT_EQ((s[pilot].aiFlags & AIF_PURSUE) == 0, drawGivesUp);
                EXPECT_EQ(s.w->rngState, d.state);
            } else {
                EXPECT_EQ(s[pilot].aiFlags & AIF_PURSUE, 0u) << c.armor << " " << int{c.side};
                EXPECT_EQ(s.w->rngState, before);
            }
        }
    }
}

TEST(AiPilots, CruisingPilotsAlsoMakeTheGiveUpDrawForALiveEnemyTarget) {
    Scene s({280.0f, 60.0f, 280.0f}, 2);
    const int pilot = s.add(0.0f, 30.0f, 0.0f, 1);
    s[pilot].target = 0;  // as spawned: far beyond the search range
    Draws d(*s.w);
    d.next();
    d.chance(500);
    s.tick();
    EXPECT_EQ(s.w->rngState, d.state);
}

TEST(AiPilots, ATargetOutsideTheTableCountsAsGone) {
    for (int16_t target : {int16_t{-1}, int16_t{30}, int16_t{-30000}, int16_t{32767}}) {
        for (int mode : {AI_RUDDER, AI_BANK, AI_EXPERT}) {
            Scene s;
            const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, 0, mode);
            s[pilot].aiFlags = AIF_PURSUE;
            s[pilot].target = target;
            s.w->lastTargetPos[pilot] = Vec3{1.0f, 2.0f, 3.0f};
            const uint32_t rng = s.w->rngState;
            s.tick();
            EXPECT_EQ(s[pilot].aiFlags & AIF_PURSUE, 0u) << target;
            EXPECT_EQ(s[pilot].controls, 0u) << target;
            EXPECT_EQ(s[pilot].target, target);
            EXPECT_EQ(s.w->lastTargetPos[pilot].x, 1.0f);
            EXPECT_EQ(s.w->rngState, rng);  // nothing to chase, nothing drawn
        }
    }
}

TEST(AiPilots, RudderPilotAlwaysSetsExactlyOneYawBit) {
    const float offsets[][3] = {{0, 0, 30}, {0.001f, 0, 30}, {-0.001f, 0, 30}, {20, 5, 30},
                                {-20, -5, 30}, {0, 0, -30}, {0, 25, 5}, {3, -40, 1}};
    for (const auto& o : offsets) {
        Scene s;
        const int pilot = s.add(0.0f, 50.0f, 0.0f, 1);
        const int target = s.add(o[0], 50.0f + o[1], o[2], 2);
        s.chase(pilot, target);
        s.tick();
        const uint32_t yaw = s[pilot].controls & YAW_BITS;
        EXPECT_TRUE(yaw == CTRL_YAW_LEFT || yaw == CTRL_YAW_RIGHT) << o[0] << "," << o[1] << "," << o[2];
    }
}

TEST(AiPilots, RudderPilotDeadAheadDrawsBurstThenLaunchThenTheBurstEnd) {
    for (uint32_t seed = 1; seed < 200; ++seed) {
        Scene s({0.0f, 50.0f, 30.0f}, 2);
        seedRandom(s.w->rngState, seed);
        const int pilot = s.add(0.0f, 50.0f, 0.0f, 1);
        s.chase(pilot, 0);
        Draws d(*s.w);
        const bool burst = d.chance(3);
        const bool launch = d.chance(40);
        const bool burstEnds = burst && d.chance(8);
        const bool givesUp = d.chance(500);
        s.tick();
        const Aircraft& a = s[pilot];
        EXPECT_EQ(a.controls & PITCH_BITS, 0u);
        EXPECT_EQ((a.controls & CTRL_FIRE_GUN) != 0, burst);
        EXPECT_EQ((a.controls & CTRL_FIRE_LAUNCHER) != 0, launch);
        EXPECT_EQ((a.aiFlags & AIF_BURST) != 0, burst && !burstEnds);
        EXPECT_EQ((a.aiFlags & AIF_PURSUE) != 0, !givesUp);
        EXPECT_EQ(s.w->rngState, d.state);
    }
}

TEST(AiPilots, RudderPilotAimsThePitchOnlyOnceTheHeadingIsRight) {
    Scene s;
    const int pilot = s.add(0.0f, 50.0f, 0.0f, 1);
    const int above = s.add(0.0f, 60.0f, 30.0f, 2);
    s.chase(pilot, above);
    s.tick();
    EXPECT_EQ(s[pilot].controls & PITCH_BITS, static_cast<uint32_t>(CTRL_PITCH_UP));

    Scene side;
    const int p2 = side.add(0.0f, 50.0f, 0.0f, 1);
    const int aboveRight = side.add(10.0f, 60.0f, 30.0f, 2);
    side.chase(p2, aboveRight);
    side.tick();
    EXPECT_EQ(side[p2].controls & STEERING_BITS, static_cast<uint32_t>(CTRL_YAW_RIGHT));
}

TEST(AiPilots, RudderPilotLevelsOffBeyondThirtyDegreesOfPitch) {
    struct Case {
        float pitch, roll;
        uint32_t expected;
    };
    const Case cases[] = {{0.6f, 0.0f, CTRL_PITCH_DOWN}, {-0.6f, 0.0f, CTRL_PITCH_UP},
                          {0.6f, 0.3f, CTRL_ROLL_LEFT}, {0.6f, -0.3f, CTRL_ROLL_RIGHT},
                          {0.5f, 0.0f, 0}};
    for (const Case& c : cases) {
        Scene s;
        const int pilot = s.add(0.0f, 50.0f, 0.0f, 1);
        const int target = s.add(30.0f, 50.0f, 0.0f, 2);  // to the right: the rudder is busy
        s.chase(pilot, target);
        s[pilot].pitch = c.pitch;
        s[pilot].roll = c.roll;
        s.tick();
        EXPECT_EQ(s[pilot].controls & STEERING_BITS, c.expected | CTRL_YAW_RIGHT) << c.pitch << "," << c.roll;
    }
}

TEST(AiPilots, FixedLeadOfFifteenTicksForRudderAndBank) {
    for (int mode : {AI_RUDDER, AI_BANK, AI_EXPERT}) {
        Scene s;
        const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, 0, mode);
        const int target = s.add(0.0f, 30.0f, 40.0f, 2);
        s.chase(pilot, target);
        s.w->lastTargetPos[pilot].x = -1.0f;  // the target moved +1 on x in the last tick
        s.aimAt(pilot, 15.0, 30.0, 40.0);
        s.tick();
        const uint32_t steering = s[pilot].controls & STEERING_BITS;
        if (mode == AI_RUDDER) {
            EXPECT_TRUE(steering == CTRL_YAW_LEFT || steering == CTRL_YAW_RIGHT);
        } else if (mode == AI_BANK) {
            EXPECT_EQ(steering, 0u);
        } else {
            EXPECT_NE(steering & ROLL_BITS, 0u);  // leads by 32, so it turns
        }
    }
}

TEST(AiPilots, ExpertLeadsByEightTenthsOfTheStraightLineDistance) {
    // 40 units away in a straight line (32 horizontally): the lead is 32 ticks, not 25.6.
    for (double leadX : {32.0, 25.6, 15.0}) {
        Scene s;
        const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, 0, AI_EXPERT);
        const int target = s.add(0.0f, 54.0f, 32.0f, 2);
        s.chase(pilot, target);
        s.w->lastTargetPos[pilot].x = -1.0f;
        s.aimAt(pilot, leadX, 54.0, 32.0);
        s.tick();
        const uint32_t steering = s[pilot].controls & STEERING_BITS;
        if (leadX == 32.0) {
            EXPECT_EQ(steering, 0u);
        } else {
            EXPECT_NE(steering, 0u) << leadX;
        }
    }
}

TEST(AiPilots, BankersRollTheirOwnWayTowardARightAngle) {
    struct Case {
        int mode;
        float targetX, roll;
        uint32_t expectedRoll;
    };
    const Case cases[] = {
        {AI_BANK, -30.0f, -170 * DEG, CTRL_ROLL_LEFT},     // turn left: always rolls left
        {AI_EXPERT, -30.0f, -170 * DEG, CTRL_ROLL_RIGHT},  // the short way to -90
        {AI_EXPERT, -30.0f, 0.0f, CTRL_ROLL_LEFT},
        {AI_BANK, 30.0f, 170 * DEG, CTRL_ROLL_RIGHT},
        {AI_EXPERT, 30.0f, 170 * DEG, CTRL_ROLL_LEFT},
        {AI_EXPERT, 30.0f, 10 * DEG + TWO_PI, CTRL_ROLL_RIGHT},
    };
    for (const Case& c : cases) {
        Scene s;
        const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, 0, c.mode);
        const int target = s.add(c.targetX, 30.0f, 20.0f, 2);
        s.chase(pilot, target);
        s[pilot].roll = c.roll;
        s.tick();
        EXPECT_EQ(s[pilot].controls & (ROLL_BITS | CTRL_PITCH_UP), c.expectedRoll)
            << c.mode << " " << c.targetX << " " << c.roll;
    }
}

TEST(AiPilots, BankedAtARightAngleThePilotPullsAndUsesTheRudderForPitch) {
    struct Case {
        float targetX, targetDy, roll;
        uint32_t expected;
    };
    const Case cases[] = {
        {30.0f, 0.0f, 85 * DEG, CTRL_PITCH_UP},                    // level aim point: no rudder
        {30.0f, 10.0f, 85 * DEG, CTRL_PITCH_UP | CTRL_YAW_LEFT},   // right bank, above
        {30.0f, -10.0f, 95 * DEG, CTRL_PITCH_UP | CTRL_YAW_RIGHT},
        {-30.0f, 10.0f, -85 * DEG, CTRL_PITCH_UP | CTRL_YAW_RIGHT},  // left bank, above
        {-30.0f, -10.0f, -95 * DEG, CTRL_PITCH_UP | CTRL_YAW_LEFT},
    };
    for (int mode : {AI_BANK, AI_EXPERT}) {
        for (const Case& c : cases) {
            Scene s;
            const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, 0, mode);
            const int target = s.add(c.targetX, 30.0f + c.targetDy, 0.0f, 2);
            s.chase(pilot, target);
            s[pilot].roll = c.roll;
            s.tick();
            EXPECT_EQ(s[pilot].controls & STEERING_BITS, c.expected) << mode << " " << c.targetX;
        }
    }
}

TEST(AiPilots, BankersOnHeadingPitchWhenLevelAndRollLevelOtherwise) {
    struct Case {
        float dy, roll;
        uint32_t expected;
    };
    const Case cases[] = {{10.0f, 0.0f, CTRL_PITCH_UP},
                          {-10.0f, 9 * DEG, CTRL_PITCH_DOWN},
                          {10.0f, 30 * DEG, CTRL_ROLL_LEFT},
                          {-10.0f, -30 * DEG, CTRL_ROLL_RIGHT}};
    for (const Case& c : cases) {
        Scene s({0.0f, 30.0f + c.dy, 30.0f}, 2);
        const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, 0, AI_BANK);
        s.chase(pilot, 0);
        s[pilot].roll = c.roll;
        const uint32_t rng = s.w->rngState;
        Draws d(*s.w);
        d.chance(500);
        s.tick();
        EXPECT_EQ(s[pilot].controls & STEERING_BITS, c.expected) << c.dy << "," << c.roll;
        EXPECT_NE(s.w->rngState, rng);
        EXPECT_EQ(s.w->rngState, d.state);  // no firing draws while the pitch is off
    }
}

TEST(AiPilots, AlignedBankerMakesBothFiringDraws) {
    for (uint32_t seed = 1; seed < 200; ++seed) {
        Scene s({0.0f, 30.0f, 30.0f}, 2);
        seedRandom(s.w->rngState, seed);
        const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, 0, AI_BANK);
        s.chase(pilot, 0);
        Draws d(*s.w);
        const bool burst = d.chance(3);
        const bool launch = d.chance(40);
        if (burst) d.chance(8);
        d.chance(500);
        s.tick();
        EXPECT_EQ((s[pilot].controls & CTRL_FIRE_GUN) != 0, burst);
        EXPECT_EQ((s[pilot].controls & CTRL_FIRE_LAUNCHER) != 0, launch);
        EXPECT_EQ(s.w->rngState, d.state);
    }
}

TEST(AiPilots, UnknownModeSteersNotButKeepsTheCommonRules) {
    Scene s;
    const int pilot = s.add(0.0f, 10.0f, 0.0f, 1, 0, 7);
    const int target = s.add(30.0f, 10.0f, 0.0f, 2);
    s.chase(pilot, target);
    s[pilot].aiFlags |= AIF_BURST;
    s.tick();
    EXPECT_EQ(s[pilot].controls & ~CTRL_FIRE_GUN, static_cast<uint32_t>(CTRL_PITCH_UP));
    EXPECT_NE(s[pilot].controls & CTRL_FIRE_GUN, 0u);
}

TEST(AiPilots, ExpertWorksTheThrottleByDistanceAndSpeed) {
    struct Case {
        float distance, speed;
        int upDraws, downDraws;
    };
    const Case cases[] = {{50.0f, 0.3f, 1, 0}, {32.0f, 0.3f, 0, 0}, {20.0f, 0.3f, 0, 1},
                          {10.0f, 0.3f, 0, 2}, {10.0f, 0.17f, 0, 0}};
    for (const Case& c : cases) {
        for (uint32_t seed = 1; seed < 60; ++seed) {
            Scene s({c.distance, 30.0f, 0.0f}, 2);  // off to the side: no firing draws
            seedRandom(s.w->rngState, seed);
            const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, 0, AI_EXPERT);
            s.chase(pilot, 0);
            s[pilot].speed = c.speed;
            Draws d(*s.w);
            bool up = false, down = false;
            for (int i = 0; i < c.upDraws; ++i) up = d.chance(10) || up;
            for (int i = 0; i < c.downDraws; ++i) down = d.chance(8) || down;
            d.chance(500);
            s.tick();
            EXPECT_EQ((s[pilot].controls & CTRL_THROTTLE_UP) != 0, up) << c.distance;
            EXPECT_EQ((s[pilot].controls & CTRL_THROTTLE_DOWN) != 0, down) << c.distance;
            EXPECT_EQ(s.w->rngState, d.state) << c.distance << " " << c.speed;
        }
    }
}

TEST(AiPilots, BurstFiresEveryTickUntilItsEndDrawAndOutlivesThePursuit) {
    Scene s;
    const int pilot = s.add(0.0f, 30.0f, 0.0f, 1);
    s[pilot].aiFlags = AIF_BURST;  // cruising: the pursuit is already given up
    for (int t = 0; t < 200 && (s[pilot].aiFlags & AIF_BURST) != 0; ++t) {
        Draws d(*s.w);
        d.next();  // the search
        const bool ends = d.chance(8);
        s.tick();
        EXPECT_NE(s[pilot].controls & CTRL_FIRE_GUN, 0u);
        EXPECT_EQ((s[pilot].aiFlags & AIF_BURST) == 0, ends);
        EXPECT_EQ(s.w->rngState, d.state);
    }
    EXPECT_EQ(s[pilot].aiFlags & AIF_BURST, 0u);
    s.tick();
    EXPECT_EQ(s[pilot].controls & CTRL_FIRE_GUN, 0u);
}

TEST(AiPilots, RearwardLauncherFiresAtRandomEvenWhileCruising) {
    for (int type = 0; type < AIRCRAFT_TYPE_COUNT; ++type) {
        Scene s;
        const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, type);
        const bool rearward = AIRCRAFT_TYPES[type].launcherKind == 4;
        int launches = 0;
        for (int t = 0; t < 600; ++t) {
            Draws d(*s.w);
            d.next();  // the search
            const bool fires = rearward && d.chance(60);
            s.tick();
            EXPECT_EQ((s[pilot].controls & CTRL_FIRE_LAUNCHER) != 0, fires);
            EXPECT_EQ(s.w->rngState, d.state);
            launches += fires ? 1 : 0;
        }
        if (rearward) {
            EXPECT_GT(launches, 0);
        }
    }
}

TEST(AiPilots, BelowTwentyUnitsThePilotPullsUpOrFirstRollsLevel) {
    struct Case {
        float y, pitch, roll;
        uint32_t expected;
    };
    const Case cases[] = {
        {19.9f, 0.0f, 0.0f, CTRL_PITCH_UP},
        {19.9f, 0.0f, 19 * DEG, CTRL_PITCH_UP | CTRL_ROLL_LEFT},  // cruise levels, low rule pulls
        {19.9f, 0.0f, 21 * DEG, CTRL_ROLL_LEFT},
        {19.9f, 0.0f, -21 * DEG, CTRL_ROLL_RIGHT},
        {19.9f, 0.2f, 0.0f, CTRL_PITCH_UP | CTRL_PITCH_DOWN},  // both bits, both applied
        {20.0f, 0.0f, 0.0f, 0},
    };
    for (const Case& c : cases) {
        Scene s;
        const int pilot = s.add(0.0f, c.y, 0.0f, 1);
        s[pilot].pitch = c.pitch;
        s[pilot].roll = c.roll;
        s.tick();
        EXPECT_EQ(s[pilot].controls, c.expected) << c.y << " " << c.pitch << " " << c.roll;
    }
}

TEST(AiPilots, PursuitRemembersTheTargetPositionEveryTick) {
    Scene s({30.0f, 35.0f, 20.0f}, 2);
    const int pilot = s.add(0.0f, 30.0f, 0.0f, 1);
    s.chase(pilot, 0);
    s.w->lastTargetPos[pilot] = Vec3{0.0f, 0.0f, 0.0f};
    seedUntil(*s.w, [](Draws& d) { return !d.chance(500); });
    s.tick();
    EXPECT_EQ(s.w->lastTargetPos[pilot].x, 30.0f);
    EXPECT_EQ(s.w->lastTargetPos[pilot].y, 35.0f);
    EXPECT_EQ(s.w->lastTargetPos[pilot].z, 20.0f);
}

TEST(AiPilots, PlayerIndexOutsideTheTableHandsEveryAircraftToAPilot) {
    Scene s({0.0f, 60.0f, 0.0f});
    s[0].roll = 0.5f;
    s.w->playerIndex = -1;
    s.tick();
    EXPECT_EQ(s[0].controls, static_cast<uint32_t>(CTRL_ROLL_LEFT));
}
