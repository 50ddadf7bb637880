// Frame cost of the GL device on Mesa llvmpipe with no display: 2000 small triangles per frame,
// as separate fans (the terrain's one-triangle draw calls) and as one triangle list, and what
// presenting a frame adds to a clear. The CPU column counts the whole process, the rasteriser's
// threads included.
// Run: SDL_VIDEODRIVER=offscreen build/device_bench
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "app/heap.h"
#include "render/device.h"

namespace {

using namespace vantrel;
using namespace vantrel::render;

constexpr int TRIANGLES = 2000;

struct Session {
    SDL_Window* window = nullptr;
    std::unique_ptr<Device> device;

    Session() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        tuneHeapForPlay();
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        Device::requestContextAttributes();
        window = SDL_CreateWindow("bench", 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        device = Device::initGraphics(window, "/nonexistent");
        if (!device) return;
        device->setView(matrixLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}));
        device->setProjection(matrixPerspectiveFovLH(1.0471973f, 1.3333334f, 0.1f, 150.0f));
        device->bindTexture(-1);
    }
    ~Session() {
        device.reset();
        if (window) SDL_DestroyWindow(window);
    }
};

// Triangles of about 40 pixels each spread over the view at distance 10.
std::vector<WorldVertex> smallTriangles() {
    std::vector<WorldVertex> v;
    for (int i = 0; i < TRIANGLES; ++i) {
        const float x = -5.0f + 10.0f * float(i % 50) / 50.0f;
        const float y = -4.0f + 8.0f * float(i / 50) / 40.0f;
        const uint32_t colour = 0x80000000u | uint32_t(i * 2654435761u & 0xFFFFFF);
        v.push_back({x, y, 10, colour, 0, 0});
        v.push_back({x + 0.1f, y, 10, colour, 1, 0});
        v.push_back({x, y + 0.1f, 10, colour, 0, 1});
    }
    return v;
}

void BM_FrameOfSeparateFans(benchmark::State& state) {
    Session s;
    if (!s.device) return state.SkipWithError("no GL device");
    const auto tris = smallTriangles();
    for (auto _ : state) {
        s.device->clear(0xFF1464FF);
        for (int i = 0; i < TRIANGLES; ++i) s.device->drawWorldFan(&tris[size_t(i) * 3], 3);
        glFinish();
    }
}
BENCHMARK(BM_FrameOfSeparateFans)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_FrameOfOneTriangleList(benchmark::State& state) {
    Session s;
    if (!s.device) return state.SkipWithError("no GL device");
    const auto tris = smallTriangles();
    for (auto _ : state) {
        s.device->clear(0xFF1464FF);
        s.device->drawWorldTriangles(tris.data(), int(tris.size()));
        glFinish();
    }
}
BENCHMARK(BM_FrameOfOneTriangleList)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_ClearAndReadPixels(benchmark::State& state) {
    Session s;
    if (!s.device) return state.SkipWithError("no GL device");
    for (auto _ : state) {
        s.device->clear(0xFF1464FF);
        benchmark::DoNotOptimize(s.device->readPixels());
    }
}
BENCHMARK(BM_ClearAndReadPixels)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// What showing a frame costs beyond drawing it: the picture copied into the window and swapped
// (argument 1), against the clear alone (argument 0).
void BM_ClearAndPresent(benchmark::State& state) {
    Session s;
    if (!s.device) return state.SkipWithError("no GL device");
    for (auto _ : state) {
        s.device->clear(0xFF1464FF);
        if (state.range(0) != 0) s.device->present();
        glFinish();
    }
}
BENCHMARK(BM_ClearAndPresent)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
