// The host loop, driven through the scripted GLFW backend: a clock that
// moves only when the loop sleeps or a test moves it, and window state the
// test changes from inside the loop's own calls. No sleeps, no real time.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "graphics/frame.h"
#include "graphics/graphics.h"
#include "host/app.h"
#include "host/framework.h"
#include "platform/glfw2.h"
#include "platform/glfw2_scripted.h"
#include "tests/support/scripted_host.h"

using namespace glfw2;

namespace {

int garbageAlive = 0;

// An object nothing refers to: it lives until a collector step destroys it.
class Garbage : public Object {
public:
    Garbage() { ++garbageAlive; }
    ~Garbage() override { --garbageAlive; }
};

// A game that records what the host tells it, and when.
class ProbeGame : public bb_app_App {
public:
    struct Event {
        std::string what;
        double time;
    };
    std::vector<Event> events;
    ScriptedBackend* window = nullptr;
    int createRate = 60;
    std::function<void(ProbeGame&)> onUpdate, onRender, onSuspend, onResume;

    // Every handler leaves garbage behind and asks for a full step; the
    // next handler checks the host ran a collector step in between.
    int stepsMissed = 0;
    void Handle(const char* what) {
        if (garbageAlive != 0) ++stepsMissed;
        events.push_back({what, window->time});
        new Garbage();
        gc_force_sweep = true;
    }

    int m_OnCreate() override {
        Handle("create");
        bb_app_SetUpdateRate(createRate);
        return 0;
    }
    int m_OnUpdate() override {
        Handle("update");
        if (onUpdate) onUpdate(*this);
        return 0;
    }
    int m_OnRender() override {
        Handle("render");
        if (onRender) onRender(*this);
        return 0;
    }
    int m_OnSuspend() override {
        Handle("suspend");
        if (onSuspend) onSuspend(*this);
        return 0;
    }
    int m_OnResume() override {
        Handle("resume");
        if (onResume) onResume(*this);
        return 0;
    }

    int Count(const std::string& what) const {
        int n = 0;
        for (const Event& e : events) n += e.what == what;
        return n;
    }
    // One letter per event: c create, u update, r render, s suspend, R resume.
    std::string Trace() const {
        std::string s;
        for (const Event& e : events) s += e.what == "resume" ? 'R' : e.what[0];
        return s;
    }
};

class HostLoop : public nubrix_test::ScriptedHostTest {
protected:
    ProbeGame* game = nullptr;

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartHost());
        game = new ProbeGame();
        game->window = &window;
        game->g_new();
        garbageAlive = 0;
    }
    void TearDown() override {
        ScriptedHostTest::TearDown();
        gc_assign(bb_app_device, static_cast<bb_app_AppDevice*>(nullptr));
    }

    void Run() { bb_app_device->Run(); }

    // Ends the run at the first render at or after `seconds`.
    void StopAt(double seconds) {
        auto previous = game->onRender;
        game->onRender = [this, seconds, previous](ProbeGame& g) {
            if (previous) previous(g);
            if (window.time >= seconds) window.opened = false;
        };
    }
};

TEST_F(HostLoop, CreateComesFirstThenOneRenderAndASteadySixtyUpdatesASecond) {
    StopAt(1.0);
    Run();
    ASSERT_GE(game->events.size(), 2u);
    EXPECT_EQ(game->events[0].what, "create");
    EXPECT_EQ(game->events[1].what, "render");
    EXPECT_NEAR(game->Count("update"), 60, 1);
    EXPECT_EQ(game->Count("render"), game->Count("update") + 1) << "one render per pass with one update each";
    EXPECT_EQ(window.polls, game->Count("update")) << "one poll a pass: swapping buffers polls nothing";
    EXPECT_GT(window.slept, 0.9) << "idle time is spent sleeping";
    EXPECT_EQ(game->stepsMissed, 0);
}

