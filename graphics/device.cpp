// device.cpp - the rendering device: batched 2-D drawing on fixed-function GL.
//
// Every primitive is written straight into the device's vertex array with
// the current colour and matrix already applied, so drawing never allocates
// and never touches GL until the batch has to change kind or texture, is
// full, or a state change that GL must see in order (blend, scissor, pixel
// transfer, end of frame) forces it out.
//
// Depends on: graphics/device.h, graphics/surface.h, platform/glfw2.h (window
// size, buffer swap), runtime/gc.h, OpenGL 1.x (platform/gl.h).

#include "graphics/device.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/frame.h"
#include "platform/gl.h"
#include "platform/glfw2.h"

using namespace glfw2;

namespace {

// Primitives a full batch of each kind holds (1024 vertices).
int batchCapacity(int kind) {
    switch (kind) {
    case gxtkGraphics::kPoints: return gxtkGraphics::kVertexCapacity;
    case gxtkGraphics::kLines: return gxtkGraphics::kVertexCapacity / 2;
    case gxtkGraphics::kQuads: return gxtkGraphics::kQuadCapacity;
    default: return 0;
    }
}

// A float narrowed to int by truncation toward zero, saturated to the int
// range (NaN gives 0): conversions of out-of-range floats are undefined.
int truncToInt(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483520.0f) return 2147483647;
    if (v <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<int>(v);
}

// A pixel-transfer request must stay inside the caller's array: every row
// start offset + i*pitch (i < h) and its w pixels, and no more pixels in all
// than the array holds (a bound on the temporary buffer, too).
bool requestFits(const Array<int>& pixels, int w, int h, int offset, int pitch) {
    if (w <= 0 || h <= 0 || offset < 0) return false;
    int64_t length = pixels.Length();
    if (static_cast<int64_t>(w) * h > length) return false;
    int64_t span = static_cast<int64_t>(h - 1) * pitch;
    int64_t first = offset + (span < 0 ? span : 0);
    int64_t last = offset + (span > 0 ? span : 0);
    return first >= 0 && last + w <= length;
}

}  // namespace

gxtkGraphics::gxtkGraphics()
    : mode(1),
      width(0),
      height(0),
      packedColor(0xffffffffu),
      red(255),
      green(255),
      blue(255),
      alpha(1),
      xx(1),
      xy(0),
      yx(0),
      yy(1),
      dx(0),
      dy(0),
      transformed(false),
      batchKind(0),
      batchCount(0),
      batchSurface(nullptr),
      drawCalls(0),
      current(new Frame()),
      shown(new Frame()),
      stats(new FrameStats()) {
    // The collector recycles memory without clearing it; start from zeroes.
    std::memset(static_cast<void*>(vertexBuffer), 0, sizeof vertexBuffer);
    for (int q = 0; q < kQuadCapacity; ++q) {
        uint16_t v = static_cast<uint16_t>(q * 4);
        uint16_t* t = &quadIndexTable[q * 6];
        t[0] = v;
        t[1] = static_cast<uint16_t>(v + 1);
        t[2] = static_cast<uint16_t>(v + 2);
        t[3] = v;
        t[4] = static_cast<uint16_t>(v + 2);
        t[5] = static_cast<uint16_t>(v + 3);
    }
}

gxtkGraphics::~gxtkGraphics() {}

void gxtkGraphics::mark() { gc_enqueue(batchSurface); }

void gxtkGraphics::RetainFrames(bool on) {
    retain = on;
    invalid = true;
}

void gxtkGraphics::Invalidate() { invalid = true; }

const FrameStats& gxtkGraphics::Stats() const { return *stats; }

int gxtkGraphics::Mode() { return mode; }
int gxtkGraphics::Width() { return width; }
int gxtkGraphics::Height() { return height; }

bool gxtkGraphics::Validate() {
    width = height = 0;
    glfwGetWindowSize(&width, &height);
    return width > 0 && height > 0;
}

int gxtkGraphics::BeginRender() {
    if (!mode) return 0;

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    PointArraysAtBatch();

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);

    batchCount = 0;
    if (retain) {
        current->Begin(width, height);
        recording = true;
        blendMode = 0;
        scissorOn = false;
    }
    return 0;
}

void gxtkGraphics::PointArraysAtBatch() {
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &vertexBuffer[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &vertexBuffer[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), &vertexBuffer[0].color);
}

