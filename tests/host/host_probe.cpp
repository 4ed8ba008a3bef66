// host_probe - the real executable's start-up and loop with an empty game:
// it updates 60 times a second, draws nothing (the framework still begins
// and presents every frame) and prints one line for each create, suspend
// and resume. The real-window test
// and the idle-cost measurement run it.

#include <cstdio>

#include "graphics/graphics.h"
#include "host/framework.h"
#include "runtime/start.h"

namespace {

class EmptyGame : public bb_app_App {
public:
    int m_OnCreate() override {
        bb_app_SetUpdateRate(60);
        Say("create");
        return 0;
    }
    int m_OnSuspend() override {
        Say("suspend");
        return 0;
    }
    int m_OnResume() override {
        Say("resume");
        return 0;
    }

private:
    static void Say(const char* what) {
        std::puts(what);
        std::fflush(stdout);
    }
};

}  // namespace

int bbInit() {
    gc_assign(bb_graphics_context, (new bb_graphics_GraphicsContext())->g_new());
    return 0;
}

int bbMain() {
    (new EmptyGame())->g_new();
    return 0;
}
