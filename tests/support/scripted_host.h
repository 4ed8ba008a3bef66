// scripted_host.h - a test fixture on the in-memory GLFW 2 backend
// (platform/glfw2_scripted.h): the backend is installed for the test's
// lifetime, so the clock, the window state and the input are the test's to
// script, and the host runs on it as it runs on the real one.
//
// Suites that create a game object of their own call StartHost first: it
// opens the window and creates the framework's graphics context as main()
// and bbInit do, which is what the host adapter expects to find. Suites that
// run the program's own bbInit open the window alone (OpenWindow).
//
// Depends on: host (glfw2, the adapter), graphics/graphics.h, GoogleTest.

#ifndef NUBRIX_TESTS_SUPPORT_SCRIPTED_HOST_H
#define NUBRIX_TESTS_SUPPORT_SCRIPTED_HOST_H

#include <gtest/gtest.h>

#include "platform/glfw2_scripted.h"

namespace nubrix_test {

class ScriptedHostTest : public ::testing::Test {
protected:
    glfw2::ScriptedBackend window;
    glfw2::ScopedBackend use{&window};

    // glfwInit, then the window at the backend's current size (640 x 480
    // unless the test changed it); true when both succeed.
    bool OpenWindow();
    // OpenWindow (a fatal failure when it fails), then a fresh graphics
    // context in bb_graphics_context.
    void StartHost();

    // Closes the scripted window (glfwTerminate).
    void TearDown() override;
};

}  // namespace nubrix_test

#endif
