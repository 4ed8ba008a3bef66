// game_env.h - what the game suites stand on: the shared game fixture
// (tests/support/game_fixture.h) with a game created, rendered once and
// loaded before every test, plus the board: setting and reading cells,
// clicking them, and starting a game as the menu would.
//
// One working folder, whose data/ is the repository's, serves the whole
// binary, so the state file never lands in the repository.
//
// Boards are written as rows of two-character cells separated by spaces,
// rows by '/': owner ('.' empty, '1'..'4') then atoms ('.' none, '1'..'4'),
// e.g. "11 .. .. ../.. .. .. ../.. .. .. 2.". Atoms 1..3 are the resting
// counters 16, 32 and 52; 4 is 53.
//
// Depends on: tests/support/game_fixture.h, GoogleTest.

#ifndef NUBRIX_TESTS_GAME_GAME_ENV_H
#define NUBRIX_TESTS_GAME_GAME_ENV_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/game_fixture.h"

namespace game_test {

using nubrix_test::Command;
using nubrix_test::Glyph;

class GameTest : public nubrix_test::GameFixture {
protected:
    // Opens the scripted 640 x 480 window, creates the game, renders once
    // and runs the loader to its end.
    void SetUp() override;
    // Joystick 0 present, with two axes at rest and twelve buttons up.
    void PlugJoystick();

    // Starts a game as the menu would: board size, player types for colours
    // 1..4, then screen 11. Runs updates until the turn has passed from the
    // drawn starter and the board is settled.
    void StartGame(int boardSize, std::vector<int> types);
    // Updates until the board has settled and the turn has been passed on
    // (or nothing was moving); returns the updates run, fails past `limit`.
    int Settle(int limit = 2000);

    // Pointer in virtual pixels (the device position is scaled by the fit,
    // rounded up).
    void PointerAt(float vx, float vy);
    void PressMouse();
    void ReleaseMouse();
    // Press on a cell, one update, release, one update.
    void ClickCell(int x, int y);
    // The cell's centre in virtual pixels, as the board lays it out.
    void CellCentre(int x, int y, float* cx, float* cy);

    void SetBoard(const std::string& rows);
    std::string Board();
    int& Owner(int x, int y);
    int& Counter(int x, int y);
    int& Flash(int x, int y);
};

}  // namespace game_test

#endif
