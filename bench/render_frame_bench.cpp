// Cost of a full mission frame on Mesa llvmpipe with no display: every table full (30 aircraft
// and 240 projectiles within draw distance, 100 live effects) with the camera low over the
// roughest part of the terrain, the game's own data, the head-up display included. Also the
// terrain submitted one triangle per draw call, as the original one-fan-per-triangle design
// did, and each pass alone, to show where the time goes.
// Run: SDL_VIDEODRIVER=offscreen build/render_frame_bench   (VANTREL_DATA=dir overrides
// the data directory found beside the program)
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/heap.h"
#include "render/device.h"
#include "render/effects_draw.h"
#include "render/frame.h"
#include "render/hints.h"
#include "render/hud.h"
#include "render/scene.h"
#include "world/terrain.h"

namespace {

using namespace vantrel;
using namespace vantrel::render;

// data/ beside the program, else in its parent (a build tree's bench/ folder).
std::string dataDirectory() {
    if (const char* dir = std::getenv("VANTREL_DATA")) return dir;
    char* base = SDL_GetBasePath();
    const std::string program = base ? base : "";
    SDL_free(base);
    const std::string beside = program + "data";
    return std::filesystem::exists(beside + "/map1.hd") ? beside : program + "../data";
}

// The centre of the cell whose four corners differ the most, away from the grid edge.
Vec3 roughestSpot(const World& w) {
    int bestColumn = 50, bestRow = 50, bestSpread = -1;
    for (int r = 20; r < 80; ++r) {
        for (int c = 20; c < 80; ++c) {
            const int h[4] = {w.heightmap[r * GRID_SIZE + c], w.heightmap[r * GRID_SIZE + c + 1],
                              w.heightmap[(r + 1) * GRID_SIZE + c], w.heightmap[(r + 1) * GRID_SIZE + c + 1]};
            const int spread = std::max({h[0], h[1], h[2], h[3]}) - std::min({h[0], h[1], h[2], h[3]});
            if (spread > bestSpread) {
                bestSpread = spread;
                bestColumn = c;
                bestRow = r;
            }
        }
    }
    const float x = GRID_CELL * bestColumn + GRID_ORIGIN + 4.0f, z = GRID_CELL * bestRow + GRID_ORIGIN + 4.0f;
    return Vec3{x, groundHeight(w, x, z) + 6.0f, z};
}

// Spreads n things over a disc of radius 90 around the camera, in front and behind.
Vec3 around(const Vec3& eye, int k, int n, float height) {
    const double angle = 2.399963 * k;  // golden angle
    const double radius = 90.0 * std::sqrt((k + 0.5) / n);
    return Vec3{static_cast<float>(eye.x + radius * std::sin(angle)), eye.y + height,
                static_cast<float>(eye.z + radius * std::cos(angle))};
}

void fillTables(World& w) {
    const Vec3 eye = w.seats[PLAYER_SEAT].cameraPos;
    for (int k = 0; k < MAX_AIRCRAFT; ++k) {
        Aircraft& a = w.aircraft[k];
        const Vec3 p = around(eye, k, MAX_AIRCRAFT, 3.0f);
        a.x = p.x, a.y = p.y, a.z = p.z;
        a.heading = 0.3f * k, a.pitch = 0.1f, a.roll = 0.2f * (k % 5);
        a.type = static_cast<int8_t>(k % AIRCRAFT_TYPE_COUNT);
        a.side = static_cast<int8_t>(1 + k % 2);
        a.armor = 50, a.speed = 0.4f, a.gunAmmo = 500, a.launcherAmmo = 8, a.target = -1;
    }
    for (int k = 0; k < MAX_PROJECTILES; ++k) {
        Projectile& p = w.projectiles[k];
        const Vec3 q = around(eye, k, MAX_PROJECTILES, 2.0f);
        p.x = q.x, p.y = q.y, p.z = q.z;
        p.heading = 0.1f * k;
        p.weapon = static_cast<int8_t>(k % WEAPON_TYPE_COUNT);
        p.side = 1, p.life = 50, p.target = -1;
    }
    constexpr uint8_t KINDS[] = {1, 2, 3, 6};
    for (int k = 0; k < MAX_EFFECTS; ++k) {
        Effect& e = w.effects[k];
        const Vec3 q = around(eye, k, MAX_EFFECTS / 2, 1.0f);
        e.x = q.x, e.y = q.y, e.z = q.z;
        e.size = 0.5f + 0.05f * (k % 20);
        e.spin = 0.2f * k;
        e.alpha = 200, e.shade = static_cast<uint8_t>(k % 100), e.life = 20;
        e.kind = KINDS[k % 4];
    }
}

struct Session {
    SDL_Window* window = nullptr;
    std::unique_ptr<Device> device;
    std::unique_ptr<World> world = std::make_unique<World>();

