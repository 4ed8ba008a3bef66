// game_env.cpp - the game suites' environment, the per-test game and the
// board helpers.

#include "tests/game/game_env.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace game_test {

namespace {

::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new nubrix_test::GameEnvironment("game", true));

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
    // Every test starts from the defaults, whatever an earlier one saved.
    std::remove(".varnokstate");
    ASSERT_TRUE(OpenWindow());
    CreateGame();
    Render();
    FinishLoading();
}

void GameTest::PlugJoystick() {
    window.joystickPresent = true;
    window.joystickAxes.assign(2, 0.0f);
    window.joystickButtons.assign(12, glfw2::GLFW_RELEASE);
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
    game->CellCentre(x, y, game->BoardPitch(), cx, cy);
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

}  // namespace game_test
