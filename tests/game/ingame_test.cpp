// Around the board: the pause button and panel, the game-over overlay and
// the return to the menu, the loading screen, and the play keys from the
// keyboard, the joystick, the iCade and the on-screen pad.

#include <AL/al.h>

#include <string>
#include <vector>

#include "tests/game/game_env.h"

namespace game_test {
namespace {

using namespace glfw2;

class Pause : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        StartGame(1, {1, 1});
    }
    void TapKey(int key) {
        PressKey(key);
        Update();
        ReleaseKey(key);
        Update();
    }
    // Press and release at a point in virtual pixels.
    void Tap(float x, float y) {
        PointerAt(x, y);
        PressMouse();
        Update();
        ReleaseMouse();
        Update();
    }
};

TEST_F(Pause, EscapeOpensAndThePanelSlidesIn24PerUpdate) {
    PressKey(GLFW_KEY_ESC);
    Update();
    EXPECT_EQ(game->m_Paused, 1);
    EXPECT_EQ(game->m_PauseDir, 1);
    EXPECT_EQ(game->m_PauseY, -40);
    Update();
    EXPECT_EQ(game->m_PauseY, -16);
    Update(20);
    EXPECT_EQ(game->m_PauseY, 248) << "rests just past the middle";
    EXPECT_EQ(game->m_Paused, 1);
}

TEST_F(Pause, HoldingEscapeDoesNothingMoreAndASecondPressCloses) {
    PressKey(GLFW_KEY_ESC);
    Update(30);
    EXPECT_EQ(game->m_Paused, 1);
    EXPECT_EQ(game->m_PauseDir, 1);
    ReleaseKey(GLFW_KEY_ESC);
    Update();
    EXPECT_EQ(game->m_PauseDir, 1);
    PressKey(GLFW_KEY_ESC);
    Update();
    EXPECT_EQ(game->m_PauseDir, -1);
    EXPECT_EQ(game->m_PauseY, 248) << "the slide comes before the keys";
    Update();
    EXPECT_EQ(game->m_PauseY, 248 - 24);
    Update(30);
    ReleaseKey(GLFW_KEY_ESC);
    EXPECT_EQ(game->m_Paused, 0);
    EXPECT_EQ(game->m_PauseDir, -1) << "held: the panel did not open again";
}

TEST_F(Pause, ThePauseButtonOpensItAndResumeSlidesItOut) {
    Tap(16, 16);
    EXPECT_EQ(game->m_Paused, 1);
    Update(20);
    int y = game->m_PauseY;
    Tap(320, static_cast<float>(y));  // resume
    EXPECT_EQ(game->m_PauseDir, -1);
    EXPECT_EQ(game->m_PauseY, y - 24) << "one update after the press";
    // Moves are refused until the panel has gone.
    int updates = 0;
    while (game->m_Paused && updates < 30) {
        ClickCell(0, 0);
        updates += 2;
        if (game->m_Paused) {
            EXPECT_EQ(Owner(0, 0), 0);
        }
    }
    EXPECT_EQ(game->m_Paused, 0);
    EXPECT_LT(game->m_PauseY, -32);
    ClickCell(0, 0);
    EXPECT_NE(Owner(0, 0), 0);
}

TEST_F(Pause, QuitEndsTheGameAndTheOverlayReturnsToTheMenu) {
    TapKey(GLFW_KEY_ESC);
    Update(20);
    Tap(180, static_cast<float>(game->m_PauseY - 64));  // quit
    EXPECT_EQ(game->m_GameEnded, 1);
    EXPECT_EQ(game->m_Paused, 0);
    EXPECT_EQ(game->m_PauseY, -64);
    int updates = 0;
    while (game->m_Mode == 10 && updates < 200) {
        Update();
        ++updates;
        if (game->m_Mode == 10) {
            bool boardDrawn = false;
            for (const Command& c : Commands()) boardDrawn = boardDrawn || (c.kind == NUBRIX_NONE && c.w > 50 && c.w < 200);
            EXPECT_TRUE(boardDrawn) << "the board stays drawn under the overlay";
        }
    }
    EXPECT_EQ(game->m_Mode, 2);
    EXPECT_GE(updates, 85);
    EXPECT_LE(updates, 90);
    Update();
    EXPECT_EQ(game->m_Mode, 1);
}

