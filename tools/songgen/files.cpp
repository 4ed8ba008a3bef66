// files.cpp - writing the demo song's picture and samples to disk.
//
// WAV files are the plainest form the player's loader reads: RIFF, a
// 16-byte "fmt " chunk (PCM, tag 1), then "data"; 16-bit mono.
//
// Depends on: songgen.h, stb_write.cpp (PNG encoding), the C++ library.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "tools/songgen/songgen.h"

namespace songgen {

bool EncodePng(const std::string& path, int width, int height, const unsigned char* rgba);

namespace {

void MakeParent(const std::string& path) {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    if (error) throw std::runtime_error("cannot create " + parent.string() + ": " + error.message());
}

void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v & 0xff));
    out.push_back(static_cast<uint8_t>(v >> 8 & 0xff));
}

void Put32(std::vector<uint8_t>& out, unsigned v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

void WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    if (rgba.size() != static_cast<size_t>(width) * height * 4) throw std::runtime_error("bad picture size: " + path);
    MakeParent(path);
    if (!EncodePng(path, width, height, rgba.data())) throw std::runtime_error("cannot write " + path);
}

void WriteWav(const std::string& path, int sampleRate, const std::vector<float>& samples) {
    unsigned dataBytes = static_cast<unsigned>(samples.size() * 2);
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, static_cast<unsigned>(sampleRate));
    Put32(out, static_cast<unsigned>(sampleRate) * 2);
    Put16(out, 2);
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (float v : samples) {
        float clamped = v < -1 ? -1 : v > 1 ? 1 : v;
        Put16(out, static_cast<unsigned>(static_cast<int>(std::lround(clamped * 32767.0f))) & 0xffff);
    }

    MakeParent(path);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) throw std::runtime_error("cannot write " + path);
}

void WriteDemoSong(const std::string& dataDir) {
    WritePng(dataDir + "/" + kDemoSongFile, kPictureSize, kPictureSize, SongPicture(DemoSongCells()));
    for (const Instrument& instrument : DemoInstruments()) {
        WriteWav(dataDir + "/" + instrument.file, kSampleRate, instrument.samples);
    }
}

}  // namespace songgen
