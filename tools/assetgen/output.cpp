// output.cpp - atlas assembly and the WAV writer (see output.h).
//
// Depends on: output.h, png_write.cpp.

#include "tools/assetgen/output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace assetgen {

namespace {

void makeParent(const std::string& path) {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    if (error) throw std::runtime_error("cannot create " + parent.string() + ": " + error.message());
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

bool encodePng(const std::string& path, int width, int height, const uint8_t* rgba);

void writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    if (rgba.size() != size_t(width) * height * 4) throw std::runtime_error("bad picture size: " + path);
    makeParent(path);
    if (!encodePng(path, width, height, rgba.data())) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> renderAtlas(const Sheet& sheet, int level, const FrameDrawer& draw, int& width, int& height) {
    const int rows = (sheet.frames + sheet.columns - 1) / sheet.columns;
    const int fw = sheet.frameWidth * level, fh = sheet.frameHeight * level;
    width = sheet.columns * fw;
    height = rows * fh;
    std::vector<uint8_t> atlas(size_t(width) * height * 4, 0);
    for (int f = 0; f < sheet.frames; ++f) {
        Canvas canvas(sheet.frameWidth, sheet.frameHeight, level);
        draw(canvas, f);
        std::vector<uint8_t> pixels = canvas.toRgba8();
        const int ox = (f % sheet.columns) * fw, oy = (f / sheet.columns) * fh;
        for (int y = 0; y < fh; ++y)
            std::copy_n(&pixels[size_t(y) * fw * 4], fw * 4, &atlas[(size_t(oy + y) * width + ox) * 4]);
    }
    return atlas;
}

void writeSheet(const std::string& outdir, const Sheet& sheet, const FrameDrawer& draw) {
    static const struct {
        int level;
        const char* suffix;
    } kLevels[] = {{1, ""}, {2, "-hd"}, {4, "-hd2"}};
    for (const auto& lv : kLevels) {
        int w = 0, h = 0;
        std::vector<uint8_t> atlas = renderAtlas(sheet, lv.level, draw, w, h);
        writePng(outdir + "/" + sheet.name + lv.suffix + ".png", w, h, atlas);
    }
}

void writeWav(const std::string& path, int sampleRate, const std::vector<float>& samples) {
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::vector<uint8_t> out;
    putTag(out, "RIFF");
    put32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, uint32_t(sampleRate));
    put32(out, uint32_t(sampleRate) * 2);
    put16(out, 2);   // block align
    put16(out, 16);  // bits per sample
    putTag(out, "data");
    put32(out, dataBytes);
    for (float s : samples) {
        long v = std::lround(std::max(-1.f, std::min(1.f, s)) * 32767.f);
        put16(out, uint32_t(uint16_t(int16_t(v))));
    }
    makeParent(path);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) throw std::runtime_error("cannot write " + path);
}

}  // namespace assetgen
