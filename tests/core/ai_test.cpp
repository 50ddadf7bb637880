#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "fixtures.h"
#include "sim/ai.h"
#include "sim/vecmath.h"

using namespace vantrel;

namespace {

constexpr uint32_t STEERING_BITS =
    CTRL_PITCH_DOWN | CTRL_PITCH_UP | CTRL_ROLL_LEFT | CTRL_ROLL_RIGHT | CTRL_YAW_LEFT | CTRL_YAW_RIGHT;
constexpr uint32_t YAW_BITS = CTRL_YAW_LEFT | CTRL_YAW_RIGHT;

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
        w->seats[PLAYER_SEAT].slot = 0;
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

// One pursuit tick: a pilot in slot 1 at (0, 30, 0), nose along +z, chasing the player's
// aircraft (slot 0, side 2) at target, which has not moved since the pilot last looked.
struct Pursuit {
    int mode;
    Vec3 target;
    float pitch = 0.0f, roll = 0.0f;
};
Scene pursueOnce(const Pursuit& p, uint32_t seed = 1) {
    Scene s(p.target, 2);
    seedRandom(s.w->rngState, seed);
    const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, 0, p.mode);
    s.chase(pilot, 0);
    s[pilot].pitch = p.pitch;
    s[pilot].roll = p.roll;
    s.tick();
    return s;
}

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
    s.add(5.0f, 40.0f, 270.0f, 2);
    s[0].controls = 0x155;
    s[0].aiFlags = AIF_PURSUE | AIF_BURST;
    Aircraft freeSlot{};
    freeSlot.controls = 0x3FF;
    freeSlot.aiFlags = AIF_PURSUE | AIF_BURST;
    freeSlot.target = -1;
    s[5] = freeSlot;
    const Aircraft player = s[0];
    for (int t = 0; t < 50; ++t) s.tick();
    EXPECT_EQ(std::memcmp(&s[0], &player, sizeof player), 0);
    EXPECT_EQ(std::memcmp(&s[5], &freeSlot, sizeof freeSlot), 0);

    Scene alone;  // only the player alive: nothing at all happens, not even a draw
    const uint64_t before = hashWorld(*alone.w);
    alone.tick();
    EXPECT_EQ(hashWorld(*alone.w), before);
}

TEST(AiPilots, CruiseLevelsTheWingsAndTheNoseAndTurnsBackBeyondTheArena) {
    struct Case {
        float x, z, heading, roll, pitch;
        uint32_t expected;
    };
    const Case cases[] = {
        {0, 0, 0, 0.5f, 0, CTRL_ROLL_LEFT},
        {0, 0, 0, -0.5f, 0, CTRL_ROLL_RIGHT},
        {0, 0, 0, 1.9f * DEG, -4.9f * DEG, 0},
        {0, 0, 0, 2.0f * TWO_PI + 0.5f, 0, CTRL_ROLL_LEFT},  // roll is never wrapped in flight
        {0, 0, 0, 3.0f, 0.2f, CTRL_ROLL_LEFT | CTRL_PITCH_DOWN},
        {0, 0, 0, 0, -0.2f, CTRL_PITCH_UP},
        {260, 0, 0, 0, 0, CTRL_YAW_LEFT},  // the centre lies toward -x: heading must fall
        {-260, 0, 0, 0, 0, CTRL_YAW_RIGHT},
        {0, -260, HALF_PI, 0, 0, CTRL_YAW_LEFT},
        {0, -260, -HALF_PI, 0, 0, CTRL_YAW_RIGHT},
        {100, 251, PI, 0, 0, CTRL_YAW_RIGHT},
        {250, -250, 0, 0, 0, 0},  // on the limit is inside
    };
    for (const Case& c : cases) {
        Scene s;
        const int pilot = s.add(c.x, 40.0f, c.z, 1);
        s[pilot].heading = c.heading;
        s[pilot].roll = c.roll;
        s[pilot].pitch = c.pitch;
        s[pilot].controls = 0x3FF;  // rebuilt from nothing
        s.tick();
        EXPECT_EQ(s[pilot].controls, c.expected) << c.x << "," << c.z << " roll " << c.roll;
    }
}

