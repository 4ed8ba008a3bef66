// The real program in a real window: start build/nubrix in a fresh working
// folder, watch the loading screen and the menu, start a game from the menu
// with the mouse, play it against the computer with real clicks until the
// game-over overlay returns to the menu, and take screenshots of the
// loading screen, a game in progress, the pause panel and the overlay.
//
// Screenshots are read straight from the X server (the whole screen, cut to
// the window, as `import -window root` would; tests/support/desktop.h) and
// written as PNG; they go to $NUBRIX_SCREENSHOT_DIR when it is set (docs/
// for the README), else to the test's temporary folder. Input goes through
// xdotool, which moves the real pointer and presses real buttons and keys
// (XTEST).
//
// The game watches held buttons at each update, so every press is held for
// a few updates before it is released.
//
// Depends on: build/nubrix, data/, tests/support/desktop.h, xdotool.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/desktop.h"
#include "tests/support/testing.h"

namespace {

using nubrix_test::Rgb;

using Clock = std::chrono::steady_clock;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string Shell(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    return out;
}

// One picture of the window (640 x 480).
using Shot = nubrix_test::Picture;

bool Near(Rgb a, Rgb b, int tolerance = 24) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

class GameWindow : public ::testing::Test {
protected:
    nubrix_test::TempDir folder;
    std::string shots;
    pid_t pid = -1;
    nubrix_test::Desktop desktop;
    unsigned long window = 0;
    std::string id;

    void SetUp() override {
        const char* dir = std::getenv("NUBRIX_SCREENSHOT_DIR");
        shots = dir && *dir ? dir : folder.Path();
        ASSERT_TRUE(nubrix_test::LinkData(folder));
        ASSERT_TRUE(desktop.Ok()) << "no X display";
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (chdir(folder.Path().c_str()) != 0) _exit(127);
            execl(NUBRIX_BINARY_DIR "/nubrix", "nubrix", static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && id.empty(); ++i) {
            std::string found = Shell("xdotool search --onlyvisible --name '^Nubrix$' 2>/dev/null");
            if (!found.empty()) id = found.substr(0, found.find('\n'));
            if (id.empty()) Sleep(50);
        }
        ASSERT_FALSE(id.empty()) << "the window did not appear";
        window = std::stoul(id);
        Shell("xdotool windowfocus --sync " + id + " 2>/dev/null");
    }

    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }

    Shot Capture() { return desktop.Capture(window); }

    void Save(const Shot& s, const std::string& name) {
        std::string path = shots + "/" + name;
        EXPECT_TRUE(s.SavePng(path)) << path;
    }

    // Holds the left button on a point of the window for a few updates.
    void Click(int x, int y) {
        Shell("xdotool mousemove --window " + id + " " + std::to_string(x) + " " + std::to_string(y) +
            " mousedown 1");
        Sleep(120);
        Shell("xdotool mouseup 1");
        Sleep(60);
    }

    void Key(const char* name) {
        Shell(std::string("xdotool keydown ") + name);
        Sleep(120);
        Shell(std::string("xdotool keyup ") + name);
        Sleep(60);
    }

    // Waits until `test` holds for a capture; returns that capture.
    template <class Test>
    bool WaitFor(Test test, int ms, Shot* shot = nullptr) {
        auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end) {
            Shot s = Capture();
            if (test(s)) {
                if (shot) *shot = s;
                return true;
            }
            Sleep(15);
        }
        return false;
    }
};

// Screen colours of the design (640 x 480, no scaling).
const Rgb kLoadingBack = {40, 40, 80};
const Rgb kGameBack = {0, 0, 80};
const Rgb kRedGrid = {127, 0, 0};
const Rgb kGrey = {90, 90, 90};

// The 4 x 3 board at 640 x 480: pitch 104, inner squares of 91 pixels.
int CellX(int x) { return 164 + 104 * x; }
int CellY(int y) { return 168 + 104 * y; }

