// Settings changed in the menu or the pause panel reach the state file when
// they change, so closing the window (which the game never hears of) keeps
// them; nothing is written while the game merely starts and idles.

#include <filesystem>

#include <string>
#include <vector>

#include "platform/glfw2.h"
#include "tests/shell/shell_env.h"

namespace shell_test {
namespace {

using SettingsSurviveClosing = ShellTest;

TEST_F(SettingsSurviveClosing, NothingIsSavedAtStartUp) {
    Start();
    Update(200);  // the defaults are made, the menu slides in and idles
    EXPECT_FALSE(StateSaved());

    // A record with a damaged section is not rewritten by starting either.
    std::string record = MakeRecord(FirstStartSettings(), {1}, {}, {}, 1);
    Start(record);
    Update(200);
    EXPECT_EQ(State(), record);
}

TEST_F(SettingsSurviveClosing, APlayerSlotChangeIsSavedAtOnce) {
    Start();
    Update(40);
    ClickAt(SlotX(), SlotY(3));
    ASSERT_TRUE(StateSaved());
    std::vector<std::string> f = Fields(State());
    ASSERT_EQ(f.size(), 99u);
    EXPECT_EQ(f[6], "1");
    EXPECT_EQ(f[8], "1");
    EXPECT_EQ(f[9], "2");
    EXPECT_EQ(f[25], std::to_string(1493 + 8));

    // The window closes without a word to the game; the next start finds
    // the change.
    EXPECT_EQ(Start(), "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n");
    Update();
    EXPECT_EQ(game->m_PlayerType[3], 1);
    EXPECT_EQ(game->m_Alive, 3);
    EXPECT_EQ(TextNear(SlotY(3) + 34, SlotX() - 40, SlotX() + 40), "On");
}

TEST_F(SettingsSurviveClosing, ASaveThatFailsIsSaidAndTheGameGoesOn) {
    // A folder where the record should be: nothing can be read or saved.
    ASSERT_TRUE(std::filesystem::create_directory(StatePath()));
    EXPECT_EQ(Start(), "Cannot read .varnokstate: " + nubrix_test::FolderReason() + "\n");
    Update(40);
    testing::internal::CaptureStdout();
    ClickAt(SlotX(), SlotY(3));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cannot save .varnokstate: " + nubrix_test::FolderReason() + "\n");
    EXPECT_EQ(game->m_PlayerType[3], 1) << "the change holds for this run";
    EXPECT_EQ(TextNear(SlotY(3) + 34, SlotX() - 40, SlotX() + 40), "On");
}

TEST_F(SettingsSurviveClosing, TheSoundTogglesAreSavedAtOnce) {
    Start();
    Update(40);
    float x, y;
    SoundButton(&x, &y);
    ClickAt(x, y);
    ASSERT_TRUE(StateSaved());
    EXPECT_EQ(Fields(State())[5], "0");
    Start();
    EXPECT_EQ(game->m_Option[5], 0);
    Update(40);
    ClickAt(x, y);
    Start();
    EXPECT_EQ(game->m_Option[5], 1);

    // The pause panel's sound button, chosen with the keyboard in a game.
    Update(40);
    game->m_Mode = 11;
    Update();
    for (int key : {glfw2::GLFW_KEY_ESC, glfw2::GLFW_KEY_RIGHT, glfw2::GLFW_KEY_ENTER}) TapKey(key);
    ASSERT_EQ(game->m_Option[5], 0);
    Start();
    EXPECT_EQ(game->m_Option[5], 0);
}

TEST_F(SettingsSurviveClosing, ASaveKeepsTheScoresAndBadgesAlreadyStored) {
    Start(MakeRecord(FirstStartSettings(), {0, 0, 9}, {{}, {}, {5, 4}}, {{1}}));
    Update(40);
    ClickAt(SlotX(), SlotY(4));  // computer -> off
    Start();
    EXPECT_EQ(game->m_Option[9], 0);
    EXPECT_TRUE(game->m_BadgeGot[64] && game->m_BadgeGot[67]);
    EXPECT_EQ(game->m_Stats[20], 5);
    EXPECT_EQ(game->m_Stats[21], 4);
    EXPECT_EQ(game->m_Stats[30], 1);
}

}  // namespace
}  // namespace shell_test