int gxtkGraphics::EndRender() {
    if (mode && batchCount > 0) Flush();
    if (!retain || !mode) {
        glfwSwapBuffers();
        return 0;
    }

    ++stats->frames;
    if (!recording) {
        // Drawn as it came after a pixel transfer: on screen whole, but not
        // all of it is in the record to compare the next frame with.
        ++stats->full;
        Present(true);
        invalid = true;
        return 0;
    }
    recording = false;

    // A swap leaves the frame on screen but not in the back buffer: the
    // next identical frame is still skipped, the next changed one is whole.
    if (!invalid && shown->SameAs(*current)) {
        ++stats->skipped;
    } else if (!invalid && !backStale && glfwCanPresentRegions() && shown->Damage(*current, damage)) {
        for (const PixelRect& r : damage) current->Draw(&r, *stats);
        PointArraysAtBatch();
        ++stats->partial;
        backStale = !Present(false);
    } else {
        current->Draw(nullptr, *stats);
        PointArraysAtBatch();
        ++stats->full;
        backStale = !Present(true);
    }
    std::swap(current, shown);
    invalid = false;
    return 0;
}

// Where the platform can present parts of the back buffer, it is not
// swapped: it keeps the frame on screen, which the next partial redraw
// builds on. It is swapped when the size changed (the driver learns a new
// size only there) or a copy failed; the next changed frame is then drawn
// whole. False when it swapped.
bool gxtkGraphics::Present(bool whole) {
    bool resized = width != presentedWidth || height != presentedHeight;
    presentedWidth = width;
    presentedHeight = height;
    if (glfwCanPresentRegions() && !resized) {
        bool copied = true;
        if (whole) {
            copied = glfwPresentRegion(0, 0, width, height);
        } else {
            for (size_t i = 0; i < damage.size() && copied; ++i) {
                const PixelRect& r = damage[i];
                copied = glfwPresentRegion(r.x0, height - 1 - r.y1, r.x1 - r.x0 + 1, r.y1 - r.y0 + 1);
            }
        }
        if (copied) return true;
    }
    glfwSwapBuffers();
    return false;
}

FrameState gxtkGraphics::RecordedState() const {
    FrameState state;
    state.blend = blendMode;
    state.scissored = scissorOn;
    if (scissorOn) {
        // GL's box (bottom-left origin) back to the pixels it lets through.
        state.scissor = PixelRect{scissorBox[0], height - scissorBox[1] - scissorBox[3],
                                  scissorBox[0] + scissorBox[2] - 1, height - scissorBox[1] - 1};
    }
    return state;
}

void gxtkGraphics::Realize() {
    Flush();
    recording = false;
    current->Draw(nullptr, *stats);
    PointArraysAtBatch();
    // GL takes over the state the recorded batches kept for themselves.
    glBlendFunc(GL_ONE, blendMode == 1 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    if (scissorOn) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
    }
}

void gxtkGraphics::Flush() {
    if (batchCount == 0) return;

    if (recording) {
        FrameState state = RecordedState();
        if (batchSurface) {
            state.texture = batchSurface->texture;
            state.serial = batchSurface->serial;
        }
        int vertices = batchKind == kQuads ? batchCount * 4 : batchKind == kLines ? batchCount * 2 : batchCount;
        current->AddBatch(batchKind, state, vertexBuffer, vertices);
        ++drawCalls;
        batchCount = 0;
        return;
    }

    if (batchSurface) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, batchSurface->texture);
    }
    switch (batchKind) {
    case kPoints:
        glDrawArrays(GL_POINTS, 0, batchCount);
        ++drawCalls;
        break;
    case kLines:
        glDrawArrays(GL_LINES, 0, batchCount * 2);
        ++drawCalls;
        break;
    case kQuads:
        glDrawElements(GL_TRIANGLES, batchCount * 6, GL_UNSIGNED_SHORT, quadIndexTable);
        ++drawCalls;
        break;
    case kFan:
        glDrawArrays(GL_TRIANGLE_FAN, 0, batchCount);
        ++drawCalls;
        break;
    default:
        break;
    }
    if (batchSurface) glDisable(GL_TEXTURE_2D);

    batchCount = 0;
}

// ---------------------------------------------------------------------------
// State. Colour and matrix are baked into each vertex as it is written, so
// changing them never flushes; blend and scissor are GL state that applies
// to whatever is drawn next, so the queued primitives go out first.
// ---------------------------------------------------------------------------

namespace {

void repack(gxtkGraphics& g) {
    // Premultiplied: the blend function is (ONE, ONE_MINUS_SRC_ALPHA).
    uint32_t r = static_cast<uint32_t>(truncToInt(g.red * g.alpha));
    uint32_t gr = static_cast<uint32_t>(truncToInt(g.green * g.alpha));
    uint32_t b = static_cast<uint32_t>(truncToInt(g.blue * g.alpha));
    uint32_t a = static_cast<uint32_t>(truncToInt(g.alpha * 255));
    g.packedColor = r | gr << 8 | b << 16 | a << 24;
}

}  // namespace

int gxtkGraphics::Cls(float r, float g, float b) {
    batchCount = 0;  // whatever was queued belongs to the picture being cleared
    if (recording) {
        current->AddClear(RecordedState(), r, g, b);
        return 0;
    }
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
}

