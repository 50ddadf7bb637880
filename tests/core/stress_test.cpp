// Start-and-abort stress: a thousand missions started from the title through the menu, one
// situation after another, flown with random keys for a random number of ticks and left
// with ESC, all in one world as a long play session would. Run under the sanitizer build
// (scripts/test) it also proves that no start or abort reads or writes outside a table.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "game/flow.h"
#include "world/situation.h"

using namespace vantrel;

namespace {

constexpr int DEFAULT_STARTS = 1000;
constexpr int MAX_FLIGHT_TICKS = 400;

// Keys a player may hold in a mission; ESC is left out because it ends the flight.
constexpr std::array FLIGHT_KEYS{
    VK_SPACE,   VK_RETURN,  VK_LEFT,    VK_UP,      VK_RIGHT,   VK_DOWN, VK_A,  VK_Q,  VK_X,  VK_Z,   VK_NUMPAD4,
    VK_NUMPAD5, VK_NUMPAD6, VK_NUMPAD7, VK_NUMPAD8, VK_NUMPAD9, VK_F1,   VK_F2, VK_F3, VK_F4, VK_F11, VK_F12};

int startCount() {
    const char* env = std::getenv("VANTREL_STRESS_STARTS");
    const int n = env != nullptr ? std::atoi(env) : 0;
    return n > 0 ? n : DEFAULT_STARTS;
}

std::string dataDir() { return std::string(VANTREL_BINARY_DIR) + "/data"; }

bool finite(float v) { return std::isfinite(v); }
bool slotOrNone(int v) { return v >= -1 && v < MAX_AIRCRAFT; }

// The first index or value a later tick could misuse, or an empty string.
std::string checkIndices(const World& w) {
    if (w.seats[PLAYER_SEAT].slot < 0 || w.seats[PLAYER_SEAT].slot >= MAX_AIRCRAFT) return "playerIndex out of range";
    for (int i = 0; i < MAX_AIRCRAFT; ++i) {
        const Aircraft& a = w.aircraft[i];
        if (a.side == 0) continue;
        if (!finite(a.x) || !finite(a.y) || !finite(a.z)) return "aircraft " + std::to_string(i) + " not finite";
        if (a.type < 0 || a.type >= AIRCRAFT_TYPE_COUNT) return "aircraft " + std::to_string(i) + " type";
        if (!slotOrNone(a.target)) return "aircraft " + std::to_string(i) + " target";
    }
    for (int i = 0; i < MAX_PROJECTILES; ++i) {
        const Projectile& p = w.projectiles[i];
        if (p.side == 0) continue;
        if (!finite(p.x) || !finite(p.y) || !finite(p.z)) return "projectile " + std::to_string(i) + " not finite";
        if (p.weapon < 0 || p.weapon >= WEAPON_TYPE_COUNT) return "projectile " + std::to_string(i) + " weapon";
        if (!slotOrNone(p.target)) return "projectile " + std::to_string(i) + " target";
    }
    return "";
}

// Runs the game's logic ticks and follows the engine loop as the sound library would see it:
// started by each mission reset, set every mission tick, stopped by ESC or by the mission's end.
class Session {
public:
    Session() : w_(std::make_unique<World>()) {
        seedRandom(w_->rngState, 20261208);
        loadWorldAssets(*w_, dataDir());
        w_->running = 1;
    }

    World& world() { return *w_; }

    void tick(const uint8_t keys[256]) {
        logicTick(*w_, dataDir(), keys);
        followEngineLoop();
        clearSoundEvents(w_->seats[PLAYER_SEAT].sounds);
    }

    int loopStarts() const { return loopStarts_; }
    int lastLoopOperation() const { return lastLoopOperation_; }

    void tap(int key) {
        uint8_t keys[256] = {};
        keys[key] = KEY_DOWN_BIT;
        tick(keys);
        release();
    }

    void release() {
        const uint8_t none[256] = {};
        tick(none);
    }

    // From the title: into the menu, down to mission n with the keypad, SPACE.
    void startSituation(int n) {
        tap(VK_SPACE);
        for (int i = 1; i < n; ++i) tap(VK_NUMPAD5);
        tap(VK_SPACE);
    }

private:
    void followEngineLoop() {
        for (int i = 0; i < w_->seats[PLAYER_SEAT].sounds.count; ++i) {
            const SoundEvent& e = w_->seats[PLAYER_SEAT].sounds.events[i];
            if (e.kind != SOUND_EVENT_LOOP) continue;
            if (e.code == LOOP_START) ++loopStarts_;
            lastLoopOperation_ = e.code;
        }
    }

    std::unique_ptr<World> w_;
    int loopStarts_ = 0;
    int lastLoopOperation_ = LOOP_STOP;
};

TEST(StartAbortStress, EveryMissionStartsAndAbortsAThousandTimesWithoutFault) {
    for (int n = 1; n <= MISSION_COUNT; ++n) {
        ASSERT_TRUE(std::filesystem::exists(situationPath(dataDir(), n)))
            << "the build makes the data directory before the tests run";
    }
    std::mt19937 g(7);
    std::bernoulli_distribution held(0.15);
    std::uniform_int_distribution<int> flightTicks(0, MAX_FLIGHT_TICKS);
    Session s;
    World& w = s.world();
    int aborted = 0;
    const int starts = startCount();
    for (int start = 0; start < starts; ++start) {
        const int mission = 1 + start % MISSION_COUNT;
        ASSERT_EQ(w.gameMode, MODE_TITLE) << "start " << start;
        s.startSituation(mission);
        ASSERT_EQ(w.gameMode, MODE_MISSION) << "mission " << mission << " did not start";
        ASSERT_EQ(s.loopStarts(), start + 1);
        const int ticks = flightTicks(g);
        for (int t = 0; t < ticks && w.gameMode == MODE_MISSION; ++t) {
            uint8_t keys[256] = {};
            for (int key : FLIGHT_KEYS) keys[key] = held(g) ? KEY_DOWN_BIT : 0;
            s.tick(keys);
            const std::string fault = checkIndices(w);
            ASSERT_TRUE(fault.empty()) << "mission " << mission << ", start " << start << ", tick " << w.tickCount
                                       << ": " << fault;
        }
        if (w.gameMode == MODE_MISSION) {
            s.tap(VK_ESCAPE);
            ++aborted;
        }
        s.release();
        ASSERT_EQ(w.gameMode, MODE_TITLE) << "start " << start;
        ASSERT_EQ(s.lastLoopOperation(), LOOP_STOP) << "the engine loop outlived mission start " << start;
        ASSERT_NE(w.running, 0) << "ESC in a mission must not quit the game";
    }
    EXPECT_GT(aborted, starts / 2) << "most runs should end by ESC, not by the mission's end";
}

}  // namespace
