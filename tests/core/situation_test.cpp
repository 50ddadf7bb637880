#include <gtest/gtest.h>

#include "fixtures.h"
#include "world/situation.h"

using namespace vantrel;
using test::FileRecord;

namespace {

bool parse(const std::vector<uint8_t>& bytes, Situation& s, std::string& error) {
    return parseSituation(bytes.data(), bytes.size(), s, error);
}

std::vector<FileRecord> records(int n, int side = 1) {
    std::vector<FileRecord> r;
    for (int i = 0; i < n; ++i) r.push_back({float(i), 20.0f, 0.0f, 0.0f, i % 7, side + i % 2, i % 3});
    return r;
}

}  // namespace

TEST(Situation, SpawnTakesTheFirstFreeSlotAndFillsFromTheType) {
    auto w = test::makeWorld();
    EXPECT_EQ(test::addAircraft(*w, 0, 0, 0, 0, 0, 1), 0);
    EXPECT_EQ(test::addAircraft(*w, 0, 0, 0, 0, 0, 1), 1);
    w->aircraft[2].side = 0;
    const int slot = spawnAircraft(*w, 1.0f, 2.0f, 3.0f, 0.5f, 3, 2, 1);
    ASSERT_EQ(slot, 2);
    const Aircraft& a = w->aircraft[slot];
    EXPECT_FLOAT_EQ(a.speed, 0.28f);
    EXPECT_EQ(a.armor, 120);
    EXPECT_EQ(a.gunAmmo, 2000);
    EXPECT_EQ(a.launcherAmmo, 80);
    EXPECT_EQ(a.target, 0);
    EXPECT_EQ(a.pitch, 0.0f);
    EXPECT_EQ(a.heading, 0.5f);
    EXPECT_EQ(a.aiMode, 1);
    EXPECT_EQ(a.aiFlags, 0u);
    EXPECT_FLOAT_EQ(w->aircraft[0].speed, 0.42f);  // maxSpeed 12
}

TEST(Situation, SpawnRefusesWhenAllSlotsAreTaken) {
    auto w = test::makeWorld();
    for (int i = 0; i < MAX_AIRCRAFT; ++i) ASSERT_EQ(test::addAircraft(*w, 0, 0, 0, 0, 1, 1), i);
    const Aircraft before = w->aircraft[29];
    EXPECT_EQ(test::addAircraft(*w, 5, 5, 5, 0, 2, 2), -1);
    EXPECT_EQ(w->aircraft[29].type, before.type);
}

TEST(Situation, ReaderPlacesRecordsScaledAndSetsThePlayer) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].slot = 7;
    Situation s;
    std::string error;
    ASSERT_TRUE(parse(test::situationBytes(1, 2, {{10, 20, -5, 1.5f, 2, 1, 0}, {0, 30, 0, 0, 0, 2, 2}}), s, error))
        << error;
    resetMission(*w);
    placeSituation(*w, s);
    EXPECT_EQ(w->seats[PLAYER_SEAT].slot, 1);
    EXPECT_EQ(w->aircraft[0].x, 40.0f);
    EXPECT_EQ(w->aircraft[0].y, 20.0f);
    EXPECT_EQ(w->aircraft[0].z, -20.0f);
    EXPECT_EQ(w->aircraft[0].heading, 1.5f);
    EXPECT_EQ(w->aircraft[1].side, 2);
    EXPECT_EQ(w->aircraft[1].aiMode, 2);
}

TEST(Situation, QuirksAreKept) {
    std::string error;
    Situation s;
    auto w = test::makeWorld();
    // A player record outside the records keeps the previous playerIndex.
    w->seats[PLAYER_SEAT].slot = 4;
    ASSERT_TRUE(parse(test::situationBytes(5, 2, records(2)), s, error));
    placeSituation(*w, s);
    EXPECT_EQ(w->seats[PLAYER_SEAT].slot, 4);

    // A side byte of 0 leaves its slot free: the next record lands in the same slot.
    w = test::makeWorld();
    ASSERT_TRUE(parse(test::situationBytes(0, 2, {{1, 1, 1, 0, 0, 0, 0}, {2, 2, 2, 0, 1, 3, 0}}), s, error));
    placeSituation(*w, s);
    EXPECT_EQ(w->aircraft[0].side, 3);
    EXPECT_EQ(w->aircraft[0].type, 1);
    EXPECT_EQ(w->aircraft[1].side, 0);

    // More than 30 records: the rest are dropped; a negative count means none.
    w = test::makeWorld();
    ASSERT_TRUE(parse(test::situationBytes(0, 33, records(33)), s, error));
    placeSituation(*w, s);
    for (int i = 0; i < MAX_AIRCRAFT; ++i) EXPECT_NE(w->aircraft[i].side, 0);
    ASSERT_TRUE(parse(test::situationBytes(0, -3, {}), s, error));
    EXPECT_TRUE(s.records.empty());
}

