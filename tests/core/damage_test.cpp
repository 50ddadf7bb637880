// Who took armor from whom: the hits and losses of each tick and the last damage of every
// aircraft, as the program reads them for its notices and the end of a mission.
#include <gtest/gtest.h>

#include <vector>

#include "fight_fixtures.h"
#include "game/flow.h"
#include "sim/flight.h"
#include "sim/projectiles.h"
#include "world/situation.h"

using namespace vantrel;

namespace {

// A hand-made mission, gathering every combat event on the way.
class Damage : public test::HandMadeMission {
protected:
    // Ticks holding key (0: none) until the slot's aircraft is destroyed or limit ticks passed.
    void flyUntilDown(int slot, int key, int limit = 300) {
        for (int t = 0; t < limit && isAlive(*w, slot); ++t) {
            key != 0 ? tick({key}) : tick();
            for (int i = 0; i < w->combat.count; ++i) events.push_back(w->combat.events[i]);
        }
    }

    std::vector<CombatEvent> eventsOf(uint8_t kind) const {
        std::vector<CombatEvent> out;
        for (const CombatEvent& e : events) {
            if (e.kind == kind) out.push_back(e);
        }
        return out;
    }

    std::vector<CombatEvent> events;
};

// Side 1 is the player's; records are (x/4, y, z/4, heading, type, side, aiMode).
// Three rounds leave the enemy too weak to keep its speed; it stalls into the ground, and the
// loss is still the player's.
TEST_F(Damage, ThePlayersGunHitsTheEnemyAheadAndIsCreditedWithTheWreckThatFalls) {
    start("damage_duel.au1", 1, {{0.375f, 20.5f, 3.5f, 0.0f, 3, 2, 0}, {0.0f, 20.0f, 0.0f, 0.0f, 0, 1, 0}});
    ASSERT_EQ(w->seats[PLAYER_SEAT].slot, 1);
    w->aircraft[0].armor = 30;
    flyUntilDown(0, VK_Z);
    ASSERT_FALSE(isAlive(*w, 0)) << "the gun brought the enemy down";
    const std::vector<CombatEvent> hits = eventsOf(COMBAT_HIT);
    ASSERT_EQ(hits.size(), 3u);
    for (const CombatEvent& h : hits) {
        EXPECT_EQ(h.victim, 0);
        EXPECT_EQ(h.by, 1);
        EXPECT_EQ(h.cause, DAMAGE_GUN);
    }
    const std::vector<CombatEvent> downs = eventsOf(COMBAT_DOWNED);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].victim, 0);
    EXPECT_EQ(downs[0].by, 1);
    EXPECT_EQ(downs[0].cause, DAMAGE_STALL);
    EXPECT_EQ(w->lastDamage[0].by, 1) << "kept after the loss, for the end of the mission";
    EXPECT_EQ(w->lastDamage[1].cause, DAMAGE_NONE) << "the player was never touched";

    uint8_t none[256] = {};
    logicTick(*w, "", none);
    EXPECT_EQ(w->combat.count, 0) << "each tick's table holds that tick's events alone";
}

TEST_F(Damage, AMissileFromAnotherAircraftNamesItsShooter) {
    test::addAircraft(*w, 0.0f, 30.0f, 10.0f, 0.0f, 0, 1);   // slot 0, the target
    test::addAircraft(*w, 50.0f, 30.0f, 50.0f, 0.0f, 0, 2);  // slot 1, far from it all
    spawnProjectile(*w, Pose{{0.0f, 30.0f, 9.0f}, 0.0f, 0.0f, 0.0f}, 0, WEAPON_MISSILE, 2, 1);
    updateProjectiles(*w);
    ASSERT_EQ(w->combat.count, 1);
    const CombatEvent hit = w->combat.events[0];
    EXPECT_EQ(hit.kind, COMBAT_HIT);
    EXPECT_EQ(hit.victim, 0);
    EXPECT_EQ(hit.by, 1);
    EXPECT_EQ(hit.cause, DAMAGE_MISSILE);
    EXPECT_EQ(w->aircraft[0].armor, 80 - 35);
}

// Nose down at flying speed is a crash; sinking too slow to fly is a stall; neither is a hit.
TEST_F(Damage, TheTerrainTellsACrashFromAStallAndNamesNoAircraft) {
    start("damage_dive.au1", 0, {{0.0f, 6.0f, 0.0f, 0.0f, 0, 1, 0}, {50.0f, 30.0f, 50.0f, 0.0f, 2, 2, 0}});
    flyUntilDown(0, VK_NUMPAD8);
    ASSERT_FALSE(isAlive(*w, 0));
    EXPECT_TRUE(eventsOf(COMBAT_HIT).empty());
    ASSERT_EQ(eventsOf(COMBAT_DOWNED).size(), 1u);
    EXPECT_EQ(eventsOf(COMBAT_DOWNED)[0].cause, DAMAGE_GROUND);
    EXPECT_EQ(eventsOf(COMBAT_DOWNED)[0].by, NO_AIRCRAFT);

    events.clear();
    start("damage_stall.au1", 0, {{0.0f, 6.0f, 0.0f, 0.0f, 0, 1, 0}, {50.0f, 30.0f, 50.0f, 0.0f, 2, 2, 0}});
    EXPECT_EQ(w->lastDamage[0].cause, DAMAGE_NONE) << "a new mission forgets the last one's damage";
    w->aircraft[0].speed = 0.1f;
    flyUntilDown(0, VK_A);
    ASSERT_FALSE(isAlive(*w, 0));
    EXPECT_EQ(w->lastDamage[0].cause, DAMAGE_STALL);
}

TEST_F(Damage, ACollisionHitsBothAndTheWreckNamesTheOther) {
    test::addAircraft(*w, 0.0f, 30.0f, 0.0f, 0.0f, 0, 1);
    test::addAircraft(*w, 0.5f, 30.0f, 0.0f, 0.0f, 0, 2);
    w->aircraft[1].armor = 8;
    updateAircraft(*w);
    ASSERT_EQ(w->combat.count, 5) << "each aircraft's update meets the other once, then slot 1 breaks up";
    EXPECT_EQ(w->combat.events[4].kind, COMBAT_DOWNED);
    EXPECT_EQ(w->combat.events[4].by, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(w->combat.events[i].kind, COMBAT_HIT);
        EXPECT_EQ(w->combat.events[i].cause, DAMAGE_COLLISION);
        EXPECT_EQ(w->combat.events[i].by, 1 - w->combat.events[i].victim);
    }
    ASSERT_FALSE(isAlive(*w, 1));
    EXPECT_EQ(w->lastDamage[1].by, 0);
    EXPECT_EQ(w->lastDamage[1].cause, DAMAGE_COLLISION);
}

TEST(CombatEvents, AFullTableCountsWhatItLeavesOut) {
    CombatEvents t{};
    for (int i = 0; i < MAX_COMBAT_EVENTS + 3; ++i) appendCombatEvent(t, CombatEvent{COMBAT_HIT, 0, 1, DAMAGE_GUN});
    EXPECT_EQ(t.count, MAX_COMBAT_EVENTS);
    EXPECT_EQ(t.dropped, 3);
}

}  // namespace
