// game_env.h - what the game suites stand on: the real game object, created
// the way bbMain creates it after bbInit, driven through the host's Invoke
// operations with a scripted clock, window, mouse and joystick.
//
// One real window and GL context (Mesa under Xvfb) and one OpenAL device
// (the null driver) exist for the whole binary, so images load into real
// textures, renders can be read back and sound effects reach real OpenAL
// sources. Each test gets a fresh game in a working folder whose data/ is
// the repository's, so the state file never lands in the repository.
//
// Boards are written as rows of two-character cells separated by spaces,
// rows by '/': owner ('.' empty, '1'..'4') then atoms ('.' none, '1'..'4'),
// e.g. "11 .. .. ../.. .. .. ../.. .. .. 2.". Atoms 1..3 are the resting
// counters 16, 32 and 52; 4 is 53.
//
// Depends on: game/nubrix.h, host/glfw2_scripted.h, GoogleTest.

#ifndef NUBRIX_TESTS_GAME_GAME_ENV_H
#define NUBRIX_TESTS_GAME_GAME_ENV_H

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/nubrix.h"
#include "host/glfw2_scripted.h"

namespace game_test {

// One glyph of game text found in the display list.
struct Glyph {
    char c;
    float x, y, scale;
};

// One command of the display list.
struct Command {
    float kind, x, y, rot, w, h, frame, alpha, r, g, b;
};

class GameTest : public ::testing::Test {
protected:
    glfw2::ScriptedBackend window;
    std::unique_ptr<glfw2::ScopedBackend> scoped;
    bb_Nubrix_MyApp* game = nullptr;

    void SetUp() override;
    void TearDown() override;

    // One update (the clock moves 1/60 s first), or n of them.
    void Update(int n = 1);
    void Render();
    // Updates until the loader has finished; fails after 100.
    void FinishLoading();

    // Starts a game as the menu would: board size, player types for colours
    // 1..4, then screen 11. Runs updates until the turn has passed from the
    // drawn starter and the board is settled.
    void StartGame(int boardSize, std::vector<int> types);
    // Updates until the board has settled and the turn has been passed on
    // (or nothing was moving); returns the updates run, fails past `limit`.
    int Settle(int limit = 2000);

    // Pointer in virtual pixels (the device position is scaled by the fit).
    void PointerAt(float vx, float vy);
    void PressMouse();
    void ReleaseMouse();
    // Press on a cell, one update, release, one update.
    void ClickCell(int x, int y);
    // The cell's centre in virtual pixels, as the board lays it out.
    void CellCentre(int x, int y, float* cx, float* cy);

    void PressKey(int glfwKey);
    void ReleaseKey(int glfwKey);

    void SetBoard(const std::string& rows);
    std::string Board();
    int& Owner(int x, int y);
    int& Counter(int x, int y);
    int& Flash(int x, int y);

    std::vector<Command> Commands();
    std::vector<Glyph> Glyphs();
    // The text drawn in one line of glyphs whose y is within 1 of `y`.
    std::string TextNear(float y);

    // The pixel at (x, y) of the last render, 0xRRGGBB.
    uint32_t Pixel(int x, int y);
};

}  // namespace game_test

#endif
