// game_fixture.cpp - the game suites' environment and fixture (see
// game_fixture.h).

#include "tests/support/game_fixture.h"

#include <AL/al.h>

#include <algorithm>
#include <cmath>

#include "platform/glfw2.h"
#include "runtime/start.h"
#include "tests/support/gl_window.h"

using namespace glfw2;

namespace nubrix_test {

void GameEnvironment::SetUp() {
    OpenGLWindow(suite);
    sound.Open();  // without sound the game runs silent, as it does for a player
    if (dataFolder) folder.reset(new DataWorkingFolder());
}

void GameEnvironment::TearDown() {
    folder.reset();
    sound.Close();
}

void GameFixture::TearDown() {
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
    ScriptedHostTest::TearDown();
}

void GameFixture::CreateGame() {
    bbInit();
    bbMain();
    game = static_cast<bb_Nubrix_MyApp*>(bb_app_device->m_App);
    bb_app_device->InvokeOnCreate();
}

void GameFixture::Update(int n) {
    for (int i = 0; i < n; ++i) {
        window.time += 1.0 / 60;
        bb_app_device->InvokeOnUpdate();
    }
}

void GameFixture::Render() { bb_app_device->InvokeOnRender(); }

void GameFixture::FinishLoading() {
    for (int i = 0; i < 100 && game->m_Loading != 0; ++i) Update();
    ASSERT_EQ(game->m_Loading, 0);
}

void GameFixture::PressKey(int glfwKey) { bb_input_device->OnKeyDown(TransKey(glfwKey)); }
void GameFixture::ReleaseKey(int glfwKey) { bb_input_device->OnKeyUp(TransKey(glfwKey)); }

std::vector<Command> GameFixture::Commands() {
    std::vector<Command> out;
    const float* d = game->m_DrawList.Data();
    for (int at = 0; at + 15 <= game->m_DrawCount; at += 15) {
        const float* c = d + at;
        out.push_back({c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[10], c[11], c[12]});
    }
    return out;
}

std::vector<Command> GameFixture::ImagesOf(int id) {
    std::vector<Command> out;
    for (const Command& c : Commands()) {
        if (c.kind == id) out.push_back(c);
    }
    return out;
}

std::vector<Glyph> GameFixture::Glyphs() {
    std::vector<Glyph> out;
    for (const Command& c : Commands()) {
        if (c.kind == game->m_Font) out.push_back({static_cast<char>(c.frame + 32), c.x, c.y, c.w});
    }
    return out;
}

std::string GameFixture::TextNear(float y, float x0, float x1) {
    std::vector<Glyph> line;
    for (const Glyph& g : Glyphs()) {
        if (std::fabs(g.y - y) <= 1 && g.x >= x0 && g.x <= x1) line.push_back(g);
    }
    std::stable_sort(line.begin(), line.end(), [](const Glyph& a, const Glyph& b) { return a.x < b.x; });
    std::string out;
    for (const Glyph& g : line) out += g.c;
    return out;
}

uint32_t GameFixture::Pixel(int x, int y) {
    Array<int> one(1);
    bb_graphics_device->ReadPixels(one, x, y, 1, 1, 0, 1);
    return static_cast<uint32_t>(one[0]) & 0xffffff;
}

std::vector<uint32_t> GameFixture::Screen() {
    const int w = bb_graphics_device->Width(), h = bb_graphics_device->Height();
    Array<int> all(w * h);
    bb_graphics_device->ReadPixels(all, 0, 0, w, h, 0, w);
    std::vector<uint32_t> out(all.Data(), all.Data() + w * h);
    for (uint32_t& p : out) p &= 0xffffff;
    return out;
}

}  // namespace nubrix_test
