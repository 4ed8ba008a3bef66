// graphics.h - the framework's drawing layer: images, frames, the font and
// one global drawing context (matrix stack, colour, alpha, blend, scissor).
//
// Game code calls the free functions; each brings the device's matrix up to
// date (the context's m_Validate) and forwards to the render device, which is
// set only between bb_graphics_BeginRender and bb_graphics_EndRender. Images
// wrap one shared surface and cut frames out of it: a strip (m_Init) or a
// row-wrapping grab from an atlas (m_Grab).
//
// Depends on: runtime, platform/data.h (bb_data_FixDataPath), graphics/device.h.

#ifndef NUBRIX_GRAPHICS_GRAPHICS_H
#define NUBRIX_GRAPHICS_GRAPHICS_H

#include "graphics/device.h"
#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/string.h"

class bb_graphics_Frame : public Object {
public:
    int x = 0;  // top-left of the frame inside the surface, in pixels
    int y = 0;

    bb_graphics_Frame* g_new(int x, int y);
};

class bb_graphics_Image : public Object {
public:
    // Image flags.
    static const int HandleCentre = 1;
    static const int PadX = 2;  // one pixel of padding left and right of each frame
    static const int PadY = 4;  // one pixel of padding above and below each frame
    static const int WholeSurface = 65536;  // one frame covering the whole surface

    static int g_DefaultFlags;

    gxtkSurface* surface = nullptr;  // shared by every image grabbed from the same atlas
    int width = 0;                   // size of one frame, padding removed
    int height = 0;
    Array<bb_graphics_Frame*> frames;
    int flags = 0;
    float handleX = 0;  // the point of the frame drawn at the given position
    float handleY = 0;
    bb_graphics_Image* source = nullptr;  // the image this one was grabbed from

    bb_graphics_Image* g_new();
    void mark() override;

    virtual int m_SetHandle(float x, float y);
    virtual int m_ApplyFlags(int flags);
    virtual bb_graphics_Image* m_Init(gxtkSurface* surface, int frameCount, int flags);
    virtual bb_graphics_Image* m_Grab(int x, int y, int width, int height, int frameCount, int flags,
                                      bb_graphics_Image* source);
    virtual bb_graphics_Image* m_GrabImage(int x, int y, int width, int height, int frameCount, int flags);
};

class bb_graphics_GraphicsContext : public Object {
public:
    bb_graphics_Image* builtinFont = nullptr;
    bb_graphics_Image* currentFont = nullptr;
    int fontFirstChar = 0;
    int stackTop = 0;  // floats in use in matrixStack
    // (px, py) maps to (px*xx + py*yx + dx, px*xy + py*yy + dy)
    float xx = 1, xy = 0, yx = 0, yy = 1, dx = 0, dy = 0;
    int transformed = 0;  // the matrix differs from the identity
    int matrixDirty = 0;  // the device's matrix must be refreshed before the next draw
    float red = 0, green = 0, blue = 0;
    float alpha = 0;
    int blendMode = 0;
    float scissorX = 0, scissorY = 0, scissorW = 0, scissorH = 0;
    Array<float> matrixStack;  // 32 saved matrices of 6 floats

    bb_graphics_GraphicsContext();
    bb_graphics_GraphicsContext* g_new();
    void mark() override;

    virtual int m_Validate();
};

extern gxtkGraphics* bb_graphics_device;
extern gxtkGraphics* bb_graphics_renderDevice;
extern bb_graphics_GraphicsContext* bb_graphics_context;

int bb_graphics_SetGraphicsDevice(gxtkGraphics* device);
int bb_graphics_DeviceWidth();
int bb_graphics_DeviceHeight();
int bb_graphics_BeginRender();
int bb_graphics_EndRender();

int bb_graphics_SetColor(float r, float g, float b);
int bb_graphics_SetAlpha(float alpha);
int bb_graphics_SetBlend(int blend);
int bb_graphics_SetScissor(float x, float y, float w, float h);
int bb_graphics_Cls(float r, float g, float b);

int bb_graphics_SetMatrix(float xx, float xy, float yx, float yy, float dx, float dy);
int bb_graphics_SetMatrix2(Array<float> m);
int bb_graphics_Transform(float a, float b, float c, float d, float e, float f);
int bb_graphics_Transform2(Array<float> m);
int bb_graphics_Translate(float x, float y);
int bb_graphics_Scale(float x, float y);
int bb_graphics_Rotate(float degrees);
int bb_graphics_PushMatrix();
int bb_graphics_PopMatrix();

int bb_graphics_DrawRect(float x, float y, float w, float h);
int bb_graphics_DrawLine(float x1, float y1, float x2, float y2);
int bb_graphics_DrawEllipse(float x, float y, float xRadius, float yRadius);
int bb_graphics_DrawImage(bb_graphics_Image* image, float x, float y, int frame);
int bb_graphics_DrawImage2(bb_graphics_Image* image, float x, float y, float rotation, float scaleX, float scaleY,
                           int frame);
int bb_graphics_ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch);

// Null when the picture cannot be loaded, after a line on standard output
// naming the file and why.
bb_graphics_Image* bb_graphics_LoadImage(String path, int frameCount, int flags);
bb_graphics_Image* bb_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount, int flags);

int bb_graphics_SetFont(bb_graphics_Image* font, int firstChar);

#endif
