// The framework layer: the adapter between host and game, the shared random
// generator, absolute values, the clock and the state functions.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>

#include "graphics/graphics.h"
#include "host/app.h"
#include "host/framework.h"
#include "tests/support/scripted_host.h"
#include "tests/support/testing.h"

namespace {

TEST(Random, TheFirstValueFromTheStartingSeed) {
    bb_random_Seed = 1234;
    float r = bb_random_Rnd();
    EXPECT_EQ(static_cast<unsigned>(bb_random_Seed), 3067928073u);
    EXPECT_FLOAT_EQ(r, 11984094 * 5.9604645e-8f);
    EXPECT_NEAR(r, 0.71431, 1e-5);
}

TEST(Random, EveryFunctionAdvancesTheSeedOnce) {
    bb_random_Seed = 1234;
    EXPECT_EQ(bb_random_Rnd2(5, 5), 5.0f);
    EXPECT_EQ(static_cast<unsigned>(bb_random_Seed), 3067928073u);
    bb_random_Seed = 1234;
    EXPECT_FLOAT_EQ(bb_random_Rnd3(2.0f), 2.0f * 11984094 * 5.9604645e-8f);
    bb_random_Seed = 1234;
    EXPECT_FLOAT_EQ(bb_random_Rnd2(10, 20), 10 + 10 * (11984094 * 5.9604645e-8f));
}

TEST(Random, ValuesStayBelowOneAcrossTheWholeRange) {
    bb_random_Seed = -1;  // the largest unsigned state wraps like any other
    float lowest = 1, highest = 0;
    for (int i = 0; i < 100000; ++i) {
        float r = bb_random_Rnd();
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_GE(lowest, 0.0f);
    EXPECT_LT(highest, 1.0f);
    EXPECT_GT(highest, 0.999f);
}

TEST(Math, AbsoluteValues) {
    EXPECT_EQ(bb_math_Abs(-5), 5);
    EXPECT_EQ(bb_math_Abs(7), 7);
    EXPECT_EQ(bb_math_Abs(INT_MIN), INT_MIN) << "the most negative int has no positive counterpart";
    EXPECT_EQ(bb_math_Abs2(-2.5f), 2.5f);
    float negativeZero = bb_math_Abs2(-0.0f);
    EXPECT_TRUE(std::signbit(negativeZero)) << "-0.0 counts as not below zero and comes back unchanged";
}

// A game that notes what the adapter forwards to it.
class NoteGame : public bb_app_App {
public:
    std::vector<std::string> notes;
    int m_OnCreate() override {
        notes.push_back(bb_graphics_context->fontFirstChar == 32 ? "create after SetFont" : "create");
        return 0;
    }
    int m_OnRender() override {
        notes.push_back(bb_graphics_renderDevice ? "render with set-up" : "render without set-up");
        return 0;
    }
    int m_OnSuspend() override {
        bb_app_SetUpdateRate(5);
        notes.push_back("suspend");
        return 0;
    }
    int m_OnResume() override {
        notes.push_back("resume sees " + std::to_string(bb_app_device->m_UpdateRate));
        bb_app_SetUpdateRate(60);
        return 0;
    }
};

class Adapter : public nubrix_test::ScriptedHostTest {
protected:
    NoteGame* game = nullptr;

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartHost());
        game = new NoteGame();
        game->g_new();
    }
};

TEST_F(Adapter, CreatingTheGamePublishesTheDevices) {
    ASSERT_NE(bb_app_device, nullptr);
    EXPECT_EQ(bb_app_device->m_App, game);
    EXPECT_EQ(bb_graphics_device, bb_app_device->GraphicsDevice());
    EXPECT_EQ(bb_input_device, bb_app_device->InputDevice());
    EXPECT_EQ(bb_audio_device, bb_app_device->AudioDevice());
    EXPECT_EQ(app, bb_app_device);
    EXPECT_EQ(runner, &RunApp);
    EXPECT_EQ(bb_graphics_device->Mode(), 1);
    EXPECT_EQ(nubrix_test::Narrow(bb_app_device->AppTitle()), "<TODO>");
}

