// shell_env.cpp - the window and sound device of the shell suites, the
// per-test game and working folder, and the record builder.

#include "tests/shell/shell_env.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/glfw2.h"
#include "runtime/start.h"

using namespace glfw2;

namespace shell_test {

namespace {

// One real window, GL context and OpenAL context for the whole binary: they
// are slow to make, and the game only ever draws into the current context.
class ShellEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!glfwInit() || !glfwOpenWindow(640, 480, 8, 8, 8, 8, 0, 0, GLFW_WINDOW)) {
            std::fprintf(stderr, "shell tests: no window (is there an X display?)\n");
            std::exit(1);
        }
        device = alcOpenDevice(nullptr);
        if (device) context = alcCreateContext(device, nullptr);
        if (context) alcMakeContextCurrent(context);
    }
    void TearDown() override {
        if (context) {
            alcMakeContextCurrent(nullptr);
            alcDestroyContext(context);
        }
        if (device) alcCloseDevice(device);
        // The window goes with the process: glfwTerminate would unload
        // Mesa's driver, and LeakSanitizer would then report the driver's
        // start-up allocations, still held by its globals, as leaks.
    }

private:
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
};

::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new ShellEnvironment);

}  // namespace

std::string MakeRecord(const std::vector<int>& settings, const std::vector<int>& words,
                       const std::vector<std::vector<int>>& tops, const std::vector<std::vector<int>>& lasts,
                       int badWhich) {
    std::string out;
    auto put = [&out](uint32_t v) { out += std::to_string(static_cast<int32_t>(v)) + "|"; };
    uint32_t sum = 0;
    for (int k = 0; k < 25; ++k) {
        uint32_t v = k < static_cast<int>(settings.size()) ? static_cast<uint32_t>(settings[k]) : 0;
        put(v);
        sum += static_cast<uint32_t>(k) * v;
    }
    put(sum + (badWhich == 0 ? 1 : 0));
    sum = 0;
    for (int w = 0; w < 8; ++w) {
        uint32_t v = w < static_cast<int>(words.size()) ? static_cast<uint32_t>(words[w]) : 0;
        put(v);
        sum += v;
    }
    put(sum + (badWhich == 1 ? 1 : 0));
    for (int m = 0; m < 3; ++m) {
        sum = 0;
        for (int i = 0; i < 10; ++i) {
            auto at = [&](const std::vector<std::vector<int>>& lists) {
                return m < static_cast<int>(lists.size()) && i < static_cast<int>(lists[m].size())
                           ? static_cast<uint32_t>(lists[m][i])
                           : 0u;
            };
            uint32_t top = at(tops), last = at(lasts);
            put(top);
            put(last);
            sum += static_cast<uint32_t>(i + 4) * top + static_cast<uint32_t>(m + i + 3) * last;
        }
        put(sum + (badWhich == 2 + m ? 1 : 0));
    }
    return out;
}

std::vector<int> FirstStartSettings() {
    std::vector<int> s(25, 0);
    s[5] = 1;
    s[6] = 1;
    s[9] = 2;
    s[10] = 64;
    s[11] = 64;
    s[12] = 10;
    return s;
}

