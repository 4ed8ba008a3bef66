// probe - a program on the runtime's real entry point (host/main.cpp)
// whose bbMain does what its first argument says, so tests can watch the
// real start-up, exit codes and fault reports from outside.
//
// NUBRIX_PROBE_BACKEND=scripted runs it on the in-memory GLFW backend (no
// display needed); NUBRIX_PROBE_FAIL=init or =window makes that backend
// refuse to start GLFW or to open the window.

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/glfw2_scripted.h"
#include "runtime/report.h"
#include "runtime/start.h"

namespace {

glfw2::ScriptedBackend scripted;

struct ChooseBackend {
    ChooseBackend() {
        const char* backend = std::getenv("NUBRIX_PROBE_BACKEND");
        if (!backend || std::strcmp(backend, "scripted") != 0) return;
        const char* failure = std::getenv("NUBRIX_PROBE_FAIL");
        scripted.failInit = failure && std::strcmp(failure, "init") == 0;
        scripted.failOpenWindow = failure && std::strcmp(failure, "window") == 0;
        scripted.desktopWidth = 1921;  // odd, so the centring's rounding shows
        scripted.desktopHeight = 1080;
        glfw2::SetBackend(&scripted);
    }
} chooseBackend;

bool Is(const char* mode) { return argc > 1 && std::strcmp(argv[1], mode) == 0; }

// The faults below are the point: keep the sanitizers of the stress build
// from reporting them before the signal does.
__attribute__((no_sanitize("undefined"))) void WriteToNowhere() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

__attribute__((no_sanitize("undefined"))) int DivideByZero() {
    // Both operands volatile: GCC turns 1 / x into a comparison, not a division.
    volatile int dividend = 7, zero = 0;
    volatile int result = dividend / zero;
    return result;
}

}  // namespace

int bbInit() { return 0; }

int bbMain() {
    if (Is("startup")) {
        int w = 0, h = 0;
        glfw2::glfwGetWindowSize(&w, &h);
        std::printf("window %dx%d at %d,%d title %s resizable %d args %d\n", w, h, scripted.windowX,
                    scripted.windowY, scripted.title.c_str(), scripted.resizable ? 1 : 0, argc);
    } else if (Is("window")) {
        int w = 0, h = 0;
        glfw2::glfwGetWindowSize(&w, &h);
        std::printf("window %dx%d opened %d\n", w, h, glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED));
    } else if (Is("error")) {
        Error(String(argc > 2 ? argv[2] : ""));
    } else if (Is("segv")) {
        WriteToNowhere();
    } else if (Is("fpe")) {
        DivideByZero();
    } else if (Is("ill")) {
        __builtin_trap();
    } else if (Is("throw-object")) {
        throw new ThrowableObject();
    } else if (Is("throw-string")) {
        dbg_throw("thrown");
    }
    std::fflush(stdout);
    return 0;
}