TEST_F(GameWindow, APersonPlaysAGameAgainstTheComputer) {
    Shot loading;
    ASSERT_TRUE(WaitFor([](const Shot& s) { return Near(s.At(4, 4), kLoadingBack, 6); }, 10000, &loading))
        << "the loading screen";
    Sleep(60);  // let the spinner and logo come up
    Shot again = Capture();
    if (Near(again.At(4, 4), kLoadingBack, 6)) loading = again;
    Save(loading, "loading.png");

    // The menu: its dark blue back, once the loading screen has gone.
    bool menu = WaitFor([](const Shot& s) { return Near(s.At(4, 4), kGameBack, 6); }, 15000);
    if (!menu) GTEST_SKIP() << "no main menu on screen: this test starts its game from the menu";
    Sleep(800);  // the menu slides in over 32 updates

    // Player 1 is a person and player 4 the computer on a first start; the
    // first board-size button starts a 4 x 3 game.
    Click(128, 336);
    ASSERT_TRUE(WaitFor(
        [](const Shot& s) {
            Rgb grid = s.At(CellX(0) - 49, CellY(0) - 49);
            return Near(grid, kRedGrid, 30) || Near(grid, {0, 64, 127}, 30);
        },
        5000))
        << "the board";

    auto gameOver = [](const Shot& s) {
        Rgb bar = s.At(8, 216);  // the yellow bar grows from the left edge
        return bar.r > 60 && bar.g > 60 && bar.b < 60 && !Near(bar, kGameBack, 10);
    };

    int moves = 0;
    bool paused = false, pictured = false, ended = false;
    auto deadline = Clock::now() + std::chrono::seconds(150);
    Shot previous = Capture();
    while (Clock::now() < deadline) {
        Sleep(150);
        Shot s = Capture();
        if (gameOver(s)) {
            ended = true;
            break;
        }
        bool settled = s.pixels == previous.pixels;
        previous = s;
        Rgb grid = s.At(CellX(0) - 49, CellY(0) - 49);
        if (!settled || !Near(grid, kRedGrid, 30)) continue;

        if (moves == 4 && !pictured) {
            Save(s, "game.png");
            pictured = true;
        }
        if (moves == 5 && !paused) {
            Key("Escape");
            Shot panel;
            EXPECT_TRUE(WaitFor([](const Shot& p) { return Near(p.At(200, 280), {255, 150, 10}, 100); }, 3000, &panel))
                << "the pause panel";
            Sleep(400);
            Save(Capture(), "pause.png");
            Key("Escape");
            Sleep(800);
            paused = true;
            previous = Capture();
            continue;
        }

        // Prefer an own cell (chains end games sooner), else an empty one.
        int best = -1;
        for (int pass = 0; pass < 2 && best < 0; ++pass) {
            for (int i = 0; i < 12 && best < 0; ++i) {
                int x = i % 4, y = i / 4;
                Rgb c = s.At(CellX(x) - 40, CellY(y) - 40);
                if (pass == 0 && Near(c, kRedGrid, 30)) best = i;
                if (pass == 1 && Near(c, kGrey, 30)) best = i;
            }
        }
        if (best < 0) continue;
        Click(CellX(best % 4), CellY(best / 4));
        ++moves;
        Sleep(200);
        previous = Capture();
    }
    ASSERT_TRUE(ended) << "no game-over overlay after " << moves << " moves";
    EXPECT_GT(moves, 0);
    Sleep(350);  // the bars reach 45 % of the height
    Shot over = Capture();
    EXPECT_TRUE(gameOver(over));
    Save(over, "gameover.png");
    // After 90 updates the menu returns and the overlay fades out there.
    EXPECT_TRUE(WaitFor([](const Shot& s) { return Near(s.At(4, 4), kGameBack, 6); }, 6000)) << "back to the menu";
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the program is still running";
}

}  // namespace