TEST(Situation, DamagedFilesAreRefusedWithTheReason) {
    Situation s;
    std::string error;
    auto bytes = test::situationBytes(0, 3, records(3));
    bytes.resize(bytes.size() - 1);
    EXPECT_FALSE(parse(bytes, s, error));
    EXPECT_NE(error.find("3 records"), std::string::npos) << error;

    EXPECT_FALSE(parse(std::vector<uint8_t>(53, 0), s, error));
    EXPECT_NE(error.find("header"), std::string::npos) << error;

    auto badType = records(2);
    badType[1].type = 7;
    EXPECT_FALSE(parse(test::situationBytes(0, 2, badType), s, error));
    EXPECT_NE(error.find("type 7"), std::string::npos) << error;
    badType[1].type = -1;
    EXPECT_FALSE(parse(test::situationBytes(0, 2, badType), s, error));

    // The player's record would find every slot taken.
    EXPECT_FALSE(parse(test::situationBytes(31, 33, records(33)), s, error));
    EXPECT_NE(error.find("player record 31"), std::string::npos) << error;
}

TEST(Situation, RefusedFileLeavesTheWorldUntouched) {
    auto w = test::makeWorld();
    test::addAircraft(*w, 1, 2, 3, 0, 0, 1);
    w->tickCount = 55;
    std::string error;
    EXPECT_FALSE(startSituation(*w, "/nonexistent/s1.au1", error));
    EXPECT_NE(error.find("/nonexistent/s1.au1"), std::string::npos);
    EXPECT_EQ(w->aircraft[0].side, 1);
    EXPECT_EQ(w->tickCount, 55);

    const std::string path = test::writeTempFile("good.au1", test::situationBytes(0, 1, records(1, 5)));
    EXPECT_TRUE(startSituation(*w, path, error)) << error;
    EXPECT_EQ(w->tickCount, 0);
    EXPECT_EQ(w->aircraft[0].side, 5);
}

TEST(Situation, ResetEmptiesTablesAndCameraButKeepsModeAndPlayer) {
    auto w = test::makeWorld();
    test::addAircraft(*w, 1, 2, 3, 0, 0, 1);
    w->projectiles[4].side = 2;
    w->effects[9].life = -1;
    w->seats[PLAYER_SEAT].cameraPos = Vec3{5, 5, 5};
    w->seats[PLAYER_SEAT].cameraHeading = 2.0f;
    w->seats[PLAYER_SEAT].cockpitView = 1;
    w->seats[PLAYER_SEAT].radarLong = 1;
    w->seats[PLAYER_SEAT].mapShown = 1;  // F4 held as the last mission ended: the next one starts without the map
    w->gameMode = MODE_SELECT;
    w->seats[PLAYER_SEAT].slot = 3;
    resetMission(*w);
    EXPECT_EQ(w->aircraft[0].side, 0);
    EXPECT_EQ(w->aircraft[0].x, 1.0f);  // other fields are left for spawnAircraft to write
    EXPECT_EQ(w->projectiles[4].side, 0);
    EXPECT_EQ(w->effects[9].life, 0);
    EXPECT_EQ(w->seats[PLAYER_SEAT].cameraPos.y, 10.0f);
    EXPECT_EQ(w->seats[PLAYER_SEAT].cameraHeading, 0.0f);
    EXPECT_EQ(w->seats[PLAYER_SEAT].cockpitView, 0);
    EXPECT_EQ(w->seats[PLAYER_SEAT].radarLong, 0);
    EXPECT_EQ(w->seats[PLAYER_SEAT].mapShown, 0);
    EXPECT_EQ(w->gameMode, MODE_SELECT);
    EXPECT_EQ(w->seats[PLAYER_SEAT].slot, 3);
}
