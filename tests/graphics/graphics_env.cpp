// graphics_env.cpp - the window, the per-test device and the read-back
// helpers of the graphics suites.

#include "tests/graphics/graphics_env.h"

#include "platform/gl.h"

#include "tests/support/gl_window.h"

namespace graphics_test {

namespace {

// One window for the whole binary: GL contexts are slow to make under Mesa.
::testing::Environment* const window =
    ::testing::AddGlobalTestEnvironment(new nubrix_test::GLWindowEnvironment("graphics"));

}  // namespace

int RecordingGraphics::DrawOval(float x, float y, float w, float h) {
    calls.push_back("DrawOval");
    oval[0] = x;
    oval[1] = y;
    oval[2] = w;
    oval[3] = h;
    return gxtkGraphics::DrawOval(x, y, w, h);
}

int RecordingGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
    calls.push_back("DrawSurface");
    return gxtkGraphics::DrawSurface(surface, x, y);
}

int RecordingGraphics::DrawSurface2(gxtkSurface* surface, float x, float y, int sx, int sy, int sw, int sh) {
    calls.push_back("DrawSurface2");
    return gxtkGraphics::DrawSurface2(surface, x, y, sx, sy, sw, sh);
}

void GraphicsTest::SetUp() {
    gc_assign(bb_graphics_context, (new bb_graphics_GraphicsContext())->g_new());
    context = bb_graphics_context;
    UseDevice(new gxtkGraphics());
}

void GraphicsTest::TearDown() {
    bb_graphics_EndRender();
    gxtkSurface::refuseAllocations = 0;
    while (glGetError() != GL_NO_ERROR) {
    }
    Collect();
}

void GraphicsTest::UseDevice(gxtkGraphics* g) {
    bb_graphics_SetGraphicsDevice(g);
    device = g;
    Collect();  // the new device and context must survive as roots
    ASSERT_TRUE(device->Validate());
    device->BeginRender();
    bb_graphics_BeginRender();
    bb_graphics_Cls(0, 0, 0);
}

void GraphicsTest::Collect(std::initializer_list<gc_object*> keep) {
    for (gc_object* p : keep) gc_enqueue(p);
    gc_force_sweep = true;
    gc_collect();
}

uint32_t GraphicsTest::Pixel(int x, int y) {
    Array<int> one(1);
    device->ReadPixels(one, x, y, 1, 1, 0, 1);
    return static_cast<uint32_t>(one[0]);
}

gxtkSurface* SolidSurface(gxtkGraphics* device, uint32_t argb, int w, int h) {
    gxtkSurface* surface = device->CreateSurface(w, h);
    Array<int> pixels(w * h);
    for (int i = 0; i < w * h; ++i) pixels[i] = static_cast<int>(argb);
    device->WritePixels2(surface, pixels, 0, 0, w, h, 0, w);
    return surface;
}

std::string FixtureFile(const char* name) { return std::string(NUBRIX_SOURCE_DIR "/tests/graphics/fixtures/") + name; }

String Fixture(const char* name) { return String(FixtureFile(name).c_str()); }

Texels ReadTexture(gxtkSurface* surface, unsigned format) {
    Texels t;
    glBindTexture(GL_TEXTURE_2D, surface->texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
    t.channels = format == GL_LUMINANCE ? 1 : format == GL_LUMINANCE_ALPHA ? 2 : format == GL_RGB ? 3 : 4;
    t.bytes.assign(static_cast<size_t>(t.width) * t.height * t.channels, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, t.bytes.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return t;
}

int TrianglesDrawn(const std::function<void()>& draw) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-8192, 8192, 8192, -8192, -1, 1);

    static std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    int used = glRenderMode(GL_RENDER);

    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    int triangles = 0;
    for (int i = 0; i < used;) {
        int token = static_cast<int>(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            int n = static_cast<int>(buffer[i++]);
            if (n == 3) ++triangles;
            i += n * 2;
        } else if (token == GL_POINT_TOKEN) {
            i += 2;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 4;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            i += 2;  // bitmap and pixel tokens: one vertex
        }
    }
    return used < 0 ? -1 : triangles;
}

}  // namespace graphics_test