    Session() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        tuneHeapForPlay();
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        Device::requestContextAttributes();
        window = SDL_CreateWindow("bench", 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        const std::string data = dataDirectory();
        device = Device::initGraphics(window, data);
        if (!device) return;
        device->createFont(0, 20);
        device->createFont(1, 40);
        device->loadMeshTable(data);
        loadHeightmap(*world, data + "/map1.hd");
        world->seats[PLAYER_SEAT].cameraPos = roughestSpot(*world);
        world->seats[PLAYER_SEAT].cameraPitch = -0.15f;
        world->seats[PLAYER_SEAT].cameraHeading = 0.7f;
        world->seats[PLAYER_SEAT].slot = 0;
        world->gameMode = MODE_MISSION;
        fillTables(*world);
    }
    ~Session() {
        device.reset();
        if (window) SDL_DestroyWindow(window);
    }

    // Clear, projection and view with no scene.
    void startFrame() {
        world->gameMode = MODE_NONE;
        renderFrame(*device, *world);
        world->gameMode = MODE_MISSION;
    }
};

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Each frame ends with glFinish, so the time includes the rasterising. The CPU column of these
// benchmarks counts every thread of the process, llvmpipe's rasteriser threads included: on a
// busy machine it is the steadier figure. own_ms is the CPU time of the drawing thread alone
// per frame (state changes, vertex work, binning and waiting for the rasteriser threads).
void runFrames(benchmark::State& state, const std::function<void(Session&)>& frame) {
    Session s;
    if (!s.device) return state.SkipWithError("no GL device");
    double own = 0.0;
    for (auto _ : state) {
        const double start = threadCpuSeconds();
        frame(s);
        glFinish();
        own += threadCpuSeconds() - start;
    }
    state.counters["own_ms"] = benchmark::Counter(1e3 * own, benchmark::Counter::kAvgIterations);
}

void BM_MissionFrame(benchmark::State& state) {
    runFrames(state, [](Session& s) { renderFrame(*s.device, *s.world); });
}
BENCHMARK(BM_MissionFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The same frame with a newcomer's hints: with argument 0 as most frames have them (the pointer
// to the nearest enemy alone), with 1 at their busiest (the first seconds' card, a kill notice
// and the red edge of a hit taken besides).
void BM_MissionFrameWithHints(benchmark::State& state) {
    Hints hints;
    hints.helpers = true;
    if (state.range(0) == 1) {
        hints.cardPlace = CardPlace::Mission;
        for (const char* action : {"NOSE DOWN / UP", "ROLL LEFT / RIGHT", "THROTTLE UP / DOWN", "GUN (HOLD)",
                                   "ROCKET OR MISSILE", "PAUSE"}) {
            hints.card.push_back({"Keypad 8/5, Up/Down", action, "", false});
        }
        hints.notice = "ENEMY DOWN";
        hints.noticeAlpha = 255;
        hints.hitFlashAlpha = 150;
    }
    FrameExtras extras;
    extras.hints = &hints;
    runFrames(state, [&extras](Session& s) { renderFrame(*s.device, *s.world, {}, extras); });
}
BENCHMARK(BM_MissionFrameWithHints)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The terrain window one triangle per draw call, as the original design submitted it.
void drawTerrainPerTriangle(Device& d, const World& w, std::vector<WorldVertex>& terrain) {
    d.setWorld(matrixIdentity());
    terrain.clear();
    buildTerrainTriangles(w, terrain);
    for (size_t k = 0; k < terrain.size(); k += 3) d.drawWorldFan(&terrain[k], 3);
}

// The passes of a mission frame with the terrain sent one triangle per draw call.
void BM_MissionFrameTerrainPerTriangle(benchmark::State& state) {
    std::vector<WorldVertex> terrain;
    runFrames(state, [&terrain](Session& s) {
        Device& d = *s.device;
        const World& w = *s.world;
        s.startFrame();
        drawSky(d, w);
        d.bindTexture(TERRAIN_TEXTURE);
        drawTerrainPerTriangle(d, w, terrain);
        d.setLighting(true);
        drawAircraft(d, w);
        d.setLighting(false);
        drawProjectiles(d, w);
        drawEffects(d, w);
        drawHud(d, w);
    });
}
BENCHMARK(BM_MissionFrameTerrainPerTriangle)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_ClearAndViewOnly(benchmark::State& state) {
    runFrames(state, [](Session& s) { s.startFrame(); });
}
BENCHMARK(BM_ClearAndViewOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_PassSky(benchmark::State& state) {
    runFrames(state, [](Session& s) {
        s.startFrame();
        drawSky(*s.device, *s.world);
    });
}
BENCHMARK(BM_PassSky)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_PassTerrain(benchmark::State& state) {
    runFrames(state, [](Session& s) {
        s.startFrame();
        s.device->bindTexture(TERRAIN_TEXTURE);
        drawTerrain(*s.device, *s.world);
    });
}
BENCHMARK(BM_PassTerrain)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_PassTerrainPerTriangle(benchmark::State& state) {
    std::vector<WorldVertex> terrain;
    runFrames(state, [&terrain](Session& s) {
        s.startFrame();
        s.device->bindTexture(TERRAIN_TEXTURE);
        drawTerrainPerTriangle(*s.device, *s.world, terrain);
    });
}
BENCHMARK(BM_PassTerrainPerTriangle)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_PassAircraft(benchmark::State& state) {
    runFrames(state, [](Session& s) {
        s.startFrame();
        s.device->setLighting(true);
        drawAircraft(*s.device, *s.world);
        s.device->setLighting(false);
    });
}
BENCHMARK(BM_PassAircraft)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_PassProjectiles(benchmark::State& state) {
    runFrames(state, [](Session& s) {
        s.startFrame();
        drawProjectiles(*s.device, *s.world);
    });
}
BENCHMARK(BM_PassProjectiles)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_PassEffects(benchmark::State& state) {
    runFrames(state, [](Session& s) {
        s.startFrame();
        drawEffects(*s.device, *s.world);
    });
}
BENCHMARK(BM_PassEffects)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_PassHud(benchmark::State& state) {
    runFrames(state, [](Session& s) {
        s.startFrame();
        drawHud(*s.device, *s.world);
    });
}
BENCHMARK(BM_PassHud)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The processor side alone: building the terrain batch and sorting the effects.
void BM_BuildTerrainTriangles(benchmark::State& state) {
    Session s;
    std::vector<WorldVertex> terrain;
    for (auto _ : state) {
        terrain.clear();
        buildTerrainTriangles(*s.world, terrain);
        benchmark::DoNotOptimize(terrain.data());
    }
    state.counters["triangles"] = static_cast<double>(terrain.size() / 3);
}
BENCHMARK(BM_BuildTerrainTriangles)->Unit(benchmark::kMicrosecond);

void BM_SortEffects(benchmark::State& state) {
    Session s;
    for (auto _ : state) benchmark::DoNotOptimize(sortEffects(*s.world));
}
BENCHMARK(BM_SortEffects)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