TEST_F(Pause, AnEndedGameOpensNoPanelAndTheNextGameStartsClosed) {
    game->m_GameEnded = 1;
    TapKey(GLFW_KEY_ESC);
    Tap(16, 16);
    EXPECT_EQ(game->m_Paused, 0) << "nothing to pause under the game-over overlay";

    // Paused just before the last chain ended the game: the overlay returns
    // to the menu with the panel still open.
    StartGame(1, {1, 1});
    TapKey(GLFW_KEY_ESC);
    game->m_GameEnded = 1;
    Update(100);
    ASSERT_EQ(game->m_Mode, 1);
    ASSERT_EQ(game->m_Paused, 1);
    StartGame(1, {1, 1});
    EXPECT_EQ(game->m_Paused, 0);
    EXPECT_EQ(game->m_PauseY, -64);
    game->m_Turn = 1;
    ClickCell(0, 0);
    EXPECT_EQ(Owner(0, 0), 1) << "the new game takes moves at once";
}

TEST_F(Pause, KeyboardCursorMovesBetweenTheButtons) {
    TapKey(GLFW_KEY_ESC);
    EXPECT_EQ(game->m_PauseCursor, 0);
    TapKey(GLFW_KEY_RIGHT);
    EXPECT_EQ(game->m_PauseCursor, 1);
    TapKey(GLFW_KEY_DOWN);
    EXPECT_EQ(game->m_PauseCursor, 0);
    TapKey(GLFW_KEY_LEFT);
    EXPECT_EQ(game->m_PauseCursor, -1);
    PressKey(GLFW_KEY_RIGHT);
    Update(10);  // held: one step only
    ReleaseKey(GLFW_KEY_RIGHT);
    EXPECT_EQ(game->m_PauseCursor, 0);
    PressKey(GLFW_KEY_UP);
    Update();
    EXPECT_EQ(game->m_PauseCursor, 0) << "a key pressed before an update saw all keys up is not fresh";
    ReleaseKey(GLFW_KEY_UP);
    Update();
    TapKey(GLFW_KEY_UP);
    EXPECT_EQ(game->m_PauseCursor, -1);
    TapKey(GLFW_KEY_SPACE);
    EXPECT_EQ(game->m_GameEnded, 1) << "select on quit";
}

TEST_F(Pause, TheSoundButtonTogglesWithoutTheMusicPlayer) {
    TapKey(GLFW_KEY_ESC);
    Update(20);
    const float sx = 320 + 140, sy = static_cast<float>(game->m_PauseY - 64);
    EXPECT_EQ(game->m_Option[5], 1);
    Tap(sx, sy);
    EXPECT_EQ(game->m_Option[5], 0);
    Tap(sx, sy);
    EXPECT_EQ(game->m_Option[5], 1);
    TapKey(GLFW_KEY_RIGHT);
    TapKey(GLFW_KEY_ENTER);
    EXPECT_EQ(game->m_Option[5], 0);
    game->m_Option[5] = 3;
    TapKey(GLFW_KEY_ENTER);
    EXPECT_EQ(game->m_Option[5], 0) << "outside 0..1 becomes 0";
}

TEST_F(Pause, WithTheMusicPlayerTheSoundButtonCyclesFourModes) {
    bb_Nubrix_HasMusic = 1;
    TapKey(GLFW_KEY_ESC);
    TapKey(GLFW_KEY_RIGHT);
    int seen[4];
    for (int i = 0; i < 4; ++i) {
        TapKey(GLFW_KEY_ENTER);
        seen[i] = game->m_Option[5];
    }
    bb_Nubrix_HasMusic = 0;
    EXPECT_EQ(seen[0], 2);
    EXPECT_EQ(seen[1], 3);
    EXPECT_EQ(seen[2], 0);
    EXPECT_EQ(seen[3], 1);
}

TEST_F(Pause, ThePanelFollowsPortrait) {
    window.width = 480;
    window.height = 640;
    Render();
    FinishLoading();
    TapKey(GLFW_KEY_ESC);
    Update(20);
    int y = game->m_PauseY;
    float quitX = static_cast<float>(static_cast<int>(bb_Nubrix_vscrw / 2 - 96));
    Tap(quitX, static_cast<float>(y - 96));
    EXPECT_EQ(game->m_GameEnded, 1);
}

