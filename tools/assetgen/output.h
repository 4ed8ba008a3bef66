// output.h - writing the generator's files: PNG images, frame atlases at the
// three resolution levels, and 16-bit PCM WAV sounds.
//
// An atlas is a grid of equal frames read row-major, exactly C*fw by R*fh
// pixels, the layout the game's image loader cuts frames from. Levels 1, 2
// and 4 go to name.png, name-hd.png and name-hd2.png; each is drawn afresh at
// its own resolution. Failures throw std::runtime_error.
//
// Depends on: raster.h, stb_image_write (compiled in png_write.cpp).

#ifndef NUBRIX_TOOLS_ASSETGEN_OUTPUT_H
#define NUBRIX_TOOLS_ASSETGEN_OUTPUT_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/assetgen/raster.h"

namespace assetgen {

struct Sheet {
    std::string name;  // path under the output folder, without ".png"
    int frameWidth;    // design units
    int frameHeight;
    int frames;
    int columns;  // frames per atlas row
};

using FrameDrawer = std::function<void(Canvas& canvas, int frame)>;

// Straight RGBA, 8 bits a channel, exactly width * height pixels; creates
// missing parent folders.
void writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

// Renders every frame at `level` into one atlas image.
std::vector<uint8_t> renderAtlas(const Sheet& sheet, int level, const FrameDrawer& draw, int& width, int& height);

// Writes the sheet at levels 1, 2 and 4 under outdir.
void writeSheet(const std::string& outdir, const Sheet& sheet, const FrameDrawer& draw);

// Mono samples in -1..1, written as 16-bit PCM.
void writeWav(const std::string& path, int sampleRate, const std::vector<float>& samples);

}  // namespace assetgen

#endif
