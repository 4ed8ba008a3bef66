// The credits box over the menu: what it shows, which presses close it and
// which the menu keeps for itself, and the badge names.

#include <cmath>
#include <string>

#include "platform/glfw2.h"
#include "tests/shell/shell_env.h"

using namespace glfw2;

namespace shell_test {
namespace {

void ExpectColour(uint32_t pixel, int r, int g, int b) {
    EXPECT_NEAR(static_cast<int>(pixel >> 16), r, 2) << std::hex << pixel;
    EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xff), g, 2) << std::hex << pixel;
    EXPECT_NEAR(static_cast<int>(pixel & 0xff), b, 2) << std::hex << pixel;
}

class CreditsBox : public ShellTest {
protected:
    // Opens the box with the credits button and releases the pointer.
    void Open() {
        Start();
        Update(40);
        float x, y;
        CreditsButton(&x, &y);
        ClickAt(x, y);
        ASSERT_EQ(game->m_CreditsOpen, 1);
    }
    bool BoxDrawn() { return TextNear(0.24f * bb_Nubrix_vscrh + 7.5f) == "AGameBy"; }
};

TEST_F(CreditsBox, ShowsSixCentredLinesOverTwoPanels) {
    Open();
    const float W = bb_Nubrix_vscrw, H = bb_Nubrix_vscrh;
    struct Line {
        float offset;
        const char* glyphs;
    } lines[] = {
        {0, "AGameBy"},           {20, "TheNubrixDevelopers"}, {40, "www.nubrix.invalid"},
        {80, "Createdusing"},     {100, "Varnok"},             {120, "www.varnok.invalid"},
    };
    for (const Line& line : lines) {
        const float y = 0.24f * H + line.offset + 7.5f;
        EXPECT_EQ(TextNear(y), line.glyphs) << line.offset;
        float first = 1e9f, last = -1e9f;
        for (const Glyph& g : Glyphs()) {
            if (std::fabs(g.y - y) > 1) continue;
            first = std::fmin(first, g.x);
            last = std::fmax(last, g.x);
        }
        EXPECT_NEAR((first + last) / 2, W / 2, 0.01) << line.offset;
    }
    int panels = 0;
    for (const Command& c : Commands()) {
        if (c.kind != NUBRIX_NONE || c.w <= 0) continue;
        ++panels;
        if (c.r == 255) {
            EXPECT_FLOAT_EQ(c.x, 0.1f * W);
            EXPECT_FLOAT_EQ(c.h, 0.6f * H);
            EXPECT_FLOAT_EQ(c.g, 125);
        } else {
            EXPECT_FLOAT_EQ(c.r, 100);
            EXPECT_FLOAT_EQ(c.x, 0.12f * W);
            EXPECT_FLOAT_EQ(c.w, 0.76f * W);
        }
        EXPECT_FLOAT_EQ(c.alpha, 0.8f);
    }
    EXPECT_EQ(panels, 2);

    // On screen: the orange frame and the dark red panel over the menu.
    Render();
    ExpectColour(Pixel(66, 240), 204, 100, 16);  // 0.8 x (255, 125, 0) over (0, 0, 80)
    ExpectColour(Pixel(320, 370), 121, 20, 3);   // 0.8 x (100, 0, 0) over that
}

TEST_F(CreditsBox, APressHeldFromBeforeItOpenedDoesNotCloseIt) {
    Start();
    Update(40);
    float x, y;
    CreditsButton(&x, &y);
    PointerAt(x, y);
    Press();
    Update(30);
    EXPECT_EQ(game->m_CreditsOpen, 1);
    EXPECT_TRUE(BoxDrawn());
    PointerAt(320, 240);  // dragged away, still held
    Update(5);
    EXPECT_EQ(game->m_CreditsOpen, 1);
    Release();
    Update();
    EXPECT_EQ(game->m_CreditsOpen, 1);
    Press();
    Update();
    EXPECT_EQ(game->m_CreditsOpen, 0);
    EXPECT_TRUE(BoxDrawn());  // still drawn in the frame that closes it
    Release();
    Update();
    EXPECT_FALSE(BoxDrawn());
}

