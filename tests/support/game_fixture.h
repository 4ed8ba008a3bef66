// game_fixture.h - what the game and shell suites stand on: the real game
// object, created the way bbMain creates it after bbInit, driven through the
// host's Invoke operations on the scripted GLFW 2 backend (clock, window
// size, mouse, keys and joystick are the test's), and read back through its
// display list and the pixels it renders.
//
// Underneath, one real window and GL context (Mesa under Xvfb) and one
// OpenAL context (the null driver) serve the whole binary (GameEnvironment),
// so images load into real textures, renders can be read back and sound
// effects reach real OpenAL sources.
//
// Depends on: game/nubrix.h, game/program.cpp (bbInit, bbMain),
// tests/support/scripted_host.h, gl_window.h, openal_context.h, testing.h,
// GoogleTest.

#ifndef NUBRIX_TESTS_SUPPORT_GAME_FIXTURE_H
#define NUBRIX_TESTS_SUPPORT_GAME_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/nubrix.h"
#include "tests/support/openal_context.h"
#include "tests/support/scripted_host.h"
#include "tests/support/testing.h"

namespace nubrix_test {

// The window and the OpenAL context for a whole game binary; with
// `dataFolder`, also a working folder whose data/ is the repository's, for
// suites whose tests share one (the others make their own per test). Register
// it from the suite's own sources (AddGlobalTestEnvironment).
class GameEnvironment : public ::testing::Environment {
public:
    GameEnvironment(const char* suite, bool dataFolder) : suite(suite), dataFolder(dataFolder) {}
    void SetUp() override;
    void TearDown() override;

private:
    const char* suite;
    bool dataFolder;
    OpenAlContext sound;
    std::unique_ptr<DataWorkingFolder> folder;
};

// One command of the display list.
struct Command {
    float kind, x, y, rot, w, h, frame, alpha, r, g, b;
};

// One glyph of game text found in the display list.
struct Glyph {
    char c;
    float x, y, scale;
};

class GameFixture : public ScriptedHostTest {
protected:
    bb_Nubrix_MyApp* game = nullptr;

    // Gives back the OpenAL sources the game's audio device took: every
    // test's device takes its own, and a long suite would run out.
    void TearDown() override;

    // Creates the game as the program does once the window is open: bbInit,
    // bbMain, then the game's OnCreate through the host.
    void CreateGame();

    // One update (the clock moves 1/60 s first), or n of them.
    void Update(int n = 1);
    void Render();
    // Updates until the loader has finished; fails after 100.
    void FinishLoading();

    void PressKey(int glfwKey);
    void ReleaseKey(int glfwKey);

    std::vector<Command> Commands();
    // The image commands of one image slot.
    std::vector<Command> ImagesOf(int id);
    std::vector<Glyph> Glyphs();
    // The text drawn in one line of glyphs whose y is within 1 of `y` and
    // whose x is within [x0, x1], left to right.
    std::string TextNear(float y, float x0 = -1e9f, float x1 = 1e9f);

    // The pixel at device (x, y) of the last render, 0xRRGGBB.
    uint32_t Pixel(int x, int y);
    // The whole window as the last render left it, 0xRRGGBB, top row first.
    std::vector<uint32_t> Screen();
};

}  // namespace nubrix_test

#endif