int gxtkGraphics::SetAlpha(float a) {
    alpha = a;
    repack(*this);
    return 0;
}

int gxtkGraphics::SetColor(float r, float g, float b) {
    red = r;
    green = g;
    blue = b;
    repack(*this);
    return 0;
}

int gxtkGraphics::SetBlend(int blend) {
    Flush();
    blendMode = blend == 1 ? 1 : 0;
    if (recording) return 0;
    if (blend == 1) {
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }
    return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int w, int h) {
    Flush();
    scissorOn = !(x == 0 && y == 0 && w == Width() && h == Height());
    // Top-left window coordinates to GL's bottom-left ones.
    scissorBox[0] = x;
    scissorBox[1] = Height() - y - h;
    scissorBox[2] = w;
    scissorBox[3] = h;
    if (recording) return 0;
    if (scissorOn) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
    return 0;
}

int gxtkGraphics::SetMatrix(float mxx, float mxy, float myx, float myy, float mdx, float mdy) {
    xx = mxx;
    xy = mxy;
    yx = myx;
    yy = myy;
    dx = mdx;
    dy = mdy;
    transformed = xx != 1 || xy != 0 || yx != 0 || yy != 1 || dx != 0 || dy != 0;
    return 0;
}

// ---------------------------------------------------------------------------
// Primitives.
// ---------------------------------------------------------------------------

namespace {

inline void place(const gxtkGraphics& g, gxtkGraphics::Vertex& v, float px, float py) {
    if (g.transformed) {
        v.x = px * g.xx + py * g.yx + g.dx;
        v.y = px * g.xy + py * g.yy + g.dy;
    } else {
        v.x = px;
        v.y = py;
    }
    v.color = g.packedColor;
}

// Makes room for one primitive of `kind` drawn with `surface`: a batch of
// another kind or texture, or a full one, goes out first. Returns the first
// vertex of the new primitive.
inline gxtkGraphics::Vertex* admit(gxtkGraphics& g, int kind, gxtkSurface* surface) {
    if (g.batchKind != kind || g.batchSurface != surface || g.batchCount >= batchCapacity(kind)) {
        if (g.batchCount > 0) g.Flush();
        g.batchKind = kind;
        if (g.batchSurface != surface) gc_assign(g.batchSurface, surface);
    }
    return &g.vertexBuffer[g.batchCount++ * kind];
}

// A textured quad: corners (x0,y0)-(x1,y1), texture rectangle (u0,v0)-(u1,v1).
inline void quad(gxtkGraphics& g, gxtkSurface* surface, float x0, float y0, float x1, float y1, float u0,
                 float v0, float u1, float v1) {
    gxtkGraphics::Vertex* v = admit(g, gxtkGraphics::kQuads, surface);
    place(g, v[0], x0, y0);
    place(g, v[1], x1, y0);
    place(g, v[2], x1, y1);
    place(g, v[3], x0, y1);
    v[0].u = u0;
    v[0].v = v0;
    v[1].u = u1;
    v[1].v = v0;
    v[2].u = u1;
    v[2].v = v1;
    v[3].u = u0;
    v[3].v = v1;
}

// Ovals and polygons are one triangle fan each, drawn at once.
void beginFan(gxtkGraphics& g) {
    g.Flush();
    g.batchKind = gxtkGraphics::kFan;
    g.batchSurface = nullptr;
}

}  // namespace

int gxtkGraphics::DrawPoint(float x, float y) {
    Vertex* v = admit(*this, kPoints, nullptr);
    place(*this, v[0], x, y);
    return 0;
}

int gxtkGraphics::DrawRect(float x, float y, float w, float h) {
    Vertex* v = admit(*this, kQuads, nullptr);
    place(*this, v[0], x, y);
    place(*this, v[1], x + w, y);
    place(*this, v[2], x + w, y + h);
    place(*this, v[3], x, y + h);
    return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
    Vertex* v = admit(*this, kLines, nullptr);
    place(*this, v[0], x1, y1);
    place(*this, v[1], x2, y2);
    return 0;
}

int gxtkGraphics::DrawOval(float x, float y, float w, float h) {
    beginFan(*this);

    float xr = w * 0.5f;
    float yr = h * 0.5f;

    // Segments follow the radii as they appear on screen: about one per
    // pixel of the two radii together, between 12 and 1024, a multiple of 4.
    float size;
    if (transformed) {
        size = std::trunc(std::sqrt((xr * xx) * (xr * xx) + (xr * xy) * (xr * xy)) +
                          std::sqrt((yr * yx) * (yr * yx) + (yr * yy) * (yr * yy)));
    } else {
        size = std::fabs(std::trunc(xr)) + std::fabs(std::trunc(yr));
    }
    int n;
    if (!(size >= 12)) {  // also NaN
        n = 12;
    } else if (size > kVertexCapacity) {
        n = kVertexCapacity;
    } else {
        n = static_cast<int>(size) & ~3;
    }

    float cx = x + xr;
    float cy = y + yr;
    for (int i = 0; i < n; ++i) {
        float th = static_cast<float>(i) * 6.2831855f / static_cast<float>(n);
        // Minus: counter-clockwise on the y-down screen.
        place(*this, vertexBuffer[i], cx + xr * std::cos(th), cy - yr * std::sin(th));
    }
    batchCount = n;
    Flush();
    return 0;
}

