// The cell cursor: a whole game played with the keyboard or a gamepad
// through the same rules as the mouse, and a mouse-only game unchanged.

#include <cstdio>
#include <functional>
#include <string>

#include "tests/game/game_env.h"

namespace game_test {
namespace {

using namespace glfw2;

// Joystick 0's buttons as the input device numbers them from 0.
const int kPadA = 0, kPadLeft = 8, kPadUp = 9, kPadRight = 10, kPadDown = 11;

class Cursor : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        PlugJoystick();
    }
    void Tap(int key) {
        PressKey(key);
        Update();
        ReleaseKey(key);
        Update();
    }
    void TapPad(int button) {
        window.joystickButtons[button] = GLFW_PRESS;
        Update();
        window.joystickButtons[button] = GLFW_RELEASE;
        Update();
    }
    // The rectangles drawn in the full colour of the colour to move: the
    // board itself uses it only at half brightness.
    std::vector<Command> Frame() {
        static const float kInk[5][3] = {{180, 180, 180}, {255, 0, 0}, {255, 255, 0}, {0, 255, 0}, {0, 128, 255}};
        const float* ink = kInk[game->m_Turn];
        std::vector<Command> out;
        for (const Command& c : Commands()) {
            if (c.kind == NUBRIX_NONE && c.r == ink[0] && c.g == ink[1] && c.b == ink[2] && c.alpha == 1) {
                out.push_back(c);
            }
        }
        return out;
    }
    // The frame's bounds contain the cell's centre.
    bool FramedAt(int x, int y) {
        std::vector<Command> f = Frame();
        if (f.size() != 4) return false;
        float cx, cy;
        CellCentre(x, y, &cx, &cy);
        return f[0].x < cx && f[0].x + f[0].w > cx && f[0].y < cy && f[1].y > cy;
    }
    std::pair<int, int> At() { return {game->m_CursorX, game->m_CursorY}; }
};

TEST_F(Cursor, HiddenUntilTheFirstPlayKeyWhichShowsItAtTheCentre) {
    StartGame(2, {1, 1});  // 6 x 4
    Update(30);
    EXPECT_TRUE(Frame().empty());
    const int commands = game->m_DrawCount;
    Tap(GLFW_KEY_RIGHT);
    EXPECT_EQ(At(), std::make_pair(3, 2)) << "the first press only shows it";
    EXPECT_TRUE(FramedAt(3, 2));
    EXPECT_GT(game->m_DrawCount, commands);
    Tap(GLFW_KEY_RIGHT);
    EXPECT_EQ(At(), std::make_pair(4, 2));
    EXPECT_TRUE(FramedAt(4, 2));
    EXPECT_EQ(Board(), ".. .. .. .. .. ../.. .. .. .. .. ../.. .. .. .. .. ../.. .. .. .. .. ..");
}

TEST_F(Cursor, EveryDirectionSourceMovesOneCellAndStopsAtTheEdge) {
    StartGame(3, {1, 1});  // 10 x 7, centre (5, 3)
    Tap(GLFW_KEY_SPACE);   // shows it
    ASSERT_EQ(game->m_CursorShown, 1);
    struct Source {
        const char* name;
        std::function<void(bool)> hold;
        int dx, dy;
    };
    auto key = [&](int k) { return [this, k](bool down) { down ? PressKey(k) : ReleaseKey(k); }; };
    auto pad = [&](int b) { return [this, b](bool down) { window.joystickButtons[b] = down ? GLFW_PRESS : GLFW_RELEASE; }; };
    auto stick = [&](float x, float y) {
        return [this, x, y](bool down) { window.joystickAxes = down ? std::vector<float>{x, y} : std::vector<float>{0, 0}; };
    };
    const Source sources[] = {
        {"Up", key(GLFW_KEY_UP), 0, -1},       {"Down", key(GLFW_KEY_DOWN), 0, 1},
        {"Left", key(GLFW_KEY_LEFT), -1, 0},   {"Right", key(GLFW_KEY_RIGHT), 1, 0},
        {"W", key('W'), 0, -1},                {"S", key('S'), 0, 1},
        {"A", key('A'), -1, 0},                {"D", key('D'), 1, 0},
        {"d-pad up", pad(kPadUp), 0, -1},      {"d-pad down", pad(kPadDown), 0, 1},
        {"d-pad left", pad(kPadLeft), -1, 0},  {"d-pad right", pad(kPadRight), 1, 0},
        {"stick up", stick(0, -0.8f), 0, -1},  {"stick down", stick(0, 0.8f), 0, 1},
        {"stick left", stick(-0.8f, 0), -1, 0}, {"stick right", stick(0.8f, 0), 1, 0},
    };
    for (const Source& s : sources) {
        game->m_CursorX = 5;
        game->m_CursorY = 3;
        s.hold(true);
        Update();
        s.hold(false);
        Update();
        EXPECT_EQ(At(), std::make_pair(5 + s.dx, 3 + s.dy)) << s.name;
        for (int i = 0; i < 12; ++i) {
            s.hold(true);
            Update();
            s.hold(false);
            Update();
        }
        const int edgeX = s.dx < 0 ? 0 : (s.dx > 0 ? 9 : 5), edgeY = s.dy < 0 ? 0 : (s.dy > 0 ? 6 : 3);
        EXPECT_EQ(At(), std::make_pair(edgeX, edgeY)) << s.name << " stops at the edge";
    }
}

