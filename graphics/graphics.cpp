// graphics.cpp - the framework's drawing layer: images, frames, the font and
// the global drawing context.
//
// The context keeps the matrix the game builds with Translate, Rotate, Scale
// and the push/pop stack; it reaches the device lazily (m_Validate), once per
// draw at most, because the device bakes it into vertices on the CPU and
// changing it there costs nothing. Colour, alpha, blend and scissor go to the
// device at once.
//
// Images share one surface and cut frames out of it. Every reference stored
// into a field, a global or a frame array goes through gc_assign.
//
// Depends on: graphics/graphics.h, graphics/device.h, platform/data.h
// (bb_data_FixDataPath, ReportLoadFailure), runtime (collector, arrays, strings, Error).

#include "graphics/graphics.h"

#include <cmath>

#include "platform/data.h"
#include "runtime/report.h"

int bb_graphics_Image::g_DefaultFlags = 0;

gxtkGraphics* bb_graphics_device = nullptr;
gxtkGraphics* bb_graphics_renderDevice = nullptr;
bb_graphics_GraphicsContext* bb_graphics_context = nullptr;

namespace {
const bool rootsAdded = (gc_add_roots([] {
                             gc_enqueue(bb_graphics_device);
                             gc_enqueue(bb_graphics_context);
                             gc_enqueue(bb_graphics_renderDevice);
                         }),
                         true);
}  // namespace
// Definitions for the flag constants, so they can also be bound by reference.
const int bb_graphics_Image::HandleCentre;
const int bb_graphics_Image::PadX;
const int bb_graphics_Image::PadY;
const int bb_graphics_Image::WholeSurface;

namespace {

const float D2R = 0.017453292f;
const int kMatrixSize = 6;
const int kStackLevels = 32;

// A float narrowed to int by truncation, saturated (NaN gives 0).
int truncToInt(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483520.0f) return 2147483647;
    if (v <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<int>(v);
}

bool isIdentity(const bb_graphics_GraphicsContext* c) {
    return c->xx == 1 && c->xy == 0 && c->yx == 0 && c->yy == 1 && c->dx == 0 && c->dy == 0;
}

void matrixChanged(bb_graphics_GraphicsContext* c) {
    c->transformed = isIdentity(c) ? 0 : 1;
    c->matrixDirty = 1;
}

// Draws frame `f` of `image` with its top-left at (px, py) under the
// context's current matrix, handed to the render device first.
void drawFrame(bb_graphics_Image* image, bb_graphics_Frame* f, float px, float py) {
    bb_graphics_context->m_Validate();
    gxtkGraphics* device = bb_graphics_renderDevice;
    if (image->flags & bb_graphics_Image::WholeSurface) {
        device->DrawSurface(image->surface, px, py);
    } else {
        device->DrawSurface2(image->surface, px, py, f->x, f->y, image->width, image->height);
    }
}

// The frame to draw, or null when there is nothing sensible to draw: no
// image, no render device, or a frame index the image does not have.
bb_graphics_Frame* frameToDraw(bb_graphics_Image* image, int frame) {
    if (!image || !bb_graphics_renderDevice || !image->surface) return nullptr;
    if (frame < 0 || frame >= image->frames.Length()) return nullptr;
    return image->frames[frame];
}

}  // namespace

// ---------------------------------------------------------------------------
// Frames and images.
// ---------------------------------------------------------------------------

bb_graphics_Frame* bb_graphics_Frame::g_new(int fx, int fy) {
    x = fx;
    y = fy;
    return this;
}

bb_graphics_Image* bb_graphics_Image::g_new() { return this; }

void bb_graphics_Image::mark() {
    gc_enqueue(surface);
    gc_enqueue(frames);
    gc_enqueue(source);
}

int bb_graphics_Image::m_SetHandle(float x, float y) {
    handleX = x;
    handleY = y;
    flags &= ~HandleCentre;
    return 0;
}

int bb_graphics_Image::m_ApplyFlags(int newFlags) {
    flags = newFlags;
    int n = frames.Length();
    if (flags & PadX) {
        for (int i = 0; i < n; ++i) frames[i]->x += 1;
        width -= 2;
    }
    if (flags & PadY) {
        for (int i = 0; i < n; ++i) frames[i]->y += 1;
        height -= 2;
    }
    if (flags & HandleCentre) m_SetHandle(width * 0.5f, height * 0.5f);
    if (n == 1 && frames[0]->x == 0 && frames[0]->y == 0 && surface && width == surface->Width() &&
        height == surface->Height()) {
        flags |= WholeSurface;
    }
    return 0;
}

