// glfw2_glfw3.cpp - the real backend of the GLFW 2 layer, on GLFW 3.3.
//
// The only file that includes GLFW 3. What it translates:
//   - GLFW 3 key numbers to GLFW 2.7 numbers (the special keys moved);
//   - the window-close request to GLFW_OPENED 0;
//   - an iconified window to a size of 0 by 0, as GLFW 2 reported it;
//   - a joystick GLFW 3 knows as a gamepad to one fixed layout, so every
//     common pad plays the same: buttons A, B, X, Y, LB, RB, Back, Start,
//     d-pad left, up, right, down, Guide, left thumb, right thumb, and axes
//     left x, left y, left trigger, right x, right y, right trigger (stick 0
//     is x, y, z = axes 0-2, stick 1 axes 3-5). Other joysticks keep their
//     raw order. Axes keep GLFW 3's sign: y is positive downwards.
//
// Window size, focus, iconified state and the cursor position are kept from
// the window's events rather than asked of the X server: the host reads
// them several times a frame, and each question is a round trip.
// What the window system beneath GLFW must do (the program's name for the
// desktop, presenting parts of a frame) is in native_window.h.

#include <GLFW/glfw3.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/glfw2_backend.h"
#include "platform/native_window.h"

namespace glfw2 {
namespace {

// The GLFW 2 numbers this file needs. glfw2.h has them under their GLFW_*
// names, which GLFW 3's macros would overwrite here.
namespace v2 {
const int RELEASE = 0, PRESS = 1;
const int FULLSCREEN = 0x10002;
const int OPENED = 0x20001, ACTIVE = 0x20002, ICONIFIED = 0x20003, WINDOW_NO_RESIZE = 0x20012;
const int PRESENT = 0x50001, AXES = 0x50002, BUTTONS = 0x50003;
const int KEY_UNKNOWN = -1, KEY_ESC = 257, KEY_F1 = 258, KEY_UP = 283, KEY_DOWN = 284, KEY_LEFT = 285,
          KEY_RIGHT = 286, KEY_LSHIFT = 287, KEY_RSHIFT = 288, KEY_LCTRL = 289, KEY_RCTRL = 290, KEY_LALT = 291,
          KEY_RALT = 292, KEY_TAB = 293, KEY_ENTER = 294, KEY_BACKSPACE = 295, KEY_INSERT = 296, KEY_DEL = 297,
          KEY_PAGEUP = 298, KEY_PAGEDOWN = 299, KEY_HOME = 300, KEY_END = 301, KEY_KP_0 = 302,
          KEY_KP_DIVIDE = 312, KEY_KP_MULTIPLY = 313, KEY_KP_SUBTRACT = 314, KEY_KP_ADD = 315,
          KEY_KP_DECIMAL = 316, KEY_KP_EQUAL = 317, KEY_KP_ENTER = 318, KEY_KP_NUM_LOCK = 319,
          KEY_CAPS_LOCK = 320, KEY_SCROLL_LOCK = 321, KEY_PAUSE = 322, KEY_LSUPER = 323, KEY_RSUPER = 324,
          KEY_MENU = 325;
}  // namespace v2

int TranslateKey(int key) {
    if (key >= 32 && key <= 126) return key;  // printable keys are ASCII in both
    if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F25) return v2::KEY_F1 + (key - GLFW_KEY_F1);
    if (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9) return v2::KEY_KP_0 + (key - GLFW_KEY_KP_0);
    switch (key) {
    case GLFW_KEY_ESCAPE: return v2::KEY_ESC;
    case GLFW_KEY_ENTER: return v2::KEY_ENTER;
    case GLFW_KEY_TAB: return v2::KEY_TAB;
    case GLFW_KEY_BACKSPACE: return v2::KEY_BACKSPACE;
    case GLFW_KEY_INSERT: return v2::KEY_INSERT;
    case GLFW_KEY_DELETE: return v2::KEY_DEL;
    case GLFW_KEY_RIGHT: return v2::KEY_RIGHT;
    case GLFW_KEY_LEFT: return v2::KEY_LEFT;
    case GLFW_KEY_DOWN: return v2::KEY_DOWN;
    case GLFW_KEY_UP: return v2::KEY_UP;
    case GLFW_KEY_PAGE_UP: return v2::KEY_PAGEUP;
    case GLFW_KEY_PAGE_DOWN: return v2::KEY_PAGEDOWN;
    case GLFW_KEY_HOME: return v2::KEY_HOME;
    case GLFW_KEY_END: return v2::KEY_END;
    case GLFW_KEY_CAPS_LOCK: return v2::KEY_CAPS_LOCK;
    case GLFW_KEY_SCROLL_LOCK: return v2::KEY_SCROLL_LOCK;
    case GLFW_KEY_NUM_LOCK: return v2::KEY_KP_NUM_LOCK;
    case GLFW_KEY_PAUSE: return v2::KEY_PAUSE;
    case GLFW_KEY_KP_DECIMAL: return v2::KEY_KP_DECIMAL;
    case GLFW_KEY_KP_DIVIDE: return v2::KEY_KP_DIVIDE;
    case GLFW_KEY_KP_MULTIPLY: return v2::KEY_KP_MULTIPLY;
    case GLFW_KEY_KP_SUBTRACT: return v2::KEY_KP_SUBTRACT;
    case GLFW_KEY_KP_ADD: return v2::KEY_KP_ADD;
    case GLFW_KEY_KP_ENTER: return v2::KEY_KP_ENTER;
    case GLFW_KEY_KP_EQUAL: return v2::KEY_KP_EQUAL;
    case GLFW_KEY_LEFT_SHIFT: return v2::KEY_LSHIFT;
    case GLFW_KEY_LEFT_CONTROL: return v2::KEY_LCTRL;
    case GLFW_KEY_LEFT_ALT: return v2::KEY_LALT;
    case GLFW_KEY_LEFT_SUPER: return v2::KEY_LSUPER;
    case GLFW_KEY_RIGHT_SHIFT: return v2::KEY_RSHIFT;
    case GLFW_KEY_RIGHT_CONTROL: return v2::KEY_RCTRL;
    case GLFW_KEY_RIGHT_ALT: return v2::KEY_RALT;
    case GLFW_KEY_RIGHT_SUPER: return v2::KEY_RSUPER;
    case GLFW_KEY_MENU: return v2::KEY_MENU;
    default: return v2::KEY_UNKNOWN;
    }
}

// Gamepad buttons in the order the game's play keys expect.
const int kPadButtons[] = {
    GLFW_GAMEPAD_BUTTON_A,         GLFW_GAMEPAD_BUTTON_B,          GLFW_GAMEPAD_BUTTON_X,
    GLFW_GAMEPAD_BUTTON_Y,         GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER,
    GLFW_GAMEPAD_BUTTON_BACK,      GLFW_GAMEPAD_BUTTON_START,      GLFW_GAMEPAD_BUTTON_DPAD_LEFT,
    GLFW_GAMEPAD_BUTTON_DPAD_UP,   GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, GLFW_GAMEPAD_BUTTON_DPAD_DOWN,
    GLFW_GAMEPAD_BUTTON_GUIDE,     GLFW_GAMEPAD_BUTTON_LEFT_THUMB, GLFW_GAMEPAD_BUTTON_RIGHT_THUMB,
};
const int kPadAxes[] = {
    GLFW_GAMEPAD_AXIS_LEFT_X,  GLFW_GAMEPAD_AXIS_LEFT_Y,  GLFW_GAMEPAD_AXIS_LEFT_TRIGGER,
    GLFW_GAMEPAD_AXIS_RIGHT_X, GLFW_GAMEPAD_AXIS_RIGHT_Y, GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER,
};
const int kPadButtonCount = sizeof kPadButtons / sizeof kPadButtons[0];
const int kPadAxisCount = sizeof kPadAxes / sizeof kPadAxes[0];

// GLFW's own words for its most recent error ("X11: The DISPLAY environment
// variable is missing"); GLFW calls back before the failing call returns.
std::string lastError;

void OnGlfwError(int, const char* description) { lastError = description ? description : ""; }

class Glfw3Backend : public Backend {
public:
    int Init() override {
        lastError.clear();
        ::glfwSetErrorCallback(OnGlfwError);
        return ::glfwInit() == GLFW_TRUE ? 1 : 0;
    }

