// data_files.cpp - file readers for the data tests (see data_files.h).
//
// Depends on: data_files.h, graphics/stb_image.h.

#include "tests/data/data_files.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "graphics/stb_image.h"

namespace datatest {

std::string dataPath(const std::string& relative) { return std::string(NUBRIX_DATA_DIR) + "/" + relative; }

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool isPng(const std::vector<uint8_t>& bytes) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return bytes.size() > 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

Image loadPng(const std::string& path) {
    Image img;
    std::vector<uint8_t> bytes = readFile(path);
    if (!isPng(bytes)) return img;
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load_from_memory(bytes.data(), int(bytes.size()), &w, &h, &n, 4);
    if (!px) return img;
    img.width = w;
    img.height = h;
    img.rgba.assign(px, px + size_t(w) * h * 4);
    stbi_image_free(px);
    return img;
}

Image frame(const Image& atlas, int fw, int fh, int index) {
    // Row-major with wrapping, as the game's loader grabs frames.
    int x = 0, y = 0;
    for (int i = 0; i < index; ++i) {
        x += fw;
        if (x + fw > atlas.width) {
            x = 0;
            y += fh;
        }
    }
    Image out;
    if (x + fw > atlas.width || y + fh > atlas.height) return out;
    out.width = fw;
    out.height = fh;
    out.rgba.resize(size_t(fw) * fh * 4);
    for (int r = 0; r < fh; ++r)
        std::memcpy(&out.rgba[size_t(r) * fw * 4], atlas.at(x, y + r), size_t(fw) * 4);
    return out;
}

int coverage(const Image& img, int minAlpha) {
    int n = 0;
    for (size_t i = 3; i < img.rgba.size(); i += 4) n += img.rgba[i] >= minAlpha;
    return n;
}

const std::vector<Sheet>& sheets() {
    static const std::vector<Sheet> kSheets = {
        {"common/icons", 32, 32, 16, true, false},    {"common/Buttons", 64, 64, 16, false, false},
        {"common/dpad", 32, 32, 16, true, false},     {"common/icade", 64, 64, 2, false, false},
        {"common/ZOVTLogo", 256, 256, 1, false, false}, {"fonts/editundo", 16, 16, 128, true, true},
        {"menu", 256, 256, 4, false, false},          {"logo", 256, 128, 1, false, false},
        {"parts", 8, 8, 16, true, false},             {"BadgesA", 64, 64, 64, false, false},
        {"atoms", 64, 64, 64, false, false},
    };
    return kSheets;
}

std::string levelFile(const char* name, int level) {
    return std::string(name) + (level == 1 ? "" : level == 2 ? "-hd" : "-hd2") + ".png";
}

namespace {

uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

}  // namespace

Wav loadWav(const std::string& path) {
    Wav wav;
    std::vector<uint8_t> b = readFile(path);
    if (b.size() < 12 || std::memcmp(&b[0], "RIFF", 4) != 0 || std::memcmp(&b[8], "WAVE", 4) != 0) return wav;
    bool haveFormat = false, haveData = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = le(b, at + 4, 4);
        const size_t body = at + 8;
        if (body + size > b.size()) return wav;
        if (std::memcmp(&b[at], "fmt ", 4) == 0 && size >= 16) {
            wav.format = int(le(b, body, 2));
            wav.channels = int(le(b, body + 2, 2));
            wav.sampleRate = int(le(b, body + 4, 4));
            wav.bitsPerSample = int(le(b, body + 14, 2));
            haveFormat = true;
        } else if (std::memcmp(&b[at], "data", 4) == 0 && haveFormat && wav.bitsPerSample == 16) {
            for (size_t i = 0; i + 1 < size; i += 2) wav.samples.push_back(int16_t(le(b, body + i, 2)));
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    wav.parsed = haveFormat && haveData;
    return wav;
}

}  // namespace datatest
