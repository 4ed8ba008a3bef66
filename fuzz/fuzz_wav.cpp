// fuzz_wav.cpp - libFuzzer target: the WAV reader on arbitrary bytes.
//
// Depends on: fuzz/fuzz_sound.h.

#include "fuzz/fuzz_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzSoundReader(data, size, loadWavStream);
}
