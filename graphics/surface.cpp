// surface.cpp - textures and PNG loading.
//
// Loading is two steps. loadImage decodes a file into plain memory and
// touches no GL state, so it could run on a loader thread; the surface's
// OnUnsafeLoadComplete then premultiplies the pixels, creates the texture
// (falling back to power-of-two sizes for drivers that want them) and
// uploads, on the thread that owns the GL context.
//
// Before stb_image sees a file, the chunk structure and every chunk's CRC are
// checked: stb_image ignores CRCs, and a file that fails them is damaged. So
// is one whose compressed data is too small to hold the picture its header
// claims; stb_image would reserve the whole picture's memory first.
//
// Depends on: graphics/surface.h, graphics/stb_image.h, platform/data.h
// (fopenFile), runtime, OpenGL 1.x (<GL/gl.h>).

#include "graphics/surface.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics/stb_image.h"
#include "platform/data.h"
#include "platform/gl.h"

int gxtkSurface::refuseAllocations = 0;

uint32_t gxtkSurface::NewSerial() {
    static uint32_t last = 0;
    return ++last;
}

namespace {

// ---------------------------------------------------------------------------
// PNG chunk walk: signature, then length, type, data and CRC-32 per chunk up
// to IEND. Works on any byte source with a read(buf, n) -> bytes read.
// ---------------------------------------------------------------------------

const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

struct CrcTable {
    uint32_t entry[256];
    CrcTable() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            entry[n] = c;
        }
    }
};

uint32_t crcUpdate(uint32_t crc, const unsigned char* p, size_t n) {
    static const CrcTable table;  // built once, safely, by whichever thread comes first
    for (size_t i = 0; i < n; ++i) crc = table.entry[(crc ^ p[i]) & 255] ^ (crc >> 8);
    return crc;
}

uint32_t bigEndian32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// Deflate turns one byte of input into at most 1032 bytes of output (a
// 258-byte match coded in two bits), plus a little for the stream's start.
const uint64_t kMaxInflation = 1032;
const uint64_t kInflationSlack = 4096;

// Whether compressed data of `idatBytes` can hold the picture the header
// (IHDR's 13 bytes) describes: at least its rows of packed pixels. The
// decoder reserves room for the whole picture before it inflates a byte, so
// without this a file of a few dozen bytes claiming 16384 x 16384 pixels
// costs a gigabyte. Colour types the decoder refuses anyway are let through.
bool dataCanHoldPicture(const unsigned char* ihdr, uint64_t idatBytes) {
    const uint64_t width = bigEndian32(ihdr), height = bigEndian32(ihdr + 4), depth = ihdr[8];
    uint64_t channels;
    switch (ihdr[9]) {
    case 0: channels = 1; break;  // grey
    case 2: channels = 3; break;  // RGB
    case 3: channels = 1; break;  // palette index
    case 4: channels = 2; break;  // grey + alpha
    case 6: channels = 4; break;  // RGBA
    default: return true;
    }
    const uint64_t rowBytes = (width * channels * depth + 7) / 8;  // < 2^42: no overflow
    const uint64_t limit = idatBytes * kMaxInflation + kInflationSlack;
    return rowBytes == 0 || height <= limit / rowBytes;
}

template <class Source>
bool chunksIntact(Source& source) {
    unsigned char head[8];
    if (source.read(head, 8) != 8 || std::memcmp(head, kPngSignature, 8) != 0) return false;
    unsigned char ihdr[13];
    bool haveIhdr = false;
    uint64_t idatBytes = 0;
    for (;;) {
        if (source.read(head, 8) != 8) return false;  // ends before IEND: truncated
        uint32_t length = bigEndian32(head);
        if (length > 0x7fffffffu) return false;
        const bool isIhdr = !haveIhdr && length == sizeof ihdr && std::memcmp(head + 4, "IHDR", 4) == 0;
        if (std::memcmp(head + 4, "IDAT", 4) == 0) idatBytes += length;
        uint32_t crc = crcUpdate(0xffffffffu, head + 4, 4);
        unsigned char block[4096];
        while (length > 0) {
            size_t want = length < sizeof block ? length : sizeof block;
            if (source.read(block, want) != want) return false;
            crc = crcUpdate(crc, block, want);
            length -= static_cast<uint32_t>(want);
        }
        unsigned char stored[4];
        if (source.read(stored, 4) != 4 || bigEndian32(stored) != (crc ^ 0xffffffffu)) return false;
        if (isIhdr) {
            std::memcpy(ihdr, block, sizeof ihdr);
            haveIhdr = true;
        }
        if (std::memcmp(head + 4, "IEND", 4) == 0) return !haveIhdr || dataCanHoldPicture(ihdr, idatBytes);
    }
}

struct FileSource {
    FILE* f;
    size_t read(unsigned char* p, size_t n) { return std::fread(p, 1, n, f); }
};

struct MemorySource {
    const unsigned char* p;
    size_t left;
    size_t read(unsigned char* out, size_t n) {
        if (n > left) n = left;
        std::memcpy(out, p, n);
        p += n;
        left -= n;
        return n;
    }
};

// What stb_image hands back is kept only when it is a real picture in one of
// the four layouts the surface knows.
unsigned char* accept(unsigned char* data, int w, int h, int bpp, int* width, int* height, int* bytesPerPixel) {
    if (!data) return nullptr;
    if (w <= 0 || h <= 0 || bpp < 1 || bpp > 4) {
        stbi_image_free(data);
        return nullptr;
    }
    *width = w;
    *height = h;
    *bytesPerPixel = bpp;
    return data;
}

