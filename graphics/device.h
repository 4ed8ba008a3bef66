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
// Depends on: runtime, graphics/surface.h, host/glfw2.h (window size, swap),
// OpenGL 1.x.

#ifndef NUBRIX_GRAPHICS_DEVICE_H
#define NUBRIX_GRAPHICS_DEVICE_H

#include <cstdint>

#include "graphics/surface.h"
#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/string.h"

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

    // Number of GL draw calls issued by Flush since construction: lets tests
    // and benchmarks see batching at work.
    int drawCalls;

    gxtkGraphics();
    void mark() override;

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
};

#endif
