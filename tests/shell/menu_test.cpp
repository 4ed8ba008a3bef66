// The main menu: player slots and their defaults, starting a game with the
// pointer and the keys, the board-size mark, the score lists and panel, the
// slide-in, the animated title and the two arrangements.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/glfw2.h"
#include "tests/shell/shell_env.h"

using namespace glfw2;

namespace shell_test {
namespace {

using PlayerSlots = ShellTest;

TEST_F(PlayerSlots, TheFirstMenuFrameMakesOnePersonAndOneComputer) {
    Start();
    for (int i = 6; i <= 9; ++i) ASSERT_EQ(game->m_Option[i], 0);
    Update();
    EXPECT_EQ(game->m_Alive, 0);  // counted before the defaults were made
    EXPECT_EQ(game->m_Option[6], 1);
    EXPECT_EQ(game->m_Option[7], 0);
    EXPECT_EQ(game->m_Option[8], 0);
    EXPECT_EQ(game->m_Option[9], 2);
    Update();
    EXPECT_EQ(game->m_Alive, 2);
    EXPECT_EQ(game->m_PlayerType[1], 1);
    EXPECT_EQ(game->m_PlayerType[2], 0);
    EXPECT_EQ(game->m_PlayerType[4], 2);
}

TEST_F(PlayerSlots, EachPressCyclesOffHumanComputerOnce) {
    Start();
    Update(40);
    PointerAt(SlotX(), SlotY(2));
    Press();
    Update(30);  // held: one change, not one per update
    EXPECT_EQ(game->m_Option[7], 1);
    Release();
    Update();
    EXPECT_EQ(game->m_PlayerType[2], 1);  // shows from the update after the press
    Press();
    Update();
    EXPECT_EQ(game->m_Option[7], 2);
    Release();
    Update();
    ClickAt(SlotX(), SlotY(2));
    EXPECT_EQ(game->m_Option[7], 0);

    // The slot answers inside its 64 x 64 square only.
    ClickAt(SlotX() + 31, SlotY(3) - 31);
    EXPECT_EQ(game->m_Option[8], 1);
    ClickAt(SlotX() + 32, SlotY(3));
    EXPECT_EQ(game->m_Option[8], 1);
}

TEST_F(PlayerSlots, TurningEverySlotOffRestoresTheDefaultsOnTheNextUpdate) {
    Start();
    Update(40);
    ClickAt(SlotX(), SlotY(1));  // human -> computer
    ClickAt(SlotX(), SlotY(1));  // computer -> off
    PointerAt(SlotX(), SlotY(4));
    Press();
    Update();                    // computer -> off: nobody plays now
    EXPECT_EQ(game->m_Option[6], 0);
    EXPECT_EQ(game->m_Option[9], 0);
    Release();
    Update();
    EXPECT_EQ(game->m_Option[6], 1);
    EXPECT_EQ(game->m_Option[9], 2);
}

TEST_F(PlayerSlots, SlotsShowTheirTypeInTheirColour) {
    Start();
    Update(40);
    ClickAt(SlotX(), SlotY(2));  // player 2 human
    Update();
    const char* labels[] = {"", "On", "On", "Off", "CPU"};
    for (int i = 1; i <= 4; ++i) {
        const float x = SlotX(), y = SlotY(i);
        EXPECT_EQ(TextNear(y + 34, x - 40, x + 40), labels[i]) << i;
        bool found = false;
        for (const Command& c : ImagesOf(1)) {
            if (c.x == x && c.y == y && c.frame == 16 * i - 2) {
                found = true;
                EXPECT_FLOAT_EQ(c.alpha, i == 3 ? 0.5f : 1.0f) << i;
                EXPECT_FLOAT_EQ(c.w, 2.0f);
            }
        }
        EXPECT_TRUE(found) << i;
    }
    // Labels: a person's in the player's colour, the computer's in white.
    for (const Command& c : Commands()) {
        if (c.kind != game->m_Font || std::fabs(c.y - (SlotY(1) + 34)) > 1) continue;
        EXPECT_EQ(c.r, 255);
        EXPECT_EQ(c.g, 0);
        EXPECT_EQ(c.b, 0);
    }
    for (const Command& c : Commands()) {
        if (c.kind != game->m_Font || std::fabs(c.y - (SlotY(4) + 34)) > 1) continue;
        EXPECT_EQ(c.g, 255);
        EXPECT_EQ(c.alpha, 1.0f);
    }
}

using StartingAGame = ShellTest;

TEST_F(StartingAGame, ASizeButtonStartsThatSizeAtOnce) {
    Start();
    Update(40);
    float x, y;
    SizeButton(1, &x, &y);
    PointerAt(x, y);
    Press();
    Update();
    EXPECT_EQ(game->m_Mode, 11);
    EXPECT_EQ(game->m_BoardSize, 1);
    Release();
    Update();
    EXPECT_EQ(game->m_Mode, 10);
    EXPECT_EQ(game->m_BoardW, 4);
    EXPECT_EQ(game->m_BoardH, 3);
    EXPECT_EQ(game->m_PlayerType[1], 1);
    EXPECT_EQ(game->m_PlayerType[4], 2);
}

TEST_F(StartingAGame, OneActivePlayerStartsNothing) {
    Start();
    Update(40);
    ClickAt(SlotX(), SlotY(4));  // computer -> off: player 1 alone
    Update();
    ASSERT_EQ(game->m_Alive, 1);
    const int cursor = game->m_SfxCursor;
    for (int k = 1; k <= 3; ++k) {
        float x, y;
        SizeButton(k, &x, &y);
        ClickAt(x, y);
        EXPECT_EQ(game->m_Mode, 1);
        EXPECT_EQ(game->m_BoardSize, 2);
    }
    TapKey(GLFW_KEY_SPACE);
    TapKey(GLFW_KEY_ENTER);
    EXPECT_EQ(game->m_Mode, 1);
    EXPECT_EQ(game->m_SfxCursor, cursor);  // not a sound either

    ClickAt(SlotX(), SlotY(3));  // a second player
    TapKey(GLFW_KEY_ENTER);
    EXPECT_EQ(game->m_Mode, 10);
    EXPECT_EQ(game->m_BoardSize, 2);
}

TEST_F(StartingAGame, KeysMoveTheSizeMarkWithinOneToThree) {
    Start();
    Update(40);
    int cursor = game->m_SfxCursor;
    TapKey(GLFW_KEY_UP);
    EXPECT_EQ(game->m_BoardSize, 1);
    EXPECT_EQ(game->m_SfxCursor, cursor + 1);
    cursor = game->m_SfxCursor;
    PressKey(GLFW_KEY_LEFT);
    Update();
    EXPECT_EQ(game->m_BoardSize, 1);  // no change at 1, no sound, nothing consumed
    EXPECT_EQ(game->m_KeyUsed, 0);
    EXPECT_EQ(game->m_SfxCursor, cursor);
    ReleaseKey(GLFW_KEY_LEFT);
    Update();

    PressKey(GLFW_KEY_DOWN);
    Update(20);  // held: one step
    EXPECT_EQ(game->m_BoardSize, 2);
    ReleaseKey(GLFW_KEY_DOWN);
    Update();
    TapKey(GLFW_KEY_RIGHT);
    EXPECT_EQ(game->m_BoardSize, 3);
    cursor = game->m_SfxCursor;
    PressKey(GLFW_KEY_DOWN);
    Update();
    EXPECT_EQ(game->m_BoardSize, 3);
    EXPECT_EQ(game->m_KeyUsed, 0);
    EXPECT_EQ(game->m_SfxCursor, cursor);
    ReleaseKey(GLFW_KEY_DOWN);
    Update();

    // The mark follows: image 95 frame 15 over the third button.
    float x, y;
    SizeButton(3, &x, &y);
    int marks = 0;
    for (const Command& c : ImagesOf(95)) {
        if (c.frame != 15) continue;
        ++marks;
        EXPECT_FLOAT_EQ(c.x, x);
        EXPECT_FLOAT_EQ(c.y, y);
        EXPECT_FLOAT_EQ(c.alpha, 0.75f);
    }
    EXPECT_EQ(marks, 1);

    TapKey(GLFW_KEY_SPACE);
    EXPECT_EQ(game->m_Mode, 10);
    EXPECT_EQ(game->m_BoardW, 10);
}

TEST_F(StartingAGame, AJoystickButtonStartsAGame) {
    window.joystickPresent = true;
    window.joystickAxes = {0, 0};
    window.joystickButtons = std::vector<unsigned char>(12, 0);
    Start();
    Update(40);
    window.joystickAxes = {0, 0.9f};  // stick down
    Update();
    EXPECT_EQ(game->m_BoardSize, 3);
    window.joystickAxes = {0, 0};
    Update();
    window.joystickButtons[0] = 1;  // button A
    Update();
    EXPECT_EQ(game->m_Mode, 11);
}

using MenuLayout = ShellTest;

TEST_F(MenuLayout, ScoreRowsFollowTheVisibleHeight) {
    struct Case {
        int width, height, rows;
        const char* top;
        const char* last;
    } cases[] = {
        {640, 480, 10, "Top10", "Last10"},
        {1280, 720, 6, "Top6", "Last6"},  // 640 x 360 visible
        {640, 200, 1, "Highscore", "Last"},
        {640, 239, 1, "Highscore", "Last"},
        {640, 240, 2, "Top2", "Last2"},
    };
    Start();
    for (const Case& c : cases) {
        Resize(c.width, c.height);
        Update(40);
        const float W = bb_Nubrix_vscrw, H = bb_Nubrix_vscrh;
        EXPECT_EQ(game->m_MenuB, c.rows) << c.height;
        // The lists start 20 units into the panel, which lies beyond the
        // right edge: P is -32.
        const float listX = W + 32 + 20;
        EXPECT_EQ(TextNear(60 + 7.5f, listX - 1, W + 1000), c.top) << c.height;
        EXPECT_EQ(TextNear(H / 2 + 20 + 7.5f, listX - 1, W + 1000), c.last) << c.height;
        int zeros = 0;
        for (const Glyph& g : Glyphs()) {
            if (g.x > W && g.c == '0' && g.y > 68 && g.y < H / 2) ++zeros;
        }
        EXPECT_EQ(zeros, c.rows) << c.height;
    }
}

TEST_F(MenuLayout, ScoreListsShowTheSelectedSize) {
    Start();
    game->m_Stats[0] = 111;       // size 1, top ten
    game->m_Stats[10] = 222;      // size 2, top ten
    game->m_Stats[40 + 1] = 333;  // size 2, last ten, second place
    Update(40);
    const float W = bb_Nubrix_vscrw, H = bb_Nubrix_vscrh;
    EXPECT_EQ(TextNear(60 + 7.5f + 15, W, W + 1000), "222");
    EXPECT_EQ(TextNear(H / 2 + 20 + 7.5f + 30, W, W + 1000), "333");
    // Right-aligned in 11 columns at 1.5 x 7 units a column.
    for (const Glyph& g : Glyphs()) {
        if (g.c == '2' && std::fabs(g.y - (60 + 7.5f + 15)) < 1 && g.x > W) {
            EXPECT_GE(g.x, W + 52 + 8 * 10.5f - 0.01f);
        }
    }
    TapKey(GLFW_KEY_UP);
    Update();
    EXPECT_EQ(TextNear(60 + 7.5f + 15, W, W + 1000), "111");
}

TEST_F(MenuLayout, ThePanelSitsBeyondTheRightEdgeAndSlidesWithTheMenu) {
    Start();
    Update();
    const float W = bb_Nubrix_vscrw, H = bb_Nubrix_vscrh;
    EXPECT_EQ(game->m_MenuY, -31);
    EXPECT_EQ(game->m_MenuA, -32);
    bool found = false;
    for (const Command& c : Commands()) {
        if (c.kind != NUBRIX_NONE) continue;
        found = true;
        EXPECT_FLOAT_EQ(c.x, W + 32 + 4 * 31);
        EXPECT_FLOAT_EQ(c.y, 0);
        EXPECT_FLOAT_EQ(c.w, -32);
        EXPECT_FLOAT_EQ(c.h, H);
        EXPECT_FLOAT_EQ(c.alpha, 0.4f);
        EXPECT_EQ(c.r + c.g + c.b, 0);
    }
    EXPECT_TRUE(found);
    Update(31);
    EXPECT_EQ(game->m_MenuY, 0);
    Update(5);
    EXPECT_EQ(game->m_MenuY, 0);
    for (const Command& c : Commands()) {
        if (c.kind == NUBRIX_NONE) {
            EXPECT_FLOAT_EQ(c.x, W + 32);
        }
    }
}

TEST_F(MenuLayout, LandscapeAndPortraitArrangements) {
    struct Place {
        int id, frame;
        float x, y;
    };
    // Sound toggle, the three size buttons, credits, title logo and the
    // first and last player slots: in the first frame of the slide-in
    // (everything still 31 steps away) and at rest.
    const struct {
        int width, height, updates;
        std::vector<Place> places;
    } layouts[] = {
        {640, 480, 1, {{97, 4, -92, 240}, {95, 0, 128, 584}, {95, 1, 256, 708}, {95, 2, 384, 646},
                       {93, 0, 70, 564}, {98, 0, 320, -300}, {1, 14, 576, 120}, {1, 62, 576, 360}}},
        {640, 480, 40, {{97, 4, 32, 240}, {95, 0, 128, 336}, {95, 1, 256, 336}, {95, 2, 384, 336},
                        {93, 0, 70, 440}, {98, 0, 320, 72}, {1, 14, 576, 120}, {1, 62, 576, 360}}},
        {480, 640, 1, {{97, 4, 180, -92}, {95, 0, 356, 216}, {95, 1, 108, 684}, {95, 2, -140, 408},
                       {93, 0, 290, 564}, {98, 0, 180, -300}, {1, 14, 296, 120}, {1, 62, 296, 360}}},
        {480, 640, 40, {{97, 4, 180, 32}, {95, 0, 108, 216}, {95, 1, 108, 312}, {95, 2, 108, 408},
                        {93, 0, 290, 440}, {98, 0, 180, 72}, {1, 14, 296, 120}, {1, 62, 296, 360}}},
    };
    Start();
    for (const auto& layout : layouts) {
        Resize(layout.width, layout.height);
        EXPECT_EQ(game->m_Landscape, layout.width > layout.height ? 1 : 0);
        game->m_MenuY = -32;
        Update(layout.updates);
        for (const Place& p : layout.places) {
            int hits = 0;
            for (const Command& c : ImagesOf(p.id)) {
                hits += c.frame == p.frame && std::fabs(c.x - p.x) < 1e-3f && std::fabs(c.y - p.y) < 1e-3f;
            }
            EXPECT_EQ(hits, 1) << "image " << p.id << " frame " << p.frame << " at " << p.x << "," << p.y << " in "
                               << layout.width << "x" << layout.height << " after " << layout.updates;
        }
    }
    // The sound toggle answers where it is drawn.
    ClickAt(180, 32);
    EXPECT_EQ(game->m_Option[5], 0);
    Update();
    EXPECT_EQ(ImagesOf(97).size(), 1u);
    EXPECT_EQ(ImagesOf(97)[0].frame, 5);
}

using Title = ShellTest;

// The framework generator's next value, from a copy of its state.
float NextRnd(uint32_t* seed) {
    *seed = *seed * 1664525u + 1013904223u;
    return static_cast<float>(*seed >> 8) / 16777216.0f;
}

TEST_F(Title, ElectronsAdvanceByOneAndARandomStepAndStayBelow360) {
    Start();
    Update(40);
    game->m_OrbitAngle[1] = 359.5f;
    game->m_OrbitAngle[2] = 100;
    game->m_OrbitAngle[3] = 175;
    uint32_t seed = static_cast<uint32_t>(bb_random_Seed);
    float expected[4] = {0, 0, 0, 0};
    for (int i = 1; i <= 3; ++i) {
        expected[i] = std::fmod(game->m_OrbitAngle[i] + 1 + NextRnd(&seed), 360.0f);
    }
    Update();
    for (int i = 1; i <= 3; ++i) EXPECT_FLOAT_EQ(game->m_OrbitAngle[i], expected[i]) << i;
    EXPECT_LT(game->m_OrbitAngle[1], 2.5f);
    EXPECT_EQ(static_cast<uint32_t>(bb_random_Seed), seed);

    for (int n = 0; n < 2000; ++n) {
        Update();
        for (int i = 1; i <= 3; ++i) {
            ASSERT_GE(game->m_OrbitAngle[i], 0.0f);
            ASSERT_LT(game->m_OrbitAngle[i], 360.0f);
        }
    }
}

TEST_F(Title, ElectronsOrbitTheNucleusPassingBehindAndInFront) {
    Start();
    Update(40);
    // Electron i (frame 16 i + 3, one atom of colour i + 1) swings 16 i to
    // either side of the nucleus and 16 (4 - i) above and below it; drawn
    // before the nucleus it is behind it, after it in front.
    struct Seen {
        float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
        int behind = 0, inFront = 0;
    } seen[4];
    float nucleusX = 0, nucleusY = 0;
    for (int n = 0; n < 720; ++n) {
        Update();
        std::vector<Command> atoms = ImagesOf(1);
        size_t nucleus = 0;
        while (nucleus < atoms.size() && atoms[nucleus].frame != 3) ++nucleus;
        ASSERT_LT(nucleus, atoms.size());
        nucleusX = atoms[nucleus].x;
        nucleusY = atoms[nucleus].y;
        EXPECT_FLOAT_EQ(atoms[nucleus].w, 2);
        for (size_t k = 0; k < atoms.size(); ++k) {
            const int i = (static_cast<int>(atoms[k].frame) - 3) / 16;
            if (atoms[k].frame != 16 * i + 3 || i < 1 || i > 3) continue;
            Seen& e = seen[i];
            e.left = std::min(e.left, atoms[k].x - nucleusX);
            e.right = std::max(e.right, atoms[k].x - nucleusX);
            e.top = std::min(e.top, atoms[k].y - nucleusY);
            e.bottom = std::max(e.bottom, atoms[k].y - nucleusY);
            ++(k < nucleus ? e.behind : e.inFront);
            EXPECT_FLOAT_EQ(atoms[k].w, 1);
        }
    }
    EXPECT_FLOAT_EQ(nucleusX, 320);
    EXPECT_FLOAT_EQ(nucleusY, 144);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_NEAR(seen[i].left, -16 * i, 1) << i;
        EXPECT_NEAR(seen[i].right, 16 * i, 1) << i;
        EXPECT_NEAR(seen[i].top, -16 * (4 - i), 1) << i;
        EXPECT_NEAR(seen[i].bottom, 16 * (4 - i), 1) << i;
        EXPECT_GT(seen[i].behind, 100) << i;
        EXPECT_GT(seen[i].inFront, 100) << i;
    }
}

TEST_F(MenuLayout, TheMenuFrameIsDrawnOnTheDarkBlueBackground) {
    Start();
    Update(40);
    Render();
    EXPECT_EQ(Pixel(630, 470), 0x000050u);
    EXPECT_EQ(Pixel(250, 470), 0x000050u);
}

}  // namespace
}  // namespace shell_test
