// fuzz_sound.h - the body shared by the sound loader's fuzz targets.
//
// The input becomes a read-only memory stream (fmemopen), as if it were a
// file on disk, and goes through the same stream reader loadSound uses.
// Whatever the reader returns must describe memory it really allocated:
// every byte it claims is read back, so AddressSanitizer sees any lie.
//
// Depends on: devices/sound_loader.h, the C library.

#ifndef NUBRIX_FUZZ_FUZZ_SOUND_H
#define NUBRIX_FUZZ_FUZZ_SOUND_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "devices/sound_loader.h"

// Decoded sound is capped lower than in the game so that each input stays
// fast; the cap logic itself is the same.
const std::size_t kFuzzMaxSoundBytes = std::size_t(16) << 20;

inline int FuzzSoundReader(const std::uint8_t* data, std::size_t size,
                           void* (*reader)(FILE*, SoundFormat&, std::size_t)) {
    if (size == 0) return 0;  // fmemopen refuses an empty buffer
    FILE* f = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!f) return 0;
    SoundFormat format;
    void* pcm = reader(f, format, kFuzzMaxSoundBytes);
    std::fclose(f);
    if (!pcm) return 0;

    if (format.frames <= 0 || format.channels <= 0 || format.bytesPerSample <= 0 || format.rate <= 0) std::abort();
    std::size_t bytes = std::size_t(format.frames) * std::size_t(format.channels) * std::size_t(format.bytesPerSample);
    if (bytes > kFuzzMaxSoundBytes) std::abort();
    volatile unsigned char sink = 0;
    const unsigned char* p = static_cast<const unsigned char*>(pcm);
    for (std::size_t i = 0; i < bytes; ++i) sink = sink ^ p[i];
    unloadSound(pcm);
    return 0;
}

#endif
