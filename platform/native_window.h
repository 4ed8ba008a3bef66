// native_window.h - what the real GLFW backend needs of the window system
// beneath GLFW, one implementation per system:
//   native_window_x11.cpp    X11 and GLX (Linux)
//   native_window_win32.cpp  Win32 and WGL (Windows)
//
// Depends on: GLFW 3 (the caller's window).

#ifndef NUBRIX_PLATFORM_NATIVE_WINDOW_H
#define NUBRIX_PLATFORM_NATIVE_WINDOW_H

struct GLFWwindow;

namespace glfw2 {
namespace native {

// Window hints that name the program to the desktop, given before the
// window is made.
void HintProgramName();

// Looks for a way to copy parts of the back buffer to the window; true when
// the window's GL driver has one. Called once the window's context is current.
bool FindRegionPresenter(GLFWwindow* window);

// Asks the window system for fullscreen on the window's monitor, or back
// to the window it was; false when it has no way, and GLFW's own
// glfwSetWindowMonitor is to do it. (GLFW's request on X11 is one some
// window managers ignore: it also moves and resizes the window itself.)
bool SetFullscreen(GLFWwindow* window, bool on);

// Copies one rectangle of the back buffer (GL window coordinates) to the
// window, leaving the back buffer as it is; false when the copy failed.
bool PresentRegion(GLFWwindow* window, int x, int y, int w, int h);

}  // namespace native
}  // namespace glfw2

#endif
