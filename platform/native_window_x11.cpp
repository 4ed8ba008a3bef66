// native_window_x11.cpp - the window system under GLFW on Linux: the X11
// window class, fullscreen asked of the window manager (EWMH), and parts
// of a frame presented with
// GLX_MESA_copy_sub_buffer where the GL driver offers it (Mesa's software
// renderer does).

#include "platform/native_window.h"

#include <GL/glx.h>
#include <GLFW/glfw3.h>

// GLFW's native-access functions for X11 and GLX. Declared here because
// glfw3native.h pulls in the headers of every X extension GLFW uses.
extern "C" Display* glfwGetX11Display(void);
extern "C" GLXWindow glfwGetGLXWindow(GLFWwindow* window);
extern "C" Window glfwGetX11Window(GLFWwindow* window);

#include <cctype>
#include <cstring>
#include <string>

#include "platform/system.h"

namespace glfw2 {
namespace native {
namespace {

typedef void (*CopySubBufferFn)(Display*, GLXDrawable, int, int, int, int);

CopySubBufferFn copySubBuffer = nullptr;
bool copyFailed = false;

}  // namespace

// The window's class is the program's own name ("nubrix", class "Nubrix"),
// so that a desktop matches the running window with the program's menu
// entry and icon.
void HintProgramName() {
    std::string instance = sys::ProgramName(), kind = instance;
    if (!kind.empty()) kind[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(kind[0])));
    ::glfwWindowHintString(GLFW_X11_INSTANCE_NAME, instance.c_str());
    ::glfwWindowHintString(GLFW_X11_CLASS_NAME, kind.c_str());
}

// The window manager covers the window's monitor with it, without a frame
// and at the monitor's mode, and gives it back its size and place after.
bool SetFullscreen(GLFWwindow* window, bool on) {
    Display* display = ::glfwGetX11Display();
    if (!display) return false;
    const long kRemove = 0, kAdd = 1, kFromAPager = 2;  // as wmctrl asks: some managers refuse applications
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = ::glfwGetX11Window(window);
    e.xclient.format = 32;
    e.xclient.message_type = ::XInternAtom(display, "_NET_WM_STATE", False);
    e.xclient.data.l[0] = on ? kAdd : kRemove;
    e.xclient.data.l[1] = static_cast<long>(::XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False));
    e.xclient.data.l[3] = kFromAPager;
    ::XSendEvent(display, DefaultRootWindow(display), False, SubstructureNotifyMask | SubstructureRedirectMask, &e);
    ::XFlush(display);
    return true;
}

bool FindRegionPresenter(GLFWwindow* window) {
    copySubBuffer = nullptr;
    Display* display = ::glfwGetX11Display();
    if (!display || !::glfwGetGLXWindow(window)) return false;
    const char* extensions = ::glXQueryExtensionsString(display, DefaultScreen(display));
    if (!extensions || !std::strstr(extensions, "GLX_MESA_copy_sub_buffer")) return false;
    copySubBuffer = reinterpret_cast<CopySubBufferFn>(
        ::glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCopySubBufferMESA")));
    return copySubBuffer != nullptr;
}

// A copy beyond the driver's idea of the buffer is an X error, which would
// end the process: such errors are caught here and reported.
bool PresentRegion(GLFWwindow* window, int x, int y, int w, int h) {
    if (!copySubBuffer) return false;
    Display* display = ::glfwGetX11Display();
    copyFailed = false;
    XErrorHandler previous = ::XSetErrorHandler([](Display*, XErrorEvent*) {
        copyFailed = true;
        return 0;
    });
    copySubBuffer(display, ::glfwGetGLXWindow(window), x, y, w, h);
    ::XSync(display, False);
    ::XSetErrorHandler(previous);
    return !copyFailed;
}

}  // namespace native
}  // namespace glfw2
