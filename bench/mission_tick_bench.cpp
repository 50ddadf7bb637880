// One mission tick with every table full: 30 aircraft in a fight, 240 projectiles and 100
// effects. Each iteration restores the same full world and runs the seven simulation
// steps; the fight steps are also timed alone, and BM_RestoreFullWorld times the restore,
// to subtract.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "game/flow.h"
#include "sim/effects.h"
#include "sim/flight.h"
#include "sim/projectiles.h"
#include "world/situation.h"

using namespace vantrel;

namespace {

// Two sides of fifteen in facing rows 10 units apart over rolling ground, every table full.
std::unique_ptr<World> fullWorld() {
    auto w = std::make_unique<World>();
    seedRandom(w->rngState, 7);
    for (int i = 0; i < GRID_SAMPLES; ++i) w->heightmap[i] = static_cast<uint8_t>((i * 37) % 40);
    for (int i = 0; i < MAX_AIRCRAFT; ++i) {
        const bool north = i % 2 == 0;
        const float x = static_cast<float>(i / 2) * 3.0f - 21.0f;
        spawnAircraft(*w, x, 30.0f + static_cast<float>(i % 5), north ? 5.0f : -5.0f, north ? PI : 0.0f,
                      static_cast<int8_t>(i % AIRCRAFT_TYPE_COUNT), static_cast<int8_t>(north ? 1 : 2),
                      static_cast<int8_t>(i % 3));
        w->aircraft[i].target = static_cast<int16_t>(i ^ 1);
    }
    w->seats[PLAYER_SEAT].slot = 0;
    for (int i = 0; i < MAX_PROJECTILES; ++i) {
        const Aircraft& shooter = w->aircraft[i % MAX_AIRCRAFT];
        const Pose launch{{shooter.x, shooter.y, shooter.z + (shooter.side == 1 ? -1.0f : 1.0f)},
                          0.01f * static_cast<float>(i % 7),
                          shooter.heading,
                          0.0f};
        spawnProjectile(*w, launch, shooter.target, static_cast<int8_t>(i % WEAPON_TYPE_COUNT), shooter.side,
                        i % MAX_AIRCRAFT);
    }
    for (int i = 0; i < MAX_EFFECTS; ++i) {
        spawnEffect(*w, static_cast<float>(i), 30.0f, 0.0f, AircraftExplosion);
    }
    w->gameMode = MODE_MISSION;
    w->seats[PLAYER_SEAT].input.keys[VK_Z] = KEY_DOWN_BIT;
    return w;
}

// A whole mission tick, and the two fight steps alone to see where a tick goes, each from the
// same full world.
template <void (*step)(World&)>
void BM_StepFullTables(benchmark::State& state) {
    const auto full = fullWorld();
    auto w = std::make_unique<World>();
    for (auto _ : state) {
        std::memcpy(w.get(), full.get(), sizeof(World));
        ++w->tickCount;
        step(*w);
        benchmark::DoNotOptimize(w->aircraft[0].armor);
    }
}
BENCHMARK(BM_StepFullTables<runMissionSteps>)->Name("BM_MissionTickFullTables");
BENCHMARK(BM_StepFullTables<updateAircraft>)->Name("BM_UpdateAircraftFullTables");
BENCHMARK(BM_StepFullTables<updateProjectiles>)->Name("BM_UpdateProjectilesFullTables");

void BM_RestoreFullWorld(benchmark::State& state) {
    const auto full = fullWorld();
    auto w = std::make_unique<World>();
    for (auto _ : state) {
        std::memcpy(w.get(), full.get(), sizeof(World));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RestoreFullWorld);

}  // namespace
