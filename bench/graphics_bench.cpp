// graphics_bench - the drawing path's costs.
//
//   BM_SubmitSprite  CPU time to put one textured, rotated and scaled quad
//                    into the device's batch through bb_graphics_DrawImage2
//                    (matrix push, three transforms, four corners, pop). The
//                    full batch is dropped instead of drawn, so GL is not
//                    timed.
//   BM_SpriteFrame   whole frames of 2,000 such sprites on one 32x32 texture
//                    at 640x480: clear, draw, flush, swap, on Mesa's software
//                    renderer. The "fps" counter is frames per wall-clock
//                    second.
//
// Depends on: graphics, platform/glfw2.h, Google Benchmark, an X display.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "graphics/device.h"
#include "graphics/graphics.h"
#include "platform/glfw2.h"

using namespace glfw2;

namespace {

const int kSprites = 2000;

bb_graphics_Image* sprite = nullptr;

// One window, device, context and 32x32 translucent sprite for the run.
void SetUpOnce() {
    if (sprite) return;
    if (!glfwInit() || !glfwOpenWindow(640, 480, 8, 8, 8, 8, 0, 0, GLFW_WINDOW)) {
        std::fprintf(stderr, "graphics_bench: no window (is there an X display?)\n");
        std::exit(1);
    }
    gc_assign(bb_graphics_context, (new bb_graphics_GraphicsContext())->g_new());
    bb_graphics_SetGraphicsDevice(new gxtkGraphics());
    bb_graphics_device->Validate();

    gxtkSurface* surface = bb_graphics_device->CreateSurface(32, 32);
    Array<int> pixels(32 * 32);
    for (int i = 0; i < 32 * 32; ++i) pixels[i] = static_cast<int>(0xc0000000u | (i * 2654435761u >> 8 & 0xffffff));
    bb_graphics_device->WritePixels2(surface, pixels, 0, 0, 32, 32, 0, 32);
    // Held by the context as its font, so the collector keeps it.
    sprite = (new bb_graphics_Image())->g_new()->m_Init(surface, 1, bb_graphics_Image::HandleCentre);
    bb_graphics_SetFont(sprite, 32);
}

void BeginFrame() {
    gxtkGraphics* device = bb_graphics_device;
    device->Validate();
    device->BeginRender();
    bb_graphics_BeginRender();
    bb_graphics_Cls(20, 20, 40);
}

void BM_SubmitSprite(benchmark::State& state) {
    SetUpOnce();
    BeginFrame();
    gxtkGraphics* device = bb_graphics_device;
    int i = 0;
    for (auto _ : state) {
        float f = static_cast<float>(i & 1023);
        bb_graphics_DrawImage2(sprite, 16 + f * 0.6f, 16 + f * 0.4f, f, 1.5f, 0.75f, 0);
        if (device->batchCount == gxtkGraphics::kQuadCapacity) device->batchCount = 0;
        ++i;
    }
    device->batchCount = 0;
    bb_graphics_EndRender();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SubmitSprite);

void BM_SpriteFrame(benchmark::State& state) {
    SetUpOnce();
    int frame = 0;
    int calls0 = bb_graphics_device->drawCalls;
    for (auto _ : state) {
        BeginFrame();
        for (int s = 0; s < kSprites; ++s) {
            float x = static_cast<float>((s * 37) % 640);
            float y = static_cast<float>((s * 91) % 480);
            bb_graphics_DrawImage2(sprite, x, y, static_cast<float>(frame + s), 1, 1, 0);
        }
        bb_graphics_EndRender();
        bb_graphics_device->EndRender();
        ++frame;
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["draw_calls"] = benchmark::Counter(static_cast<double>(bb_graphics_device->drawCalls - calls0),
                                                      benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SpriteFrame)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