TEST(AiPilots, SearchTakesTheDrawnSlotWhenAnEnemyIsWithinHundredHorizontally) {
    struct Case {
        float dx, dy, dz;
        int side;
        bool taken;
    };
    const Case cases[] = {
        {60, 0, 79, 2, true},     // 99 away
        {0, 55, 99.5f, 2, true},  // height plays no part
        {0, 0, 100, 2, false},
        {10, 0, 0, 1, false},  // a friend
    };
    for (const Case& c : cases) {
        Scene s;
        const int pilot = s.add(0.0f, 30.0f, 0.0f, 1);
        const int other = s.add(c.dx, 30.0f + c.dy, c.dz, c.side);
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

TEST(AiPilots, GivesUpAtOnceOnAWeakGoneOrFriendlyTarget) {
    struct Case {
        int16_t armor;
        int8_t side;
        bool worthChasing;
    };
    const Case cases[] = {{19, 2, false}, {20, 2, true}, {80, 0, false}, {80, 1, false}};
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
            EXPECT_EQ((s[pilot].aiFlags & AIF_PURSUE) != 0, c.worthChasing && !drawGivesUp);
            EXPECT_EQ(s.w->rngState, c.worthChasing ? d.state : before);
        }
    }
    // A cruising pilot runs the rule too, on whatever target it last had.
    Scene cruise({280.0f, 60.0f, 280.0f}, 2);
    cruise.add(0.0f, 30.0f, 0.0f, 1);
    Draws d(*cruise.w);
    d.next();
    d.next();
    cruise.tick();
    EXPECT_EQ(cruise.w->rngState, d.state);
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
            EXPECT_EQ(s.w->lastTargetPos[pilot].x, 1.0f);
            EXPECT_EQ(s.w->rngState, rng);  // nothing to chase, nothing drawn
        }
    }
}

TEST(AiPilots, RudderPilotSteersWithExactlyOneYawBitAndPitchesOnlyOnHeading) {
    struct Case {
        Vec3 target;
        float pitch, roll;
        uint32_t expected;
    };
    const Case cases[] = {
        {{0, 30, 30}, 0, 0, CTRL_YAW_RIGHT},  // dead ahead: the short PI leaves eH just below 0
        {{-20, 35, 30}, 0, 0, CTRL_YAW_LEFT},
        {{0, 40, 30}, 0, 0, CTRL_PITCH_UP | CTRL_YAW_RIGHT},
        {{0, 20, 30}, 0, 0, CTRL_PITCH_DOWN | CTRL_YAW_RIGHT},
        {{10, 40, 30}, 0, 0, CTRL_YAW_RIGHT},                      // busy turning: no pitch bit yet
        {{0, 30, -30}, 0, 0, CTRL_YAW_LEFT},                       // right behind: eH is PI
        {{30, 30, 0}, 0.6f, 0, CTRL_PITCH_DOWN | CTRL_YAW_RIGHT},  // beyond 30 degrees: level off
        {{30, 30, 0}, -0.6f, 0, CTRL_PITCH_UP | CTRL_YAW_RIGHT},
        {{30, 30, 0}, 0.6f, 0.3f, CTRL_ROLL_LEFT | CTRL_YAW_RIGHT},  // first the wings
        {{30, 30, 0}, 0.6f, -0.3f, CTRL_ROLL_RIGHT | CTRL_YAW_RIGHT},
        {{30, 30, 0}, 0.5f, 0, CTRL_YAW_RIGHT},
    };
    for (const Case& c : cases) {
        Scene s = pursueOnce({AI_RUDDER, c.target, c.pitch, c.roll});
        EXPECT_EQ(s[1].controls & STEERING_BITS, c.expected)
            << c.target.x << "," << c.target.y << "," << c.target.z << " pitch " << c.pitch;
    }
}