// Every sound the game core plays: placing, exploding and eliminating on
// the board, and the pause panel's clicks.
class CoreSounds : public GameTest {
protected:
    struct Effect {
        int slot;
        float rate, volume;
    };
    int heard = 0;
    // The effects started since the last call, oldest first (at most 24).
    std::vector<Effect> Heard() {
        std::vector<Effect> out;
        for (int c = heard; c != game->m_SfxCursor;) {
            c = (c + 1) % 24;
            const gxtkChannel& ch = bb_audio_device->channels[c];
            Effect e{-1, 0, 0};
            for (int id = 0; id < 100; ++id) {
                if (game->m_Sounds[id] && game->m_Sounds[id]->sample == ch.playingSample) e.slot = id;
            }
            alGetSourcef(ch.alSource, AL_PITCH, &e.rate);
            alGetSourcef(ch.alSource, AL_GAIN, &e.volume);
            out.push_back(e);
        }
        heard = game->m_SfxCursor;
        return out;
    }
    std::string Slots(const std::vector<Effect>& effects) {
        std::string s;
        for (const Effect& e : effects) s += std::to_string(e.slot) + " ";
        return s;
    }
};

TEST_F(CoreSounds, TheBoardAndTheComputerPlaceExplodeAndEliminate) {
    StartGame(1, {1, 1, 1});
    SetBoard("11 .. .. ../.. .. .. ../.. .. .. 31");
    game->m_Turn = 1;
    Update();
    Heard();
    ClickCell(0, 0);
    std::vector<Effect> placed = Heard();
    ASSERT_EQ(Slots(placed), "99 ");
    EXPECT_FLOAT_EQ(placed[0].rate, 1.0f);
    EXPECT_FLOAT_EQ(placed[0].volume, 1.0f);
    Settle();
    std::vector<Effect> burst = Heard();
    ASSERT_EQ(Slots(burst), "2 ") << "the corner bursts";
    EXPECT_GE(burst[0].rate, 0.8f);
    EXPECT_LE(burst[0].rate, 1.2f);
    game->m_PlayerState[2] = 3;  // two turns had, and no cell
    Update();
    EXPECT_EQ(Slots(Heard()), "3 ");

    StartGame(1, {2, 1});
    game->m_Turn = 1;
    Heard();
    for (int i = 0; i < 200 && game->m_Busy == 0; ++i) Update();
    EXPECT_EQ(Slots(Heard()), "99 ") << "the computer places";
}

TEST_F(CoreSounds, ThePausePanelClicksAtItsRates) {
    StartGame(1, {1, 1});
    Heard();
    for (int key : {GLFW_KEY_ESC, GLFW_KEY_RIGHT, GLFW_KEY_LEFT, GLFW_KEY_LEFT, GLFW_KEY_SPACE}) {
        PressKey(key);
        Update();
        ReleaseKey(key);
        Update();
    }
    std::vector<Effect> clicks = Heard();
    ASSERT_EQ(Slots(clicks), "98 98 98 98 98 ");
    const float rates[] = {1.0f, 1.2f, 0.8f, 0.8f, 0.5f};  // open, right, back, left, quit
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(clicks[i].rate, rates[i]) << i;
        EXPECT_FLOAT_EQ(clicks[i].volume, 0.5f) << i;
    }
}

using GameOver = GameTest;

TEST_F(GameOver, TheWordsStart12PixelsFromTheEdgesAndMeetAtTheBars) {
    StartGame(1, {1, 1});
    game->m_GameEnded = 1;
    Update();  // the overlay's first update: nothing drawn yet
    EXPECT_EQ(game->m_GameOverTime, 1);
    Update();
    EXPECT_EQ(TextNear(12), "GAME");
    EXPECT_EQ(TextNear(480 - 12), "OVER");
    std::vector<Glyph> g = Glyphs();
    // Four glyphs of 7 units at size 4, centred on 35 % of the width.
    float first = 0;
    for (const Glyph& x : g) {
        if (x.c == 'G') first = x.x;
    }
    EXPECT_NEAR(first, 640 * 0.35f - 42, 1e-3);
    Update(30);
    EXPECT_EQ(TextNear(216), "GAME") << "stops where the bars reach 45 % of the height";
    EXPECT_EQ(TextNear(480 - 216), "OVER");
}

