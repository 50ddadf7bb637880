// The keys a network mission carries: a mission flown from full 256-key tables and from the
// same tables after they went through the wire's packed form must be the same World, tick by
// tick. A key the game reads but the wire leaves out shows up as a different hash.
#include <gtest/gtest.h>

#include <random>

#include "game/flow.h"
#include "game/match.h"
#include "net/messages.h"

namespace vantrel::net {
namespace {

// Keys that act outside the World in a network mission: ESC leaves through the client, RETURN
// opens the information box, F11/F12 (fly another aircraft) are off.
bool leftOutOfNetworkMissions(int vk) { return vk == VK_ESCAPE || vk == VK_RETURN || vk == VK_F11 || vk == VK_F12; }

// The World's hash apart from the raw key snapshots it keeps, which hold every byte given.
uint64_t hashBesideKeys(const World& w) {
    auto copy = std::make_unique<World>(w);
    copy->input = {};
    return hashWorld(*copy);
}

TEST(ControlsRoundTrip, PackedKeysFlyEveryMissionLikeTheFullTables) {
    std::mt19937 random(2024);
    for (int mission = 1; mission <= MISSION_COUNT; ++mission) {
        SCOPED_TRACE("mission " + std::to_string(mission));
        SituationSides sides;
        std::string error;
        ASSERT_TRUE(readSituationSides(VANTREL_DATA_DIR, mission, sides, error)) << error;
        MatchSetup setup;
        setup.situation = mission;
        setup.seed = 77u + static_cast<uint32_t>(mission);
        std::fill(std::begin(setup.seatSlot), std::end(setup.seatSlot), static_cast<int8_t>(NO_SLOT));
        setup.seatSlot[0] = static_cast<int8_t>(sides.playerSide[0]);
        auto full = std::make_unique<World>();
        auto packed = std::make_unique<World>();
        ASSERT_TRUE(startMatch(*full, VANTREL_DATA_DIR, setup, error)) << error;
        ASSERT_TRUE(startMatch(*packed, VANTREL_DATA_DIR, setup, error)) << error;

        uint8_t table[256] = {};
        int tick = 1;
        // Until the mission ends: the title and menu after it are not flown over the network.
        for (; tick <= 900 && !matchEnded(*full); ++tick) {
            // Every key of the table, held for a while and let go, with any low bits set.
            for (int vk = 0; vk < 256; ++vk) {
                if (random() % 8 != 0) continue;
                table[vk] = leftOutOfNetworkMissions(vk) ? 0 : static_cast<uint8_t>(random());
            }
            uint8_t unpacked[256];
            unpackSeatKeys(packSeatKeys(table), unpacked);
            logicTick(*full, VANTREL_DATA_DIR, table);
            logicTick(*packed, VANTREL_DATA_DIR, unpacked);
            ASSERT_EQ(hashBesideKeys(*full), hashBesideKeys(*packed)) << "tick " << tick;
        }
        EXPECT_GT(tick, 300);
    }
}

}  // namespace
}  // namespace vantrel::net