TEST_F(CreditsBox, TheMenuBehindIgnoresThePressThatClosesIt) {
    Open();
    float x, y;
    SizeButton(1, &x, &y);
    ClickAt(x, y);
    EXPECT_EQ(game->m_CreditsOpen, 0);
    EXPECT_EQ(game->m_Mode, 1);
    EXPECT_EQ(game->m_BoardSize, 2);

    // Nor does the credits button reopen it with the same press.
    CreditsButton(&x, &y);
    ClickAt(x, y);
    ASSERT_EQ(game->m_CreditsOpen, 1);
    ClickAt(x, y);
    EXPECT_EQ(game->m_CreditsOpen, 0);
}

TEST_F(CreditsBox, TheSoundToggleAndThePlayerSlotsStillAnswerAndKeepItOpen) {
    Open();
    float x, y;
    SoundButton(&x, &y);
    ClickAt(x, y);
    EXPECT_EQ(game->m_Option[5], 0);
    EXPECT_EQ(game->m_CreditsOpen, 1);
    ClickAt(SlotX(), SlotY(2));
    EXPECT_EQ(game->m_Option[7], 1);
    EXPECT_EQ(game->m_CreditsOpen, 1);
    ClickAt(320, 240);
    EXPECT_EQ(game->m_CreditsOpen, 0);
}

TEST_F(CreditsBox, WhileOpenTheKeysAndScoreListsRest) {
    Open();
    const float W = bb_Nubrix_vscrw;
    for (const Glyph& g : Glyphs()) EXPECT_LE(g.x, W) << g.c;
    TapKey(GLFW_KEY_UP);
    EXPECT_EQ(game->m_BoardSize, 2);
    TapKey(GLFW_KEY_SPACE);
    EXPECT_EQ(game->m_Mode, 1);
    EXPECT_EQ(game->m_CreditsOpen, 1);

    // Back closes it, and the keys answer again after its release.
    TapKey(GLFW_KEY_ESC);
    EXPECT_EQ(game->m_CreditsOpen, 0);
    TapKey(GLFW_KEY_UP);
    EXPECT_EQ(game->m_BoardSize, 1);
    bool lists = false;
    for (const Glyph& g : Glyphs()) lists = lists || g.x > W;
    EXPECT_TRUE(lists);
}

using BadgeNames = ShellTest;

TEST_F(BadgeNames, OnlyTheTestBadgeHasARecord) {
    Start();
    EXPECT_EQ(nubrix_test::Narrow(game->m_BadgeID(0)), "Test Badge|This is a Test Badge which has no purpose.");
    EXPECT_EQ(nubrix_test::Narrow(game->m_BadgeName(0)), "Test Badge");
    EXPECT_EQ(nubrix_test::Narrow(game->m_BadgeDetail(0)), "This is a Test Badge which has no purpose.");
    for (int id : {1, 5, 255, 256, -1}) {
        EXPECT_EQ(game->m_BadgeID(id).Length(), 0) << id;
        EXPECT_EQ(game->m_BadgeName(id).Length(), 0) << id;
        EXPECT_EQ(game->m_BadgeDetail(id).Length(), 0) << id;
    }
}

TEST_F(BadgeNames, NoBadgeIsEverShown) {
    // Every badge earned, one queued and its box asked for: still no badge
    // picture or name in the menu, a game, its end or the menu after it.
    Start();
    for (int i = 0; i < 256; ++i) game->m_BadgeGot[i] = true;
    game->m_BadgeQueue[0] = 1;
    game->m_BadgeQueueTime[0] = 100;
    game->m_BadgesOpen = 1;
    int frames = 0;
    auto watch = [&](int updates) {
        for (int n = 0; n < updates; ++n, ++frames) {
            Update();
            ASSERT_TRUE(ImagesOf(80).empty()) << "update " << frames;
            for (const Glyph& g : Glyphs()) ASSERT_NE(g.c, 'B') << "\"Test Badge\" in update " << frames;
        }
    };
    watch(40);
    game->m_BadgesOpen = 0;
    game->m_Mode = 11;
    watch(60);
    game->m_GameEnded = 1;
    watch(120);
    EXPECT_EQ(game->m_Mode, 1);
}

}  // namespace
}  // namespace shell_test