TEST_F(GameOver, ReturnsToTheMenuAfter90UpdatesAndFadesOutThere) {
    StartGame(1, {1, 1});
    game->m_GameEnded = 1;
    Update(89);
    EXPECT_EQ(game->m_Mode, 10);
    Update();
    EXPECT_EQ(game->m_Mode, 2);
    // 75, then the fade of that call and of the menu-side call that the
    // same update makes on the new mode.
    EXPECT_EQ(game->m_GameOverTime, 71);
    Update();
    EXPECT_EQ(game->m_Mode, 1);
    EXPECT_EQ(game->m_GameOverTime, 69);
    Update(10);
    EXPECT_EQ(game->m_GameOverTime, 49);
    Update(40);
    EXPECT_EQ(game->m_GameOverTime, 0);
}

TEST_F(GameOver, TheShadeGrowsToSeventyPercent) {
    StartGame(1, {1, 1});
    game->m_GameEnded = 1;
    Update(11);
    float shade = -1;
    for (const Command& c : Commands()) {
        if (c.kind == NUBRIX_NONE && c.x == -1 && c.y == -1) shade = c.alpha;
    }
    EXPECT_FLOAT_EQ(shade, 10 / 40.0f);
    Update(40);
    for (const Command& c : Commands()) {
        if (c.kind == NUBRIX_NONE && c.x == -1 && c.y == -1) shade = c.alpha;
    }
    EXPECT_FLOAT_EQ(shade, 0.7f);
}

using Loading = GameTest;

TEST_F(Loading, TheLoadingScreenSpinsAndShowsTheLogo) {
    game->m_Loading = 1;
    int angle = game->m_SpinAngle;
    Update();
    EXPECT_EQ(game->m_SpinAngle, (angle + 16) % 360);
    EXPECT_EQ(game->m_MinSide, 480);
    std::vector<Command> c = Commands();
    int dots = 0, logos = 0;
    for (const Command& x : c) {
        if (x.kind == NUBRIX_OVAL && x.w == 8) ++dots;
        if (x.kind == 93) ++logos;
    }
    EXPECT_EQ(dots, 22);
    EXPECT_EQ(logos, 1);
    EXPECT_EQ(game->m_BackR, 40);
    EXPECT_EQ(game->m_BackB, 80);
    Render();
    EXPECT_EQ(Pixel(2, 2), 0x282850u);
}

class PlayKeys : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        PlugJoystick();
    }
    bool Held(int code) {
        Update();
        return game->m_PlayKey(code) != 0;
    }
};

TEST_F(PlayKeys, Keyboard) {
    const struct {
        int glfwKey, code;
    } keys[] = {{GLFW_KEY_UP, 0},    {'W', 0},           {GLFW_KEY_LEFT, 3},  {'A', 3},
                {GLFW_KEY_RIGHT, 5}, {'D', 5},           {GLFW_KEY_DOWN, 8},  {'S', 8},
                {GLFW_KEY_SPACE, 10}, {GLFW_KEY_ENTER, 10}, {'Z', 10},        {'J', 10},
                {GLFW_KEY_LCTRL, 11}, {'X', 11},         {'K', 11},           {GLFW_KEY_RSHIFT, 12},
                {'C', 12},           {'L', 12},          {'V', 13},           {'I', 13},
                {GLFW_KEY_ESC, 99},  {GLFW_KEY_DEL, 99}, {GLFW_KEY_BACKSPACE, 99}};
    for (const auto& k : keys) {
        EXPECT_FALSE(Held(k.code)) << k.glfwKey;
        PressKey(k.glfwKey);
        EXPECT_TRUE(Held(k.code)) << k.glfwKey;
        for (int other : {0, 3, 5, 8, 10, 11, 12, 13, 99}) {
            if (other == k.code) continue;
            EXPECT_FALSE(game->m_PlayKey(other)) << k.glfwKey << " is not " << other;
        }
        ReleaseKey(k.glfwKey);
    }
    EXPECT_FALSE(Held(14));
    EXPECT_FALSE(Held(42));
}