TEST_F(HostLoop, ASlowRenderGetsThreeUpdatesAPassAndKeepsTheGameAtSixty) {
    StopAt(2.0);
    auto stop = game->onRender;
    game->onRender = [this, stop](ProbeGame& g) {
        stop(g);
        window.time += 0.050;  // every render takes 50 ms
    };
    Run();
    std::string trace = game->Trace();
    EXPECT_EQ(trace.substr(0, 6), "cruuur") << trace;
    EXPECT_NE(trace.find("uuuruuuruuuruuur"), std::string::npos) << trace;
    EXPECT_NEAR(game->Count("update"), 120, 2) << "the game still sees 60 updates per second";
    EXPECT_EQ(window.sleeps, 0) << "a pass that is behind never sleeps";
}

TEST_F(HostLoop, AStallRunsSevenUpdatesDropsTheBacklogAndCarriesOn) {
    int renders = 0;
    game->onRender = [&](ProbeGame&) {
        if (++renders == 5) window.time += 1.0;  // this render stalls for a second
        if (renders == 8) window.opened = false;
    };
    Run();
    std::string trace = game->Trace();
    // Passes of one update and a render; the stalled render is followed by
    // exactly 7 updates and one render, and the next pass runs its update at
    // once, without sleeping.
    EXPECT_EQ(trace, "crururururuuuuuuururur");
    const auto& ev = game->events;
    size_t burstRender = trace.find("uuuuuuur") + 7;
    EXPECT_DOUBLE_EQ(ev[burstRender + 1].time, ev[burstRender].time) << "one update at once after the burst";
    EXPECT_NEAR(ev[burstRender + 3].time - ev[burstRender + 1].time, 1.0 / 60, 1e-9)
        << "the schedule restarts from the clock: the backlog is dropped, not carried";
}

TEST_F(HostLoop, IconifyingSuspendsOnceAndResumingNeedsRestoreAndFocus) {
    int waits = 0;
    game->onUpdate = [&](ProbeGame& g) {
        if (g.Count("update") == 10) window.iconified = true;
    };
    window.onWait = [&] {
        ++waits;
        if (waits == 3) {  // restored, but another window has the focus
            window.iconified = false;
            window.active = false;
        }
        if (waits == 6) window.active = true;
    };
    StopAt(1.0);
    Run();
    EXPECT_EQ(game->Count("suspend"), 1);
    EXPECT_EQ(game->Count("resume"), 1);
    EXPECT_EQ(waits, 6) << "the loop waited for events while suspended, not spinning";
    std::string trace = game->Trace();
    size_t s = trace.find('s');
    ASSERT_NE(s, std::string::npos);
    EXPECT_EQ(trace.substr(s - 1, 3), "usR")
        << "the iconifying pass renders nothing (no size), and nothing runs while suspended: " << trace;
}

TEST_F(HostLoop, AnUnchangedFrameIsDrawnAgainOnlyAfterAnExposeAResizeOrARestore) {
    // The probe draws the same (empty) frame every time.
    game->onUpdate = [&](ProbeGame& g) {
        if (g.Count("update") == 20) window.QueueWindowRefresh();  // an expose, seen at the next poll
        if (g.Count("update") == 30) window.QueueWindowSize(700, 500);
        if (g.Count("update") == 40) window.iconified = true;
    };
    window.onWait = [&] { window.iconified = false; };
    StopAt(1.0);
    Run();
    const FrameStats& frames = bb_graphics_device->Stats();
    // Each size's first frame is swapped (the driver learns the size there);
    // the same frame after it is skipped, as the swap put it on screen.
    EXPECT_EQ(frames.full, 1 + 1 + 1 + 1) << "the start, the expose, the resize, the restore";
    EXPECT_EQ(frames.skipped, game->Count("render") - frames.full);
    EXPECT_EQ(window.swaps, 2);
}

