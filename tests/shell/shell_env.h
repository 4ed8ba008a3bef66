// shell_env.h - what the shell suites stand on: the real game object,
// created the way bbMain creates it after bbInit, in a working folder of
// its own where a test can lay down a state file before the game starts
// and read back what the game saved.
//
// One real window and GL context (Mesa under Xvfb) and one OpenAL device
// (the null driver) serve the whole binary; each test gets a scripted
// clock, window size, mouse and keyboard, and a fresh folder whose data/
// is the repository's, so assets load and the state file never lands in
// the repository.
//
// Depends on: game/nubrix.h, host/glfw2_scripted.h, tests/support/testing.h,
// GoogleTest.

#ifndef NUBRIX_TESTS_SHELL_SHELL_ENV_H
#define NUBRIX_TESTS_SHELL_SHELL_ENV_H

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/nubrix.h"
#include "host/glfw2_scripted.h"
#include "tests/support/testing.h"

namespace shell_test {

// One command of the display list.
struct Command {
    float kind, x, y, rot, w, h, frame, alpha, r, g, b;
};

// One glyph of game text found in the display list.
struct Glyph {
    char c;
    float x, y;
};

// The record a game would write for these values, with its checksums
// worked out here from the format: 25 settings, 8 badge words, and per
// board size ten (top-ten, last-ten) pairs. `badWhich` names a section to
// give a checksum one too high: 0 settings, 1 badges, 2..4 score size 1..3.
std::string MakeRecord(const std::vector<int>& settings, const std::vector<int>& words,
                       const std::vector<std::vector<int>>& tops, const std::vector<std::vector<int>>& lasts,
                       int badWhich = -1);
// The settings the menu leaves on a first start (player 1 human, player 4
// computer, sound on, the pad raised to 64, 64, 10).
std::vector<int> FirstStartSettings();

// Splits at every "|" as the loader does (n bars give n + 1 fields).
std::vector<std::string> Fields(const std::string& record);

class ShellTest : public ::testing::Test {
protected:
    glfw2::ScriptedBackend window;
    std::unique_ptr<glfw2::ScopedBackend> scoped;
    std::unique_ptr<nubrix_test::TempDir> folder;
    std::unique_ptr<nubrix_test::ScopedWorkingFolder> working;
    bb_Nubrix_MyApp* game = nullptr;

    void SetUp() override;
    void TearDown() override;

    // Creates the game as the program does, with `record` as the state file
    // (none when null), renders once and runs the loader to its end.
    // Returns what creation printed.
    std::string Start(const std::string* record = nullptr);
    std::string Start(const std::string& record) { return Start(&record); }

    // One update (the clock moves 1/60 s first), or n of them.
    void Update(int n = 1);
    void Render();
    void FinishLoading();
    // A new window size: the render refits and reloads, the loader runs.
    void Resize(int width, int height);

    // Pointer in virtual pixels (the device position is scaled by the fit).
    void PointerAt(float vx, float vy);
    void Press();
    void Release();
    // Press at a point for one update, release for one update.
    void ClickAt(float vx, float vy);
    void PressKey(int glfwKey);
    void ReleaseKey(int glfwKey);
    // Press a key for one update, release for one update.
    void TapKey(int glfwKey);

    std::string StatePath() const { return folder->File(".varnokstate"); }
    bool StateSaved() const { return nubrix_test::FileExists(StatePath()); }
    std::string State() const { return nubrix_test::ReadFile(StatePath()); }

    std::vector<Command> Commands();
    std::vector<Command> ImagesOf(int id);
    // Text drawn in one line of glyphs whose y is within 1 of `y` and whose
    // x is within [x0, x1], left to right.
    std::string TextNear(float y, float x0 = -1e9f, float x1 = 1e9f);
    std::vector<Glyph> Glyphs();

    // The pixel at device (x, y) of the last render, 0xRRGGBB.
    uint32_t Pixel(int x, int y);

    // Where the menu places things, from the visible size as the last
    // render left it.
    float SlotX();
    float SlotY(int player);
    void SizeButton(int k, float* x, float* y);
    void SoundButton(float* x, float* y);
    void CreditsButton(float* x, float* y);
};

}  // namespace shell_test

#endif