int gxtkGraphics::DrawPoly(Array<float> xy) {
    int n = xy.Length() / 2;
    if (n < 3 || n > kVertexCapacity) return 0;

    beginFan(*this);
    for (int k = 0; k < n; ++k) place(*this, vertexBuffer[k], xy[2 * k], xy[2 * k + 1]);
    batchCount = n;
    Flush();
    return 0;
}

int gxtkGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
    if (!surface) return 0;
    float w = static_cast<float>(surface->Width());
    float h = static_cast<float>(surface->Height());
    quad(*this, surface, x, y, x + w, y + h, 0, 0, w * surface->uScale, h * surface->vScale);
    return 0;
}

int gxtkGraphics::DrawSurface2(gxtkSurface* surface, float x, float y, int sx, int sy, int sw, int sh) {
    if (!surface) return 0;
    float u = surface->uScale, v = surface->vScale;
    quad(*this, surface, x, y, x + sw, y + sh, sx * u, sy * v, (sx + sw) * u, (sy + sh) * v);
    return 0;
}

// ---------------------------------------------------------------------------
// Pixel transfer. Both refuse a request that would reach outside the caller's
// array, before touching GL or the array.
// ---------------------------------------------------------------------------

int gxtkGraphics::ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    if (!requestFits(pixels, w, h, offset, pitch)) return 0;
    if (recording) Realize();
    Flush();

    std::vector<uint32_t> buffer(static_cast<size_t>(w) * h);
    glReadPixels(x, height - y - h, w, h, GL_BGRA, GL_UNSIGNED_BYTE, buffer.data());

    // GL's rows run bottom-up; the caller's top-down.
    int* out = pixels.Data();
    for (int i = 0; i < h; ++i) {
        const uint32_t* row = &buffer[static_cast<size_t>(h - 1 - i) * w];
        std::memcpy(out + offset, row, sizeof(uint32_t) * w);
        offset += pitch;
    }
    return 0;
}

int gxtkGraphics::WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h, int offset,
                               int pitch) {
    if (!surface || !requestFits(pixels, w, h, offset, pitch)) return 0;
    if (recording) Realize();  // what was drawn with the old texels stays as it was
    Flush();

    std::vector<uint32_t> buffer(static_cast<size_t>(w) * h);
    const int* in = pixels.Data();
    uint32_t* out = buffer.data();
    for (int i = 0; i < h; ++i) {
        for (int j = 0; j < w; ++j) {
            uint32_t p = static_cast<uint32_t>(in[offset + j]);
            uint32_t a = p >> 24;
            uint32_t r = (p >> 16 & 255) * a / 255;
            uint32_t g = (p >> 8 & 255) * a / 255;
            uint32_t b = (p & 255) * a / 255;
            *out++ = a << 24 | r << 16 | g << 8 | b;
        }
        offset += pitch;
    }
    glBindTexture(GL_TEXTURE_2D, surface->texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, buffer.data());
    surface->serial = gxtkSurface::NewSerial();
    return 0;
}

// ---------------------------------------------------------------------------
// Surfaces.
// ---------------------------------------------------------------------------

gxtkSurface* gxtkGraphics::LoadSurface(String path) {
    gxtkSurface* surface = new gxtkSurface();
    if (!LoadSurface__UNSAFE__(surface, path)) return nullptr;
    if (!surface->OnUnsafeLoadComplete()) {
        surface->Discard();  // give the texture name back now, not at collection
        return nullptr;
    }
    return surface;
}

gxtkSurface* gxtkGraphics::LoadSurface__UNSAFE__(gxtkSurface* surface, String path) {
    int w = 0, h = 0, bpp = 0;
    unsigned char* data = loadImage(path, &w, &h, &bpp);
    if (!data) return nullptr;
    surface->SetData(data, w, h, bpp);
    // A replaced image's texture and pixels should not wait for the next
    // incremental cycle.
    gc_force_sweep = true;
    return surface;
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
    if (w <= 0 || h <= 0) return nullptr;
    gxtkSurface* surface = new gxtkSurface(nullptr, w, h, 4);
    if (!surface->OnUnsafeLoadComplete()) {
        surface->Discard();
        return nullptr;
    }
    return surface;
}
