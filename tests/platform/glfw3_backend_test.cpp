// The real backend of the GLFW 2 layer, on a real X window (Xvfb with a
// window manager): GLFW 2.7 key numbers from real key presses, mouse
// buttons, characters, iconify and restore, and a close request.

#include <gtest/gtest.h>

#include <time.h>

#include <string>
#include <vector>

#include "platform/glfw2.h"
#include "tests/support/testing.h"

using namespace glfw2;
using nubrix_test::RunProgram;

namespace {

const char* kTitle = "glfw2-layer-test";

std::vector<std::pair<int, int>> keys;
std::vector<int> chars;
std::vector<std::pair<int, int>> buttons;

void Key(int key, int action) { keys.push_back({key, action}); }
void Character(int c, int action) {
    if (action == GLFW_PRESS) chars.push_back(c);
}
void Mouse(int b, int action) { buttons.push_back({b, action}); }

bool Tool(std::vector<std::string> args) {
    return RunProgram(args, {}, "", 20).exitCode == 0;
}

std::string WindowId() {
    auto r = RunProgram({"/usr/bin/xdotool", "search", "--sync", "--name", kTitle}, {}, "", 20);
    std::string id = r.out.substr(0, r.out.find('\n'));
    return id;
}

// Polls events until `done` holds or about three seconds have passed.
template <class Pred>
bool PollUntil(Pred done) {
    for (int i = 0; i < 300; ++i) {
        glfwPollEvents();
        if (done()) return true;
        timespec ts = {0, 10 * 1000 * 1000};
        nanosleep(&ts, nullptr);
    }
    return false;
}

class RealWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(glfwInit(), 1);
        glfwOpenWindowHint(GLFW_WINDOW_NO_RESIZE, 0);
        ASSERT_EQ(glfwOpenWindow(640, 480, 0, 0, 0, 0, 0, 0, GLFW_WINDOW), 1);
        glfwSetWindowTitle(kTitle);
        glfwSetKeyCallback(Key);
        glfwSetCharCallback(Character);
        glfwSetMouseButtonCallback(Mouse);
        glfwEnable(GLFW_KEY_REPEAT);
        glfwDisable(GLFW_AUTO_POLL_EVENTS);
        id = WindowId();
        ASSERT_FALSE(id.empty());
        Tool({"/usr/bin/xdotool", "windowactivate", "--sync", id});
        PollUntil([] { return glfwGetWindowParam(GLFW_ACTIVE) == 1; });
    }
    // No glfwTerminate: it would unload the GL driver, whose last few blocks
    // the leak checker of the stress build then reports as ours. The window
    // goes with the process.

    void SetUp() override {
        glfwPollEvents();
        keys.clear();
        chars.clear();
        buttons.clear();
    }

    static std::string id;
};

std::string RealWindow::id;

TEST_F(RealWindow, OpensAtTheRequestedSizeOnADesktopOfKnownSize) {
    int w = 0, h = 0;
    glfwGetWindowSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(glfwGetWindowParam(GLFW_OPENED), 1);
    EXPECT_EQ(glfwGetWindowParam(GLFW_ICONIFIED), 0);
    GLFWvidmode desktop;
    glfwGetDesktopMode(&desktop);
    EXPECT_EQ(desktop.Width, 1920);  // the screen with-display.sh gives Xvfb
    EXPECT_EQ(desktop.Height, 1200);
    EXPECT_GT(glfwGetTime(), 0.0);
}

TEST_F(RealWindow, KeyPressesArriveWithGlfw27Numbers) {
    struct Case {
        const char* keysym;
        int glfw2;
    } cases[] = {
        {"Escape", GLFW_KEY_ESC},      {"F1", GLFW_KEY_F1},        {"F12", GLFW_KEY_F1 + 11},
        {"Up", GLFW_KEY_UP},           {"Left", GLFW_KEY_LEFT},    {"Shift_L", GLFW_KEY_LSHIFT},
        {"Control_L", GLFW_KEY_LCTRL}, {"Tab", GLFW_KEY_TAB},      {"Return", GLFW_KEY_ENTER},
        {"BackSpace", GLFW_KEY_BACKSPACE}, {"Delete", GLFW_KEY_DEL}, {"Next", GLFW_KEY_PAGEDOWN},
        {"Home", GLFW_KEY_HOME},       {"KP_Add", GLFW_KEY_KP_ADD}, {"a", 'A'},
        {"5", '5'},                    {"space", ' '},             {"minus", '-'},
        {"bracketleft", '['},
    };
    for (const Case& c : cases) {
        keys.clear();
        ASSERT_TRUE(Tool({"/usr/bin/xdotool", "key", "--clearmodifiers", c.keysym})) << c.keysym;
        EXPECT_TRUE(PollUntil([] { return keys.size() >= 2; })) << c.keysym;
        ASSERT_GE(keys.size(), 2u) << c.keysym;
        EXPECT_EQ(keys[0], std::make_pair(c.glfw2, GLFW_PRESS)) << c.keysym;
        EXPECT_EQ(keys.back(), std::make_pair(c.glfw2, GLFW_RELEASE)) << c.keysym;
    }
}

TEST_F(RealWindow, TypedLettersAlsoArriveAsCharacters) {
    ASSERT_TRUE(Tool({"/usr/bin/xdotool", "type", "--delay", "20", "hi"}));
    EXPECT_TRUE(PollUntil([] { return chars.size() >= 2; }));
    EXPECT_EQ(chars, (std::vector<int>{'h', 'i'}));
}

TEST_F(RealWindow, MouseButtonsAndThePointerPosition) {
    ASSERT_TRUE(Tool({"/usr/bin/xdotool", "mousemove", "--window", id, "100", "50", "click", "1", "click", "3"}));
    EXPECT_TRUE(PollUntil([] { return buttons.size() >= 4; }));
    EXPECT_EQ(buttons, (std::vector<std::pair<int, int>>{{0, 1}, {0, 0}, {1, 1}, {1, 0}}));
    int x = 0, y = 0;
    glfwGetMousePos(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
}

TEST_F(RealWindow, AnIconifiedWindowHasNoSizeUntilRestored) {
    ASSERT_TRUE(Tool({"/usr/bin/xdotool", "windowminimize", "--sync", id}));
    EXPECT_TRUE(PollUntil([] { return glfwGetWindowParam(GLFW_ICONIFIED) == 1; }));
    int w = -1, h = -1;
    glfwGetWindowSize(&w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);

    ASSERT_TRUE(Tool({"/usr/bin/wmctrl", "-i", "-a", id}));
    EXPECT_TRUE(PollUntil([] { return glfwGetWindowParam(GLFW_ICONIFIED) == 0; }));
    glfwGetWindowSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
}

// Last: the window is gone afterwards.
TEST_F(RealWindow, ZZ_ACloseRequestMakesTheWindowReadAsNotOpened) {
    ASSERT_TRUE(Tool({"/usr/bin/wmctrl", "-c", kTitle}));
    EXPECT_TRUE(PollUntil([] { return glfwGetWindowParam(GLFW_OPENED) == 0; }));
}

}  // namespace
