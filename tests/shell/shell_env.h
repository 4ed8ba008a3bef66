// shell_env.h - what the shell suites stand on: the shared game fixture
// (tests/support/game_fixture.h), with the game started by the test itself
// in a working folder of its own, where the test can lay down a state file
// before the game starts and read back what the game saved; plus the record
// builder and where the menu drew its buttons.
//
// Depends on: tests/support/game_fixture.h, tests/support/testing.h,
// GoogleTest.

#ifndef NUBRIX_TESTS_SHELL_SHELL_ENV_H
#define NUBRIX_TESTS_SHELL_SHELL_ENV_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/game_fixture.h"
#include "tests/support/testing.h"

namespace shell_test {

using nubrix_test::Command;
using nubrix_test::Fields;
using nubrix_test::Glyph;

// The record a game would write for these values, by the game's own
// writer (game/record_format.h): 25 settings, 8 badge words, and per board
// size ten (top-ten, last-ten) pairs. `badWhich` names a section to
// give a checksum one too high: 0 settings, 1 badges, 2..4 score size 1..3.
std::string MakeRecord(const std::vector<int>& settings, const std::vector<int>& words,
                       const std::vector<std::vector<int>>& tops, const std::vector<std::vector<int>>& lasts,
                       int badWhich = -1);
// The settings the menu leaves on a first start (player 1 human, player 4
// computer, sound on, the pad raised to 64, 64, 10).
std::vector<int> FirstStartSettings();

class ShellTest : public nubrix_test::GameFixture {
protected:
    std::unique_ptr<nubrix_test::DataWorkingFolder> folder;

    // A fresh working folder; the game waits for Start.
    void SetUp() override;
    void TearDown() override;

    // Creates the game as the program does, with `record` as the state file
    // (none when null), renders once and runs the loader to its end.
    // Returns what creation printed.
    std::string Start(const std::string* record = nullptr);
    std::string Start(const std::string& record) { return Start(&record); }

    // A new window size: the render refits and reloads, the loader runs.
    void Resize(int width, int height);

    // Pointer in virtual pixels (the device position is scaled by the fit,
    // rounded to nearest).
    void PointerAt(float vx, float vy);
    void Press();
    void Release();
    // Press at a point for one update, release for one update.
    void ClickAt(float vx, float vy);
    // Press a key for one update, release for one update.
    void TapKey(int glfwKey);

    std::string StatePath() const { return folder->Folder().File(".varnokstate"); }
    bool StateSaved() const { return nubrix_test::FileExists(StatePath()); }
    std::string State() const { return nubrix_test::ReadFile(StatePath()); }

    // Where the last update drew an image of slot `id` in one of `frames`:
    // what the player sees and clicks. A failure when it drew none.
    bool Drawn(int id, std::initializer_list<int> frames, float* x, float* y);
    // The menu's player slots, size buttons, sound toggle and credits
    // button, found that way.
    float SlotX();
    float SlotY(int player);
    void SizeButton(int k, float* x, float* y);
    void SoundButton(float* x, float* y);
    void CreditsButton(float* x, float* y);
};

}  // namespace shell_test

#endif
