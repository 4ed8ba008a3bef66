// main.cpp - the executable's entry: window, sound device, runtime, loop.
//
// Start-up runs in a fixed order, each step after the previous one: GLFW,
// a centred 640x480 resizable window titled "Nubrix", the OpenAL device and
// context (failures are reported and the game runs silent), the runtime and
// the game object, then the host's loop until the window closes.
//
// Exit codes: 0 when the window is closed (also after an uncaught game
// exception); -1 when GLFW or the window cannot start, after a line saying
// which and, when GLFW gave one, a line with its reason. Runtime errors end
// the process from inside (runtime/report.cpp).
//
// Depends on: runtime, platform/glfw2.h, platform/system.h, OpenAL.

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdio>
#include <cstdlib>

#include "platform/glfw2.h"
#include "platform/system.h"
#include "runtime/report.h"
#include "runtime/start.h"

ALCdevice* alcDevice = nullptr;
ALCcontext* alcContext = nullptr;

namespace {

// After "glfwInit failed" or "glfwOpenWindow failed": the platform's own
// reason on the next line (no display, no usable GL), when it gave one.
void sayWhy() {
    const char* why = glfw2::glfwErrorDescription();
    if (why && *why) std::puts(why);
    std::fflush(stdout);
}

}  // namespace

int main(int count, char** args) {
    using namespace glfw2;

    sys::TuneAllocator();

    if (!glfwInit()) {
        std::puts("glfwInit failed");
        sayWhy();
        std::exit(-1);
    }

    GLFWvidmode desktop;
    glfwGetDesktopMode(&desktop);

    glfwOpenWindowHint(GLFW_WINDOW_NO_RESIZE, 0);
    if (!glfwOpenWindow(640, 480, 0, 0, 0, 0, 0, 0, GLFW_WINDOW)) {
        std::puts("glfwOpenWindow failed");
        sayWhy();
        std::exit(-1);
    }
    // Centred at the size it opened at: larger than asked on a dense screen.
    int width = 0, height = 0;
    glfwGetWindowSize(&width, &height);
    glfwSetWindowPos((desktop.Width - width) / 2, (desktop.Height - height) / 2);
    glfwSetWindowTitle("Nubrix");

    alcDevice = alcOpenDevice(nullptr);
    if (!alcDevice) {
        std::puts("alcOpenDevice failed");
    } else {
        alcContext = alcCreateContext(alcDevice, nullptr);
        if (!alcContext) {
            std::puts("alcCreateContext failed");
        } else if (!alcMakeContextCurrent(alcContext)) {
            std::puts("alcMakeContextCurrent failed");
        }
    }
    std::fflush(stdout);

    try {
        bb_std_main(count, const_cast<const char**>(args));
        if (runner) runner();
    } catch (ThrowableObject*) {
        Print(String("Varnok Runtime Error : Uncaught Varnok Exception"));
    } catch (const char*) {
    }

    if (alcContext) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(alcContext);
    }
    if (alcDevice) alcCloseDevice(alcDevice);

    glfwTerminate();
    return 0;
}
