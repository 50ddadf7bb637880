// Whole missions fought by computer pilots alone, every aircraft included, checking the
// world after every tick. The normal suite runs a few missions; the ctest label "soak"
// runs the full count (VANTREL_SOAK_MISSIONS).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "fixtures.h"
#include "game/flow.h"
#include "sim/ai.h"
#include "sim/camera.h"
#include "sim/controls.h"
#include "sim/effects.h"
#include "sim/flight.h"
#include "sim/projectiles.h"
#include "sim/targeting.h"
#include "world/situation.h"
#include "world/terrain.h"

using namespace vantrel;

namespace {

constexpr int QUICK_MISSIONS = 24;
constexpr int MAX_TICKS = 20000;
constexpr float BOUNDARY = 304.0f;  // aircraft x and z
constexpr float GROUND_CLEARANCE = 0.3f;

int missionCount() {
    const char* env = std::getenv("VANTREL_SOAK_MISSIONS");
    const int n = env != nullptr ? std::atoi(env) : 0;
    return n > 0 ? n : QUICK_MISSIONS;
}

// The build's data directory, or VANTREL_SOAK_DATA (a build made without the data tool).
std::string dataDir() {
    const char* env = std::getenv("VANTREL_SOAK_DATA");
    return env != nullptr ? std::string(env) : std::string(VANTREL_BINARY_DIR) + "/data";
}

// The situations of the data directory, when it has been built.
std::vector<Situation> dataSituations() {
    std::vector<Situation> out;
    for (int n = 1; n <= MISSION_COUNT; ++n) {
        Situation s;
        std::string error;
        if (loadSituation(situationPath(dataDir(), n), s, error)) out.push_back(s);
    }
    return out;
}

// A made-up situation: up to 34 records (so some find no slot), two or three sides, every
// type, every pilot kind and one unknown kind, anywhere over the map.
Situation randomSituation(std::mt19937& g) {
    auto pick = [&g](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(g); };
    auto real = [&g](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(g); };
    Situation s;
    const int count = pick(2, 34);
    const int sides = pick(2, 3);
    for (int i = 0; i < count; ++i) {
        const float quarterExtent = BOUNDARY / SITUATION_POSITION_SCALE;
        s.records.push_back(SituationRecord{real(-quarterExtent, quarterExtent), real(2.0f, 90.0f),
                                            real(-quarterExtent, quarterExtent), real(-7.0f, 7.0f),
                                            static_cast<int8_t>(pick(0, AIRCRAFT_TYPE_COUNT - 1)),
                                            static_cast<int8_t>(1 + i % sides), static_cast<int8_t>(pick(0, 3))});
    }
    s.playerRecord = static_cast<int16_t>(pick(0, std::min(count, MAX_AIRCRAFT) - 1));
    return s;
}

// The aircraft update keeps every live pitch within a right angle; a projectile hit later
// in the tick may knock it past for one tick, until the next update flips it.
std::string checkPitch(const World& w) {
    for (int i = 0; i < MAX_AIRCRAFT; ++i) {
        const float pitch = w.aircraft[i].pitch;
        if (isAlive(w, i) && (pitch < -HALF_PI || pitch > HALF_PI)) {
            return "aircraft " + std::to_string(i) + ": pitch beyond a right angle";
        }
    }
    return "";
}

// One mission tick as the game flow runs it, but with the player's aircraft flown by a
// computer pilot as well: with no player slot the pilots take every live aircraft.
// Returns the pitch fault seen right after the aircraft update, if any.
std::string fightTick(World& w, const uint8_t keys[256]) {
    updateKeyState(w.seats[PLAYER_SEAT].input, keys);
    ++w.tickCount;
    updatePlayerControls(w);
    const int player = w.seats[PLAYER_SEAT].slot;
    w.seats[PLAYER_SEAT].slot = -1;
    updateAiPilots(w);
    w.seats[PLAYER_SEAT].slot = player;
    selectPlayerTarget(w);
    updateEffects(w);
    updateAircraft(w);
    const std::string fault = checkPitch(w);
    updateProjectiles(w);
    updateCamera(w);
    clearSoundEvents(w.seats[PLAYER_SEAT].sounds);
    return fault;
}

bool sidesMixed(const World& w) {
    int reference = 0;
    for (const Aircraft& a : w.aircraft) {
        if (a.side == 0) continue;
        if (reference == 0) reference = a.side;
        if (a.side != reference) return true;
    }
    return false;
}

int aliveCount(const World& w) {
    int n = 0;
    for (int i = 0; i < MAX_AIRCRAFT; ++i) n += isAlive(w, i) ? 1 : 0;
    return n;
}

bool finite(float v) { return std::isfinite(v); }
bool finite(const Vec3& v) { return finite(v.x) && finite(v.y) && finite(v.z); }
bool inSlotRange(int v) { return v >= -1 && v < MAX_AIRCRAFT; }

// Returns the first broken rule, or an empty string.
std::string checkAircraft(const World& w, int i) {
    const Aircraft& a = w.aircraft[i];
    const float fields[] = {a.x, a.y, a.z, a.pitch, a.heading, a.roll, a.pitchRate, a.headingRate, a.rollRate, a.speed};
    for (float f : fields) {
        if (!finite(f)) return "non-finite field";
    }
    if (a.type < 0 || a.type >= AIRCRAFT_TYPE_COUNT) return "type out of range";
    if (!inSlotRange(a.target)) return "target out of range";
    if (a.side == 0) return "";
    if (a.x < -BOUNDARY || a.x > BOUNDARY || a.z < -BOUNDARY || a.z > BOUNDARY) return "outside the boundary";
    // The flight update measures the ground before its boundary clamp: allow a little slack.
    if (a.y < groundHeight(w, a.x, a.z) + GROUND_CLEARANCE - 0.2f) return "below the ground";
    if (a.gunCooldown < 0 || a.launcherCooldown < 0) return "negative cooldown";
    if (a.gunAmmo < 0 || a.launcherAmmo < 0) return "negative ammunition";
    return "";
}

std::string checkWorld(const World& w) {
    if (w.seats[PLAYER_SEAT].slot < 0 || w.seats[PLAYER_SEAT].slot >= MAX_AIRCRAFT) return "playerIndex out of range";
    for (int i = 0; i < MAX_AIRCRAFT; ++i) {
        const std::string fault = checkAircraft(w, i);
        if (!fault.empty()) return "aircraft " + std::to_string(i) + ": " + fault;
        if (!finite(w.lastTargetPos[i])) return "lastTargetPos " + std::to_string(i) + " not finite";
    }
    for (int i = 0; i < MAX_PROJECTILES; ++i) {
        const Projectile& p = w.projectiles[i];
        if (p.side == 0) continue;
        const std::string name = "projectile " + std::to_string(i);
        if (!finite(p.x) || !finite(p.y) || !finite(p.z) || !finite(p.pitch) || !finite(p.heading) || !finite(p.roll)) {
            return name + ": non-finite field";
        }
        if (p.weapon < 0 || p.weapon >= WEAPON_TYPE_COUNT) return name + ": weapon out of range";
        if (!inSlotRange(p.target)) return name + ": target out of range";
        if (p.life < 0) return name + ": negative life";
    }
    for (int i = 0; i < MAX_EFFECTS; ++i) {
        const Effect& e = w.effects[i];
        if (e.life == 0) continue;
        const std::string name = "effect " + std::to_string(i);
        if (!finite(e.x) || !finite(e.y) || !finite(e.z) || !finite(e.spin) || !finite(e.size)) {
            return name + ": non-finite field";
        }
        if (e.kind != EFFECT_FIRE && e.kind != EFFECT_SMOKE && e.kind != EFFECT_FLASH && e.kind != EFFECT_GLARE) {
            return name + ": unknown kind";
        }
    }
    if (!finite(w.seats[PLAYER_SEAT].cameraPos) || !finite(w.seats[PLAYER_SEAT].cameraPitch) ||
        !finite(w.seats[PLAYER_SEAT].cameraHeading) || !finite(w.seats[PLAYER_SEAT].cameraRoll)) {
        return "camera not finite";
    }
    return "";
}

struct Outcome {
    int ticks = 0;
    int destroyed = 0;
    bool decided = false;
    std::string fault;
};

// Fights until the end-of-mission rule has run its countdown, or MAX_TICKS. Now and then
// the player's view jumps to another aircraft (F11/F12), leaving a pilot whose target
// may be -1.
Outcome fight(World& w, std::mt19937& g) {
    Outcome o;
    const int aliveAtStart = aliveCount(w);
    int countdown = -1;
    uint8_t keys[256] = {};
    for (o.ticks = 1; o.ticks <= MAX_TICKS && countdown != 0; ++o.ticks) {
        const int roll = std::uniform_int_distribution<int>(0, 400)(g);
        keys[VK_F11] = roll == 0 ? KEY_DOWN_BIT : 0;
        keys[VK_F12] = roll == 1 ? KEY_DOWN_BIT : 0;
        keys[VK_F1] = roll < 40 ? KEY_DOWN_BIT : 0;
        o.fault = fightTick(w, keys);
        if (o.fault.empty()) o.fault = checkWorld(w);
        if (!o.fault.empty()) break;
        if (countdown > 0) --countdown;
        if (countdown < 0 && (!sidesMixed(w) || !isAlive(w, w.seats[PLAYER_SEAT].slot))) {
            countdown = END_COUNTDOWN_TICKS;
            o.decided = true;
        }
    }
    o.destroyed = aliveAtStart - aliveCount(w);
    return o;
}

}  // namespace