TEST_F(PlayKeys, JoystickButtonsAndAxes) {
    const struct {
        int button, code;
    } buttons[] = {{0, 10}, {1, 11}, {2, 12}, {3, 13}, {7, 99}, {8, 3}, {9, 0}, {10, 5}, {11, 8}};
    for (const auto& b : buttons) {
        window.joystickButtons[b.button] = GLFW_PRESS;
        EXPECT_TRUE(Held(b.code)) << "button " << b.button;
        window.joystickButtons[b.button] = GLFW_RELEASE;
        EXPECT_FALSE(Held(b.code)) << "button " << b.button;
    }
    window.joystickAxes = {-0.5f, 0.0f};
    EXPECT_TRUE(Held(3));
    window.joystickAxes = {0.39f, 0.0f};
    EXPECT_FALSE(Held(5)) << "inside the dead zone";
    window.joystickAxes = {0.5f, 0.0f};
    EXPECT_TRUE(Held(5));
    window.joystickAxes = {0.0f, -0.5f};
    EXPECT_TRUE(Held(0));
    window.joystickAxes = {0.0f, 0.5f};
    EXPECT_TRUE(Held(8));
}

TEST_F(PlayKeys, TheJoystickStartButtonPausesAGame) {
    StartGame(1, {1, 1});
    window.joystickButtons[7] = GLFW_PRESS;
    Update();
    EXPECT_EQ(game->m_Paused, 1);
}

TEST_F(PlayKeys, ICadeLettersHoldAndReleasePadSlots) {
    game->m_iCade(1);
    EXPECT_EQ(bb_Nubrix_iCadeControls, 1);
    PressKey('W');
    bb_input_device->PutChar('w');
    Update();
    EXPECT_EQ(game->m_Pad[0], 2);
    EXPECT_EQ(game->m_Tmp, 'w');
    EXPECT_TRUE(Held(0)) << "held through the pad slot";
    ReleaseKey('W');
    bb_input_device->PutChar('E');
    Update();
    EXPECT_EQ(game->m_Pad[0], 0);
    PressKey('W');
    EXPECT_FALSE(Held(0)) << "the letter key W is not read while the iCade types";
    ReleaseKey('W');
    const char* press = "XADHJKYUIOL";
    const char* release = "ZQCRNPTFMGV";
    const int slots[] = {8, 3, 5, 10, 11, 12, 13, 14, 15, 16, 17};
    for (int i = 0; i < 11; ++i) {
        bb_input_device->PutChar(press[i]);
        Update();
        EXPECT_EQ(game->m_Pad[slots[i]], 2) << press[i];
        bb_input_device->PutChar(release[i] + 32);
        Update();
        EXPECT_EQ(game->m_Pad[slots[i]], 0) << release[i];
    }
    bb_input_device->PutChar('O');
    Update();
    EXPECT_TRUE(game->m_PlayKey(99)) << "slot 16 is back";
    game->m_iCade(0);
    EXPECT_EQ(game->m_Pad[16], 0) << "switching off clears the pad";
    bb_input_device->PutChar('w');
    Update();
    EXPECT_EQ(game->m_Pad[0], 0) << "characters are not read with the iCade off";
}

TEST_F(PlayKeys, OneUpdatePressesOfTheOnScreenPadEnd) {
    game->m_Pad[5] = 1;
    game->m_Pad[6] = 2;
    Update();
    EXPECT_EQ(game->m_Pad[5], 0);
    EXPECT_EQ(game->m_Pad[6], 2);
}

TEST_F(PlayKeys, TheOnScreenPadSetsItsSlots) {
    bb_Nubrix_OnScreenControls = 1;
    StartGame(1, {1, 1});
    game->m_Option[10] = 100;
    game->m_Option[11] = 100;
    game->m_Option[12] = 10;
    Update();
    EXPECT_EQ(game->m_DPadX, 100);
    EXPECT_EQ(game->m_DPadY, 380);
    PointerAt(100 - 32, 380);  // left
    PressMouse();
    Update();
    bool left = game->m_PlayKey(3);
    ReleaseMouse();
    Update();
    bb_Nubrix_OnScreenControls = 0;
    EXPECT_EQ(game->m_Pad[3], 0) << "cleared again at the next update";
    EXPECT_TRUE(left);
}

TEST_F(PlayKeys, TheDebugLineShowsRateAndScale) {
    bb_Nubrix_DebugMode = 1;
    Update();
    bb_Nubrix_DebugMode = 0;
    std::string line = TextNear(480 - 16 + 5);
    EXPECT_NE(line.find(":1.0,1.0"), std::string::npos) << line;
}

}  // namespace
}  // namespace game_test
