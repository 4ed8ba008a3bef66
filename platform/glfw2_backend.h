// glfw2_backend.h - the seam under the GLFW 2 layer: what a backend provides.
//
// Kept apart from glfw2.h, whose GLFW_* constants collide with the macros of
// GLFW 3's header: the GLFW 3 backend includes only this file.
//
// Depends on: nothing.

#ifndef NUBRIX_PLATFORM_GLFW2_BACKEND_H
#define NUBRIX_PLATFORM_GLFW2_BACKEND_H

namespace glfw2 {

struct GLFWvidmode {
    int Width, Height;
    int RedBits, BlueBits, GreenBits;
};

// Events go back through the Deliver functions below, which apply the
// glfwEnable switches and call the installed callbacks.

class Backend {
public:
    virtual ~Backend() {}
    virtual int Init() = 0;
    virtual void Terminate() = 0;
    virtual void GetDesktopMode(GLFWvidmode* mode) = 0;
    virtual void OpenWindowHint(int target, int hint) = 0;
    virtual int OpenWindow(int width, int height, int redbits, int greenbits, int bluebits, int alphabits,
                           int depthbits, int stencilbits, int mode) = 0;
    virtual void SetWindowPos(int x, int y) = 0;
    virtual void SetWindowTitle(const char* title) = 0;
    virtual int GetWindowParam(int param) = 0;
    virtual void GetWindowSize(int* width, int* height) = 0;
    virtual void SwapBuffers() = 0;
    virtual double GetTime() = 0;
    virtual void Sleep(double seconds) = 0;
    virtual void PollEvents() = 0;
    virtual void WaitEvents() = 0;
    virtual void GetMousePos(int* x, int* y) = 0;
    virtual int GetJoystickParam(int joy, int param) = 0;
    virtual int GetJoystickPos(int joy, float* pos, int numaxes) = 0;
    virtual int GetJoystickButtons(int joy, unsigned char* buttons, int numbuttons) = 0;
    // Beyond GLFW 2: copies one rectangle of the back buffer to the window
    // (GL window coordinates), leaving the back buffer as it is; false when
    // the copy failed (the driver's buffer is not the size the window's
    // events said). Platforms that cannot copy say so, and the caller swaps.
    virtual bool CanPresentRegions() { return false; }
    virtual bool PresentRegion(int, int, int, int) { return false; }
    // Beyond GLFW 2: fullscreen on the window's monitor at its own mode, and
    // back to the windowed size and place from before.
    virtual void SetFullscreen(bool) {}
    virtual bool Fullscreen() { return false; }
    // What the platform said about the most recent failure, "" when nothing.
    virtual const char* ErrorDescription() = 0;
};

// Selects the backend for every call that follows; null restores the real
// GLFW 3 backend (the default).
void SetBackend(Backend* backend);
Backend* GetBackend();

// Called by backends from inside PollEvents/WaitEvents. A key action of 2
// (held-key repeat) becomes a press while GLFW_KEY_REPEAT is enabled and is
// dropped otherwise.
void DeliverKey(int key, int action);
void DeliverChar(int character, int action);
void DeliverMouseButton(int button, int action);
void DeliverWindowSize(int width, int height);
void DeliverWindowRefresh();

}  // namespace glfw2

#endif
