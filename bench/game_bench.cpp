// game_bench - the game core's costs per update and per render.
//
//   BM_GameUpdate    one m_OnUpdate of the 12 x 10 board with four computer
//                    colours in the middle of a game: the board scan with
//                    growth, explosions, the computer's evaluation of every
//                    cell, particles and the player panel, all recorded into
//                    the display list.
//   BM_HostUpdate    the same through the host (BeginUpdate, the update,
//                    EndUpdate, one collector step).
//   BM_RenderPass    one m_OnRender replaying a full display list (2,499
//                    commands: atoms, rectangles, ovals, interleaved so that
//                    nearly every command starts a new batch) into the
//                    device, on Mesa's software renderer, drawn whole and
//                    presented. Its malloc count includes the GL driver's
//                    own.
//   BM_Frames/...    an update and a render of a real screen, as the host
//                    runs them: the animated menu, a game waiting for a
//                    move, a game of four computer colours under way. Its
//                    counters are the renderer's per frame: GL calls,
//                    primitives and pixels drawn, and the share of frames
//                    skipped (unchanged) and drawn only where they changed.
//   BM_RenderSubmit  the same replay into a device whose primitives draw
//                    nothing: the game's and the framework's share alone.
//
// Counters: "mallocs" and "gc_bytes" per iteration. Every heap allocation
// of the process goes through malloc here (this binary interposes it), and
// every collected allocation through gc_malloc, which gc_alloced_bytes
// counts. An update should allocate only the player panel's four short
// strings; a render nothing.
//
// Depends on: game, host, graphics, devices, Google Benchmark, an X display.

#include <AL/al.h>
#include <AL/alc.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/nubrix.h"
#include "graphics/frame.h"
#include "platform/glfw2.h"
#include "runtime/start.h"

// ---------------------------------------------------------------------------
// malloc counting: glibc's own entry points do the work.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
}

namespace {
long long mallocCount = 0;
}

extern "C" void* malloc(size_t n) {
    ++mallocCount;
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) {
    ++mallocCount;
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) {
    ++mallocCount;
    return __libc_realloc(p, n);
}
extern "C" void free(void* p) { __libc_free(p); }

using namespace glfw2;

