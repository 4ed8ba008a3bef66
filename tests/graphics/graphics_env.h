// graphics_env.h - what every graphics suite stands on: one real window and
// GL context per test binary (Mesa under Xvfb), a fresh device and drawing
// context per test, set up the way the host does it, and read-back helpers.
//
// The collector runs between tests and wherever a test calls Collect, as the
// host runs it between handlers; objects a test holds only in locals must be
// passed to Collect to survive (the real roots are the framework globals).
//
// Depends on: graphics, tests/support/gl_window.h, GoogleTest, OpenGL 1.x.

#ifndef NUBRIX_TESTS_GRAPHICS_GRAPHICS_ENV_H
#define NUBRIX_TESTS_GRAPHICS_GRAPHICS_ENV_H

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "graphics/device.h"
#include "graphics/graphics.h"
#include "graphics/surface.h"

namespace graphics_test {

// Channels of a 0xAARRGGBB pixel.
inline int R(uint32_t p) { return p >> 16 & 255; }
inline int G(uint32_t p) { return p >> 8 & 255; }
inline int B(uint32_t p) { return p & 255; }
inline uint32_t Rgb(uint32_t p) { return p & 0xffffff; }

// A device that also records which surface and oval calls reached it.
class RecordingGraphics : public gxtkGraphics {
public:
    std::vector<std::string> calls;
    float oval[4] = {0, 0, 0, 0};

    int DrawOval(float x, float y, float w, float h) override;
    int DrawSurface(gxtkSurface* surface, float x, float y) override;
    int DrawSurface2(gxtkSurface* surface, float x, float y, int sx, int sy, int sw, int sh) override;
};

class GraphicsTest : public ::testing::Test {
protected:
    gxtkGraphics* device = nullptr;
    bb_graphics_GraphicsContext* context = nullptr;

    void SetUp() override;
    void TearDown() override;

    // Installs `g` as the graphics device and starts a frame on it, as the
    // host does: Validate, BeginRender, the framework's BeginRender, then a
    // black clear.
    void UseDevice(gxtkGraphics* g);

    // A collector step as after a handler, made full: the cycle finishes and
    // all garbage is destroyed. `keep` survive it. Objects stored only
    // through the write barrier are reached by their owner's mark() from the
    // second call on.
    void Collect(std::initializer_list<gc_object*> keep = {});

    // The frame buffer pixel at (x, y), top-left origin, as 0xAARRGGBB.
    uint32_t Pixel(int x, int y);
};

// A w x h surface filled with one 0xAARRGGBB colour through WritePixels2.
gxtkSurface* SolidSurface(gxtkGraphics* device, uint32_t argb, int w = 4, int h = 4);

// The path of a committed fixture.
String Fixture(const char* name);
std::string FixtureFile(const char* name);

// A texture's size and its texels read back from GL in `format`.
struct Texels {
    int width = 0, height = 0, channels = 0;
    std::vector<unsigned char> bytes;
    const unsigned char* At(int x, int y) const { return &bytes[(static_cast<size_t>(y) * width + x) * channels]; }
};
Texels ReadTexture(gxtkSurface* surface, unsigned format);

// Runs `draw` in GL feedback mode and returns how many triangles (polygons)
// GL rasterised, with no clipping: the projection spans +-8192 pixels.
int TrianglesDrawn(const std::function<void()>& draw);

}  // namespace graphics_test

#endif
