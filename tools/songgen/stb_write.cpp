// stb_write.cpp - the one place stb_image_write is compiled for the song
// generator (built with -w: the library is not ours to keep warning-free).
//
// Depends on: stb_image_write from libstb-dev.

#include <string>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_WIN32_UTF8
#include <stb/stb_image_write.h>

namespace songgen {

bool EncodePng(const std::string& path, int width, int height, const unsigned char* rgba) {
    stbi_write_png_compression_level = 9;
    return stbi_write_png(path.c_str(), width, height, 4, rgba, width * 4) != 0;
}

}  // namespace songgen
