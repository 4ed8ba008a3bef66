// gl_window.cpp - the test binary's real window (see gl_window.h).

#include "tests/support/gl_window.h"

#include <cstdio>
#include <cstdlib>

#include "platform/glfw2.h"

using namespace glfw2;

namespace nubrix_test {

void OpenGLWindow(const char* suite) {
    if (!glfwInit() || !glfwOpenWindow(640, 480, 8, 8, 8, 8, 0, 0, GLFW_WINDOW)) {
        std::fprintf(stderr, "%s tests: no window (is there an X display?)\n", suite);
        std::exit(1);
    }
}

}  // namespace nubrix_test
