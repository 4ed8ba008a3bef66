// reference_window - the least a windowed GL + OpenAL program can cost, as
// a yardstick for the game's own memory and CPU measured in the same run.
//
//   reference_window clear   clears and swaps at 60 frames a second
//   reference_window quad    also covers the window with one textured quad
//
// It starts the way the game does: GLFW, a 640x480 window titled
// "Reference", the default OpenAL device and context; then it runs until the
// window is closed. Timing is a plain sleep to the next 1/60 s, as the game's
// loop does, so the two compare frame for frame.
//
// Depends on: GLFW 3, OpenGL 1.x, OpenAL.

#include <AL/al.h>
#include <AL/alc.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    const bool quad = argc > 1 && std::strcmp(argv[1], "quad") == 0;
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        return 1;
    }
    GLFWwindow* window = glfwCreateWindow(640, 480, "Reference", nullptr, nullptr);
    if (!window) {
        std::puts("glfwCreateWindow failed");
        return 1;
    }
    glfwMakeContextCurrent(window);

    ALCdevice* device = alcOpenDevice(nullptr);
    ALCcontext* context = device ? alcCreateContext(device, nullptr) : nullptr;
    if (context) alcMakeContextCurrent(context);

    GLuint texture = 0;
    if (quad) {
        // A 640x480 RGBA texture, like one full-window picture of the game.
        std::vector<unsigned char> pixels(640 * 480 * 4);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 7);
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 640, 480, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }

    double next = glfwGetTime();
    while (!glfwWindowShouldClose(window)) {
        double now = glfwGetTime();
        if (next > now) {
            std::this_thread::sleep_for(std::chrono::duration<double>(next - now));
            continue;
        }
        next += 1.0 / 60;
        if (next < now) next = now;
        glfwPollEvents();

        int w = 0, h = 0;
        glfwGetFramebufferSize(window, &w, &h);
        glViewport(0, 0, w, h);
        glClearColor(0, 0, 80 / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        if (quad) {
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            glOrtho(0, w, h, 0, -1, 1);
            glEnable(GL_TEXTURE_2D);
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0), glVertex2f(0, 0);
            glTexCoord2f(1, 0), glVertex2f(static_cast<float>(w), 0);
            glTexCoord2f(1, 1), glVertex2f(static_cast<float>(w), static_cast<float>(h));
            glTexCoord2f(0, 1), glVertex2f(0, static_cast<float>(h));
            glEnd();
            glDisable(GL_TEXTURE_2D);
        }
        glfwSwapBuffers(window);
    }

    if (texture) glDeleteTextures(1, &texture);
    if (context) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
    if (device) alcCloseDevice(device);
    glfwTerminate();
    return 0;
}