TEST(AiPilots, BankersTurnAtARightAngleEachRollingItsOwnWay) {
    struct Case {
        int mode;
        Vec3 target;
        float roll;
        uint32_t expected;
    };
    const Case cases[] = {
        {AI_BANK, {-30, 30, 20}, -170 * DEG, CTRL_ROLL_LEFT},     // turn left: always rolls left
        {AI_EXPERT, {-30, 30, 20}, -170 * DEG, CTRL_ROLL_RIGHT},  // the short way to -90
        {AI_EXPERT, {-30, 30, 20}, 0, CTRL_ROLL_LEFT},
        {AI_BANK, {30, 30, 20}, 170 * DEG, CTRL_ROLL_RIGHT},
        {AI_EXPERT, {30, 30, 20}, 170 * DEG, CTRL_ROLL_LEFT},
        {AI_EXPERT, {30, 30, 20}, 10 * DEG + TWO_PI, CTRL_ROLL_RIGHT},
        // Banked within 10 degrees of the right angle it pulls, and the rudder raises or
        // lowers the nose: its sense flips with the side of the bank.
        {AI_BANK, {30, 30, 0}, 85 * DEG, CTRL_PITCH_UP},
        {AI_BANK, {30, 40, 0}, 85 * DEG, CTRL_PITCH_UP | CTRL_YAW_LEFT},
        {AI_EXPERT, {30, 20, 0}, 95 * DEG, CTRL_PITCH_UP | CTRL_YAW_RIGHT},
        {AI_EXPERT, {-30, 40, 0}, -85 * DEG, CTRL_PITCH_UP | CTRL_YAW_RIGHT},
        {AI_BANK, {-30, 20, 0}, -95 * DEG, CTRL_PITCH_UP | CTRL_YAW_LEFT},
        // On heading: pitch with the wings level, else level them first.
        {AI_BANK, {0, 40, 30}, 0, CTRL_PITCH_UP},
        {AI_EXPERT, {0, 20, 30}, 9 * DEG, CTRL_PITCH_DOWN},
        {AI_BANK, {0, 40, 30}, 30 * DEG, CTRL_ROLL_LEFT},
        {AI_EXPERT, {0, 20, 30}, -30 * DEG, CTRL_ROLL_RIGHT},
    };
    for (const Case& c : cases) {
        Scene s = pursueOnce({c.mode, c.target, 0.0f, c.roll});
        EXPECT_EQ(s[1].controls & STEERING_BITS, c.expected)
            << c.mode << " " << c.target.x << "," << c.target.y << " roll " << c.roll;
    }
}

TEST(AiPilots, AlignedPilotsDrawBurstThenLaunchThenTheBurstEnd) {
    for (int mode : {AI_RUDDER, AI_BANK, AI_EXPERT}) {
        for (uint32_t seed = 1; seed < 200; ++seed) {
            Draws d(*test::makeWorld());
            seedRandom(d.state, seed);
            const bool burst = d.chance(3);
            const bool launch = d.chance(40);
            const bool burstEnds = burst && d.chance(8);
            const bool givesUp = d.chance(500);
            Scene s = pursueOnce({mode, {0, 30, 30}}, seed);  // 30 away: no throttle draws
            EXPECT_EQ(s[1].controls & (STEERING_BITS & ~YAW_BITS), 0u);
            EXPECT_EQ((s[1].controls & CTRL_FIRE_GUN) != 0, burst);
            EXPECT_EQ((s[1].controls & CTRL_FIRE_LAUNCHER) != 0, launch);
            EXPECT_EQ((s[1].aiFlags & AIF_BURST) != 0, burst && !burstEnds);
            EXPECT_EQ((s[1].aiFlags & AIF_PURSUE) != 0, !givesUp);
            EXPECT_EQ(s.w->rngState, d.state);
        }
    }
}

TEST(AiPilots, LeadIsFifteenTicksOrForAnExpertEightTenthsOfTheStraightLineDistance) {
    // The target moved `step` on x in the last tick. The nose is pointed at the target's
    // position plus `lead` ticks of that movement; only the pilot's own lead is aligned.
    struct Case {
        int mode;
        Vec3 target;
        float step;
        double lead;
        bool aligned;
    };
    const Case cases[] = {
        {AI_RUDDER, {-45, 30, 40}, 3, 15, true},
        {AI_BANK, {-45, 30, 40}, 3, 15, true},
        {AI_BANK, {-45, 30, 40}, 3, 14, false},
        {AI_RUDDER, {-45, 30, 40}, 3, 16, false},
        {AI_EXPERT, {0, 30, 40}, 1, 15, false},
        {AI_EXPERT, {-24, 30, 32}, 0.75f, 32, true},  // 40 away
        {AI_EXPERT, {-24, 30, 32}, 0.75f, 30, false},
        {AI_EXPERT, {0, 54, 32}, 1, 32, true},  // 40 away in a straight line, 32 horizontally
        {AI_EXPERT, {0, 54, 32}, 1, 25.6, false},
        {AI_BANK, {0, 54, 32}, 1, 32, false},
    };
    for (const Case& c : cases) {
        Scene s(c.target, 2);
        const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, 0, c.mode);
        s.chase(pilot, 0);
        s.w->lastTargetPos[pilot].x = c.target.x - c.step;
        s.aimAt(pilot, c.target.x + c.lead * c.step, c.target.y, c.target.z);
        Draws giveUpOnly(*s.w);
        giveUpOnly.next();
        s.tick();
        // A rudder pilot always has a yaw bit set; it is aligned when it draws to fire.
        const bool aligned =
            c.mode == AI_RUDDER ? s.w->rngState != giveUpOnly.state : (s[pilot].controls & STEERING_BITS) == 0;
        EXPECT_EQ(aligned, c.aligned) << c.mode << " lead " << c.lead;
    }
}