// Drops errors left by earlier calls, so the next glGetError speaks only of
// the call in between. Bounded: without a context GL may never say "none".
void clearGlErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

// Allocates texture storage; false when the driver refuses it.
bool allocateTexture(GLenum format, int w, int h) {
    clearGlErrors();
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE, nullptr);
    bool ok = glGetError() == GL_NO_ERROR;
    if (gxtkSurface::refuseAllocations > 0) {
        --gxtkSurface::refuseAllocations;
        ok = false;
    }
    return ok;
}

}  // namespace

unsigned char* loadImage(String path, int* width, int* height, int* bytesPerPixel) {
    FILE* f = fopenFile(path, String("rb"));
    if (!f) return nullptr;
    unsigned char* data = loadImageStream(f, width, height, bytesPerPixel);
    std::fclose(f);
    return data;
}

unsigned char* loadImageStream(FILE* f, int* width, int* height, int* bytesPerPixel) {
    FileSource source{f};
    unsigned char* data = nullptr;
    int w = 0, h = 0, bpp = 0;
    if (chunksIntact(source) && std::fseek(f, 0, SEEK_SET) == 0) {
        data = stbi_load_from_file(f, &w, &h, &bpp, 0);
    }
    return accept(data, w, h, bpp, width, height, bytesPerPixel);
}

unsigned char* loadImage(const unsigned char* bytes, int length, int* width, int* height, int* bytesPerPixel) {
    if (!bytes || length <= 0) return nullptr;
    MemorySource source{bytes, static_cast<size_t>(length)};
    if (!chunksIntact(source)) return nullptr;
    int w = 0, h = 0, bpp = 0;
    unsigned char* data = stbi_load_from_memory(bytes, length, &w, &h, &bpp, 0);
    return accept(data, w, h, bpp, width, height, bytesPerPixel);
}

void unloadImage(unsigned char* data) { stbi_image_free(data); }

void premultiplyAlpha(unsigned char* pixels, int width, int height, int bytesPerPixel) {
    if (!pixels || width <= 0 || height <= 0) return;
    size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    unsigned char* p = pixels;
    if (bytesPerPixel == 2) {
        for (size_t i = 0; i < count; ++i, p += 2) p[0] = static_cast<unsigned char>(p[0] * p[1] / 255);
    } else if (bytesPerPixel == 4) {
        for (size_t i = 0; i < count; ++i, p += 4) {
            p[0] = static_cast<unsigned char>(p[0] * p[3] / 255);
            p[1] = static_cast<unsigned char>(p[1] * p[3] / 255);
            p[2] = static_cast<unsigned char>(p[2] * p[3] / 255);
        }
    }
}

int Pow2Size(int n) {
    // Above 2^30 there is no int power of two; no texture is that large, so
    // the size comes back as it is and the allocation fails.
    if (n > (1 << 30)) return n;
    int p = 1;
    while (p < n) p <<= 1;
    return p;
}

// ---------------------------------------------------------------------------
// gxtkSurface
// ---------------------------------------------------------------------------

gxtkSurface::gxtkSurface(unsigned char* data, int w, int h, int bpp)
    : pixelData(data), width(w), height(h), bytesPerPixel(bpp) {}

gxtkSurface::~gxtkSurface() { Discard(); }

void gxtkSurface::SetData(unsigned char* data, int w, int h, int bpp) {
    if (pixelData && pixelData != data) unloadImage(pixelData);
    pixelData = data;
    width = w;
    height = h;
    bytesPerPixel = bpp;
}

int gxtkSurface::Discard() {
    if (texture) {
        glDeleteTextures(1, &texture);
        texture = 0;
    }
    if (pixelData) {
        unloadImage(pixelData);
        pixelData = nullptr;
    }
    return 0;
}

int gxtkSurface::Width() { return width; }
int gxtkSurface::Height() { return height; }
int gxtkSurface::Loaded() { return 1; }

bool gxtkSurface::OnUnsafeLoadComplete() {
    GLenum format;
    switch (bytesPerPixel) {
    case 1: format = GL_LUMINANCE; break;
    case 2: format = GL_LUMINANCE_ALPHA; break;
    case 3: format = GL_RGB; break;
    case 4: format = GL_RGBA; break;
    default: std::exit(-1);  // only a surface filled by hand can get here
    }

    // Textures hold premultiplied colour, like every vertex colour.
    if (pixelData) premultiplyAlpha(pixelData, width, height, bytesPerPixel);

    if (!texture) glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    int texWidth = width, texHeight = height;
    if (!allocateTexture(format, texWidth, texHeight)) {
        texWidth = Pow2Size(width);
        texHeight = Pow2Size(height);
        if (!allocateTexture(format, texWidth, texHeight)) {
            if (pixelData) {
                unloadImage(pixelData);
                pixelData = nullptr;
            }
            return false;
        }
    }

    serial = NewSerial();
    if (pixelData) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows of 1- and 3-byte pixels are packed
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, pixelData);
    }

    // Scales from the allocated size: coordinates stay right inside a padded
    // power-of-two texture.
    uScale = 1.0f / static_cast<float>(texWidth);
    vScale = 1.0f / static_cast<float>(texHeight);

    if (pixelData) {
        unloadImage(pixelData);
        pixelData = nullptr;
    }
    return true;
}
