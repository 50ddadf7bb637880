#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"
#include "sim/targeting.h"
#include "sim/vecmath.h"

using namespace vantrel;

namespace {

// The player (slot 0, side 1) at a height of 40, nose level along +z unless a test turns it.
struct Range {
    std::unique_ptr<World> w = test::makeWorld();
    Range() {
        test::addAircraft(*w, 0.0f, 40.0f, 0.0f, 0.0f, 0, 1);
        w->seats[PLAYER_SEAT].slot = 0;
    }
    Aircraft& player() { return w->aircraft[0]; }
    // An aircraft at a distance off the player's nose, turned right and raised by angles in
    // degrees measured from the player's current heading and pitch.
    int place(double distance, double rightDeg, double upDeg, int side = 2) {
        const Aircraft& p = player();
        const double heading = p.heading + rightDeg * DEG;
        const double pitch = p.pitch + upDeg * DEG;
        const auto x = static_cast<float>(p.x + distance * std::cos(pitch) * std::sin(heading));
        const auto y = static_cast<float>(p.y + distance * std::sin(pitch));
        const auto z = static_cast<float>(p.z + distance * std::cos(pitch) * std::cos(heading));
        return test::addAircraft(*w, x, y, z, 0.0f, 0, side);
    }
    int select() {
        selectPlayerTarget(*w);
        return player().target;
    }
};

}  // namespace

TEST(Targeting, NothingInRangeAndConeGivesNoTarget) {
    Range r;
    r.player().target = 7;  // chosen again from nothing every tick
    EXPECT_EQ(r.select(), -1);
    r.place(30.0, 40.0, 0.0);
    r.place(200.0, 0.0, 0.0);
    EXPECT_EQ(r.select(), -1);
}

TEST(Targeting, TheSmallerSumOfErrorsWinsWhateverTheDistance) {
    Range r;
    const int near = r.place(20.0, 11.0, 0.0);  // score 11 degrees
    const int far = r.place(70.0, -8.0, 2.0);   // score 10 degrees
    EXPECT_EQ(r.select(), far);
    r.w->aircraft[far].side = 0;
    EXPECT_EQ(r.select(), near);
}

TEST(Targeting, ErrorsInsideTheConeAloneButNotTogetherAreRefused) {
    Range r;
    const int side = r.place(50.0, 10.0, 0.0);
    EXPECT_EQ(r.select(), side);
    r.w->aircraft[side].side = 0;
    r.place(50.0, 10.0, 5.0);  // 15 degrees in all
    EXPECT_EQ(r.select(), -1);
    Range low;
    low.place(50.0, 0.0, -11.5);
    EXPECT_EQ(low.select(), 1);
    Range lower;
    lower.place(50.0, 0.0, -12.5);
    EXPECT_EQ(lower.select(), -1);
}

TEST(Targeting, EnemiesBehindOrAtEightyUnitsAreNeverTaken) {
    Range behind;
    behind.place(5.0, 180.0, 0.0);
    behind.place(30.0, 179.0, 1.0);
    EXPECT_EQ(behind.select(), -1);

    Range edge;
    const int atRange = test::addAircraft(*edge.w, 0.0f, 40.0f, 80.0f, 0.0f, 0, 2);
    EXPECT_EQ(edge.select(), -1);
    edge.w->aircraft[atRange].z = 79.99f;
    EXPECT_EQ(edge.select(), atRange);
    // The range is the straight-line distance, height included.
    edge.w->aircraft[atRange].z = 79.0f;
    edge.w->aircraft[atRange].y = 40.0f + 13.0f;
    EXPECT_EQ(edge.select(), -1);
}

TEST(Targeting, FriendsAreSkippedAndEqualScoresGoToTheLowerSlot) {
    Range r;
    r.place(30.0, 1.0, 0.0, 1);
    const int first = r.place(40.0, 3.0, 0.0);
    const int second = r.place(40.0, 3.0, 0.0);
    ASSERT_LT(first, second);
    EXPECT_EQ(r.select(), first);
}

TEST(Targeting, TheConeFollowsPitchAndHeadingButNotRoll) {
    Range r;
    r.player().heading = 2.0f;
    r.player().pitch = 0.3f;
    const int along = r.place(40.0, 2.0, 2.0);
    EXPECT_EQ(r.select(), along);
    r.player().roll = 1.2f;
    EXPECT_EQ(r.select(), along);
    r.player().heading = 2.0f + 2.0f * TWO_PI;
    EXPECT_EQ(r.select(), along);  // an unwrapped heading names the same direction
    r.player().pitch = 0.0f;       // now 19 degrees below the nose
    EXPECT_EQ(r.select(), -1);
}

TEST(Targeting, ADestroyedPlayerTakesAnyLiveAircraft) {
    Range r;
    const int formerFriend = r.place(40.0, 1.0, 0.0, 1);
    r.player().side = 0;
    EXPECT_EQ(r.select(), formerFriend);
}

TEST(Targeting, AimErrorsHaveTheSignsThePilotsSteerBy) {
    Range r;
    const Aircraft& p = r.player();
    const AimError left = aimErrorTo(p, -10.0f, 40.0f, 30.0f);
    const AimError right = aimErrorTo(p, 10.0f, 40.0f, 30.0f);
    const AimError above = aimErrorTo(p, 0.0f, 50.0f, 30.0f);
    EXPECT_GT(left.heading, 0.0f);
    EXPECT_LT(right.heading, 0.0f);
    EXPECT_NEAR(right.heading, -std::atan2(10.0, 30.0), 1e-6);
    EXPECT_GT(above.pitch, 0.0f);
    EXPECT_NEAR(above.pitch, std::atan2(10.0, 30.0), 1e-6);
    const AimError behind = aimErrorTo(p, 0.0f, 40.0f, -30.0f);
    EXPECT_NEAR(absolute(behind.heading), PI, 1e-5);  // wrapped into [-PI, PI]
    EXPECT_LE(absolute(behind.heading), PI);
}
