// fuzz_ogg.cpp - libFuzzer target: the Ogg Vorbis reader on arbitrary bytes.
//
// Depends on: fuzz/fuzz_sound.h.

#include "fuzz/fuzz_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzSoundReader(data, size, loadOggStream);
}
