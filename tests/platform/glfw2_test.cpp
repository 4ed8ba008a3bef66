// The GLFW 2 layer's own behaviour (callbacks, the glfwEnable switches) and
// the scripted backend tests rely on.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/glfw2.h"
#include "platform/glfw2_scripted.h"

using namespace glfw2;

namespace {

std::vector<std::string> events;

void Key(int key, int action) { events.push_back("key " + std::to_string(key) + " " + std::to_string(action)); }
void Character(int c, int action) { events.push_back("char " + std::to_string(c) + " " + std::to_string(action)); }
void Mouse(int b, int action) { events.push_back("mouse " + std::to_string(b) + " " + std::to_string(action)); }
void Size(int w, int h) { events.push_back("size " + std::to_string(w) + "x" + std::to_string(h)); }

class Glfw2Layer : public ::testing::Test {
protected:
    ScriptedBackend window;
    ScopedBackend use{&window};

    void SetUp() override {
        events.clear();
        ASSERT_EQ(glfwInit(), 1);
        ASSERT_EQ(glfwOpenWindow(640, 480, 0, 0, 0, 0, 0, 0, GLFW_WINDOW), 1);
        glfwSetKeyCallback(Key);
        glfwSetCharCallback(Character);
        glfwSetMouseButtonCallback(Mouse);
        glfwSetWindowSizeCallback(Size);
    }
    void TearDown() override { glfwTerminate(); }
};

TEST_F(Glfw2Layer, QueuedEventsArriveInOrderOnlyInsidePollAndWait) {
    window.QueueKey(GLFW_KEY_ESC, GLFW_PRESS);
    window.QueueChar('a');
    window.QueueMouseButton(GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS);
    window.QueueWindowSize(800, 600);
    EXPECT_TRUE(events.empty());
    glfwPollEvents();
    EXPECT_EQ(events, (std::vector<std::string>{"key 257 1", "char 97 1", "mouse 1 1", "size 800x600"}));
    int w, h;
    glfwGetWindowSize(&w, &h);
    EXPECT_EQ(w, 800);
    window.QueueKey('A', GLFW_RELEASE);
    glfwWaitEvents();
    EXPECT_EQ(events.back(), "key 65 0");
}

TEST_F(Glfw2Layer, HeldKeyRepeatsArePressesOnlyWhileKeyRepeatIsEnabled) {
    window.QueueKey(GLFW_KEY_LEFT, 2);
    glfwPollEvents();
    EXPECT_TRUE(events.empty()) << "GLFW 2 starts with key repeat off";
    glfwEnable(GLFW_KEY_REPEAT);
    window.QueueKey(GLFW_KEY_LEFT, 2);
    glfwPollEvents();
    EXPECT_EQ(events, std::vector<std::string>{"key 285 1"});
    glfwDisable(GLFW_KEY_REPEAT);
    window.QueueKey(GLFW_KEY_LEFT, 2);
    glfwPollEvents();
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(Glfw2Layer, SwappingPollsEventsUntilAutomaticPollingIsDisabled) {
    window.QueueKey(GLFW_KEY_ENTER, GLFW_PRESS);
    glfwSwapBuffers();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(window.polls, 1);
    glfwDisable(GLFW_AUTO_POLL_EVENTS);
    window.QueueKey(GLFW_KEY_ENTER, GLFW_RELEASE);
    glfwSwapBuffers();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(window.polls, 1);
    EXPECT_EQ(window.swaps, 2);
}

TEST_F(Glfw2Layer, AnIconifiedWindowHasNoSizeAndAClosedOneIsNotOpened) {
    window.iconified = true;
    int w = -1, h = -1;
    glfwGetWindowSize(&w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(glfwGetWindowParam(GLFW_ICONIFIED), 1);
    window.opened = false;
    EXPECT_EQ(glfwGetWindowParam(GLFW_OPENED), 0);
    EXPECT_EQ(glfwGetWindowParam(GLFW_ICONIFIED), 0);
}

TEST_F(Glfw2Layer, SleepingMovesTheScriptedClockAndHooksRun) {
    int woke = 0;
    window.onSleep = [&] { ++woke; };
    double before = glfwGetTime();
    glfwSleep(0.25);
    EXPECT_DOUBLE_EQ(glfwGetTime() - before, 0.25);
    EXPECT_EQ(woke, 1);
    EXPECT_EQ(window.sleeps, 1);
}

TEST_F(Glfw2Layer, ARunawayLoopClosesTheWindowInsteadOfHanging) {
    window.callBudget = 100;
    int calls = 0;
    while (glfwGetWindowParam(GLFW_OPENED) && calls < 1000) {
        glfwWaitEvents();
        ++calls;
    }
    EXPECT_EQ(calls, 100);
}

TEST_F(Glfw2Layer, JoystickQueriesReadTheScriptedDevice) {
    EXPECT_EQ(glfwGetJoystickParam(GLFW_JOYSTICK_1, GLFW_PRESENT), 0);
    window.joystickPresent = true;
    window.joystickAxes = {0.5f, -1.0f, 0.25f};
    window.joystickButtons = {GLFW_PRESS, GLFW_RELEASE};
    EXPECT_EQ(glfwGetJoystickParam(GLFW_JOYSTICK_1, GLFW_AXES), 3);
    EXPECT_EQ(glfwGetJoystickParam(GLFW_JOYSTICK_1, GLFW_BUTTONS), 2);
    float axes[6] = {};
    EXPECT_EQ(glfwGetJoystickPos(GLFW_JOYSTICK_1, axes, 2), 2) << "never more than asked for";
    EXPECT_EQ(axes[1], -1.0f);
    EXPECT_EQ(axes[2], 0.0f);
    unsigned char buttons[32] = {};
    EXPECT_EQ(glfwGetJoystickButtons(GLFW_JOYSTICK_1, buttons, 32), 2);
    EXPECT_EQ(buttons[0], GLFW_PRESS);
    EXPECT_EQ(glfwGetJoystickParam(1, GLFW_PRESENT), 0) << "only the first joystick exists";
}

}  // namespace