bb_graphics_Image* bb_graphics_Image::m_Init(gxtkSurface* s, int frameCount, int newFlags) {
    // A strip of no frames has no frame width; it is taken as one frame
    // rather than dividing by zero.
    if (frameCount < 1) frameCount = 1;
    gc_assign(surface, s);
    width = s->Width() / frameCount;
    height = s->Height();
    gc_assign(frames, Array<bb_graphics_Frame*>(frameCount));
    for (int i = 0; i < frameCount; ++i) gc_assign(frames[i], (new bb_graphics_Frame())->g_new(i * width, 0));
    m_ApplyFlags(newFlags);
    return this;
}

bb_graphics_Image* bb_graphics_Image::m_Grab(int x, int y, int frameWidth, int frameHeight, int frameCount,
                                             int newFlags, bb_graphics_Image* from) {
    gc_assign(source, from);
    gc_assign(surface, from->surface);
    width = frameWidth;
    height = frameHeight;
    gc_assign(frames, Array<bb_graphics_Frame*>(frameCount));

    // Frames are placed relative to the source's own (single) frame.
    int originX = 0, originY = 0;
    if (from->frames.Length() > 0) {
        originX = from->frames[0]->x;
        originY = from->frames[0]->y;
    }
    int cx = x, cy = y;
    for (int i = 0; i < frames.Length(); ++i) {
        if (cx + width > from->width) {
            // Next row of the atlas.
            cy += height;
            if (width > from->width) Error(String("Image frame outside surface"));
            cx = 0;
        }
        if (cy + height > from->height) Error(String("Image frame outside surface"));
        gc_assign(frames[i], (new bb_graphics_Frame())->g_new(cx + originX, cy + originY));
        cx += width;
    }
    m_ApplyFlags(newFlags);
    return this;
}

bb_graphics_Image* bb_graphics_Image::m_GrabImage(int x, int y, int frameWidth, int frameHeight, int frameCount,
                                                  int newFlags) {
    if (frames.Length() != 1) return nullptr;
    return (new bb_graphics_Image())->g_new()->m_Grab(x, y, frameWidth, frameHeight, frameCount, newFlags, this);
}

// ---------------------------------------------------------------------------
// The context.
// ---------------------------------------------------------------------------

bb_graphics_GraphicsContext::bb_graphics_GraphicsContext() {
    gc_assign(matrixStack, Array<float>(kStackLevels * kMatrixSize));
}

bb_graphics_GraphicsContext* bb_graphics_GraphicsContext::g_new() { return this; }

void bb_graphics_GraphicsContext::mark() {
    gc_enqueue(builtinFont);
    gc_enqueue(currentFont);
    gc_enqueue(matrixStack);
}

