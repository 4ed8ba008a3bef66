// native_window_win32.cpp - the window system under GLFW on Windows. The
// desktop knows the program by its executable and the icon in its
// resources, so there is nothing to hint; GLFW's fullscreen is the
// system's (a borderless window over the monitor at its current mode);
// WGL offers no way to present part of a frame, so every changed frame is
// swapped whole.

#include "platform/native_window.h"

namespace glfw2 {
namespace native {

void HintProgramName() {}

bool SetFullscreen(GLFWwindow*, bool) { return false; }

bool FindRegionPresenter(GLFWwindow*) { return false; }

bool PresentRegion(GLFWwindow*, int, int, int, int) { return false; }

}  // namespace native
}  // namespace glfw2
