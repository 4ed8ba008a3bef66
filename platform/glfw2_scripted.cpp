// glfw2_scripted.cpp - the in-memory GLFW 2 backend for tests.

#include "platform/glfw2_scripted.h"

namespace glfw2 {

void ScriptedBackend::QueueKey(int key, int action) { events.push_back({Event::Key, key, action}); }
void ScriptedBackend::QueueChar(int character) { events.push_back({Event::Char, character, GLFW_PRESS}); }

void ScriptedBackend::QueueMouseButton(int button, int action) {
    events.push_back({Event::MouseButton, button, action});
}

void ScriptedBackend::QueueWindowSize(int w, int h) { events.push_back({Event::WindowSize, w, h}); }
void ScriptedBackend::QueueWindowRefresh() { events.push_back({Event::WindowRefresh, 0, 0}); }

int ScriptedBackend::Init() {
    if (failInit) return 0;
    initialised = true;
    return 1;
}

const char* ScriptedBackend::ErrorDescription() {
    return failInit || failOpenWindow ? errorDescription.c_str() : "";
}

void ScriptedBackend::Terminate() {
    initialised = false;
    opened = false;
}

void ScriptedBackend::GetDesktopMode(GLFWvidmode* mode) { *mode = GLFWvidmode{desktopWidth, desktopHeight, 8, 8, 8}; }

void ScriptedBackend::OpenWindowHint(int target, int hint) {
    if (target == GLFW_WINDOW_NO_RESIZE) resizable = hint == 0;
}

int ScriptedBackend::OpenWindow(int w, int h, int, int, int, int, int, int, int) {
    if (failOpenWindow || !initialised) return 0;
    width = static_cast<int>(w * contentScale);
    height = static_cast<int>(h * contentScale);
    opened = true;
    return 1;
}

void ScriptedBackend::SetWindowPos(int x, int y) {
    windowX = x;
    windowY = y;
}

void ScriptedBackend::SetWindowTitle(const char* t) { title = t; }

// The size changes at once, as a window manager's answer would come with
// the next events; the size event is delivered by the next poll.
void ScriptedBackend::SetFullscreen(bool on) {
    if (!opened || on == fullscreen) return;
    fullscreen = on;
    if (on) {
        windowedX = windowX, windowedY = windowY, windowedWidth = width, windowedHeight = height;
        windowX = windowY = 0;
        QueueWindowSize(desktopWidth, desktopHeight);
    } else {
        windowX = windowedX, windowY = windowedY;
        QueueWindowSize(windowedWidth, windowedHeight);
    }
}

int ScriptedBackend::GetWindowParam(int param) {
    switch (param) {
    case GLFW_OPENED: return opened ? 1 : 0;
    case GLFW_ACTIVE: return opened && active ? 1 : 0;
    case GLFW_ICONIFIED: return opened && iconified ? 1 : 0;
    default: return 0;
    }
}

void ScriptedBackend::GetWindowSize(int* w, int* h) {
    bool visible = opened && !iconified;
    *w = visible ? width : 0;
    *h = visible ? height : 0;
}

void ScriptedBackend::SwapBuffers() {
    ++swaps;
    Spend();
    if (onSwap) onSwap();
}

double ScriptedBackend::GetTime() { return time; }

void ScriptedBackend::Sleep(double seconds) {
    ++sleeps;
    Spend();
    if (seconds > 0) {
        time += seconds;
        slept += seconds;
    }
    if (onSleep) onSleep();
}

void ScriptedBackend::PollEvents() {
    ++polls;
    Spend();
    if (onPoll) onPoll();
    DeliverQueued();
}

void ScriptedBackend::WaitEvents() {
    ++waits;
    Spend();
    if (onWait) onWait();
    DeliverQueued();
}

void ScriptedBackend::GetMousePos(int* x, int* y) {
    *x = mouseX;
    *y = mouseY;
}

int ScriptedBackend::GetJoystickParam(int joy, int param) {
    if (joy != GLFW_JOYSTICK_1 || !joystickPresent) return 0;
    switch (param) {
    case GLFW_PRESENT: return 1;
    case GLFW_AXES: return static_cast<int>(joystickAxes.size());
    case GLFW_BUTTONS: return static_cast<int>(joystickButtons.size());
    default: return 0;
    }
}

int ScriptedBackend::GetJoystickPos(int joy, float* pos, int numaxes) {
    if (joy != GLFW_JOYSTICK_1 || !joystickPresent) return 0;
    int n = 0;
    for (; n < numaxes && n < static_cast<int>(joystickAxes.size()); ++n) pos[n] = joystickAxes[n];
    return n;
}

int ScriptedBackend::GetJoystickButtons(int joy, unsigned char* buttons, int numbuttons) {
    if (joy != GLFW_JOYSTICK_1 || !joystickPresent) return 0;
    int n = 0;
    for (; n < numbuttons && n < static_cast<int>(joystickButtons.size()); ++n) buttons[n] = joystickButtons[n];
    return n;
}

bool ScriptedBackend::CanPresentRegions() { return regions; }

bool ScriptedBackend::PresentRegion(int x, int y, int w, int h) {
    presented.push_back(Region{x, y, w, h});
    Spend();
    return true;
}

void ScriptedBackend::Spend() {
    if (--callBudget <= 0) opened = false;
}

void ScriptedBackend::DeliverQueued() {
    while (!events.empty()) {
        Event e = events.front();
        events.pop_front();
        switch (e.kind) {
        case Event::Key: DeliverKey(e.a, e.b); break;
        case Event::Char: DeliverChar(e.a, e.b); break;
        case Event::MouseButton: DeliverMouseButton(e.a, e.b); break;
        case Event::WindowSize:
            width = e.a;
            height = e.b;
            DeliverWindowSize(e.a, e.b);
            break;
        case Event::WindowRefresh: DeliverWindowRefresh(); break;
        }
    }
}

}  // namespace glfw2