TEST(Soak, PilotsFightEveryMissionToTheEndWithASoundWorld) {
    auto w = test::makeWorld();
    loadWorldAssets(*w, dataDir());
    const std::vector<Situation> fromData = dataSituations();
    std::mt19937 g(20261208);
    const int missions = missionCount();
    int destroyed = 0, decided = 0;
    for (int m = 0; m < missions; ++m) {
        // Data situations in turn with fresh seeds, interleaved with made-up ones.
        const bool useData = !fromData.empty() && m % 2 == 0;
        const Situation s = useData ? fromData[(m / 2) % fromData.size()] : randomSituation(g);
        resetMission(*w);
        placeSituation(*w, s);
        seedRandom(w->rngState, static_cast<uint32_t>(m * 7919 + 1));
        const Outcome o = fight(*w, g);
        ASSERT_TRUE(o.fault.empty()) << "mission " << m << (useData ? " (data)" : " (made up)") << ", tick " << o.ticks
                                     << ": " << o.fault;
        destroyed += o.destroyed;
        decided += o.decided ? 1 : 0;
    }
    // The fights are real: aircraft are shot down and missions are decided.
    EXPECT_GT(destroyed, missions);
    EXPECT_GT(decided, missions / 2);
    std::printf("%d missions (%zu data situations), %d aircraft destroyed, %d decided\n", missions, fromData.size(),
                destroyed, decided);
}

