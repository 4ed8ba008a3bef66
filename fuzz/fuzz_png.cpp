// fuzz_png.cpp - libFuzzer target: PNG loading on arbitrary bytes.
//
// The loader refuses any file whose chunks fail their CRC-32, so random
// mutations would almost never get past it. Before loading, every chunk that
// lies wholly inside the input therefore gets its CRC recomputed; whatever
// the mutation did to lengths, types and data, the decoder behind the check
// sees it. The input then goes, as a read-only memory stream, through the
// same path a file on disk takes: the chunk walk, stb_image's PNG decoder
// with the program's size cap, and the premultiply step that runs before
// upload. Beyond not crashing, three promises are checked on every input:
//
//   - a picture that comes back has a size inside the cap and one of the
//     four pixel layouts, and every pixel byte of it is readable;
//   - the memory decoder agrees with the stream decoder, byte for byte;
//   - after premultiplying, no colour exceeds its pixel's alpha.
//
// Depends on: graphics/surface.h (with graphics/surface.cpp and
// graphics/stb_image.cpp compiled in), the C library.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/surface.h"

namespace {

const int kMaxSide = 16384;  // the decoder's cap (graphics/stb_image.cpp)

uint32_t Crc32(const unsigned char* p, size_t n) {
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xedb88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc ^ 0xffffffffu;
}

uint32_t Get32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           p[3];
}

void Put32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

// Rewrites the CRC of each chunk after the 8-byte signature, up to the
// first chunk that does not fit in the input.
void FixChunkCrcs(std::vector<unsigned char>& png) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        uint32_t length = Get32(&png[at]);
        if (length > png.size() - at - 12) break;
        Put32(&png[at + 8 + length], Crc32(&png[at + 4], 4 + static_cast<size_t>(length)));
        at += 12 + static_cast<size_t>(length);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > (1u << 24)) return 0;  // fmemopen refuses an empty buffer
    std::vector<unsigned char> png(data, data + size);
    FixChunkCrcs(png);

    FILE* f = fmemopen(png.data(), png.size(), "rb");
    if (!f) return 0;
    int w = 0, h = 0, bpp = 0;
    unsigned char* pixels = loadImageStream(f, &w, &h, &bpp);
    std::fclose(f);

    int mw = 0, mh = 0, mbpp = 0;
    unsigned char* same = loadImage(png.data(), static_cast<int>(png.size()), &mw, &mh, &mbpp);
    if (!pixels || !same) {
        if (pixels || same) std::abort();  // one decoder took what the other refused
        return 0;
    }

    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || bpp < 1 || bpp > 4) std::abort();
    const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h) * static_cast<size_t>(bpp);
    if (mw != w || mh != h || mbpp != bpp || std::memcmp(pixels, same, bytes) != 0) std::abort();
    unloadImage(same);

    premultiplyAlpha(pixels, w, h, bpp);
    if (bpp == 2 || bpp == 4) {
        for (size_t i = 0; i < bytes; i += static_cast<size_t>(bpp)) {
            const unsigned char alpha = pixels[i + static_cast<size_t>(bpp) - 1];
            for (int c = 0; c < bpp - 1; ++c) {
                if (pixels[i + static_cast<size_t>(c)] > alpha) std::abort();
            }
        }
    }
    unloadImage(pixels);
    return 0;
}
