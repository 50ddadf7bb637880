// Runs the real vantrel-sim binary and checks its command-line contract.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "fixtures.h"
#include "game/flow.h"
#include "game/keyscript.h"
#include "world/situation.h"

using namespace vantrel;

namespace {

struct SimRun {
    int status;
    std::string out;
};

SimRun runSim(const std::string& args) {
    const std::string command = std::string(VANTREL_BINARY_DIR) + "/vantrel-sim " + args + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    SimRun run{-1, ""};
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class SimTool : public ::testing::Test {
protected:
    void SetUp() override {
        map = test::writeTempFile("sim_map1.hd", std::vector<uint8_t>(GRID_SAMPLES, 20));
        situation = test::writeTempFile(
            "sim_duel.au1", test::situationBytes(0, 2, {{0, 30, -10, 0, 0, 1, 0}, {0, 30, 10, 3.14f, 1, 2, 2}}));
        script = test::writeTempFile("sim_keys.txt", {});
        std::ofstream(script) << "seed 9\n1-40 NUMPAD5 Z\n20 X\n";
    }
    std::string map, situation, script;
};

}  // namespace

TEST_F(SimTool, TicksZeroPrintsTheWorldAsPlaced) {
    const SimRun run = runSim("--map " + map + " --situation " + situation + " --ticks 0");
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\"tick\":0"), std::string::npos);
    EXPECT_NE(run.out.find("\"gameMode\":4"), std::string::npos);
    EXPECT_NE(run.out.find("\"slot\":1,\"x\":0,\"y\":30,\"z\":40"), std::string::npos) << run.out.substr(0, 400);
    EXPECT_NE(run.out.find("\"camera\":{\"x\":0,\"y\":10,\"z\":0"), std::string::npos);
    EXPECT_NE(run.out.find("\"speed\":0.419999987"), std::string::npos);  // 9 significant digits
}

TEST_F(SimTool, EveryPrintsOneObjectPerLine) {
    const SimRun run = runSim("--map " + map + " --situation " + situation + " --ticks 10 --every 5");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3);
    EXPECT_NE(run.out.find("\"tick\":10"), std::string::npos);
}

TEST_F(SimTool, BadArgumentsAndFilesExitWithStatusTwo) {
    EXPECT_EQ(runSim("--situation 1").status, 2);
    EXPECT_EQ(runSim("--map " + map + " --situation /nonexistent.au1").status, 2);
    EXPECT_EQ(runSim("--map /nonexistent.hd --situation " + situation).status, 2);
    EXPECT_EQ(runSim("--map " + map + " --situation " + situation + " --ticks -3").status, 2);
    EXPECT_EQ(runSim("--map " + map + " --situation " + situation + " --bogus").status, 2);
    const std::string badScript = test::writeTempFile("sim_bad_keys.txt", {});
    std::ofstream(badScript) << "1 SPACE\n2 WHAT\n";
    EXPECT_EQ(runSim("--map " + map + " --situation " + situation + " --input " + badScript).status, 2);
    const std::string truncated = test::writeTempFile("sim_short.au1", test::situationBytes(0, 2, {}));
    EXPECT_EQ(runSim("--map " + map + " --situation " + truncated).status, 2);
}

TEST_F(SimTool, SameSeedAndScriptGiveTheSameRun) {
    const std::string args = "--map " + map + " --situation " + situation + " --ticks 300 --input " + script;
    const SimRun a = runSim(args);
    const SimRun b = runSim(args);
    ASSERT_EQ(a.status, 0);
    EXPECT_EQ(a.out, b.out);
}

TEST_F(SimTool, PilotFliesThePlayersAircraftTheSameWayEveryRun) {
    const std::string base = "--map " + map + " --situation " + situation + " --seed 4 --ticks 200";
    const SimRun idle = runSim(base);
    const SimRun flown = runSim(base + " --pilot");
    ASSERT_EQ(flown.status, 0);
    EXPECT_NE(flown.out, idle.out) << "the pilot must move the controls";
    EXPECT_EQ(runSim(base + " --pilot").out, flown.out);
    EXPECT_EQ(runSim(base + " --pilot --input " + script).status, 2) << "the pilot and a key script both fly";
}

TEST_F(SimTool, SoundLogRecordsTheLibraryCallsWithTheirTick) {
    const std::string log = test::writeTempFile("sim_sound.log", {});
    const SimRun run = runSim("--map " + map + " --situation " + situation + " --ticks 2 --sound-log " + log);
    ASSERT_EQ(run.status, 0);
    std::ifstream in(log);
    std::string first, second, third;
    std::getline(in, first);
    std::getline(in, second);
    std::getline(in, third);
    EXPECT_EQ(first, "0 DSloopOPE 0 0");
    EXPECT_EQ(second, "0 DSplay 5 80");
    EXPECT_EQ(third.rfind("1 DSloopOPE 1 ", 0), 0u) << third;
}

// The same seed and key script give the same World, byte for byte, in one process.
TEST(Determinism, SameSeedAndScriptGiveTheSameWorldHash) {
    const std::string dir =
        std::filesystem::path(test::writeTempFile("det_map.hd", std::vector<uint8_t>(GRID_SAMPLES, 30)))
            .parent_path()
            .string();
    const std::string path = test::writeTempFile(
        "det.au1",
        test::situationBytes(0, 3, {{0, 30, 0, 0, 0, 1, 0}, {3, 32, 20, 3.0f, 2, 2, 1}, {-3, 28, 25, 3.0f, 6, 2, 2}}));
    KeyScript script;
    std::string error;
    ASSERT_TRUE(script.parse("seed 5\n1-200 Z\n50 X\n60-90 NUMPAD4\n", error));

    auto fly = [&] {
        auto w = test::makeWorld();
        seedRandom(w->rngState, *script.seed());
        std::string err;
        EXPECT_TRUE(startSituation(*w, path, err)) << err;
        w->gameMode = MODE_MISSION;
        for (int tick = 1; tick <= 400; ++tick) {
            uint8_t keys[256];
            script.snapshot(tick, keys);
            logicTick(*w, dir, keys);
        }
        return hashWorld(*w);
    };
    EXPECT_EQ(fly(), fly());
}
