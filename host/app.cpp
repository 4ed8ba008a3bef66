// app.cpp - the application host and the program's only loop.

#include "host/app.h"

#include <cstdint>

#include "platform/data.h"
#include "platform/glfw2.h"

using namespace glfw2;

gxtkApp* app = nullptr;

namespace {

// Updates run back to back in one pass of the loop; more than this many
// and the backlog is dropped: after a stall the game loses time instead of
// racing to catch up.
const int kMaxUpdatesPerPass = 7;

// The window callbacks reach the host through `app`. They run only inside
// glfwPollEvents/glfwWaitEvents, between the game's handlers.
const int kKeyF11 = GLFW_KEY_F1 + 10;

bool altHeld = false;
int fullscreenKey = 0;  // the key whose press toggled fullscreen, until released

// F11 and Alt+Enter toggle fullscreen, the desktop's own keys for it; the
// game sees neither the press nor its repeats and release (Enter alone,
// and Alt, still reach it).
bool TogglesFullscreen(int key, int action) {
    if (key == GLFW_KEY_LALT || key == GLFW_KEY_RALT) altHeld = action != GLFW_RELEASE;
    if (key == fullscreenKey) {
        if (action == GLFW_RELEASE) fullscreenKey = 0;
        return true;
    }
    if (action == GLFW_PRESS && (key == kKeyF11 || (key == GLFW_KEY_ENTER && altHeld))) {
        glfwSetFullscreen(!glfwGetFullscreen());
        fullscreenKey = key;
        return true;
    }
    return false;
}

void OnKey(int key, int action) {
    if (!TogglesFullscreen(key, action)) app->input->OnKeyEvent(key, action);
}

void OnChar(int character, int action) {
    if (action == GLFW_PRESS) app->input->PutChar(character);
}

void OnMouseButton(int button, int action) {
    int code;
    switch (button) {
    case GLFW_MOUSE_BUTTON_LEFT: code = 1; break;
    case GLFW_MOUSE_BUTTON_RIGHT: code = 2; break;
    case GLFW_MOUSE_BUTTON_MIDDLE: code = 3; break;
    default: return;
    }
    if (action == GLFW_PRESS) {
        app->input->OnKeyDown(code);
    } else if (action == GLFW_RELEASE) {
        app->input->OnKeyUp(code);
    }
}

// The graphics device re-reads the window size whenever it is validated,
// and a frame of another size is drawn whole.
void OnWindowSize(int, int) {}
// The window lost (part of) its picture: the next frame is drawn whole,
// even if nothing in it changed.
void OnWindowRefresh() { app->graphics->Invalidate(); }

bool WindowOpen() { return glfwGetWindowParam(GLFW_OPENED) != 0; }

}  // namespace

int RunApp() {
    app->Run();
    return 0;
}

gxtkApp::gxtkApp()
    : graphics(nullptr), input(nullptr), audio(nullptr), updateRate(0), nextUpdate(0), updatePeriod(0),
      suspended(false) {
    app = this;
    gc_assign(graphics, new gxtkGraphics());
    graphics->RetainFrames(true);  // a frame that did not change costs nothing
    gc_assign(input, new gxtkInput());
    gc_assign(audio, new gxtkAudio());
    runner = RunApp;
}

void gxtkApp::mark() {
    gc_enqueue(graphics);
    gc_enqueue(input);
    gc_enqueue(audio);
}

gxtkGraphics* gxtkApp::GraphicsDevice() { return graphics; }
gxtkInput* gxtkApp::InputDevice() { return input; }
gxtkAudio* gxtkApp::AudioDevice() { return audio; }
String gxtkApp::AppTitle() { return String("<TODO>"); }
String gxtkApp::LoadState() { return LoadStateFile(); }
int gxtkApp::SaveState(String state) { return SaveStateFile(state); }
String gxtkApp::LoadString(String path) { return LoadTextFile(path); }

int gxtkApp::SetUpdateRate(int hertz) {
    updateRate = hertz;
    if (hertz != 0) {
        updatePeriod = 1.0 / hertz;
        nextUpdate = glfwGetTime() + updatePeriod;
    }
    return 0;
}

int gxtkApp::MilliSecs() {
    // Milliseconds since start-up as a 32-bit count that wraps (after 24.8
    // days it turns negative) instead of overflowing the conversion.
    return static_cast<int>(static_cast<uint32_t>(static_cast<int64_t>(glfwGetTime() * 1000.0)));
}

