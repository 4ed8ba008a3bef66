// glfw2.h - the GLFW 2 operations the program uses, and nothing more.
//
// The host, the devices and the entry point are written against the GLFW 2
// interface: one window, GLFW 2.7 key numbers, callbacks of the shape
// (key or character or button, action). This layer offers exactly those
// operations on top of a Backend:
//
//   Glfw3Backend     (glfw2_glfw3.cpp)  a real window through GLFW 3.3; the
//                                       only file that includes GLFW 3 (whose
//                                       macros clash with the names below, so
//                                       it sees only glfw2_backend.h)
//   ScriptedBackend  (glfw2_scripted.h) clock, window state, input and
//                                       joystick in memory, for tests
//
// The functions live in namespace glfw2 so they never collide with the GLFW 3
// symbols of the same names; callers write `using namespace glfw2;`.
//
// Depends on: nothing (backends: GLFW 3.3, the C++ library).

#ifndef NUBRIX_PLATFORM_GLFW2_H
#define NUBRIX_PLATFORM_GLFW2_H

#include "platform/glfw2_backend.h"

namespace glfw2 {

// Actions.
const int GLFW_RELEASE = 0;
const int GLFW_PRESS = 1;

// Window modes, hints and parameters.
const int GLFW_WINDOW = 0x10001;
const int GLFW_FULLSCREEN = 0x10002;
const int GLFW_OPENED = 0x20001;
const int GLFW_ACTIVE = 0x20002;
const int GLFW_ICONIFIED = 0x20003;
const int GLFW_WINDOW_NO_RESIZE = 0x20012;

// glfwEnable / glfwDisable tokens.
const int GLFW_KEY_REPEAT = 0x30005;
const int GLFW_AUTO_POLL_EVENTS = 0x30006;

// Joysticks.
const int GLFW_PRESENT = 0x50001;
const int GLFW_AXES = 0x50002;
const int GLFW_BUTTONS = 0x50003;
const int GLFW_JOYSTICK_1 = 0;

// Mouse buttons.
const int GLFW_MOUSE_BUTTON_LEFT = 0;
const int GLFW_MOUSE_BUTTON_RIGHT = 1;
const int GLFW_MOUSE_BUTTON_MIDDLE = 2;

// GLFW 2.7 key numbers. Printable keys are the ASCII code of the unshifted
// key (letters as capitals); the special keys follow.
const int GLFW_KEY_UNKNOWN = -1;
const int GLFW_KEY_SPACE = 32;
const int GLFW_KEY_SPECIAL = 256;
const int GLFW_KEY_ESC = 257;
const int GLFW_KEY_F1 = 258;   // F1 .. F25 = 258 .. 282
const int GLFW_KEY_F25 = 282;
const int GLFW_KEY_UP = 283;
const int GLFW_KEY_DOWN = 284;
const int GLFW_KEY_LEFT = 285;
const int GLFW_KEY_RIGHT = 286;
const int GLFW_KEY_LSHIFT = 287;
const int GLFW_KEY_RSHIFT = 288;
const int GLFW_KEY_LCTRL = 289;
const int GLFW_KEY_RCTRL = 290;
const int GLFW_KEY_LALT = 291;
const int GLFW_KEY_RALT = 292;
const int GLFW_KEY_TAB = 293;
const int GLFW_KEY_ENTER = 294;
const int GLFW_KEY_BACKSPACE = 295;
const int GLFW_KEY_INSERT = 296;
const int GLFW_KEY_DEL = 297;
const int GLFW_KEY_PAGEUP = 298;
const int GLFW_KEY_PAGEDOWN = 299;
const int GLFW_KEY_HOME = 300;
const int GLFW_KEY_END = 301;
const int GLFW_KEY_KP_0 = 302;  // KP_0 .. KP_9 = 302 .. 311
const int GLFW_KEY_KP_DIVIDE = 312;
const int GLFW_KEY_KP_MULTIPLY = 313;
const int GLFW_KEY_KP_SUBTRACT = 314;
const int GLFW_KEY_KP_ADD = 315;
const int GLFW_KEY_KP_DECIMAL = 316;
const int GLFW_KEY_KP_EQUAL = 317;
const int GLFW_KEY_KP_ENTER = 318;
const int GLFW_KEY_KP_NUM_LOCK = 319;
const int GLFW_KEY_CAPS_LOCK = 320;
const int GLFW_KEY_SCROLL_LOCK = 321;
const int GLFW_KEY_PAUSE = 322;
const int GLFW_KEY_LSUPER = 323;
const int GLFW_KEY_RSUPER = 324;
const int GLFW_KEY_MENU = 325;

typedef void (*GLFWkeyfun)(int key, int action);
typedef void (*GLFWcharfun)(int character, int action);
typedef void (*GLFWmousebuttonfun)(int button, int action);
typedef void (*GLFWwindowsizefun)(int width, int height);
typedef void (*GLFWwindowrefreshfun)();

int glfwInit();
void glfwTerminate();
void glfwGetDesktopMode(GLFWvidmode* mode);
void glfwOpenWindowHint(int target, int hint);
int glfwOpenWindow(int width, int height, int redbits, int greenbits, int bluebits, int alphabits, int depthbits,
                   int stencilbits, int mode);
void glfwSetWindowPos(int x, int y);
void glfwSetWindowTitle(const char* title);
int glfwGetWindowParam(int param);
void glfwGetWindowSize(int* width, int* height);
void glfwSwapBuffers();
double glfwGetTime();
void glfwSleep(double seconds);
void glfwPollEvents();
void glfwWaitEvents();
void glfwEnable(int token);
void glfwDisable(int token);
void glfwSetKeyCallback(GLFWkeyfun fun);
void glfwSetCharCallback(GLFWcharfun fun);
void glfwSetMouseButtonCallback(GLFWmousebuttonfun fun);
void glfwSetWindowSizeCallback(GLFWwindowsizefun fun);
void glfwSetWindowRefreshCallback(GLFWwindowrefreshfun fun);
void glfwGetMousePos(int* x, int* y);
int glfwGetJoystickParam(int joy, int param);
int glfwGetJoystickPos(int joy, float* pos, int numaxes);
int glfwGetJoystickButtons(int joy, unsigned char* buttons, int numbuttons);

// Beyond GLFW 2: presenting part of a frame. Where the platform can, a
// rectangle of the back buffer (GL window coordinates, origin bottom-left)
// is copied to the window without a swap, so the back buffer keeps the
// whole frame and the next one can be drawn over it where it changes.
// The driver learns a new window size only at a swap: after a resize, swap
// once; a copy that fails (false) needs a swap too.
bool glfwCanPresentRegions();
bool glfwPresentRegion(int x, int y, int width, int height);
// Beyond GLFW 2: fullscreen on the monitor the window is on, borderless at
// that monitor's own mode (no mode switch), and back to the window's size
// and place from before. The program sees a resize like any other.
void glfwSetFullscreen(bool on);
bool glfwGetFullscreen();
// Not in GLFW 2: the platform's own description of the most recent failure
// (a refused glfwInit or glfwOpenWindow), or "" when it gave none.
const char* glfwErrorDescription();

}  // namespace glfw2

#endif