TEST_F(Adapter, TheFontIsSetBeforeTheGameIsCreated) {
    bb_app_device->InvokeOnCreate();
    EXPECT_EQ(game->notes, std::vector<std::string>{"create after SetFont"});
}

TEST_F(Adapter, ARenderInDeviceModeZeroSkipsTheFrameworkSetUp) {
    bb_app_device->InvokeOnRender();
    bb_graphics_device->mode = 0;
    bb_app_device->InvokeOnRender();
    EXPECT_EQ(game->notes, (std::vector<std::string>{"render with set-up", "render without set-up"}));
    EXPECT_EQ(bb_graphics_renderDevice, nullptr) << "cleared after every render";
}

TEST_F(Adapter, TheRateKeptWhileSuspendedAndRestoredOnResume) {
    bb_app_SetUpdateRate(60);
    bb_app_device->InvokeOnSuspend();
    EXPECT_EQ(bb_app_device->updateRate, 5) << "the host keeps the rate in force when the game's handler returned";
    EXPECT_EQ(bb_app_device->m_UpdateRate, 0) << "the adapter saw the host stop the timer";
    window.time = 3.0;
    bb_app_device->InvokeOnResume();
    EXPECT_EQ(game->notes, (std::vector<std::string>{"suspend", "resume sees 5"}));
    EXPECT_EQ(bb_app_device->m_UpdateRate, 60);
    EXPECT_DOUBLE_EQ(bb_app_device->nextUpdate, 3.0 + 1.0 / 60);
    EXPECT_FALSE(bb_app_device->suspended);
}

TEST_F(Adapter, UpdatesAreSkippedWhileSuspendedOrWithoutARateOrASize) {
    int updates = 0;
    struct Counting : public bb_app_App {
        int* count;
        int m_OnUpdate() override {
            ++*count;
            return 0;
        }
    };
    Counting* counting = new Counting();
    counting->count = &updates;
    counting->g_new();
    bb_app_device->InvokeOnUpdate();
    EXPECT_EQ(updates, 0) << "no rate set";
    bb_app_SetUpdateRate(60);
    bb_app_device->InvokeOnUpdate();
    EXPECT_EQ(updates, 1);
    window.iconified = true;
    bb_app_device->InvokeOnUpdate();
    EXPECT_EQ(updates, 1) << "no window size";
    window.iconified = false;
    bb_app_device->InvokeOnSuspend();
    bb_app_device->InvokeOnUpdate();
    EXPECT_EQ(updates, 1) << "suspended";
}

TEST_F(Adapter, MillisecondsTruncateAndWrapAfterTwentyFiveDays) {
    window.time = 1.9999;
    EXPECT_EQ(bb_app_Millisecs(), 1999);
    window.time = 2147483.648 + 1.0;  // 2^31 ms and one second more
    EXPECT_EQ(bb_app_Millisecs(), INT_MIN + 1000);
}

TEST_F(Adapter, StateTextRoundTripsThroughTheStateFile) {
    nubrix_test::TempDir dir;
    nubrix_test::ScopedWorkingFolder cwd(dir.Path());
    EXPECT_EQ(bb_app_LoadState().Length(), 0);
    EXPECT_EQ(bb_app_SaveState(String("1|2|3|")), 0);
    EXPECT_EQ(nubrix_test::Narrow(bb_app_LoadState()), "1|2|3|");
}

TEST_F(Adapter, SavingInAReadOnlyFolderGivesMinusOne) {
    nubrix_test::TempDir dir;
    auto child =
        nubrix_test::RunInReadOnlyFolder(dir.Path(), [] { std::printf("%d\n", bb_app_SaveState(String("x|"))); });
    EXPECT_EQ(child.out, "Cannot save .varnokstate: Permission denied\n-1\n");
}

}  // namespace