TEST_F(Cursor, AHeldKeyRepeatsAfterAThirdOfASecondThenAbout8ASecond) {
    StartGame(4, {1, 1});  // 12 x 10, centre (6, 5)
    Tap(GLFW_KEY_LEFT);
    ASSERT_EQ(At(), std::make_pair(6, 5));
    PressKey(GLFW_KEY_LEFT);
    Update();
    EXPECT_EQ(game->m_CursorX, 5);
    Update(17);
    EXPECT_EQ(game->m_CursorX, 5) << "17 updates held: no repeat yet";
    Update();
    EXPECT_EQ(game->m_CursorX, 4) << "the first repeat, 18 updates after the press";
    Update(7);
    EXPECT_EQ(game->m_CursorX, 4);
    Update();
    EXPECT_EQ(game->m_CursorX, 3) << "then every 8 updates";
    Update(16);
    EXPECT_EQ(game->m_CursorX, 1);
    // A second direction pressed while the first is held takes over.
    PressKey(GLFW_KEY_DOWN);
    Update();
    EXPECT_EQ(At(), std::make_pair(1, 6));
    ReleaseKey(GLFW_KEY_DOWN);
    Update(40);
    EXPECT_EQ(At(), std::make_pair(1, 6)) << "the first key, still held, does not start again";
    ReleaseKey(GLFW_KEY_LEFT);
}

TEST_F(Cursor, SelectMovesExactlyAsAClickOnTheCell) {
    StartGame(1, {1, 1});  // 4 x 3, two people
    const char* const position = "11 .. .. ../.. 12 .. ../.. .. .. 2.";
    SetBoard(position);
    Settle();
    const int seed = bb_random_Seed, sfx = game->m_SfxCursor;

    // The same position twice, with the same random numbers to come: once a
    // click on (1, 1), once select with the cursor there; each plays on to
    // a settled board.
    struct Outcome {
        std::string board;
        int turn, seed, sfx, states[5];
    };
    auto playFromThePosition = [&](const std::function<void()>& move) {
        SetBoard(position);
        game->m_Turn = 1;
        bb_random_Seed = seed;
        game->m_SfxCursor = sfx;
        move();
        Settle();
        Outcome o{Board(), game->m_Turn, bb_random_Seed, game->m_SfxCursor, {}};
        for (int c = 1; c <= 4; ++c) o.states[c] = game->m_PlayerState[c];
        return o;
    };
    const Outcome clicked = playFromThePosition([&] { ClickCell(1, 1); });
    Tap(GLFW_KEY_DOWN);  // shows it at (2, 1)
    Tap(GLFW_KEY_LEFT);
    ASSERT_EQ(At(), std::make_pair(1, 1));
    const Outcome selected = playFromThePosition([&] { Tap(GLFW_KEY_SPACE); });

    EXPECT_EQ(clicked.board, "11 .. .. ../.. 13 .. ../.. .. .. 2.");
    EXPECT_EQ(clicked.turn, 2);
    EXPECT_EQ(selected.board, clicked.board);
    EXPECT_EQ(selected.turn, clicked.turn);
    EXPECT_EQ(selected.seed, clicked.seed) << "the same random numbers were drawn";
    EXPECT_EQ(selected.sfx, clicked.sfx) << "the same sounds were played";
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(selected.states[c], clicked.states[c]) << c;
}

TEST_F(Cursor, AHeldSelectPlacesOnceNotAgainOnTheNextTurn) {
    StartGame(1, {1, 2});  // red a person, yellow the computer
    game->m_Turn = 1;
    Tap(GLFW_KEY_UP);  // shows it at (2, 1)
    PressKey(GLFW_KEY_SPACE);
    Update();
    ASSERT_EQ(Owner(2, 1), 1);
    bool yellow = false;
    int n = 0;
    for (; n < 3000 && !(yellow && game->m_Turn == 1); ++n) {
        Update();
        yellow = yellow || game->m_Turn == 2;
    }
    ASSERT_LT(n, 3000) << "the turn did not come back to red";
    Update(60);
    ReleaseKey(GLFW_KEY_SPACE);
    EXPECT_EQ(Owner(2, 1), 1);
    EXPECT_EQ(Counter(2, 1), 16) << "one atom: the held key was consumed by its move";
}