TEST(Soak, FurballOfFifteenAgainstFifteenEndsWithOneSideWipedOut) {
    // Two lines of fifteen facing each other 80 units apart, every type and pilot kind.
    std::vector<test::FileRecord> records;
    for (int i = 0; i < 30; ++i) {
        const int side = 1 + i % 2;
        const float x = (side == 1 ? -40.0f : 40.0f) / SITUATION_POSITION_SCALE;
        const float z = static_cast<float>(i / 2 * 6 - 42) / SITUATION_POSITION_SCALE;
        records.push_back({x, 30.0f + static_cast<float>(i % 5) * 4.0f, z, side == 1 ? HALF_PI : -HALF_PI,
                           i % AIRCRAFT_TYPE_COUNT, side, i % 3});
    }
    const std::string path = test::writeTempFile("furball.au1", test::situationBytes(0, 30, records));
    auto w = test::makeWorld();
    loadWorldAssets(*w, dataDir());
    std::string error;
    ASSERT_TRUE(startSituation(*w, path, error)) << error;
    const uint8_t keys[256] = {};
    int ticks = 0;
    while (sidesMixed(*w) && ticks < MAX_TICKS) {
        ASSERT_EQ(fightTick(*w, keys), "") << "tick " << ticks;
        ASSERT_EQ(checkWorld(*w), "") << "tick " << ticks;
        ++ticks;
    }
    EXPECT_FALSE(sidesMixed(*w)) << "still fighting after " << ticks << " ticks";
    EXPECT_GE(MAX_AIRCRAFT - aliveCount(*w), 15);
    std::printf("furball: one side left after %d ticks, %d aircraft destroyed\n", ticks, MAX_AIRCRAFT - aliveCount(*w));
}
