// glfw2.cpp - the GLFW 2 front end: forwards to the selected backend and
// keeps what GLFW 2 kept itself (callbacks, glfwEnable switches).

#include "platform/glfw2.h"

namespace glfw2 {

Backend* Glfw3BackendInstance();  // glfw2_glfw3.cpp

namespace {

Backend* selected = nullptr;

struct Callbacks {
    GLFWkeyfun key = nullptr;
    GLFWcharfun character = nullptr;
    GLFWmousebuttonfun mouseButton = nullptr;
    GLFWwindowsizefun windowSize = nullptr;
    GLFWwindowrefreshfun windowRefresh = nullptr;
} callbacks;

// GLFW 2's defaults: held keys do not repeat; swapping buffers polls events.
bool keyRepeat = false;
bool autoPollEvents = true;

Backend& backend() { return selected ? *selected : *Glfw3BackendInstance(); }

}  // namespace

void SetBackend(Backend* b) { selected = b; }

Backend* GetBackend() { return &backend(); }

int glfwInit() {
    callbacks = Callbacks();
    keyRepeat = false;
    autoPollEvents = true;
    return backend().Init();
}

void glfwTerminate() { backend().Terminate(); }
void glfwGetDesktopMode(GLFWvidmode* mode) { backend().GetDesktopMode(mode); }
void glfwOpenWindowHint(int target, int hint) { backend().OpenWindowHint(target, hint); }

int glfwOpenWindow(int width, int height, int redbits, int greenbits, int bluebits, int alphabits, int depthbits,
                   int stencilbits, int mode) {
    return backend().OpenWindow(width, height, redbits, greenbits, bluebits, alphabits, depthbits, stencilbits,
                                mode);
}

void glfwSetWindowPos(int x, int y) { backend().SetWindowPos(x, y); }
void glfwSetWindowTitle(const char* title) { backend().SetWindowTitle(title); }
int glfwGetWindowParam(int param) { return backend().GetWindowParam(param); }
void glfwGetWindowSize(int* width, int* height) { backend().GetWindowSize(width, height); }

void glfwSwapBuffers() {
    backend().SwapBuffers();
    if (autoPollEvents) backend().PollEvents();
}

double glfwGetTime() { return backend().GetTime(); }
void glfwSleep(double seconds) { backend().Sleep(seconds); }
void glfwPollEvents() { backend().PollEvents(); }
void glfwWaitEvents() { backend().WaitEvents(); }

void glfwEnable(int token) {
    if (token == GLFW_KEY_REPEAT) keyRepeat = true;
    if (token == GLFW_AUTO_POLL_EVENTS) autoPollEvents = true;
}

void glfwDisable(int token) {
    if (token == GLFW_KEY_REPEAT) keyRepeat = false;
    if (token == GLFW_AUTO_POLL_EVENTS) autoPollEvents = false;
}

const char* glfwErrorDescription() { return backend().ErrorDescription(); }

void glfwSetFullscreen(bool on) { backend().SetFullscreen(on); }
bool glfwGetFullscreen() { return backend().Fullscreen(); }

void glfwSetKeyCallback(GLFWkeyfun fun) { callbacks.key = fun; }
void glfwSetCharCallback(GLFWcharfun fun) { callbacks.character = fun; }
void glfwSetMouseButtonCallback(GLFWmousebuttonfun fun) { callbacks.mouseButton = fun; }
void glfwSetWindowSizeCallback(GLFWwindowsizefun fun) { callbacks.windowSize = fun; }
void glfwSetWindowRefreshCallback(GLFWwindowrefreshfun fun) { callbacks.windowRefresh = fun; }

void glfwGetMousePos(int* x, int* y) { backend().GetMousePos(x, y); }
int glfwGetJoystickParam(int joy, int param) { return backend().GetJoystickParam(joy, param); }
int glfwGetJoystickPos(int joy, float* pos, int numaxes) { return backend().GetJoystickPos(joy, pos, numaxes); }

int glfwGetJoystickButtons(int joy, unsigned char* buttons, int numbuttons) {
    return backend().GetJoystickButtons(joy, buttons, numbuttons);
}

bool glfwCanPresentRegions() { return backend().CanPresentRegions(); }
bool glfwPresentRegion(int x, int y, int width, int height) { return backend().PresentRegion(x, y, width, height); }

void DeliverKey(int key, int action) {
    if (action == 2) {
        if (!keyRepeat) return;
        action = GLFW_PRESS;
    }
    if (callbacks.key) callbacks.key(key, action);
}

void DeliverChar(int character, int action) {
    if (callbacks.character) callbacks.character(character, action);
}

void DeliverMouseButton(int button, int action) {
    if (callbacks.mouseButton) callbacks.mouseButton(button, action);
}

void DeliverWindowSize(int width, int height) {
    if (callbacks.windowSize) callbacks.windowSize(width, height);
}

void DeliverWindowRefresh() {
    if (callbacks.windowRefresh) callbacks.windowRefresh();
}

}  // namespace glfw2