TEST_F(HostLoop, LosingFocusAloneNeitherSuspendsNorSlowsTheGame) {
    game->onUpdate = [&](ProbeGame& g) {
        if (g.Count("update") == 5) window.active = false;
    };
    StopAt(1.0);
    Run();
    EXPECT_EQ(game->Count("suspend"), 0);
    EXPECT_NEAR(game->Count("update"), 60, 1);
}

TEST_F(HostLoop, ARateOfZeroEndsTheSeriesAndTheLoopWaitsForEvents) {
    game->onRender = [this](ProbeGame&) { window.time += 0.050; };  // passes of three updates
    int waits = 0;
    game->onUpdate = [&](ProbeGame& g) {
        if (g.Count("update") == 5) bb_app_SetUpdateRate(0);
    };
    window.onWait = [&] {
        if (++waits == 4) window.opened = false;
    };
    Run();
    std::string trace = game->Trace();
    EXPECT_EQ(game->Count("update"), 5) << trace;
    size_t last = trace.rfind('u');
    EXPECT_EQ(trace.substr(last + 1), "rrrrr") << "the pass's render, then one per event wait: " << trace;
    EXPECT_EQ(waits, 4);
}

TEST_F(HostLoop, ANewRateSchedulesTheNextUpdateOnePeriodAfterTheCall) {
    double changedAt = -1;
    std::vector<double> later;
    game->onUpdate = [&](ProbeGame& g) {
        if (changedAt >= 0) later.push_back(window.time);
        if (g.Count("update") == 3) {
            bb_app_SetUpdateRate(10);
            changedAt = window.time;
        }
    };
    StopAt(1.0);
    Run();
    ASSERT_GE(later.size(), 2u);
    EXPECT_NEAR(later[0], changedAt + 0.1, 1e-9);
    EXPECT_NEAR(later[1], changedAt + 0.2, 1e-9);
}

TEST_F(HostLoop, ClosingWhileSuspendedEndsWithoutAResume) {
    game->onUpdate = [&](ProbeGame& g) {
        if (g.Count("update") == 3) window.iconified = true;
    };
    window.onWait = [&] { window.opened = false; };
    Run();
    EXPECT_EQ(game->Count("suspend"), 1);
    EXPECT_EQ(game->Count("resume"), 0);
    EXPECT_EQ(game->Trace().back(), 's');
}

TEST_F(HostLoop, TheGameIsNotCreatedBeforeTheWindowHasASize) {
    window.iconified = true;  // opened iconified: size 0 x 0
    int waits = 0;
    window.onWait = [&] {
        if (++waits == 2) window.iconified = false;
    };
    StopAt(0.1);
    Run();
    ASSERT_FALSE(game->events.empty());
    EXPECT_EQ(game->events[0].what, "create");
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(bb_graphics_device->Width(), 640);
}

TEST_F(HostLoop, ACollectorStepFollowsEveryEventDeliveredToTheGame) {
    game->onUpdate = [&](ProbeGame& g) {
        if (g.Count("update") == 20) window.iconified = true;
    };
    window.onWait = [&] {
        window.iconified = false;
        window.active = true;
    };
    StopAt(0.6);
    Run();
    EXPECT_GT(game->Count("update"), 20);
    EXPECT_EQ(game->Count("suspend"), 1);
    EXPECT_EQ(game->Count("resume"), 1);
    EXPECT_EQ(game->stepsMissed, 0);
    EXPECT_EQ(garbageAlive, 0) << "the step after the last render collected its garbage too";
}