TEST(AiPilots, ExpertWorksTheThrottleByDistanceAndSpeed) {
    struct Case {
        float distance, speed;
        int upDraws, downDraws;
    };
    const Case cases[] = {{50, 0.3f, 1, 0}, {32, 0.3f, 0, 0}, {20, 0.3f, 0, 1}, {10, 0.3f, 0, 2}, {10, 0.17f, 0, 0}};
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

TEST(AiPilots, BurstAndRearwardLauncherFireAtRandomEvenWhileCruising) {
    for (int type = 0; type < AIRCRAFT_TYPE_COUNT; ++type) {
        Scene s;
        const int pilot = s.add(0.0f, 30.0f, 0.0f, 1, type);
        s[pilot].aiFlags = AIF_BURST;  // a burst outlives the pursuit
        const bool rearward = AIRCRAFT_TYPES[type].launcherKind == LAUNCHER_REARWARD_BURST;
        int launches = 0;
        for (int t = 0; t < 600; ++t) {
            const bool bursting = (s[pilot].aiFlags & AIF_BURST) != 0;
            Draws d(*s.w);
            d.next();  // the search
            const bool burstEnds = bursting && d.chance(8);
            const bool fires = rearward && d.chance(60);
            s.tick();
            EXPECT_EQ((s[pilot].controls & CTRL_FIRE_GUN) != 0, bursting);
            EXPECT_EQ((s[pilot].aiFlags & AIF_BURST) != 0, bursting && !burstEnds);
            EXPECT_EQ((s[pilot].controls & CTRL_FIRE_LAUNCHER) != 0, fires);
            EXPECT_EQ(s.w->rngState, d.state);
            launches += fires ? 1 : 0;
        }
        EXPECT_EQ(s[pilot].aiFlags & AIF_BURST, 0u);
        EXPECT_EQ(launches > 0, rearward) << "type " << type;
    }
}

TEST(AiPilots, BelowTwentyUnitsThePilotPullsUpOrFirstRollsLevel) {
    struct Case {
        float y, pitch, roll;
        uint32_t expected;
    };
    const Case cases[] = {
        {19.9f, 0, 0, CTRL_PITCH_UP},
        {19.9f, 0, 19 * DEG, CTRL_PITCH_UP | CTRL_ROLL_LEFT},  // cruise levels, the low rule pulls
        {19.9f, 0, 21 * DEG, CTRL_ROLL_LEFT},
        {19.9f, 0, -21 * DEG, CTRL_ROLL_RIGHT},
        {19.9f, 0.2f, 0, CTRL_PITCH_UP | CTRL_PITCH_DOWN},  // opposite bits are both kept
        {20.0f, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Scene s;
        const int pilot = s.add(0.0f, c.y, 0.0f, 1);
        s[pilot].pitch = c.pitch;
        s[pilot].roll = c.roll;
        s.tick();
        EXPECT_EQ(s[pilot].controls, c.expected) << c.y << " " << c.pitch << " " << c.roll;
    }
    Scene pursuing = pursueOnce({7, {30, 10, 0}, 0, 0});  // an unknown kind steers not at all
    pursuing[1].y = 10.0f;
    pursuing.tick();
    EXPECT_EQ(pursuing[1].controls & STEERING_BITS, static_cast<uint32_t>(CTRL_PITCH_UP));
}

TEST(AiPilots, PlayerIndexOutsideTheTableHandsEveryAircraftToAPilot) {
    Scene s({0.0f, 60.0f, 0.0f});
    s[0].roll = 0.5f;
    s.w->seats[PLAYER_SEAT].slot = -1;
    s.tick();
    EXPECT_EQ(s[0].controls, static_cast<uint32_t>(CTRL_ROLL_LEFT));
}