TEST_F(Cursor, APressAndSelectInTheSameUpdatePlaceOneAtom) {
    StartGame(1, {1, 1});
    float cx, cy;
    CellCentre(0, 0, &cx, &cy);
    PointerAt(cx, cy);
    Update();
    Tap(GLFW_KEY_SPACE);  // shows it at (2, 1), the pointer resting on (0, 0)
    ASSERT_EQ(game->m_CursorShown, 1);
    PressMouse();
    PressKey(GLFW_KEY_SPACE);
    Update();
    ReleaseMouse();
    ReleaseKey(GLFW_KEY_SPACE);
    Update();
    EXPECT_EQ(Board().substr(0, 2), std::string(1, static_cast<char>('0' + game->m_Turn)) + "1");
    EXPECT_EQ(Owner(2, 1), 0) << "one atom a turn";
}

TEST_F(Cursor, SelectDoesNothingAndIsNotConsumedWhenNoMoveIsAllowed) {
    const struct {
        const char* when;
        std::vector<int> types;
        std::function<void()> set;
    } cases[] = {
        {"on an enemy cell", {1, 1}, [this] { Owner(2, 1) = 2, Counter(2, 1) = 16; }},
        {"for the computer", {2, 2}, [] {}},
        {"while the board is busy", {1, 1}, [this] { Owner(0, 0) = 1, Counter(0, 0) = 1; }},
        {"after the end", {1, 1}, [this] { game->m_GameEnded = 1; }},
    };
    for (const auto& c : cases) {
        StartGame(1, c.types);
        Tap(GLFW_KEY_UP);  // shows it at (2, 1)
        ASSERT_EQ(At(), std::make_pair(2, 1));
        game->m_Turn = 1;
        c.set();
        Update();
        const int owner = Owner(2, 1), counter = Counter(2, 1);
        PressKey(GLFW_KEY_ENTER);
        Update();
        ReleaseKey(GLFW_KEY_ENTER);
        EXPECT_EQ(game->m_KeyUsed, 0) << c.when;
        EXPECT_EQ(Owner(2, 1), owner) << c.when;
        EXPECT_EQ(Counter(2, 1), counter) << c.when;
        Update();
    }
}

TEST_F(Cursor, TheMouseHidesItAndTheNextKeyShowsItWhereItWas) {
    StartGame(2, {1, 1});
    Tap(GLFW_KEY_UP);
    Tap(GLFW_KEY_UP);
    ASSERT_EQ(At(), std::make_pair(3, 1));
    ASSERT_FALSE(Frame().empty());
    PointerAt(100, 100);
    Update();
    EXPECT_EQ(game->m_CursorShown, 0);
    EXPECT_TRUE(Frame().empty());
    Update(10);
    EXPECT_TRUE(Frame().empty()) << "a pointer at rest does not show it";
    Tap(GLFW_KEY_SPACE);
    EXPECT_TRUE(FramedAt(3, 1)) << "shown again in place, placing nothing";
    EXPECT_EQ(Owner(3, 1), 0);
    const int turn = game->m_Turn;
    ClickCell(0, 0);
    EXPECT_EQ(Owner(0, 0), turn) << "the mouse plays as before";
}

TEST_F(Cursor, InPortraitRightRunsAlongTheTransposedBoard) {
    window.width = 480;
    window.height = 640;
    Render();
    FinishLoading();
    StartGame(2, {1, 1});
    ASSERT_EQ(game->m_Landscape, 0);
    Tap(GLFW_KEY_RIGHT);
    Tap(GLFW_KEY_RIGHT);
    EXPECT_EQ(At(), std::make_pair(3, 3));
    Tap(GLFW_KEY_UP);
    EXPECT_EQ(At(), std::make_pair(2, 3));
    EXPECT_TRUE(FramedAt(2, 3));
}