TEST_F(HostLoop, InputEventsReachTheInputDeviceBetweenUpdates) {
    std::vector<std::string> seen;
    int n = 0;
    game->onUpdate = [&](ProbeGame&) {
        ++n;
        if (n == 1) {
            window.QueueKey(GLFW_KEY_ESC, GLFW_PRESS);
            window.QueueKey(GLFW_KEY_ESC, GLFW_RELEASE);
            window.QueueKey(GLFW_KEY_DEL, GLFW_PRESS);
            window.QueueKey(GLFW_KEY_DEL, 2);  // held: repeats as a press
            window.QueueChar('x');
            window.QueueMouseButton(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
            window.QueueKey(GLFW_KEY_F25, GLFW_PRESS);  // not a key the program knows
        }
        if (n == 2) {
            gxtkInput* in = bb_input_device;
            seen.push_back("esc hit " + std::to_string(in->KeyHit(27)) + " down " + std::to_string(in->KeyDown(27)));
            seen.push_back("del hit " + std::to_string(in->KeyHit(46)) + " down " + std::to_string(in->KeyDown(46)));
            seen.push_back("mouse " + std::to_string(in->KeyDown(1)) + " touch " + std::to_string(in->KeyDown(384)));
            std::string chars;
            while (int c = in->GetChar()) chars += std::to_string(c) + " ";
            seen.push_back("chars " + chars);
        }
        if (n == 3) {
            seen.push_back("next update hits " + std::to_string(bb_input_device->KeyHit(27)) + " chars " +
                           std::to_string(bb_input_device->GetChar()));
            window.opened = false;
        }
    };
    Run();
    EXPECT_EQ(seen, (std::vector<std::string>{"esc hit 1 down 0", "del hit 1 down 1", "mouse 1 touch 1",
                                              "chars 27 127 127 120 ", "next update hits 0 chars 0"}));
}

// Each step's keys go in at one update; the next update sees the result.
TEST_F(HostLoop, F11AndAltEnterToggleFullscreenAndTheGameSeesNeither) {
    struct Step {
        std::vector<std::pair<int, int>> keys;
        std::string seen;  // fullscreen, window size and place, Enter and F11 hits
    };
    const int f11 = GLFW_KEY_F1 + 10;
    window.windowX = 640, window.windowY = 300;
    const std::vector<Step> steps = {
        {{{f11, GLFW_PRESS}, {f11, 2}, {f11, GLFW_RELEASE}}, "1 1920x1080 at 0,0 enter 0 f11 0"},
        {{{GLFW_KEY_LALT, GLFW_PRESS}, {GLFW_KEY_ENTER, GLFW_PRESS}, {GLFW_KEY_ENTER, GLFW_RELEASE},
          {GLFW_KEY_LALT, GLFW_RELEASE}},
         "0 640x480 at 640,300 enter 0 f11 0"},
        {{{GLFW_KEY_ENTER, GLFW_PRESS}, {GLFW_KEY_ENTER, GLFW_RELEASE}}, "0 640x480 at 640,300 enter 1 f11 0"},
        // Alt let go before Enter: the release of Enter is still not the game's.
        {{{GLFW_KEY_RALT, GLFW_PRESS}, {GLFW_KEY_ENTER, GLFW_PRESS}, {GLFW_KEY_RALT, GLFW_RELEASE},
          {GLFW_KEY_ENTER, GLFW_RELEASE}},
         "1 1920x1080 at 0,0 enter 0 f11 0"},
    };
    std::vector<std::string> seen;
    int n = 0;
    game->onUpdate = [&](ProbeGame&) {
        int step = n / 2;
        if (n % 2 == 1) {
            gxtkInput* in = bb_input_device;
            seen.push_back(std::to_string(glfwGetFullscreen()) + " " + std::to_string(window.width) + "x" +
                           std::to_string(window.height) + " at " + std::to_string(window.windowX) + "," +
                           std::to_string(window.windowY) + " enter " + std::to_string(in->KeyHit(13)) + " f11 " +
                           std::to_string(in->KeyHit(122)));
        } else if (step < static_cast<int>(steps.size())) {
            for (auto [key, action] : steps[step].keys) window.QueueKey(key, action);
        } else {
            window.opened = false;
        }
        ++n;
    };
    Run();
    std::vector<std::string> expected;
    for (const Step& s : steps) expected.push_back(s.seen);
    EXPECT_EQ(seen, expected);
}

}  // namespace
