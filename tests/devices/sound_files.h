// sound_files.h - sound files for the device tests, built and read back
// byte by byte: RIFF/WAVE writing (sound and hostile variants), a reader for
// the WAVE files OpenAL Soft's wave backend writes, and an Ogg page walker
// that reads what a Vorbis stream says about itself (channels, rate, length)
// without decoding it. It also hands on the file helpers of
// tests/support/testing.h that every sound suite writes its cases with, so
// `using namespace sound_files` is the one using-directive a suite needs.
//
// Depends on: tests/support/testing.h, the C++ library.

#ifndef NUBRIX_TESTS_DEVICES_SOUND_FILES_H
#define NUBRIX_TESTS_DEVICES_SOUND_FILES_H

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/testing.h"

namespace sound_files {

using nubrix_test::ReadFile;
using nubrix_test::ScopedWorkingFolder;
using nubrix_test::TempDir;
using nubrix_test::Widen;
using nubrix_test::WriteFile;

std::string Le16(unsigned v);
std::string Le32(std::uint32_t v);

// A RIFF chunk: tag, size (the body's, unless `size` overrides it), body and
// the pad byte that follows an odd-sized body (unless `pad` is false).
std::string Chunk(const std::string& tag, const std::string& body, bool pad = true);
std::string ChunkWithSize(const std::string& tag, std::uint32_t size, const std::string& body);

// The 16 bytes of a PCM "fmt " body, plus `extra` bytes of extension.
std::string FmtBody(unsigned formatTag, unsigned channels, std::uint32_t rate, unsigned bits,
                    const std::string& extra = "");

// "RIFF", size, "WAVE" and the given chunks.
std::string Riff(const std::string& chunks);

// A plain PCM WAV: "fmt " (16 bytes) then "data".
std::string Wav(unsigned channels, std::uint32_t rate, unsigned bits, const std::string& data);

// Little-endian 16-bit samples.
std::string Pcm16(const std::vector<std::int16_t>& samples);

// A sine tone of `seconds` at `rate`, amplitude `amplitude` of full scale.
std::vector<std::int16_t> Tone(double hz, double seconds, int rate, double amplitude = 0.5);

// What the Ogg pages of a Vorbis stream say about it.
struct OggFacts {
    bool valid = false;
    int channels = 0;
    int rate = 0;
    std::int64_t lastGranule = -1;  // total sample frames of a stream starting at 0
    std::vector<std::size_t> pageOffsets;
};
OggFacts ReadOggFacts(const std::string& bytes);

// Recomputes the CRC of every page (after a test has edited a header).
std::string FixOggCrcs(std::string bytes);

// A WAVE file as OpenAL Soft's wave backend writes it (PCM or float,
// plain or WAVE_FORMAT_EXTENSIBLE), as floats in -1..1 per channel.
struct Capture {
    bool valid = false;
    int channels = 0;
    int rate = 0;
    std::vector<std::vector<float>> samples;  // [channel][frame]
};
Capture ReadCapture(const std::string& bytes);

}  // namespace sound_files

#endif