namespace {

bb_Nubrix_MyApp* game = nullptr;
std::vector<int> boardSnapshot;
std::vector<float> particleSnapshot;
int snapshotTurn = 0, snapshotState[5];

void Update() { bb_app_device->InvokeOnUpdate(); }

// The program's start-up, then a game of four computer colours on the
// biggest board, played until it is well under way.
void SetUpOnce() {
    if (game) return;
    if (chdir(NUBRIX_SOURCE_DIR) != 0) std::perror("chdir");
    if (!glfwInit() || !glfwOpenWindow(640, 480, 8, 8, 8, 8, 0, 0, GLFW_WINDOW)) {
        std::fprintf(stderr, "game_bench: no window (is there an X display?)\n");
        std::exit(1);
    }
    setenv("ALSOFT_DRIVERS", "null", 1);
    if (ALCdevice* device = alcOpenDevice(nullptr)) alcMakeContextCurrent(alcCreateContext(device, nullptr));
    bbInit();
    bbMain();
    game = static_cast<bb_Nubrix_MyApp*>(bb_app_device->m_App);
    bb_app_device->InvokeOnCreate();
    bb_app_device->InvokeOnRender();
    while (game->m_Loading) Update();

    game->m_BoardSize = 4;
    for (int c = 1; c <= 4; ++c) game->m_PlayerType[c] = 2;
    game->m_Mode = 11;
    Update();
    bb_random_Seed = 20241;
    // Mid-game: about half the board owned, chains under way.
    for (int i = 0; i < 6000; ++i) Update();
    const int n = game->m_Board.Length();
    boardSnapshot.assign(game->m_Board.Data(), game->m_Board.Data() + n);
    particleSnapshot.assign(game->m_Particles.Data(), game->m_Particles.Data() + game->m_Particles.Length());
    snapshotTurn = game->m_Turn;
    for (int c = 0; c < 5; ++c) snapshotState[c] = game->m_PlayerState[c];
}

void Restore() {
    std::memcpy(game->m_Board.Data(), boardSnapshot.data(), boardSnapshot.size() * sizeof(int));
    std::memcpy(game->m_Particles.Data(), particleSnapshot.data(), particleSnapshot.size() * sizeof(float));
    game->m_Turn = snapshotTurn;
    for (int c = 0; c < 5; ++c) game->m_PlayerState[c] = snapshotState[c];
    for (int c = 1; c <= 4; ++c) game->m_PlayerType[c] = 2;  // other benchmarks change the players
    game->m_BoardSize = 4;
    game->m_BoardW = 12;
    game->m_BoardH = 10;
    game->m_GameEnded = 0;
    game->m_GameOverTime = 0;
    game->m_Mode = 10;
}

void Report(benchmark::State& state, long long mallocs, long long gcBytes) {
    state.counters["mallocs"] = benchmark::Counter(static_cast<double>(mallocs), benchmark::Counter::kAvgIterations);
    state.counters["gc_bytes"] = benchmark::Counter(static_cast<double>(gcBytes), benchmark::Counter::kAvgIterations);
}

// Runs `step` once per iteration on the mid-game board, counting heap and
// collector allocations; the board is restored every 3000 updates, or when
// the game has ended, outside the timing.
template <class Step>
void MeasureUpdates(benchmark::State& state, Step step) {
    SetUpOnce();
    Restore();
    long long mallocs = 0, gcBytes = 0;
    int sinceRestore = 0;
    for (auto _ : state) {
        long long m0 = mallocCount;
        int g0 = gc_alloced_bytes;
        step();
        mallocs += mallocCount - m0;
        gcBytes += gc_alloced_bytes - g0;
        if (++sinceRestore == 3000 || game->m_Mode != 10) {
            state.PauseTiming();
            Restore();
            sinceRestore = 0;
            state.ResumeTiming();
        }
    }
    Report(state, mallocs, gcBytes);
}

void BM_GameUpdate(benchmark::State& state) {
    MeasureUpdates(state, [] { game->m_OnUpdate(); });
    state.counters["cells"] = game->m_BoardW * game->m_BoardH;
}
BENCHMARK(BM_GameUpdate);

void BM_HostUpdate(benchmark::State& state) { MeasureUpdates(state, [] { Update(); }); }
BENCHMARK(BM_HostUpdate);

// A device whose primitives are dropped: what is left of a render is the
// game's replay and the framework's matrix and colour work.
class NullGraphics : public gxtkGraphics {
public:
    int DrawRect(float, float, float, float) override { return 0; }
    int DrawLine(float, float, float, float) override { return 0; }
    int DrawOval(float, float, float, float) override { return 0; }
    int DrawSurface(gxtkSurface*, float, float) override { return 0; }
    int DrawSurface2(gxtkSurface*, float, float, int, int, int, int) override { return 0; }
};

void FillDisplayList() {
    game->m_CLS2D(0, 0, 80, 1);
    for (int i = 0; game->m_DrawCount < 2499 * 15; ++i) {
        float x = static_cast<float>(i * 37 % 640), y = static_cast<float>(i * 53 % 480);
        game->m_SetCol(static_cast<float>(i * 7 % 256), 128, 255, 0.8f);
        switch (i % 3) {
            case 0: game->m_SetSize(0.5f), game->m_DrawImg(1, x, y, static_cast<float>(i % 64)); break;
            case 1: game->m_Rect(x, y, 20, 12); break;
            default: game->m_Oval(x, y, 10, 8); break;
        }
    }
}

void BM_RenderPass(benchmark::State& state) {
    SetUpOnce();
    FillDisplayList();
    gxtkGraphics* device = bb_graphics_device;
    long long mallocs = 0, gcBytes = 0;
    for (auto _ : state) {
        device->Validate();
        device->BeginRender();
        bb_graphics_BeginRender();
        long long m0 = mallocCount;
        int g0 = gc_alloced_bytes;
        game->m_OnRender();
        mallocs += mallocCount - m0;
        gcBytes += gc_alloced_bytes - g0;
        bb_graphics_EndRender();
        device->EndRender();
        device->Invalidate();  // the same list again: drawn whole every time
    }
    Report(state, mallocs, gcBytes);
    state.counters["commands"] = game->m_DrawCount / 15;
}
BENCHMARK(BM_RenderPass)->Unit(benchmark::kMicrosecond);

// The screens a player sits in front of, frame by frame as the host makes
// them (one update, one render).
void BM_Frames(benchmark::State& state) {
    SetUpOnce();
    const int screen = static_cast<int>(state.range(0));
    if (screen == 0) {
        game->m_Mode = 1;
        game->m_MenuY = 0;
    } else if (screen == 1) {
        game->m_BoardSize = 3;
        game->m_PlayerType[1] = game->m_PlayerType[2] = 1;
        game->m_PlayerType[3] = game->m_PlayerType[4] = 0;
        game->m_Mode = 11;
        for (int i = 0; i < 10; ++i) Update();
    } else {
        Restore();
    }
    bb_app_device->graphics->Invalidate();
    const FrameStats before = bb_graphics_device->Stats();
    int sinceRestore = 0;
    for (auto _ : state) {
        Update();
        bb_app_device->InvokeOnRender();
        if (screen == 2 && (++sinceRestore == 3000 || game->m_Mode != 10)) {
            state.PauseTiming();
            Restore();
            sinceRestore = 0;
            state.ResumeTiming();
        }
    }
    const FrameStats& after = bb_graphics_device->Stats();
    const double frames = static_cast<double>(after.frames - before.frames);
    if (frames <= 0) return;
    state.counters["gl_calls"] = static_cast<double>(after.drawCalls - before.drawCalls) / frames;
    state.counters["primitives"] = static_cast<double>(after.primitives - before.primitives) / frames;
    state.counters["pixels"] = static_cast<double>(after.pixels - before.pixels) / frames;
    state.counters["skipped"] = static_cast<double>(after.skipped - before.skipped) / frames;
    state.counters["partial"] = static_cast<double>(after.partial - before.partial) / frames;
    state.SetLabel(screen == 0 ? "menu" : screen == 1 ? "waiting 10x7" : "four computers 12x10");
}
BENCHMARK(BM_Frames)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_RenderSubmit(benchmark::State& state) {
    SetUpOnce();
    FillDisplayList();
    gxtkGraphics* real = bb_graphics_device;
    NullGraphics* null = new NullGraphics();
    bb_graphics_SetGraphicsDevice(null);  // rooted by the global while it runs
    null->Validate();
    long long mallocs = 0, gcBytes = 0;
    for (auto _ : state) {
        bb_graphics_BeginRender();
        long long m0 = mallocCount;
        int g0 = gc_alloced_bytes;
        game->m_OnRender();
        mallocs += mallocCount - m0;
        gcBytes += gc_alloced_bytes - g0;
        bb_graphics_EndRender();
    }
    bb_graphics_SetGraphicsDevice(real);
    Report(state, mallocs, gcBytes);
}
BENCHMARK(BM_RenderSubmit)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
