// gl_window.h - the one real window and GL context of a test binary (Mesa's
// software renderer under Xvfb), opened through the GLFW 2 layer as main()
// opens the game's.
//
// The window stays open until the process ends: glfwTerminate would unload
// Mesa's driver, and LeakSanitizer (the collector stress build) would then
// report the driver's start-up allocations, still held by its globals, as
// leaks of an unknown module.
//
// Depends on: platform/glfw2.h, GoogleTest.

#ifndef NUBRIX_TESTS_SUPPORT_GL_WINDOW_H
#define NUBRIX_TESTS_SUPPORT_GL_WINDOW_H

#include <gtest/gtest.h>

namespace nubrix_test {

// Opens the 640 x 480 window with 8-bit colour and alpha channels, or ends
// the process with "<suite> tests: no window (is there an X display?)".
void OpenGLWindow(const char* suite);

// The window as the whole environment, for suites that need nothing else.
// Register it from the suite's own sources (AddGlobalTestEnvironment): a
// static library's unreferenced registration would never run.
class GLWindowEnvironment : public ::testing::Environment {
public:
    explicit GLWindowEnvironment(const char* suite) : suite(suite) {}
    void SetUp() override { OpenGLWindow(suite); }

private:
    const char* suite;
};

}  // namespace nubrix_test

#endif
