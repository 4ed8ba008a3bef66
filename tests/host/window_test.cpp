// The real executable's window under Xvfb and a window manager: a centred
// 640x480 window titled "Nubrix"; iconify and restore deliver one suspend
// and one resume; a close request ends the process with exit code 0.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/testing.h"

using nubrix_test::Process;
using nubrix_test::RunProgram;

namespace {

std::string Probe() { return std::string(NUBRIX_BINARY_DIR) + "/tests/host/host_probe"; }

std::string Tool(const std::vector<std::string>& args) { return RunProgram(args, {}, "", 20).out; }

int Field(const std::string& xwininfo, const std::string& label) {
    size_t at = xwininfo.find(label);
    if (at == std::string::npos) return -1;
    return std::stoi(xwininfo.substr(at + label.size()));
}

int Count(const std::string& text, const std::string& line) {
    int n = 0;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) n += l == line;
    return n;
}

TEST(RealWindow, OpensCentredIconifiesRestoresAndClosesCleanly) {
    nubrix_test::TempDir dir;
    // The probe's exit unloads the GL driver (glfwTerminate), whose last
    // blocks the stress build's leak checker would report as ours.
    Process game({Probe()}, {"ASAN_OPTIONS=detect_leaks=0"}, dir.Path());
    ASSERT_TRUE(game.WaitForOutput("create\n"));

    std::string id = Tool({"/usr/bin/xdotool", "search", "--sync", "--name", "^Nubrix$"});
    id = id.substr(0, id.find('\n'));
    ASSERT_FALSE(id.empty());

    std::string info = Tool({"/usr/bin/xwininfo", "-id", id});
    EXPECT_EQ(Field(info, "Width: "), 640) << info;
    EXPECT_EQ(Field(info, "Height: "), 480) << info;
    // The desktop is 1920x1200: centred means the client area starts at
    // (640, 360). The window manager may nudge it by its frame.
    EXPECT_NEAR(Field(info, "Absolute upper-left X: "), 640, 8) << info;
    EXPECT_NEAR(Field(info, "Absolute upper-left Y: "), 360, 32) << info;

    Tool({"/usr/bin/xdotool", "windowminimize", "--sync", id});
    ASSERT_TRUE(game.WaitForOutput("suspend\n"));
    Tool({"/usr/bin/xdotool", "sleep", "0.5"});
    EXPECT_EQ(Count(game.Output(), "suspend"), 1) << "suspended once, however long the window stays iconified";

    Tool({"/usr/bin/wmctrl", "-i", "-a", id});
    ASSERT_TRUE(game.WaitForOutput("resume\n"));
    Tool({"/usr/bin/xdotool", "sleep", "0.5"});
    EXPECT_EQ(Count(game.Output(), "resume"), 1);
    EXPECT_EQ(Count(game.Output(), "suspend"), 1);

    Tool({"/usr/bin/wmctrl", "-c", "Nubrix"});
    EXPECT_EQ(game.WaitForExit(20), 0);
}

}  // namespace
