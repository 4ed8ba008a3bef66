// surface.h - one OpenGL texture plus the image size the framework sees.
//
// Image files are decoded (PNG, stb_image) in a step that touches no OpenGL
// state (loadImage); OnUnsafeLoadComplete then premultiplies the pixels and
// creates and fills the texture on the main thread. A surface made by
// gxtkGraphics::CreateSurface has no pixels and gets an empty RGBA texture.
//
// Depends on: runtime (collected objects, String), platform/data.h (fopenFile),
// graphics/stb_image.h, OpenGL 1.x.

#ifndef NUBRIX_GRAPHICS_SURFACE_H
#define NUBRIX_GRAPHICS_SURFACE_H

#include <cstdint>
#include <cstdio>

#include "runtime/gc.h"
#include "runtime/string.h"

class gxtkSurface : public gxtkObject {
public:
    unsigned char* pixelData = nullptr;  // decoded pixels awaiting upload; null once uploaded
    int width = 0;                       // image size (not the texture size)
    int height = 0;
    int bytesPerPixel = 0;               // 1 grey, 2 grey+alpha, 3 RGB, 4 RGBA
    unsigned int texture = 0;            // GL texture name, 0 when none
    float uScale = 0;                    // 1 / texture width
    float vScale = 0;                    // 1 / texture height
    // Changes whenever the texture's content does (a new surface, an upload,
    // WritePixels2): a texture name alone may be reused by a later texture.
    uint32_t serial = NewSerial();

    static uint32_t NewSerial();

    // Test seam: the next this-many texture allocations are treated as
    // refused by the driver, so the power-of-two fallback and the failure
    // path can be exercised on a driver that accepts every size.
    static int refuseAllocations;

    gxtkSurface() {}
    gxtkSurface(unsigned char* data, int width, int height, int bytesPerPixel);
    ~gxtkSurface() override;

    void SetData(unsigned char* data, int width, int height, int bytesPerPixel);

    virtual int Discard();
    virtual int Width();
    virtual int Height();
    virtual int Loaded();
    virtual bool OnUnsafeLoadComplete();
};

// Decodes an image file (already a file-system path) with its own channel
// count; null when it cannot be opened or decoded, or when any chunk of the
// file fails its CRC (a damaged file is refused, not half-trusted). Free
// with unloadImage; pixelData handed to a surface is released the same way.
unsigned char* loadImage(String path, int* width, int* height, int* bytesPerPixel);
unsigned char* loadImage(const unsigned char* data, int length, int* width, int* height, int* bytesPerPixel);
// The same from an open stream positioned at the file's start (the file
// variant above opens one and reads it through this); the stream stays open.
unsigned char* loadImageStream(FILE* f, int* width, int* height, int* bytesPerPixel);
void unloadImage(unsigned char* data);

// Multiplies colour by alpha in place, truncating: grey+alpha (2 bytes a
// pixel) and RGBA (4); grey and RGB have no alpha and stay as they are.
void premultiplyAlpha(unsigned char* pixels, int width, int height, int bytesPerPixel);

// The smallest power of two >= n (1 for n <= 1).
int Pow2Size(int n);

#endif
