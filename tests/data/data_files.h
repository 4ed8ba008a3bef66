// data_files.h - reading the committed data/ files for the data tests:
// PNG atlases decoded to RGBA and cut into frames the way the game cuts
// them, WAV files parsed chunk by chunk, and the table of sheets the game
// loads.
//
// Depends on: graphics/stb_image.h (nubrix_stb_image).

#ifndef NUBRIX_TESTS_DATA_DATA_FILES_H
#define NUBRIX_TESTS_DATA_DATA_FILES_H

#include <cstdint>
#include <string>
#include <vector>

namespace datatest {

// Absolute path of a file under the repository's data/ folder.
std::string dataPath(const std::string& relative);
std::vector<uint8_t> readFile(const std::string& path);
bool isPng(const std::vector<uint8_t>& bytes);

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // straight RGBA, rows top to bottom
    bool valid() const { return width > 0 && height > 0; }
    const uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
    int alpha(int x, int y) const { return at(x, y)[3]; }
};

// Empty image when the file is missing or not a decodable PNG.
Image loadPng(const std::string& path);
// Frame `index` of an atlas of fw x fh frames, cut row-major.
Image frame(const Image& atlas, int fw, int fh, int index);
// Pixels with alpha at least `minAlpha`.
int coverage(const Image& img, int minAlpha);

// One image sheet the game loads: design frame size and frame count.
struct Sheet {
    const char* name;  // under data/, without the level suffix and ".png"
    int frameWidth, frameHeight, frames;
    bool white;       // drawn tinted: opaque pixels must be white
    bool pixelFont;   // levels 2 and 4 are block enlargements by design
};
const std::vector<Sheet>& sheets();
// "name.png", "name-hd.png" or "name-hd2.png" for level 1, 2 or 4.
std::string levelFile(const char* name, int level);

struct Wav {
    bool parsed = false;
    int format = 0, channels = 0, sampleRate = 0, bitsPerSample = 0;
    std::vector<int16_t> samples;
    double seconds() const { return sampleRate ? double(samples.size()) / sampleRate : 0; }
};
Wav loadWav(const std::string& path);

}  // namespace datatest

#endif
