#include "game/match.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <memory>
#include <random>

#include "fixtures.h"
#include "game/flow.h"
#include "game/outcome.h"
#include "sim/vecmath.h"
#include "world/situation.h"

namespace vantrel {
namespace {

// The player (slot 0) and a wingman (slot 1) on side 1 against two of side 2 (slots 2 and 3),
// 60 units apart, over flat ground.
class MatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        dataDir = (std::filesystem::temp_directory_path() / ("vantrel-match-" + std::to_string(getpid()))).string();
        std::filesystem::create_directories(dataDir);
        const std::vector<uint8_t> flat(GRID_SAMPLES, 0);
        std::filesystem::copy_file(test::writeTempFile("match.hd", flat), dataDir + "/map1.hd",
                                   std::filesystem::copy_options::overwrite_existing);
        const auto mission = test::situationBytes(
            0, 4,
            {{0, 40, -8, 0, 0, 1, 2}, {3, 40, -8, 0, 0, 1, 2}, {0, 40, 7, 3.14f, 1, 2, 2}, {3, 40, 7, 3.14f, 1, 2, 2}});
        std::filesystem::copy_file(test::writeTempFile("match.au1", mission), situationPath(dataDir, 1),
                                   std::filesystem::copy_options::overwrite_existing);
        w = test::makeWorld();
    }

    MatchSetup setup(std::initializer_list<int> slots) const {
        MatchSetup s;
        s.mission = 1;
        s.seed = 99;
        std::fill(std::begin(s.seatSlot), std::end(s.seatSlot), int8_t{-1});
        int seat = 0;
        for (int slot : slots) s.seatSlot[seat++] = static_cast<int8_t>(slot);
        return s;
    }

    void start(std::initializer_list<int> slots) {
        std::string error;
        ASSERT_TRUE(startMatch(*w, dataDir, setup(slots), error)) << error;
    }

    // One tick with these seats' keys held (seat, key), everything else up.
    void tick(std::initializer_list<std::pair<int, int>> held = {}) {
        uint8_t snapshots[MAX_SEATS][256] = {};
        for (auto [seat, key] : held) snapshots[seat][key] = KEY_DOWN_BIT;
        runMatchTick(*w, snapshots);
    }

    std::string dataDir;
    std::unique_ptr<World> w;
};

TEST_F(MatchTest, EachHumanFliesTheirOwnAircraftAndTheComputerTheRest) {
    start({0, 2});
    for (int t = 0; t < 5; ++t) tick({{0, VK_Z}, {1, VK_NUMPAD8}, {1, VK_F12}});
    EXPECT_EQ(w->aircraft[0].controls, uint32_t{CTRL_FIRE_GUN});
    EXPECT_EQ(w->aircraft[2].controls, uint32_t{CTRL_PITCH_DOWN}) << "no computer pilot overrides a human";
    EXPECT_NE(w->aircraft[1].controls | w->aircraft[3].controls, 0u) << "the computer flies the slots nobody took";
    EXPECT_EQ(w->seats[1].slot, 2) << "no switching aircraft in a match";
    for (int seat : {0, 1}) {
        const Seat& s = w->seats[seat];
        const Aircraft& a = w->aircraft[s.slot];
        EXPECT_LT(straightLength(offsetBetween(Vec3{a.x, a.y, a.z}, s.cameraPos)), 40.0)
            << "seat " << seat << "'s camera follows its own aircraft";
        bool engine = false;
        for (int i = 0; i < s.sounds.count; ++i) engine |= s.sounds.events[i].kind == SOUND_EVENT_LOOP;
        EXPECT_TRUE(engine) << "seat " << seat << " hears its own engine";
    }
    EXPECT_EQ(w->seats[2].sounds.count, 0) << "an empty seat hears nothing";
}

// The World's hash leaving out the key snapshots themselves, which keep keys no one reads.
uint64_t hashLeavingOutKeys(const World& w) {
    auto copy = std::make_unique<World>(w);
    for (Seat& s : copy->seats) s.input = KeyState{};
    return hashWorld(*copy);
}

TEST_F(MatchTest, PackedKeysFlyAMissionExactlyAsTheWholeKeyboard) {
    start({0, 1, 2, 3});
    auto packed = std::make_unique<World>(*w);
    std::mt19937 random(7);
    for (int t = 0; t < 400; ++t) {
        uint8_t snapshots[MAX_SEATS][256];
        SeatKeys keys[MAX_SEATS];
        for (int seat = 0; seat < MAX_SEATS; ++seat) {
            for (uint8_t& k : snapshots[seat]) k = (random() % 3 == 0) ? KEY_DOWN_BIT : 0;
            keys[seat] = packSeatKeys(snapshots[seat]);
        }
        runMatchTick(*w, snapshots);
        matchTick(*packed, keys);
        ASSERT_EQ(hashLeavingOutKeys(*w), hashLeavingOutKeys(*packed))
            << "tick " << t << ": a key the mission reads is not sent";
    }
    uint8_t back[256];
    unpackSeatKeys(0xFFFF, back);
    EXPECT_EQ(packSeatKeys(back), SeatKeys{0x3FFF}) << "every key sent comes back, nothing else";
}