int gxtkApp::Loading() { return 0; }
int gxtkApp::OnCreate() { return 0; }
int gxtkApp::OnSuspend() { return 0; }
int gxtkApp::OnResume() { return 0; }
int gxtkApp::OnUpdate() { return 0; }
int gxtkApp::OnRender() { return 0; }
int gxtkApp::OnLoading() { return 0; }

void gxtkApp::InvokeOnCreate() {
    graphics->width = graphics->height = 0;
    glfwGetWindowSize(&graphics->width, &graphics->height);
    OnCreate();
    gc_collect();
}

void gxtkApp::InvokeOnUpdate() {
    if (suspended || updateRate == 0 || !graphics->Validate()) return;
    input->BeginUpdate();
    OnUpdate();
    input->EndUpdate();
    gc_collect();
}

void gxtkApp::InvokeOnRender() {
    if (suspended || !graphics->Validate()) return;
    graphics->BeginRender();
    OnRender();
    graphics->EndRender();
    gc_collect();
}

void gxtkApp::InvokeOnSuspend() {
    if (suspended) return;
    suspended = true;
    OnSuspend();
    audio->OnSuspend();
    if (updateRate != 0) {
        // Stop the timer through the (virtual) rate setter, but remember the
        // rate in force so that resuming re-arms it.
        int rate = updateRate;
        SetUpdateRate(0);
        updateRate = rate;
    }
    gc_collect();
}

void gxtkApp::InvokeOnResume() {
    if (!suspended) return;
    if (updateRate != 0) {
        int rate = updateRate;
        updateRate = 0;
        SetUpdateRate(rate);  // the next update is due one period from now
    }
    graphics->Invalidate();  // the window was away: its picture may be gone
    audio->OnResume();
    OnResume();
    suspended = false;
    gc_collect();
}

void gxtkApp::Run() {
    glfwEnable(GLFW_KEY_REPEAT);
    glfwDisable(GLFW_AUTO_POLL_EVENTS);  // events arrive only in the loop's own poll and wait calls

    glfwSetKeyCallback(OnKey);
    glfwSetCharCallback(OnChar);
    glfwSetWindowSizeCallback(OnWindowSize);
    glfwSetWindowRefreshCallback(OnWindowRefresh);
    glfwSetMouseButtonCallback(OnMouseButton);

    // The game is laid out for the window's size: never create it before the
    // window has one (it may open iconified or be iconified at once).
    for (;;) {
        if (!WindowOpen()) return;
        int w = 0, h = 0;
        glfwGetWindowSize(&w, &h);
        if (w > 0 && h > 0) break;
        glfwWaitEvents();
    }

    InvokeOnCreate();
    InvokeOnRender();

    for (;;) {
        if (!WindowOpen()) return;

        if (glfwGetWindowParam(GLFW_ICONIFIED)) {
            if (!suspended) {
                InvokeOnSuspend();  // once: the loop keeps seeing the iconified window
            } else {
                glfwWaitEvents();
            }
            continue;
        }
        if (suspended) {
            // Restored. Losing focus alone never suspends, but resuming needs
            // the window both restored and focused.
            if (glfwGetWindowParam(GLFW_ACTIVE)) {
                InvokeOnResume();
            } else {
                glfwWaitEvents();
            }
            continue;
        }

        if (updateRate == 0) {
            // Event-driven mode: one frame, then sleep until something happens.
            InvokeOnRender();
            glfwWaitEvents();
            continue;
        }

        // Timed mode. The clock is compared in double precision: in single
        // precision it moves in steps of milliseconds after hours of play.
        double now = glfwGetTime();
        if (nextUpdate > now) {
            glfwSleep(nextUpdate - now);
            continue;
        }

        glfwPollEvents();
        for (int i = 0; i < kMaxUpdatesPerPass; ++i) {
            nextUpdate += updatePeriod;
            if (!suspended) {
                if (updateRate == 0) break;
                InvokeOnUpdate();
            }
            if (updateRate == 0) break;
            if (nextUpdate > glfwGetTime()) break;
            if (i == kMaxUpdatesPerPass - 1) nextUpdate = glfwGetTime();
        }

        if (suspended) continue;
        InvokeOnRender();
    }
}
