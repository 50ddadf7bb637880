// vantrel-world-hashes: the World hash after every logic tick of a demo run, from the title
// screen on: the computer pilot picks mission N on the menu and flies the player's aircraft,
// as `vantrel --demo N` does. The same source is built natively and for the browser's
// WebAssembly (run under node), and the two builds must print the same lines.
//
//   vantrel-world-hashes DATA_DIR MISSION MISSION_TICKS [--seed N] [--json-at TICK]
//
// One line per tick, "tick hash" in hexadecimal, until the mission has run MISSION_TICKS
// ticks or has ended. --json-at prints the whole world as JSON after that tick instead, so
// two builds that part can be compared field by field.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "game/demo.h"
#include "game/flow.h"
#include "game/world_json.h"
#include "world/world.h"

using namespace vantrel;

namespace {

constexpr int EXIT_BAD_INPUT = 2;
constexpr int MENU_TICK_LIMIT = 10'000;  // the pilot reaches any mission long before this

struct Options {
    std::string dataDir;
    int mission = 0;
    int missionTicks = 0;
    uint32_t seed = 1;
    int jsonAt = 0;
};

int usage(const char* why) {
    std::fprintf(stderr,
                 "vantrel-world-hashes: %s\n"
                 "usage: vantrel-world-hashes DATA_DIR MISSION(1-5) MISSION_TICKS [--seed N] [--json-at TICK]\n",
                 why);
    return EXIT_BAD_INPUT;
}

bool parseNumber(const char* text, long lo, long hi, long& out) {
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && out >= lo && out <= hi;
}

bool parse(int argc, char** argv, Options& o) {
    if (argc < 4) return false;
    long n = 0;
    o.dataDir = argv[1];
    if (!parseNumber(argv[2], 1, MISSION_COUNT, n)) return false;
    o.mission = static_cast<int>(n);
    if (!parseNumber(argv[3], 0, 1'000'000, n)) return false;
    o.missionTicks = static_cast<int>(n);
    for (int i = 4; i < argc; i += 2) {
        if (i + 1 >= argc) return false;
        if (std::strcmp(argv[i], "--seed") == 0 && parseNumber(argv[i + 1], 0, UINT32_MAX, n)) {
            o.seed = static_cast<uint32_t>(n);
        } else if (std::strcmp(argv[i], "--json-at") == 0 && parseNumber(argv[i + 1], 1, 1'000'000, n)) {
            o.jsonAt = static_cast<int>(n);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) return usage("bad arguments");
    const std::string situationFile = situationPath(o.dataDir, o.mission);
    if (std::FILE* f = std::fopen(situationFile.c_str(), "rb")) {
        std::fclose(f);
    } else {
        return usage((situationFile + ": cannot be opened").c_str());
    }

    auto world = std::make_unique<World>();
    World& w = *world;
    loadWorldAssets(w, o.dataDir);
    seedRandom(w.rngState, o.seed);
    DemoPilot pilot(o.mission);

    int tick = 0, missionTicks = 0;
    while (missionTicks < o.missionTicks && !pilot.finished(w)) {
        if (w.gameMode != MODE_MISSION && tick >= MENU_TICK_LIMIT) return usage("the mission never started");
        uint8_t keys[256];
        pilot.snapshot(w, keys);
        ++tick;
        logicTick(w, o.dataDir, keys);
        if (w.gameMode == MODE_MISSION) ++missionTicks;
        if (o.jsonAt == tick) {
            std::printf("%s\n", worldJson(w, tick, pilot.outcome(w)).c_str());
            return 0;
        }
        if (o.jsonAt == 0) std::printf("%d %016llx\n", tick, static_cast<unsigned long long>(hashWorld(w)));
    }
    if (o.jsonAt != 0) return usage("the run ended before --json-at");
    return 0;
}
