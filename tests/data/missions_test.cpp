// The five situation files: format, growth, variety, and starting positions that make a
// fight begin quickly over open air.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

#include "tools/vantrel-data/landscape.h"
#include "tools/vantrel-data/missions.h"
#include "world/situation.h"
#include "world/terrain.h"

namespace vantrel::data::test {
namespace {

Situation parsed(int number) {
    const auto bytes = missionFile(number);
    Situation s;
    std::string error;
    EXPECT_TRUE(parseSituation(bytes.data(), bytes.size(), s, error)) << "s" << number << ": " << error;
    return s;
}

std::unique_ptr<World> worldWithTerrain() {
    auto w = std::make_unique<World>();
    const HeightGrid g = makeHeightGrid();
    std::copy(g.begin(), g.end(), w->heightmap);
    return w;
}

TEST(Missions, EachFileHoldsExactlyItsRecords) {
    for (int n = 1; n <= MISSION_COUNT; ++n) {
        const auto bytes = missionFile(n);
        const Situation s = parsed(n);
        EXPECT_EQ(bytes.size(), SITUATION_HEADER_BYTES + 4 + s.records.size() * SITUATION_RECORD_BYTES);
        EXPECT_GE(s.playerRecord, 0);
        EXPECT_LT(static_cast<size_t>(s.playerRecord), s.records.size());
        EXPECT_LE(s.records.size(), static_cast<size_t>(MAX_AIRCRAFT));
        EXPECT_NE(bytes[0], 0) << "the header carries the mission's title";
    }
}

int countOnPlayersSide(const Situation& s) {
    const int side = s.records[s.playerRecord].side;
    return static_cast<int>(
        std::count_if(s.records.begin(), s.records.end(), [&](const SituationRecord& r) { return r.side == side; }));
}

// A duel first, a wingman from the second mission on, and the enemy outnumbering the
// player's side only in the last two.
TEST(Missions, GrowFromADuelToABattleOfThirty) {
    size_t previous = 0;
    for (int n = 1; n <= MISSION_COUNT; ++n) {
        const Situation s = parsed(n);
        const int friends = countOnPlayersSide(s);
        const int enemies = static_cast<int>(s.records.size()) - friends;
        EXPECT_GT(s.records.size(), previous) << "s" << n;
        previous = s.records.size();
        EXPECT_EQ(friends > 1, n > 1) << "s" << n;
        EXPECT_EQ(enemies > friends, n > 3) << "s" << n << ": " << friends << " against " << enemies;
    }
    EXPECT_EQ(parsed(1).records.size(), 2u);
    EXPECT_EQ(parsed(MISSION_COUNT).records.size(), static_cast<size_t>(MAX_AIRCRAFT));
}

// Only the escort mission guards an aircraft: one of the player's side, not the player's own.
TEST(Missions, TheEscortMissionAloneMarksTheAircraftToGuard) {
    for (int n = 1; n <= MISSION_COUNT; ++n) {
        const Situation s = parsed(n);
        std::vector<int> guarded;
        for (size_t i = 0; i < s.records.size(); ++i) {
            if (s.records[i].guarded) guarded.push_back(static_cast<int>(i));
        }
        if (n != 3) {
            EXPECT_TRUE(guarded.empty()) << "s" << n;
            continue;
        }
        ASSERT_EQ(guarded.size(), 1u);
        EXPECT_NE(guarded[0], s.playerRecord);
        EXPECT_EQ(s.records[guarded[0]].side, s.records[s.playerRecord].side);
    }
}

TEST(Missions, TogetherUseEveryTypeAndEveryPilotKind) {
    std::set<int> types, modes;
    bool wingmen = false;
    for (int n = 1; n <= MISSION_COUNT; ++n) {
        const Situation s = parsed(n);
        const int playerSide = s.records[s.playerRecord].side;
        for (size_t i = 0; i < s.records.size(); ++i) {
            types.insert(s.records[i].type);
            modes.insert(s.records[i].aiMode);
            wingmen = wingmen || (i != static_cast<size_t>(s.playerRecord) && s.records[i].side == playerSide);
        }
    }
    EXPECT_EQ(types.size(), static_cast<size_t>(AIRCRAFT_TYPE_COUNT));
    EXPECT_EQ(modes, (std::set<int>{AI_RUDDER, AI_BANK, AI_EXPERT}));
    EXPECT_TRUE(wingmen);
}

TEST(Missions, StartInsideTheArenaWellAboveTheGroundAndBelowTheCeiling) {
    const auto w = worldWithTerrain();
    for (int n = 1; n <= MISSION_COUNT; ++n)
        for (const SituationRecord& r : parsed(n).records) {
            EXPECT_LE(std::abs(r.x), MISSION_FILE_LIMIT);
            EXPECT_LE(std::abs(r.z), MISSION_FILE_LIMIT);
            const float ground = groundHeight(*w, r.x * SITUATION_POSITION_SCALE, r.z * SITUATION_POSITION_SCALE);
            EXPECT_GT(r.y, ground + 15.0f) << "s" << n << " at " << r.x << ", " << r.z;
            EXPECT_GT(r.y, 20.0f) << "computer pilots climb below 20";
            EXPECT_LT(r.y, 70.0f) << "the ceiling pushes aircraft down above 70";
        }
}

TEST(Missions, SidesFaceEachOtherWithinReach) {
    for (int n = 1; n <= MISSION_COUNT; ++n) {
        const Situation s = parsed(n);
        for (const SituationRecord& a : s.records) {
            double nearest = 1e9, ex = 0, ez = 0;
            int enemies = 0;
            for (const SituationRecord& b : s.records) {
                if (b.side == a.side) continue;
                nearest =
                    std::min(nearest, std::hypot(double(b.x - a.x), double(b.z - a.z)) * SITUATION_POSITION_SCALE);
                ex += b.x;
                ez += b.z;
                ++enemies;
            }
            ASSERT_GT(enemies, 0) << "s" << n;
            // Computer pilots pick up enemies closer than 100 units; the sides close at
            // about 0.8 units a tick, so they meet within a quarter of a minute.
            EXPECT_LT(nearest, 450.0) << "s" << n;
            EXPECT_GT(nearest, 30.0) << "s" << n << ": no one starts on top of an enemy";
            const double toEnemies = std::atan2(ex / enemies - a.x, ez / enemies - a.z);
            const double off = std::remainder(toEnemies - a.heading, 2 * M_PI);
            EXPECT_LT(std::abs(off), 0.8) << "s" << n << ": aircraft heads away from the enemy";
        }
    }
}

TEST(Missions, NoTwoAircraftStartCloseEnoughToCollide) {
    for (int n = 1; n <= MISSION_COUNT; ++n) {
        const Situation s = parsed(n);
        for (size_t i = 0; i < s.records.size(); ++i)
            for (size_t j = i + 1; j < s.records.size(); ++j) {
                const auto& a = s.records[i];
                const auto& b = s.records[j];
                const double d = std::hypot((a.x - b.x) * 4.0, a.y - b.y, (a.z - b.z) * 4.0);
                EXPECT_GT(d, 4.0) << "s" << n << " records " << i << " and " << j;
            }
    }
}

}  // namespace
}  // namespace vantrel::data::test