    const char* ErrorDescription() override { return lastError.c_str(); }

    void Terminate() override {
        ::glfwTerminate();
        window = nullptr;
        fullscreen = false;
    }

    void GetDesktopMode(glfw2::GLFWvidmode* mode) override {
        *mode = glfw2::GLFWvidmode{0, 0, 0, 0, 0};
        GLFWmonitor* monitor = ::glfwGetPrimaryMonitor();
        const ::GLFWvidmode* vm = monitor ? ::glfwGetVideoMode(monitor) : nullptr;
        if (!vm) return;
        *mode = glfw2::GLFWvidmode{vm->width, vm->height, vm->redBits, vm->blueBits, vm->greenBits};
    }

    void OpenWindowHint(int target, int hint) override {
        if (target == v2::WINDOW_NO_RESIZE) resizable = hint == 0;
    }

    int OpenWindow(int width, int height, int redbits, int greenbits, int bluebits, int alphabits, int depthbits,
                   int stencilbits, int mode) override {
        if (window) return 0;
        // GLFW 2 read 0 bits as "whatever the driver likes".
        auto bits = [](int n) { return n > 0 ? n : GLFW_DONT_CARE; };
        ::glfwDefaultWindowHints();
        ::glfwWindowHint(GLFW_RESIZABLE, resizable ? GLFW_TRUE : GLFW_FALSE);
        ::glfwWindowHint(GLFW_RED_BITS, bits(redbits));
        ::glfwWindowHint(GLFW_GREEN_BITS, bits(greenbits));
        ::glfwWindowHint(GLFW_BLUE_BITS, bits(bluebits));
        ::glfwWindowHint(GLFW_ALPHA_BITS, bits(alphabits));
        ::glfwWindowHint(GLFW_DEPTH_BITS, bits(depthbits));
        ::glfwWindowHint(GLFW_STENCIL_BITS, bits(stencilbits));
        // The size the program asks for is meant at the desktop's usual
        // density: on a monitor of content scale 2 the window opens twice
        // as large, and follows the scale when moved to another monitor.
        ::glfwWindowHint(GLFW_SCALE_TO_MONITOR, GLFW_TRUE);
        native::HintProgramName();
        GLFWmonitor* monitor = mode == v2::FULLSCREEN ? ::glfwGetPrimaryMonitor() : nullptr;
        window = ::glfwCreateWindow(width, height, "", monitor, nullptr);
        if (!window) return 0;
        ::glfwMakeContextCurrent(window);
        ::glfwSetWindowUserPointer(window, this);
        ::glfwSetKeyCallback(window, [](GLFWwindow*, int key, int, int action, int) {
            DeliverKey(TranslateKey(key), action);
        });
        ::glfwSetCharCallback(window, [](GLFWwindow*, unsigned int codepoint) {
            DeliverChar(static_cast<int>(codepoint), v2::PRESS);
        });
        ::glfwSetMouseButtonCallback(window, [](GLFWwindow*, int button, int action, int) {
            DeliverMouseButton(button, action);
        });
        ::glfwSetFramebufferSizeCallback(window, [](GLFWwindow* w, int width, int height) {
            Of(w)->fbWidth = width;
            Of(w)->fbHeight = height;
            DeliverWindowSize(width, height);
        });
        ::glfwSetWindowRefreshCallback(window, [](GLFWwindow*) { DeliverWindowRefresh(); });
        ::glfwSetWindowIconifyCallback(window, [](GLFWwindow* w, int iconified) {
            Of(w)->iconified = iconified == GLFW_TRUE;
        });
        ::glfwSetWindowFocusCallback(window, [](GLFWwindow* w, int focused) { Of(w)->focused = focused == GLFW_TRUE; });
        ::glfwSetCursorPosCallback(window, [](GLFWwindow* w, double x, double y) {
            Of(w)->cursorX = x;
            Of(w)->cursorY = y;
        });
        // The events keep these from here on.
        ::glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
        iconified = ::glfwGetWindowAttrib(window, GLFW_ICONIFIED) == GLFW_TRUE;
        focused = ::glfwGetWindowAttrib(window, GLFW_FOCUSED) == GLFW_TRUE;
        ::glfwGetCursorPos(window, &cursorX, &cursorY);
        canPresentRegions = native::FindRegionPresenter(window);
        return 1;
    }

