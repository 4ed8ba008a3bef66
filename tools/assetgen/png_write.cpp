// png_write.cpp - the one place stb_image_write is compiled (built with -w,
// since the library is not ours to keep warning-free).
//
// The PNGs are committed, so size matters more than speed: when zlib is
// available (NUBRIX_ASSETGEN_ZLIB) it replaces stb's own deflate, which
// makes the files about a third smaller. Either way the pixels are the same.
//
// Depends on: stb_image_write from libstb-dev; zlib when available.

#include <cstdlib>
#include <string>

#ifdef NUBRIX_ASSETGEN_ZLIB
#include <zlib.h>

static unsigned char* assetgenDeflate(unsigned char* data, int length, int* outLength, int) {
    uLongf size = compressBound(uLong(length));
    unsigned char* out = static_cast<unsigned char*>(std::malloc(size));
    if (out && compress2(out, &size, data, uLong(length), Z_BEST_COMPRESSION) != Z_OK) {
        std::free(out);
        out = nullptr;
    }
    *outLength = out ? int(size) : 0;
    return out;
}
#define STBIW_ZLIB_COMPRESS assetgenDeflate
#endif

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace assetgen {

bool encodePng(const std::string& path, int width, int height, const unsigned char* rgba) {
    stbi_write_png_compression_level = 9;
    return stbi_write_png(path.c_str(), width, height, 4, rgba, width * 4) != 0;
}

}  // namespace assetgen