TEST_F(MatchTest, ALeaversAircraftGoesToTheComputerAndComesBackWithItsView) {
    start({0, 2});
    for (int t = 0; t < 3; ++t) tick();
    releaseSeat(*w, 1);
    for (int t = 0; t < 3; ++t) tick({{1, VK_NUMPAD8}});
    EXPECT_NE(w->aircraft[2].controls, uint32_t{CTRL_PITCH_DOWN}) << "a released seat's keys steer nothing";
    EXPECT_EQ(w->seats[1].sounds.count, 0);
    seatHuman(*w, 1, 3);
    const Aircraft& taken = w->aircraft[3];
    EXPECT_LT(straightLength(offsetBetween(Vec3{taken.x, taken.y, taken.z}, w->seats[1].cameraPos)), 1.5)
        << "the camera starts at the new aircraft";
    tick({{1, VK_Q}});
    EXPECT_EQ(w->aircraft[3].controls, uint32_t{CTRL_THROTTLE_UP});
}

TEST_F(MatchTest, EndsForEveryoneWhenOneSideOrEverySeatIsDownAndEachSeatHasItsResult) {
    start({0, 2});
    w->aircraft[0].side = 0;
    tick();
    EXPECT_EQ(w->flowCounter, 0) << "one human down, another still flying: the match goes on";
    releaseSeat(*w, 1);
    tick();
    EXPECT_EQ(w->flowCounter, 0) << "a player away for a moment still has an aircraft in the air";
    seatHuman(*w, 1, 2);
    w->aircraft[2].side = 0;
    tick();
    EXPECT_EQ(w->flowCounter, END_COUNTDOWN_TICKS);
    EXPECT_EQ(missionOutcome(*w, 0).result, MissionResult::Failure);
    for (int t = 0; t < END_COUNTDOWN_TICKS && !matchEnded(*w); ++t) tick();
    EXPECT_TRUE(matchEnded(*w));

    start({1, 3});
    w->aircraft[2].side = w->aircraft[3].side = 0;
    tick();
    EXPECT_EQ(missionOutcome(*w, 0).result, MissionResult::Complete);
    EXPECT_EQ(missionOutcome(*w, 1).result, MissionResult::Failure);
    EXPECT_EQ(missionOutcome(*w, 1).enemiesDowned, 0) << "counted from seat 1's side";
}

TEST_F(MatchTest, RefusesSeatsTheMissionDoesNotGive) {
    std::string error;
    EXPECT_FALSE(startMatch(*w, dataDir, setup({0, 0}), error));
    EXPECT_NE(error.find("seat 1"), std::string::npos) << error;
    EXPECT_FALSE(startMatch(*w, dataDir, setup({9}), error)) << "slot 9 is empty in this mission";
    MatchSetup bad = setup({0});
    bad.mission = 6;
    EXPECT_FALSE(startMatch(*w, dataDir, bad, error));
    MissionSides sides;
    ASSERT_TRUE(readMissionSides(dataDir, 1, sides, error)) << error;
    EXPECT_EQ(sides.playerSide, (std::vector<int>{0, 1}));
    EXPECT_EQ(sides.otherSide, (std::vector<int>{2, 3}));
}

TEST_F(MatchTest, ASeatsViewHasItsCameraAircraftAndGlareInThePlayersPlace) {
    start({0, 2});
    for (int t = 0; t < 3; ++t) tick();
    auto view = std::make_unique<World>();
    viewFromSeat(*w, 1, *view);
    EXPECT_EQ(view->seats[PLAYER_SEAT].slot, 2);
    EXPECT_EQ(view->seats[PLAYER_SEAT].cameraPos.z, w->seats[1].cameraPos.z);
    int ownGlare = 0, otherGlare = 0;
    for (const Effect& e : view->effects) {
        if (e.life == 0) continue;
        ownGlare += e.seenBy == PLAYER_SEAT + 1;
        otherGlare += e.seenBy == 2;
    }
    EXPECT_EQ(ownGlare, 3);
    EXPECT_EQ(otherGlare, 3) << "seat 0's glare moved to seat 1's number";
}

}  // namespace
}  // namespace vantrel
