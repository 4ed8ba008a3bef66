// glfw2_scripted.h - a GLFW 2 backend that exists only in memory.
//
// Tests drive the host loop, the input device and the game through it with
// no display and no real time: the clock advances only when the program
// sleeps or a test moves it; window state, mouse, joystick and queued input
// events are plain fields; hooks run when the program polls, waits, sleeps
// or swaps, so a test can script what happens "meanwhile" (a stall, an
// iconify, a close). There is no GL context: GL calls made meanwhile do
// nothing.
//
//   glfw2::ScriptedBackend window;
//   glfw2::SetBackend(&window);
//   window.onSwap = [&] { window.time += 0.050; };   // every render takes 50 ms
//
// Depends on: platform/glfw2.h, the C++ library.

#ifndef NUBRIX_PLATFORM_GLFW2_SCRIPTED_H
#define NUBRIX_PLATFORM_GLFW2_SCRIPTED_H

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/glfw2.h"

namespace glfw2 {

class ScriptedBackend : public Backend {
public:
    // Clock, in seconds since glfwInit.
    double time = 0;

    // Window state. A closed window reads GLFW_OPENED 0; an iconified one
    // has size 0 by 0.
    bool initialised = false;
    bool opened = false;
    bool active = true;
    bool iconified = false;
    int width = 640, height = 480;
    int desktopWidth = 1920, desktopHeight = 1080;
    int windowX = 0, windowY = 0;
    float contentScale = 1;  // the monitor's: the window opens that much larger
    bool fullscreen = false; // covering the desktop; the windowed place is kept
    int windowedX = 0, windowedY = 0, windowedWidth = 0, windowedHeight = 0;
    std::string title;
    bool resizable = true;
    bool failInit = false;        // glfwInit reports failure
    bool failOpenWindow = false;  // glfwOpenWindow reports failure
    std::string errorDescription = "Scripted: refused as the test asked";  // said after either failure

    // Pointer and joystick 0.
    int mouseX = 0, mouseY = 0;
    bool joystickPresent = false;
    std::vector<float> joystickAxes;
    std::vector<unsigned char> joystickButtons;

    // How often the program did each of these.
    int polls = 0, waits = 0, sleeps = 0, swaps = 0;
    // Rectangles presented without a swap (x, y, w, h in GL window
    // coordinates), when presenting regions is offered.
    bool regions = true;
    struct Region {
        int x, y, width, height;
    };
    std::vector<Region> presented;
    double slept = 0;  // total seconds asked to sleep

    // Run inside the matching call, before queued events are delivered
    // (poll, wait) or after the clock moved (sleep).
    std::function<void()> onPoll, onWait, onSleep, onSwap;

    // Once the program has made this many poll, wait, sleep and swap calls
    // in all, the window closes: a loop that never ends fails its test
    // instead of hanging it.
    long callBudget = 10000000;

    // Input events, delivered in order by the next poll or wait.
    void QueueKey(int key, int action);
    void QueueChar(int character);
    void QueueMouseButton(int button, int action);
    void QueueWindowSize(int w, int h);
    void QueueWindowRefresh();

    int Init() override;
    void Terminate() override;
    void GetDesktopMode(GLFWvidmode* mode) override;
    void OpenWindowHint(int target, int hint) override;
    int OpenWindow(int width, int height, int redbits, int greenbits, int bluebits, int alphabits, int depthbits,
                   int stencilbits, int mode) override;
    void SetWindowPos(int x, int y) override;
    void SetWindowTitle(const char* title) override;
    int GetWindowParam(int param) override;
    void GetWindowSize(int* width, int* height) override;
    void SwapBuffers() override;
    double GetTime() override;
    void Sleep(double seconds) override;
    void PollEvents() override;
    void WaitEvents() override;
    void GetMousePos(int* x, int* y) override;
    int GetJoystickParam(int joy, int param) override;
    int GetJoystickPos(int joy, float* pos, int numaxes) override;
    int GetJoystickButtons(int joy, unsigned char* buttons, int numbuttons) override;
    bool CanPresentRegions() override;
    bool PresentRegion(int x, int y, int width, int height) override;
    const char* ErrorDescription() override;
    void SetFullscreen(bool on) override;
    bool Fullscreen() override { return fullscreen; }

private:
    struct Event {
        enum Kind { Key, Char, MouseButton, WindowSize, WindowRefresh } kind;
        int a, b;
    };
    std::deque<Event> events;

    void Spend();
    void DeliverQueued();
};

// Installs a scripted backend for the lifetime of the object and restores
// the previous one afterwards.
class ScopedBackend {
public:
    explicit ScopedBackend(Backend* backend) : previous(GetBackend()) { SetBackend(backend); }
    ~ScopedBackend() { SetBackend(previous); }
    ScopedBackend(const ScopedBackend&) = delete;
    ScopedBackend& operator=(const ScopedBackend&) = delete;

private:
    Backend* previous;
};

}  // namespace glfw2

#endif
