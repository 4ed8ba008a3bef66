// frame.h - what one render drew, kept so that the next render can be
// compared with it and drawn only where it differs.
//
// While frames are retained (gxtkGraphics::RetainFrames), the device records
// each batch here instead of handing it to GL. At the end of the frame the
// record is compared with the one last presented:
//   - an identical frame is neither drawn nor presented;
//   - a frame that differs in a few places is drawn again only inside the
//     rectangles where the two differ, every batch that touches one of them in
//     its original order under a scissor, so blending is exactly as in a full
//     redraw; only those rectangles are presented;
//   - anything else is drawn whole.
// Drawing also moves a primitive into an earlier batch of the same kind and
// texture when nothing drawn in between shares a pixel with it, which turns
// the game board's alternating squares and atoms into a few GL calls.
//
// Pixels are judged by their centres: a primitive can change pixel (i, j)
// only if the point (i + 0.5, j + 0.5) lies in its bounding box (points and
// lines get one pixel of margin, everything a little for vertex snapping).
//
// Depends on: graphics/device.h (Vertex), OpenGL 1.x.

#ifndef NUBRIX_GRAPHICS_FRAME_H
#define NUBRIX_GRAPHICS_FRAME_H

#include <cstdint>
#include <vector>

#include "graphics/device.h"

// Pixels whose centres a primitive may touch: columns x0..x1, rows y0..y1
// (inclusive, top-left origin); empty when x0 > x1 or y0 > y1.
struct PixelRect {
    int x0, y0, x1, y1;

    bool Empty() const { return x0 > x1 || y0 > y1; }
    long Area() const { return Empty() ? 0 : static_cast<long>(x1 - x0 + 1) * (y1 - y0 + 1); }
    bool Meets(const PixelRect& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
    PixelRect Meet(const PixelRect& o) const;
    PixelRect Join(const PixelRect& o) const;
};

// The GL state a batch is drawn with.
struct FrameState {
    unsigned texture = 0;     // GL texture name, 0 untextured
    uint32_t serial = 0;      // the texture's content (gxtkSurface::serial)
    int blend = 0;            // 1 additive, anything else premultiplied alpha
    bool scissored = false;
    PixelRect scissor{0, 0, -1, -1};  // pixels the scissor lets through

    bool operator==(const FrameState& o) const;
    bool operator!=(const FrameState& o) const { return !(*this == o); }
};

struct FrameBatch {
    enum { kClear = 6 };     // besides gxtkGraphics' kPoints, kLines, kQuads, kFan
    int kind = 0;
    FrameState state;
    int first = 0, count = 0;  // vertices in Frame::vertices
    float clear[3] = {0, 0, 0};  // kClear: red, green, blue, 0..255
};

// Counts kept by the device across frames: readable by tests, printed by
// the benchmarks.
struct FrameStats {
    long frames = 0;       // renders ended
    long skipped = 0;      // identical to the frame on screen: nothing drawn or presented
    long partial = 0;      // drawn and presented only where they changed
    long full = 0;         // drawn whole
    long drawCalls = 0;    // GL draw and clear calls
    long primitives = 0;   // points, lines, quads and fans drawn
    long pixels = 0;       // pixels inside the bounding boxes of what was drawn, clipped
};

class Frame {
public:
    int width = 0, height = 0;
    std::vector<gxtkGraphics::Vertex> vertices;
    std::vector<FrameBatch> batches;

    // Empties the record for a frame of the given size; storage is kept, so
    // recording allocates only while frames grow.
    void Begin(int width, int height);

    // Appends `count` vertices of one batch; primitives that touch no pixel
    // of the window (or of their scissor) are left out. The first opaque
    // untextured quad of a frame that covers the whole window becomes a
    // clear of its colour.
    void AddBatch(int kind, const FrameState& state, const gxtkGraphics::Vertex* v, int count);
    void AddClear(const FrameState& state, float r, float g, float b);

    // Pixel rectangles where `next` may differ from this frame; false when
    // the two cannot be compared part by part (other size, a clear changed,
    // too much changed): draw the whole of `next` then.
    bool Damage(const Frame& next, std::vector<PixelRect>& out) const;
    bool SameAs(const Frame& other) const;

    // Draws the frame through GL from its own vertex array: all of it, or
    // (with `clip`) only what touches that rectangle, under a scissor to it.
    // Leaves the scissor off, the blend premultiplied and textures off; the
    // caller points the client arrays back at its own vertices.
    void Draw(const PixelRect* clip, FrameStats& stats) const;

    // The pixels one primitive (`count` vertices of a batch of `kind`) may touch.
    static PixelRect Touched(int kind, const gxtkGraphics::Vertex* v, int count);
    // Vertices per primitive of a batch kind (a fan is one primitive).
    static int PrimitiveSize(int kind, int count);
};

#endif