    void SetWindowPos(int x, int y) override {
        if (window) ::glfwSetWindowPos(window, x, y);
    }

    void SetWindowTitle(const char* title) override {
        if (window) ::glfwSetWindowTitle(window, title);
    }

    int GetWindowParam(int param) override {
        if (!window) return 0;
        switch (param) {
        case v2::OPENED: return ::glfwWindowShouldClose(window) ? 0 : 1;
        case v2::ACTIVE: return focused ? 1 : 0;
        case v2::ICONIFIED: return iconified ? 1 : 0;
        default: return 0;
        }
    }

    void GetWindowSize(int* w, int* h) override {
        *w = *h = 0;
        if (!window || iconified) return;
        *w = fbWidth;
        *h = fbHeight;
    }

    void SwapBuffers() override {
        if (window) ::glfwSwapBuffers(window);
    }

    double GetTime() override { return ::glfwGetTime(); }

    void Sleep(double seconds) override {
        if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }

    void PollEvents() override { ::glfwPollEvents(); }
    void WaitEvents() override { ::glfwWaitEvents(); }

    void GetMousePos(int* x, int* y) override {
        *x = window ? static_cast<int>(cursorX) : 0;
        *y = window ? static_cast<int>(cursorY) : 0;
    }

    void SetFullscreen(bool on) override {
        if (!window || on == fullscreen) return;
        fullscreen = on;
        if (native::SetFullscreen(window, on)) return;
        if (!on) {
            ::glfwSetWindowMonitor(window, nullptr, windowed[0], windowed[1], windowed[2], windowed[3], GLFW_DONT_CARE);
            return;
        }
        ::glfwGetWindowPos(window, &windowed[0], &windowed[1]);
        ::glfwGetWindowSize(window, &windowed[2], &windowed[3]);
        GLFWmonitor* monitor = MonitorUnderWindow();
        const ::GLFWvidmode* mode = monitor ? ::glfwGetVideoMode(monitor) : nullptr;
        if (!mode) return;
        // The monitor's current mode: GLFW switches no mode, the window only
        // loses its frame and covers the monitor.
        ::glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
    }

