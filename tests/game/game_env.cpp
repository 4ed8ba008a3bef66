// game_env.cpp - the window, sound device and working folder of the game
// suites, and the per-test game.

#include "tests/game/game_env.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/glfw2.h"
#include "runtime/start.h"
#include "tests/support/testing.h"

using namespace glfw2;

namespace game_test {

namespace {

// One real window, GL context and OpenAL context for the whole binary (they
// are slow to make), and a working folder whose data/ is the repository's.
class GameEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!glfwInit() || !glfwOpenWindow(640, 480, 8, 8, 8, 8, 0, 0, GLFW_WINDOW)) {
            std::fprintf(stderr, "game tests: no window (is there an X display?)\n");
            std::exit(1);
        }
        device = alcOpenDevice(nullptr);
        if (device) context = alcCreateContext(device, nullptr);
        if (context) alcMakeContextCurrent(context);
        folder.reset(new nubrix_test::TempDir());
        std::string link = folder->File("data");
        if (symlink(NUBRIX_SOURCE_DIR "/data", link.c_str()) != 0) std::perror("symlink");
        working.reset(new nubrix_test::ScopedWorkingFolder(folder->Path()));
    }
    void TearDown() override {
        working.reset();
        folder.reset();
        if (context) {
            alcMakeContextCurrent(nullptr);
            alcDestroyContext(context);
        }
        if (device) alcCloseDevice(device);
        // No glfwTerminate: it unloads the GL driver, whose few blocks still
        // held at exit would then read as leaks of an unknown module. The
        // process ends here anyway.
    }

private:
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    std::unique_ptr<nubrix_test::TempDir> folder;
    std::unique_ptr<nubrix_test::ScopedWorkingFolder> working;
};

::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new GameEnvironment);

int AtomsOf(int counter) {
    if (counter <= 0) return 0;
    if (counter <= 16) return 1;
    if (counter <= 32) return 2;
    if (counter <= 52) return 3;
    return 4;
}

const int kRest[] = {0, 16, 32, 52, 53};

}  // namespace

void GameTest::SetUp() {
    scoped.reset(new ScopedBackend(&window));
    ASSERT_TRUE(glfwInit());
    ASSERT_TRUE(glfwOpenWindow(640, 480, 0, 0, 0, 0, 0, 0, GLFW_WINDOW));
    bbInit();
    bbMain();
    game = static_cast<bb_Nubrix_MyApp*>(bb_app_device->m_App);
    bb_app_device->InvokeOnCreate();
    Render();
    FinishLoading();
}

void GameTest::TearDown() {
    // Each test's audio device takes OpenAL sources of its own; give them
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
}

void GameTest::Update(int n) {
    for (int i = 0; i < n; ++i) {
        window.time += 1.0 / 60;
        bb_app_device->InvokeOnUpdate();
    }
}

void GameTest::Render() { bb_app_device->InvokeOnRender(); }

void GameTest::FinishLoading() {
    for (int i = 0; i < 100 && game->m_Loading != 0; ++i) Update();
    ASSERT_EQ(game->m_Loading, 0);
}

void GameTest::StartGame(int boardSize, std::vector<int> types) {
    game->m_BoardSize = boardSize;
    for (int c = 1; c <= 4; ++c) {
        int type = c <= static_cast<int>(types.size()) ? types[c - 1] : 0;
        game->m_PlayerType[c] = type;
        game->m_Option[5 + c] = type;
    }
    game->m_Mode = 11;
    Update();
    ASSERT_EQ(game->m_Mode, 10);
    for (int i = 0; i < 5 && game->m_WasBusy != 0; ++i) Update();
    ASSERT_EQ(game->m_WasBusy, 0);
}

int GameTest::Settle(int limit) {
    for (int n = 1; n <= limit; ++n) {
        Update();
        bool flashing = false;
        for (int y = 0; y < game->m_BoardH; ++y) {
            for (int x = 0; x < game->m_BoardW; ++x) flashing = flashing || Flash(x, y) > 0;
        }
        if (game->m_WasBusy == 0 && game->m_Busy == 0 && !flashing) return n;
    }
    ADD_FAILURE() << "the board did not settle in " << limit << " updates";
    return limit;
}

void GameTest::PointerAt(float vx, float vy) {
    window.mouseX = static_cast<int>(std::ceil(vx * game->m_ScaleX));
    window.mouseY = static_cast<int>(std::ceil(vy * game->m_ScaleY));
}