std::vector<std::string> Fields(const std::string& record) {
    std::vector<std::string> out(1);
    for (char c : record) {
        if (c == '|') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

void ShellTest::SetUp() {
    folder.reset(new nubrix_test::TempDir());
    ASSERT_EQ(symlink(NUBRIX_SOURCE_DIR "/data", folder->File("data").c_str()), 0);
    working.reset(new nubrix_test::ScopedWorkingFolder(folder->Path()));
    scoped.reset(new ScopedBackend(&window));
}

void ShellTest::TearDown() {
    // Each game's audio device takes OpenAL sources of its own; give them
    // back, or a long suite runs out.
    if (bb_audio_device) {
        for (gxtkChannel& c : bb_audio_device->channels) {
            if (c.alSource) {
                alSourceStop(c.alSource);
                alDeleteSources(1, &c.alSource);
                c.alSource = 0;
            }
            c.channelState = 0;
        }
    }
    scoped.reset();
    working.reset();
    folder.reset();
}

std::string ShellTest::Start(const std::string* record) {
    if (record) nubrix_test::WriteFile(StatePath(), *record);
    EXPECT_TRUE(glfwInit());
    EXPECT_TRUE(glfwOpenWindow(window.width, window.height, 0, 0, 0, 0, 0, 0, GLFW_WINDOW));
    testing::internal::CaptureStdout();
    bbInit();
    bbMain();
    game = static_cast<bb_Nubrix_MyApp*>(bb_app_device->m_App);
    bb_app_device->InvokeOnCreate();
    std::string printed = testing::internal::GetCapturedStdout();
    Render();
    FinishLoading();
    return printed;
}

void ShellTest::Update(int n) {
    for (int i = 0; i < n; ++i) {
        window.time += 1.0 / 60;
        bb_app_device->InvokeOnUpdate();
    }
}

void ShellTest::Render() { bb_app_device->InvokeOnRender(); }

void ShellTest::FinishLoading() {
    for (int i = 0; i < 100 && game->m_Loading != 0; ++i) Update();
    ASSERT_EQ(game->m_Loading, 0);
}

void ShellTest::Resize(int width, int height) {
    window.width = width;
    window.height = height;
    Render();
    FinishLoading();
    Render();
}

void ShellTest::PointerAt(float vx, float vy) {
    window.mouseX = static_cast<int>(std::lround(vx * game->m_ScaleX));
    window.mouseY = static_cast<int>(std::lround(vy * game->m_ScaleY));
}

void ShellTest::Press() { bb_input_device->OnKeyDown(1); }
void ShellTest::Release() { bb_input_device->OnKeyUp(1); }

void ShellTest::ClickAt(float vx, float vy) {
    PointerAt(vx, vy);
    Press();
    Update();
    Release();
    Update();
}

void ShellTest::PressKey(int glfwKey) { bb_input_device->OnKeyDown(TransKey(glfwKey)); }
void ShellTest::ReleaseKey(int glfwKey) { bb_input_device->OnKeyUp(TransKey(glfwKey)); }

void ShellTest::TapKey(int glfwKey) {
    PressKey(glfwKey);
    Update();
    ReleaseKey(glfwKey);
    Update();
}

std::vector<Command> ShellTest::Commands() {
    std::vector<Command> out;
    const float* d = game->m_DrawList.Data();
    for (int at = 0; at + 15 <= game->m_DrawCount; at += 15) {
        const float* c = d + at;
        out.push_back({c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[10], c[11], c[12]});
    }
    return out;
}

std::vector<Command> ShellTest::ImagesOf(int id) {
    std::vector<Command> out;
    for (const Command& c : Commands()) {
        if (c.kind == id) out.push_back(c);
    }
    return out;
}

std::vector<Glyph> ShellTest::Glyphs() {
    std::vector<Glyph> out;
    for (const Command& c : Commands()) {
        if (c.kind == game->m_Font) out.push_back({static_cast<char>(c.frame + 32), c.x, c.y});
    }
    return out;
}

std::string ShellTest::TextNear(float y, float x0, float x1) {
    std::vector<Glyph> line;
    for (const Glyph& g : Glyphs()) {
        if (std::fabs(g.y - y) <= 1 && g.x >= x0 && g.x <= x1) line.push_back(g);
    }
    std::stable_sort(line.begin(), line.end(), [](const Glyph& a, const Glyph& b) { return a.x < b.x; });
    std::string out;
    for (const Glyph& g : line) out += g.c;
    return out;
}

uint32_t ShellTest::Pixel(int x, int y) {
    Array<int> one(1);
    bb_graphics_device->ReadPixels(one, x, y, 1, 1, 0, 1);
    return static_cast<uint32_t>(one[0]) & 0xffffff;
}

float ShellTest::SlotX() { return static_cast<float>(static_cast<int>(bb_Nubrix_vscrw - 64)); }

float ShellTest::SlotY(int player) {
    return static_cast<float>(static_cast<int>(bb_Nubrix_vscrh / 2 + 80 * player - 200));
}

void ShellTest::SizeButton(int k, float* x, float* y) {
    const float W = bb_Nubrix_vscrw, H = bb_Nubrix_vscrh, s = static_cast<float>(game->m_MenuY);
    if (game->m_Landscape) {
        const float xs[] = {0, 0.2f, 0.4f, 0.6f}, slides[] = {0, 8, 12, 10};
        *x = xs[k] * W;
        *y = 0.7f * H - slides[k] * s;
    } else {
        const float xs[] = {0, 0.3f * W - 8 * s, 0.3f * W, 0.3f * W + 8 * s};
        const float ys[] = {0, 0.45f * H, 0.65f * H - 12 * s, 0.85f * H};
        *x = xs[k];
        *y = ys[k];
    }
}

void ShellTest::SoundButton(float* x, float* y) {
    const float W = bb_Nubrix_vscrw, H = bb_Nubrix_vscrh, s = static_cast<float>(game->m_MenuY);
    if (game->m_Landscape) {
        *x = 32 + 4 * s;
        *y = static_cast<float>(static_cast<int>(H / 2));
    } else {
        *x = static_cast<float>(static_cast<int>(W / 2));
        *y = 32 + 4 * s;
    }
}

void ShellTest::CreditsButton(float* x, float* y) {
    const float W = bb_Nubrix_vscrw, H = bb_Nubrix_vscrh, s = static_cast<float>(game->m_MenuY);
    *x = game->m_Landscape ? 70.0f : static_cast<float>(static_cast<int>(W - 70));
    *y = H - 40 - 4 * s;
}

}  // namespace shell_test