TEST_F(Cursor, ThePausePanelKeepsItsKeys) {
    StartGame(2, {1, 1});
    Tap(GLFW_KEY_RIGHT);
    Tap(GLFW_KEY_ESC);
    ASSERT_EQ(game->m_Paused, 1);
    Tap(GLFW_KEY_RIGHT);
    EXPECT_EQ(game->m_PauseCursor, 1);
    EXPECT_EQ(At(), std::make_pair(3, 2)) << "the board cursor stays";
    Tap(GLFW_KEY_LEFT);
    ASSERT_EQ(game->m_PauseCursor, 0);
    // Resume with select and, before releasing it, press right; hold both
    // while the panel slides out.
    PressKey(GLFW_KEY_SPACE);
    Update();
    PressKey(GLFW_KEY_RIGHT);
    Update(40);
    ASSERT_EQ(game->m_Paused, 0);
    EXPECT_EQ(At(), std::make_pair(3, 2)) << "a key pressed in the panel does not move the cursor after it";
    ReleaseKey(GLFW_KEY_SPACE);
    ReleaseKey(GLFW_KEY_RIGHT);
    Update();
    EXPECT_EQ(Board().find_first_not_of(". /"), std::string::npos) << "resume's select placed nothing";
    Tap(GLFW_KEY_RIGHT);
    EXPECT_EQ(At(), std::make_pair(4, 2));
}

TEST_F(Cursor, TheKeyThatStartedTheGameFromTheMenuPlacesNothing) {
    game->m_Option[6] = 1;
    game->m_Option[7] = 1;
    Update(40);
    PressKey(GLFW_KEY_SPACE);
    for (int i = 0; i < 60 && game->m_Mode != 10; ++i) Update();
    ASSERT_EQ(game->m_Mode, 10);
    Update(60);
    EXPECT_EQ(game->m_CursorShown, 0);
    ReleaseKey(GLFW_KEY_SPACE);
    Update();
    EXPECT_EQ(Board().find_first_not_of(". /"), std::string::npos);
}

// Plays a game on the smallest board from the menu against the computer to
// its end, `move` placing red's atoms; returns the record it leaves.
class WholeGame : public Cursor {
protected:
    std::string Play(const std::function<void(int, int)>& move) {
        std::remove(".varnokstate");
        for (int i = 0; i < 150; ++i) game->m_Stats[i] = 0;
        game->m_Option[6] = 1;  // red a person, blue the computer
        game->m_Option[7] = 0;
        game->m_Option[8] = 0;
        game->m_Option[9] = 2;
        game->m_Mode = 1;
        Update(40);
        TapPad(kPadUp);  // size 1
        TapPad(kPadA);
        int moves = 0;
        for (int i = 0; i < 40000 && game->m_Mode != 1; ++i) {
            const bool mine = game->m_Mode == 10 && game->m_GameEnded == 0 && game->m_WasBusy == 0 &&
                              game->m_Busy == 0 && game->m_PlayerType[game->m_Turn] == 1;
            if (!mine) {
                Update();
                continue;
            }
            // The own cell nearest to bursting, else the first empty one.
            int best = -1, bestCounter = -1;
            for (int c = 0; c < 12; ++c) {
                int x = c % 4, y = c / 4;
                int counter = Owner(x, y) == 1 ? Counter(x, y) : (Owner(x, y) == 0 ? 0 : -1);
                if (counter > bestCounter) best = c, bestCounter = counter;
            }
            if (best < 0) {
                Update();
                continue;
            }
            move(best % 4, best / 4);
            ++moves;
        }
        EXPECT_EQ(game->m_Mode, 1) << "the game did not end after " << moves << " moves";
        EXPECT_GT(moves, 1);
        return nubrix_test::ReadFile(".varnokstate");
    }
};

TEST_F(WholeGame, AGamepadPlaysAGameToItsEndAndLeavesTheRecordAClickedGameLeaves) {
    const std::string clicked = Play([&](int x, int y) { ClickCell(x, y); });
    const std::string padded = Play([&](int x, int y) {
        if (game->m_CursorShown == 0) TapPad(kPadA);
        for (int i = 0; i < 4 && game->m_CursorX < x; ++i) TapPad(kPadRight);
        for (int i = 0; i < 4 && game->m_CursorX > x; ++i) TapPad(kPadLeft);
        for (int i = 0; i < 3 && game->m_CursorY < y; ++i) TapPad(kPadDown);
        for (int i = 0; i < 3 && game->m_CursorY > y; ++i) TapPad(kPadUp);
        ASSERT_EQ(At(), std::make_pair(x, y));
        const int counter = Counter(x, y);
        TapPad(kPadA);
        EXPECT_EQ(Owner(x, y), 1);
        EXPECT_GT(Counter(x, y), counter);
    });
    ASSERT_FALSE(clicked.empty());
    EXPECT_EQ(padded, clicked);
    EXPECT_EQ(nubrix_test::Fields(padded).size(), 99u);
}

}  // namespace
}  // namespace game_test
