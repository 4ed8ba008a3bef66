// device.h - the rendering device: batched 2-D drawing on fixed-function GL.
//
// One client-side vertex array of 1024 vertices; the current colour and 2-D
// affine matrix are baked into every vertex on the CPU, and the array goes to
// OpenGL in batches of one primitive kind and one texture at a time. Colour
// and matrix changes therefore never flush; kind, texture, blend and scissor
// changes do. Colours are premultiplied by alpha everywhere.
//
// Per frame the host calls Validate, BeginRender, the drawing, EndRender.
//
// With frames retained (the host's choice; off by default), batches are
// recorded instead of drawn, and EndRender draws and presents only what
// differs from the frame on screen (graphics/frame.h): nothing at all for a
// frame that did not change. Reading or writing pixels in the middle of such
// a frame draws what was recorded so far at once, and the rest of the frame
// is drawn as it comes.
//
// Depends on: runtime, graphics/surface.h, platform/glfw2.h (window size, swap,
// presenting parts of the frame), OpenGL 1.x.

#ifndef NUBRIX_GRAPHICS_DEVICE_H
#define NUBRIX_GRAPHICS_DEVICE_H

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/surface.h"
#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/string.h"

class Frame;
struct FrameState;
struct FrameStats;
struct PixelRect;

class gxtkGraphics : public gxtkObject {
public:
    // One vertex as handed to glVertexPointer/glTexCoordPointer/glColorPointer
    // (stride 20 bytes).
    struct Vertex {
        float x, y;
        float u, v;
        uint32_t color;  // bytes in memory R, G, B, A (premultiplied)
    };

    static const int kVertexCapacity = 1024;
    static const int kQuadCapacity = 256;

    // Batch kinds: vertices per primitive of the pending batch.
    enum { kPoints = 1, kLines = 2, kQuads = 4, kFan = 5 };

    int mode;                 // 1 with a window and GL context; 0: BeginRender does nothing, EndRender only swaps
    int width, height;        // window client size, refreshed by Validate
    uint32_t packedColor;     // premultiplied vertex colour
    float red, green, blue;   // last colour given, 0..255
    float alpha;              // last alpha given, 0..1
    float xx, xy, yx, yy, dx, dy;  // (px, py) -> (px*xx + py*yx + dx, px*xy + py*yy + dy)
    bool transformed;         // false exactly when the matrix is the identity
    Vertex vertexBuffer[kVertexCapacity];
    uint16_t quadIndexTable[kQuadCapacity * 6];
    int batchKind;
    int batchCount;           // primitives pending (vertices for kFan)
    // Texture of the pending batch, null for untextured kinds. Marked, so a
    // surface the game drops while its quads are still queued is not freed
    // before the batch is drawn.
    gxtkSurface* batchSurface;

    // Number of batches Flush has sent since construction (to GL, or to the
    // frame record): lets tests and benchmarks see batching at work.
    int drawCalls;

    gxtkGraphics();
    ~gxtkGraphics() override;
    void mark() override;

    // Records frames and draws only what changed (see above).
    void RetainFrames(bool on);
    // The next frame is drawn and presented whole, whatever it looks like:
    // after an expose, a restore, a resume.
    void Invalidate();
    // What retained frames cost: frames drawn, skipped, GL calls, pixels.
    const FrameStats& Stats() const;

    virtual int Mode();
    virtual int Width();
    virtual int Height();
    virtual gxtkSurface* LoadSurface(String path);
    virtual gxtkSurface* LoadSurface__UNSAFE__(gxtkSurface* surface, String path);
    virtual gxtkSurface* CreateSurface(int width, int height);
    virtual int Cls(float r, float g, float b);
    virtual int SetAlpha(float alpha);
    virtual int SetColor(float r, float g, float b);
    virtual int SetBlend(int blend);
    virtual int SetScissor(int x, int y, int w, int h);
    virtual int SetMatrix(float xx, float xy, float yx, float yy, float dx, float dy);
    virtual int DrawPoint(float x, float y);
    virtual int DrawRect(float x, float y, float w, float h);
    virtual int DrawLine(float x1, float y1, float x2, float y2);
    virtual int DrawOval(float x, float y, float w, float h);
    virtual int DrawPoly(Array<float> xy);
    virtual int DrawSurface(gxtkSurface* surface, float x, float y);
    virtual int DrawSurface2(gxtkSurface* surface, float x, float y, int sx, int sy, int sw, int sh);
    virtual int ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch);
    virtual int WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h, int offset,
                             int pitch);

    bool Validate();
    int BeginRender();
    int EndRender();
    void Flush();

private:
    bool retain = false;      // frames are recorded and compared
    bool recording = false;   // inside BeginRender/EndRender of a retained frame, nothing drawn yet
    bool invalid = true;      // the frame on screen is unknown: draw the next one whole
    bool backStale = true;    // the back buffer no longer holds the frame on screen (it was
                              // swapped): a partial redraw has nothing to build on
    int blendMode = 0;        // blend and scissor as the recorded batches need them
    bool scissorOn = false;
    int scissorBox[4] = {0, 0, 0, 0};
    std::unique_ptr<Frame> current, shown;
    std::unique_ptr<FrameStats> stats;
    std::vector<PixelRect> damage;

    void Realize();             // draws the recorded part of the frame now; the rest goes straight to GL
    int presentedWidth = 0, presentedHeight = 0;  // size of the last frame presented
    // Shows the frame: all of it, or the damage rectangles. False when the
    // back buffer may no longer hold it (it was swapped).
    bool Present(bool whole);
    void PointArraysAtBatch();
    FrameState RecordedState() const;  // blend and scissor of what is recorded now
};

#endif