    bool Fullscreen() override { return window && fullscreen; }

    bool CanPresentRegions() override { return window && canPresentRegions; }

    bool PresentRegion(int x, int y, int w, int h) override {
        return window && canPresentRegions && native::PresentRegion(window, x, y, w, h);
    }

    int GetJoystickParam(int joy, int param) override {
        if (!::glfwJoystickPresent(joy)) return 0;
        int count = 0;
        switch (param) {
        case v2::PRESENT: return 1;
        case v2::AXES:
            if (::glfwJoystickIsGamepad(joy)) return kPadAxisCount;
            ::glfwGetJoystickAxes(joy, &count);
            return count;
        case v2::BUTTONS:
            if (::glfwJoystickIsGamepad(joy)) return kPadButtonCount;
            ::glfwGetJoystickButtons(joy, &count);
            return count;
        default: return 0;
        }
    }

    int GetJoystickPos(int joy, float* pos, int numaxes) override {
        if (numaxes <= 0 || !::glfwJoystickPresent(joy)) return 0;
        GLFWgamepadstate pad;
        if (::glfwJoystickIsGamepad(joy) && ::glfwGetGamepadState(joy, &pad)) {
            int n = numaxes < kPadAxisCount ? numaxes : kPadAxisCount;
            for (int i = 0; i < n; ++i) pos[i] = pad.axes[kPadAxes[i]];
            return n;
        }
        int count = 0;
        const float* axes = ::glfwGetJoystickAxes(joy, &count);
        int n = numaxes < count ? numaxes : count;
        for (int i = 0; i < n; ++i) pos[i] = axes[i];
        return n;
    }

    int GetJoystickButtons(int joy, unsigned char* buttons, int numbuttons) override {
        if (numbuttons <= 0 || !::glfwJoystickPresent(joy)) return 0;
        GLFWgamepadstate pad;
        if (::glfwJoystickIsGamepad(joy) && ::glfwGetGamepadState(joy, &pad)) {
            int n = numbuttons < kPadButtonCount ? numbuttons : kPadButtonCount;
            for (int i = 0; i < n; ++i) buttons[i] = pad.buttons[kPadButtons[i]] ? v2::PRESS : v2::RELEASE;
            return n;
        }
        int count = 0;
        const unsigned char* raw = ::glfwGetJoystickButtons(joy, &count);
        int n = numbuttons < count ? numbuttons : count;
        for (int i = 0; i < n; ++i) buttons[i] = raw[i];
        return n;
    }

private:
    GLFWwindow* window = nullptr;
    bool resizable = true;
    int fbWidth = 0, fbHeight = 0;
    bool iconified = false, focused = false;
    double cursorX = 0, cursorY = 0;
    bool canPresentRegions = false;
    bool fullscreen = false;
    int windowed[4] = {0, 0, 0, 0};  // x, y, width, height before fullscreen

    // The monitor that holds the centre of the window, else the primary.
    GLFWmonitor* MonitorUnderWindow() {
        int x, y, w, h, count = 0;
        ::glfwGetWindowPos(window, &x, &y);
        ::glfwGetWindowSize(window, &w, &h);
        GLFWmonitor** monitors = ::glfwGetMonitors(&count);
        for (int i = 0; i < count; ++i) {
            int mx, my;
            ::glfwGetMonitorPos(monitors[i], &mx, &my);
            const ::GLFWvidmode* mode = ::glfwGetVideoMode(monitors[i]);
            if (mode && x + w / 2 >= mx && x + w / 2 < mx + mode->width && y + h / 2 >= my &&
                y + h / 2 < my + mode->height) {
                return monitors[i];
            }
        }
        return ::glfwGetPrimaryMonitor();
    }

    static Glfw3Backend* Of(GLFWwindow* w) { return static_cast<Glfw3Backend*>(::glfwGetWindowUserPointer(w)); }
};

}  // namespace

Backend* Glfw3BackendInstance() {
    static Glfw3Backend instance;
    return &instance;
}

}  // namespace glfw2
