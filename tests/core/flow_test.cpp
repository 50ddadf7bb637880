#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <initializer_list>

#include "fixtures.h"
#include "game/flow.h"
#include "world/situation.h"

using namespace vantrel;
using test::FileRecord;

namespace {

class FlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Per process: ctest runs the cases of this suite side by side.
        dataDir = (std::filesystem::temp_directory_path() / ("vantrel-flow-data-" + std::to_string(getpid()))).string();
        std::filesystem::create_directories(dataDir);
        writeSituation(1, {{0, 30, 0, 0, 0, 1, 0}, {0, 30, 40, 0, 1, 2, 0}});
        writeSituation(2, {{0, 30, 0, 0, 0, 1, 0}, {5, 30, 0, 0, 1, 1, 0}});  // one side only
        w = test::makeWorld();
        w->gameMode = MODE_TITLE;
        w->running = 1;
    }

    void writeSituation(int n, const std::vector<FileRecord>& records) {
        const auto bytes = test::situationBytes(0, static_cast<int>(records.size()), records);
        const auto path = situationPath(dataDir, n);
        std::filesystem::remove(path);
        std::filesystem::copy_file(test::writeTempFile("flow.au1", bytes), path);
    }

    // One logic tick with these keys held.
    TickNotes tick(std::initializer_list<int> keys = {}) {
        uint8_t snapshot[256] = {};
        for (int k : keys) snapshot[k] = 0x80;
        return logicTick(*w, dataDir, snapshot);
    }

    std::string dataDir;
    std::unique_ptr<World> w;
};

}  // namespace

TEST_F(FlowTest, MenuCursorWrapsOverFiveMissions) {
    tick({VK_SPACE});
    ASSERT_EQ(w->gameMode, MODE_SELECT);
    EXPECT_EQ(w->flowCounter, 1);
    tick({VK_NUMPAD8});
    EXPECT_EQ(w->flowCounter, 5);
    tick({VK_NUMPAD8});  // still held: not pressed again
    EXPECT_EQ(w->flowCounter, 5);
    tick();
    tick({VK_NUMPAD5});
    EXPECT_EQ(w->flowCounter, 1);
    tick({VK_NUMPAD5, VK_NUMPAD8});  // newly pressed NUMPAD8 and still-held NUMPAD5
    EXPECT_EQ(w->flowCounter, 5);
}

TEST_F(FlowTest, KeysOfOneTickAllRunInTheStepOrderOfTheStartingMode) {
    tick({VK_SPACE, VK_ESCAPE});  // title: SPACE then ESC both act
    EXPECT_EQ(w->gameMode, MODE_SELECT);
    EXPECT_EQ(w->running, 0);

    w->running = 1;
    tick();
    tick({VK_SPACE, VK_ESCAPE});  // select: the mission is loaded, then ESC returns to the title
    EXPECT_EQ(w->gameMode, MODE_TITLE);
    EXPECT_EQ(w->aircraft[1].side, 2);
}

TEST_F(FlowTest, StartingAMissionResetsTheTickCounterAndPlacesTheSituation) {
    tick({VK_SPACE});
    tick();
    w->tickCount = 99;
    tick({VK_SPACE});
    EXPECT_EQ(w->gameMode, MODE_MISSION);
    EXPECT_EQ(w->flowCounter, 0);
    EXPECT_EQ(w->tickCount, 0);
    EXPECT_EQ(w->aircraft[0].side, 1);
    tick();
    EXPECT_EQ(w->tickCount, 1);
}

TEST_F(FlowTest, RefusedSituationKeepsTheSelectScreen) {
    std::filesystem::remove(situationPath(dataDir, 3));
    tick({VK_SPACE});
    tick({VK_NUMPAD5});
    tick();
    tick({VK_NUMPAD5});
    ASSERT_EQ(w->flowCounter, 3);
    tick({VK_SPACE});
    EXPECT_EQ(w->gameMode, MODE_SELECT);
    EXPECT_EQ(w->flowCounter, 3);
}

TEST_F(FlowTest, OneSidedMissionCountsDownFrom150AndReturnsToTitle) {
    tick({VK_SPACE});
    tick({VK_NUMPAD5});
    tick({VK_SPACE});
    ASSERT_EQ(w->gameMode, MODE_MISSION);
    tick();
    EXPECT_EQ(w->flowCounter, 150);
    for (int i = 0; i < 149; ++i) tick();
    EXPECT_EQ(w->gameMode, MODE_MISSION);
    EXPECT_EQ(w->flowCounter, 1);
    tick();
    EXPECT_EQ(w->gameMode, MODE_TITLE);
}

TEST_F(FlowTest, DestroyedPlayerStartsTheCountdownAndEscKeepsItsValue) {
    tick({VK_SPACE});
    tick();
    tick({VK_SPACE});
    tick();
    EXPECT_EQ(w->flowCounter, 0);  // two sides, player alive: the mission runs
    w->aircraft[w->seats[PLAYER_SEAT].slot].side = 0;
    tick();
    EXPECT_EQ(w->flowCounter, 150);
    tick();
    // ESC returns to the title, and the countdown step of that same tick still runs once.
    tick({VK_ESCAPE});
    EXPECT_EQ(w->gameMode, MODE_TITLE);
    EXPECT_EQ(w->flowCounter, 148);
}

TEST_F(FlowTest, ModeZeroDoesNothingAndReturnAsksForTheInformationBox) {
    w->gameMode = MODE_NONE;
    EXPECT_FALSE(tick({VK_SPACE}).informationAsked);
    EXPECT_EQ(w->gameMode, MODE_NONE);
    EXPECT_EQ(w->tickCount, 1);
    EXPECT_TRUE(tick({VK_RETURN}).informationAsked);
    EXPECT_FALSE(tick({VK_RETURN}).informationAsked);  // held: shown once
    EXPECT_FALSE(tick().informationAsked);
    EXPECT_TRUE(tick({VK_RETURN}).informationAsked);
}

TEST_F(FlowTest, ARefusedSituationIsReportedAndTheMenuStays) {
    w->gameMode = MODE_SELECT;
    w->flowCounter = 3;  // no s3.au1 in this data directory
    const TickNotes notes = tick({VK_SPACE});
    EXPECT_NE(notes.refusal.find("s3.au1"), std::string::npos) << notes.refusal;
    EXPECT_EQ(w->gameMode, MODE_SELECT);
    EXPECT_EQ(w->seats[PLAYER_SEAT].sounds.count, 0) << "no confirmation sound for a refused start";
    EXPECT_TRUE(tick().refusal.empty());
}
