// vantrel-sim: runs a mission with no window, no graphics and no audio device, and prints
// the world as JSON. It enters the mission as SPACE on the menu does, then runs
// logic ticks exactly as the game does, with the keys of a key script.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "game/flow.h"
#include "game/keyscript.h"
#include "game/match.h"
#include "game/outcome.h"
#include "game/world_json.h"
#include "net/lockstep.h"
#include "sim/autopilot.h"
#include "sound/sound.h"
#include "world/terrain.h"

using namespace vantrel;

namespace {

constexpr int EXIT_BAD_INPUT = 2;
constexpr int UNTIL_END_TICK_LIMIT = 1'000'000;

// --sound-log: a recording sound library writing one line per call.
std::FILE* soundLog = nullptr;
int soundLogTick = 0;

int logInit(HWND__*) { return 1; }
void logEnd() {}
int logLoad(char*, char) { return 1; }
int logLoadLoop(char*) { return 1; }
void logPlay(char channel, char volume) { std::fprintf(soundLog, "%d DSplay %d %d\n", soundLogTick, channel, volume); }
void logLoop(char operation, char level) {
    std::fprintf(soundLog, "%d DSloopOPE %d %d\n", soundLogTick, operation, level);
}
char* logVersion() { return nullptr; }

struct Options {
    std::string dataDir, mapFile, situation, inputFile, soundLogFile, matchFile;
    uint32_t seed = 1;
    int ticks = 0;
    int every = 0;
    bool untilEnd = false;
    bool pilot = false;
};

int fail(const std::string& message) {
    std::fprintf(stderr, "vantrel-sim: %s\n", message.c_str());
    return EXIT_BAD_INPUT;
}

std::string situationFile(const Options& o) {
    if (o.situation.size() == 1 && o.situation[0] >= '1' && o.situation[0] <= '5' && !o.dataDir.empty() &&
        !std::filesystem::exists(o.situation)) {
        return situationPath(o.dataDir, o.situation[0] - '0');
    }
    return o.situation;
}

// The printing of a run: one JSON object every K ticks, and the last tick's.
struct Printer {
    int every;
    void tick(const World& w, int tick, const std::string& outcome) const {
        if (every > 0 && tick % every == 0) std::printf("%s\n", worldJson(w, tick, outcome).c_str());
    }
    void last(const World& w, int tick, const std::string& outcome) const {
        if (every == 0 || tick % every != 0) std::printf("%s\n", worldJson(w, tick, outcome).c_str());
    }
};

// --match: a network match replayed from its recording, tick by tick, as every player and the
// relay ran it; the outcome is the first seat's.
int replayMatch(const Options& o) {
    if (o.dataDir.empty()) return fail("--match needs --data DIR");
    std::ifstream file(o.matchFile, std::ios::binary);
    if (!file) return fail(o.matchFile + ": cannot be opened");
    std::stringstream text;
    text << file.rdbuf();
    net::MatchRecording recording;
    std::string error;
    if (!net::parseRecordingText(text.str(), recording, error)) return fail(o.matchFile + ": " + error);
    auto world = std::make_unique<World>();
    World& w = *world;
    if (!startMatch(w, o.dataDir, net::matchSetupOf(recording.start()), error)) return fail(error);
    const Printer print{o.every};
    const int limit = o.ticks > 0 ? o.ticks : UNTIL_END_TICK_LIMIT;
    int tick = 0;
    std::string outcome = "running";
    print.tick(w, tick, outcome);
    recording.forEachTick([&](const net::Tick& t) {
        if (tick >= limit || matchEnded(w)) return;
        net::runLockstepTick(w, t);
        outcome = resultName(missionOutcome(w, PLAYER_SEAT).result);
        print.tick(w, ++tick, outcome);
    });
    print.last(w, tick, outcome);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    CLI::App app{"vantrel-sim: run a vantrel mission headless and print the world as JSON"};
    auto* data = app.add_option("--data", o.dataDir, "data directory (map1.hd, s1.au1..s5.au1)");
    auto* map = app.add_option("--map", o.mapFile, "height grid file");
    data->excludes(map);
    auto* situation = app.add_option("--situation", o.situation, "situation number 1..5 (with --data) or a file");
    auto* match = app.add_option("--match", o.matchFile, "replay a network match recording (vantrel --record)");
    match->excludes(situation)->excludes(map);
    auto* seed = app.add_option("--seed", o.seed, "seed of the random generator (default 1)");
    app.add_option("--ticks", o.ticks, "logic ticks to run (default 0)")->check(CLI::NonNegativeNumber);
    auto* input = app.add_option("--input", o.inputFile, "key script");
    input->excludes(match);
    app.add_flag("--pilot", o.pilot, "the computer pilot of the game's --demo flies the player's aircraft")
        ->excludes(input);
    app.add_flag("--until-end", o.untilEnd, "run until the mission returns to the title screen");
    app.add_option("--sound-log", o.soundLogFile, "write every sound-library call to this file");
    app.add_option("--every", o.every, "print the world every K ticks, one object a line")->check(CLI::PositiveNumber);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return fail(e.what());
    }
    if (!o.matchFile.empty()) return replayMatch(o);
    if (o.situation.empty()) return fail("give --situation N|FILE or --match FILE");
    if (o.dataDir.empty() && o.mapFile.empty()) return fail("give --data DIR or --map FILE");

    auto world = std::make_unique<World>();
    World& w = *world;
    const std::string mapPath = o.mapFile.empty() ? o.dataDir + "/map1.hd" : o.mapFile;
    if (!loadHeightmap(w, mapPath)) return fail(mapPath + ": cannot be opened");

    KeyScript script;
    std::string error;
    if (!o.inputFile.empty() && !script.load(o.inputFile, error)) return fail(error);
    seedRandom(w.rngState, seed->count() == 0 && script.seed() ? *script.seed() : o.seed);

    Sound sound;
    if (!o.soundLogFile.empty()) {
        soundLog = std::fopen(o.soundLogFile.c_str(), "w");
        if (!soundLog) return fail(o.soundLogFile + ": cannot be written");
        sound.lib = SoundLibrary{logInit, logEnd, logLoad, logLoadLoop, logPlay, logLoop, logVersion};
        sound.soundEnabled = true;
    }

    w.running = 1;
    if (!enterMission(w, situationFile(o), error)) return fail(error);
    playSoundEvents(sound, w.seats[PLAYER_SEAT].sounds);

    const int limit = o.untilEnd && o.ticks == 0 ? UNTIL_END_TICK_LIMIT : o.ticks;
    std::string outcome = "running";
    Autopilot pilot;
    int tick = 0;
    const Printer print{o.every};
    print.tick(w, tick, outcome);
    while (tick < limit && w.gameMode == MODE_MISSION) {
        uint8_t keys[256];
        ++tick;
        script.snapshot(tick, keys);
        if (o.pilot) pilot.flightKeys(w, PLAYER_SEAT, keys);
        soundLogTick = tick;
        logicTick(w, o.dataDir, keys);
        playSoundEvents(sound, w.seats[PLAYER_SEAT].sounds);
        outcome = resultName(missionOutcome(w, PLAYER_SEAT).result);
        print.tick(w, tick, outcome);
    }
    print.last(w, tick, outcome);
    if (soundLog) std::fclose(soundLog);
    return 0;
}
