// scripted_host.cpp - the fixture on the scripted GLFW 2 backend (see
// scripted_host.h).

#include "tests/support/scripted_host.h"

#include "graphics/graphics.h"
#include "platform/glfw2.h"

using namespace glfw2;

namespace nubrix_test {

bool ScriptedHostTest::OpenWindow() {
    return glfwInit() == 1 && glfwOpenWindow(window.width, window.height, 0, 0, 0, 0, 0, 0, GLFW_WINDOW) == 1;
}

void ScriptedHostTest::StartHost() {
    ASSERT_TRUE(OpenWindow());
    gc_assign(bb_graphics_context, (new bb_graphics_GraphicsContext())->g_new());
}

void ScriptedHostTest::TearDown() { glfwTerminate(); }

}  // namespace nubrix_test