int bb_graphics_GraphicsContext::m_Validate() {
    if (matrixDirty && bb_graphics_renderDevice) {
        bb_graphics_renderDevice->SetMatrix(xx, xy, yx, yy, dx, dy);
        matrixDirty = 0;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Device and render bracket.
// ---------------------------------------------------------------------------

int bb_graphics_SetGraphicsDevice(gxtkGraphics* device) {
    gc_assign(bb_graphics_device, device);
    return 0;
}

int bb_graphics_DeviceWidth() { return bb_graphics_device ? bb_graphics_device->Width() : 0; }
int bb_graphics_DeviceHeight() { return bb_graphics_device ? bb_graphics_device->Height() : 0; }

int bb_graphics_BeginRender() {
    if (!bb_graphics_device || !bb_graphics_device->Mode()) return 0;
    gc_assign(bb_graphics_renderDevice, bb_graphics_device);

    bb_graphics_GraphicsContext* c = bb_graphics_context;
    c->stackTop = 0;
    c->xx = 1;
    c->xy = 0;
    c->yx = 0;
    c->yy = 1;
    c->dx = 0;
    c->dy = 0;
    c->transformed = 0;
    c->matrixDirty = 1;

    bb_graphics_SetColor(255, 255, 255);
    bb_graphics_SetAlpha(1);
    bb_graphics_SetBlend(0);
    bb_graphics_SetScissor(0, 0, static_cast<float>(bb_graphics_DeviceWidth()),
                           static_cast<float>(bb_graphics_DeviceHeight()));
    return 0;
}

int bb_graphics_EndRender() {
    bb_graphics_renderDevice = nullptr;
    return 0;
}

// ---------------------------------------------------------------------------
// Context state. Stored always; sent to the device only while rendering.
// ---------------------------------------------------------------------------

int bb_graphics_SetColor(float r, float g, float b) {
    bb_graphics_GraphicsContext* c = bb_graphics_context;
    c->red = r;
    c->green = g;
    c->blue = b;
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->SetColor(r, g, b);
    return 0;
}

int bb_graphics_SetAlpha(float alpha) {
    bb_graphics_context->alpha = alpha;
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->SetAlpha(alpha);
    return 0;
}

int bb_graphics_SetBlend(int blend) {
    bb_graphics_context->blendMode = blend;
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->SetBlend(blend);
    return 0;
}

int bb_graphics_SetScissor(float x, float y, float w, float h) {
    bb_graphics_GraphicsContext* c = bb_graphics_context;
    c->scissorX = x;
    c->scissorY = y;
    c->scissorW = w;
    c->scissorH = h;
    if (bb_graphics_renderDevice) {
        bb_graphics_renderDevice->SetScissor(truncToInt(x), truncToInt(y), truncToInt(w), truncToInt(h));
    }
    return 0;
}

int bb_graphics_Cls(float r, float g, float b) {
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->Cls(r, g, b);
    return 0;
}

// ---------------------------------------------------------------------------
// The matrix.
// ---------------------------------------------------------------------------

int bb_graphics_SetMatrix(float xx, float xy, float yx, float yy, float dx, float dy) {
    bb_graphics_GraphicsContext* c = bb_graphics_context;
    c->xx = xx;
    c->xy = xy;
    c->yx = yx;
    c->yy = yy;
    c->dx = dx;
    c->dy = dy;
    matrixChanged(c);
    return 0;
}

int bb_graphics_SetMatrix2(Array<float> m) {
    if (m.Length() < kMatrixSize) return 0;
    return bb_graphics_SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int bb_graphics_Transform(float a, float b, float cc, float d, float e, float f) {
    // The given transform applies first, in the current coordinate system.
    bb_graphics_GraphicsContext* c = bb_graphics_context;
    float xx = a * c->xx + b * c->yx;
    float xy = a * c->xy + b * c->yy;
    float yx = cc * c->xx + d * c->yx;
    float yy = cc * c->xy + d * c->yy;
    float dx = e * c->xx + f * c->yx + c->dx;
    float dy = e * c->xy + f * c->yy + c->dy;
    return bb_graphics_SetMatrix(xx, xy, yx, yy, dx, dy);
}

int bb_graphics_Transform2(Array<float> m) {
    if (m.Length() < kMatrixSize) return 0;
    return bb_graphics_Transform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int bb_graphics_Translate(float x, float y) { return bb_graphics_Transform(1, 0, 0, 1, x, y); }

int bb_graphics_Scale(float x, float y) { return bb_graphics_Transform(x, 0, 0, y, 0, 0); }

int bb_graphics_Rotate(float degrees) {
    float r = degrees * D2R;
    float s = std::sin(r);
    float c = std::cos(r);
    // Counter-clockwise on the y-down screen.
    return bb_graphics_Transform(c, -s, s, c, 0, 0);
}

int bb_graphics_PushMatrix() {
    bb_graphics_GraphicsContext* c = bb_graphics_context;
    if (c->stackTop + kMatrixSize > c->matrixStack.Length()) {
        // Deeper than the 32 levels the game needs: grow rather than write
        // past the end.
        Array<float> bigger(c->matrixStack.Length() * 2);
        for (int i = 0; i < c->stackTop; ++i) bigger[i] = c->matrixStack[i];
        gc_assign(c->matrixStack, bigger);
    }
    float* top = &c->matrixStack[c->stackTop];
    top[0] = c->xx;
    top[1] = c->xy;
    top[2] = c->yx;
    top[3] = c->yy;
    top[4] = c->dx;
    top[5] = c->dy;
    c->stackTop += kMatrixSize;
    return 0;
}

int bb_graphics_PopMatrix() {
    bb_graphics_GraphicsContext* c = bb_graphics_context;
    if (c->stackTop < kMatrixSize) return 0;  // unbalanced pop: nothing saved to restore
    c->stackTop -= kMatrixSize;
    const float* top = &c->matrixStack[c->stackTop];
    c->xx = top[0];
    c->xy = top[1];
    c->yx = top[2];
    c->yy = top[3];
    c->dx = top[4];
    c->dy = top[5];
    matrixChanged(c);
    return 0;
}

// ---------------------------------------------------------------------------
// Drawing.
// ---------------------------------------------------------------------------

int bb_graphics_DrawRect(float x, float y, float w, float h) {
    if (!bb_graphics_renderDevice) return 0;
    bb_graphics_context->m_Validate();
    bb_graphics_renderDevice->DrawRect(x, y, w, h);
    return 0;
}

int bb_graphics_DrawLine(float x1, float y1, float x2, float y2) {
    if (!bb_graphics_renderDevice) return 0;
    bb_graphics_context->m_Validate();
    bb_graphics_renderDevice->DrawLine(x1, y1, x2, y2);
    return 0;
}

int bb_graphics_DrawEllipse(float x, float y, float xRadius, float yRadius) {
    if (!bb_graphics_renderDevice) return 0;
    bb_graphics_context->m_Validate();
    bb_graphics_renderDevice->DrawOval(x - xRadius, y - yRadius, xRadius * 2, yRadius * 2);
    return 0;
}

int bb_graphics_DrawImage(bb_graphics_Image* image, float x, float y, int frame) {
    bb_graphics_Frame* f = frameToDraw(image, frame);
    if (!f) return 0;
    if (bb_graphics_context->transformed) {
        bb_graphics_PushMatrix();
        bb_graphics_Transform(1, 0, 0, 1, x - image->handleX, y - image->handleY);
        drawFrame(image, f, 0, 0);
        bb_graphics_PopMatrix();
    } else {
        drawFrame(image, f, x - image->handleX, y - image->handleY);
    }
    return 0;
}

int bb_graphics_DrawImage2(bb_graphics_Image* image, float x, float y, float rotation, float scaleX, float scaleY,
                           int frame) {
    bb_graphics_Frame* f = frameToDraw(image, frame);
    if (!f) return 0;
    // The handle is the centre of rotation and scaling.
    bb_graphics_PushMatrix();
    bb_graphics_Transform(1, 0, 0, 1, x, y);
    bb_graphics_Rotate(rotation);
    bb_graphics_Transform(scaleX, 0, 0, scaleY, 0, 0);
    bb_graphics_Transform(1, 0, 0, 1, -image->handleX, -image->handleY);
    drawFrame(image, f, 0, 0);
    bb_graphics_PopMatrix();
    return 0;
}

int bb_graphics_ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    if (!bb_graphics_renderDevice) return 0;
    if (pitch == 0) pitch = w;
    bb_graphics_renderDevice->ReadPixels(pixels, x, y, w, h, offset, pitch);
    return 0;
}

// ---------------------------------------------------------------------------
// Loading and the font.
// ---------------------------------------------------------------------------

bb_graphics_Image* bb_graphics_LoadImage(String path, int frameCount, int flags) {
    if (!bb_graphics_device) return nullptr;
    path = bb_data_FixDataPath(path);
    gxtkSurface* surface = bb_graphics_device->LoadSurface(path);
    if (!surface) {
        ReportLoadFailure("image", path);
        return nullptr;
    }
    return (new bb_graphics_Image())->g_new()->m_Init(surface, frameCount, flags);
}

bb_graphics_Image* bb_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount, int flags) {
    bb_graphics_Image* atlas = bb_graphics_LoadImage(path, 1, 0);
    if (!atlas) return nullptr;
    return atlas->m_GrabImage(0, 0, frameWidth, frameHeight, frameCount, flags);
}

int bb_graphics_SetFont(bb_graphics_Image* font, int firstChar) {
    bb_graphics_GraphicsContext* c = bb_graphics_context;
    if (!font) {
        if (!c->builtinFont) {
            gc_assign(c->builtinFont, bb_graphics_LoadImage(String("zaro_font.png"), 96, bb_graphics_Image::PadX));
            if (!c->builtinFont) {
                c->currentFont = nullptr;
                c->fontFirstChar = 32;
                return 0;
            }
        }
        font = c->builtinFont;
        firstChar = 32;
    }
    gc_assign(c->currentFont, font);
    c->fontFirstChar = firstChar;
    return 0;
}