void GameTest::PressMouse() { bb_input_device->OnKeyDown(1); }
void GameTest::ReleaseMouse() { bb_input_device->OnKeyUp(1); }

void GameTest::CellCentre(int x, int y, float* cx, float* cy) {
    float vw = bb_Nubrix_vscrw, vh = bb_Nubrix_vscrh;
    int W = game->m_BoardW, H = game->m_BoardH;
    if (game->m_Landscape) {
        float pitch = std::min(vw / (W + 1), (vh - 64) / (H + 1));
        *cx = vw / 2 - pitch * (W - 1) / 2 + pitch * x;
        *cy = vh / 2 + 32 - pitch * (H - 1) / 2 + pitch * y;
    } else {
        float pitch = std::min(vw / (H + 1), (vh - 64) / (W + 1));
        *cx = vw / 2 - pitch * (H - 1) / 2 + pitch * y;
        *cy = vh / 2 + 32 - pitch * (W - 1) / 2 + pitch * x;
    }
}

void GameTest::ClickCell(int x, int y) {
    float cx, cy;
    CellCentre(x, y, &cx, &cy);
    PointerAt(cx, cy);
    PressMouse();
    Update();
    ReleaseMouse();
    Update();
}

void GameTest::PressKey(int glfwKey) { bb_input_device->OnKeyDown(TransKey(glfwKey)); }
void GameTest::ReleaseKey(int glfwKey) { bb_input_device->OnKeyUp(TransKey(glfwKey)); }

int& GameTest::Owner(int x, int y) { return game->m_Board[(y * 25 + x) * 10]; }
int& GameTest::Counter(int x, int y) { return game->m_Board[(y * 25 + x) * 10 + 1]; }
int& GameTest::Flash(int x, int y) { return game->m_Board[(y * 25 + x) * 10 + 2]; }

void GameTest::SetBoard(const std::string& rows) {
    int x = 0, y = 0;
    for (size_t i = 0; i < rows.size();) {
        char c = rows[i];
        if (c == ' ') {
            ++i;
            continue;
        }
        if (c == '/') {
            ++y;
            x = 0;
            ++i;
            continue;
        }
        ASSERT_LT(i + 1, rows.size()) << "a cell needs two characters";
        char atoms = rows[i + 1];
        Owner(x, y) = c == '.' ? 0 : c - '0';
        Counter(x, y) = atoms == '.' ? 0 : kRest[atoms - '0'];
        Flash(x, y) = 0;
        ++x;
        i += 2;
    }
}

std::string GameTest::Board() {
    std::string out;
    for (int y = 0; y < game->m_BoardH; ++y) {
        if (y) out += '/';
        for (int x = 0; x < game->m_BoardW; ++x) {
            if (x) out += ' ';
            int owner = Owner(x, y), atoms = AtomsOf(Counter(x, y));
            out += owner ? static_cast<char>('0' + owner) : '.';
            out += atoms ? static_cast<char>('0' + atoms) : '.';
        }
    }
    return out;
}

std::vector<Command> GameTest::Commands() {
    std::vector<Command> out;
    const float* d = game->m_DrawList.Data();
    for (int at = 0; at + 15 <= game->m_DrawCount; at += 15) {
        const float* c = d + at;
        out.push_back({c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[10], c[11], c[12]});
    }
    return out;
}

std::vector<Glyph> GameTest::Glyphs() {
    std::vector<Glyph> out;
    for (const Command& c : Commands()) {
        if (c.kind == game->m_Font) out.push_back({static_cast<char>(c.frame + 32), c.x, c.y, c.w});
    }
    return out;
}

std::string GameTest::TextNear(float y) {
    std::vector<Glyph> line;
    for (const Glyph& g : Glyphs()) {
        if (std::fabs(g.y - y) <= 1) line.push_back(g);
    }
    std::stable_sort(line.begin(), line.end(), [](const Glyph& a, const Glyph& b) { return a.x < b.x; });
    std::string out;
    for (const Glyph& g : line) out += g.c;
    return out;
}

uint32_t GameTest::Pixel(int x, int y) {
    Array<int> one(1);
    bb_graphics_device->ReadPixels(one, x, y, 1, 1, 0, 1);
    return static_cast<uint32_t>(one[0]) & 0xffffff;
}

}  // namespace game_test
