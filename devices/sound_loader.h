// sound_loader.h - decodes a whole WAV or Ogg Vorbis file into PCM.
//
// loadSound picks the reader by the path's extension ("wav" or "ogg",
// compared lower-cased) and opens the file with fopenFile. The readers work
// on any seekable stream, so tests and fuzz targets feed them memory through
// fmemopen.
//
// The result is one malloc'ed block of interleaved little-endian frames
// (8-bit unsigned or 16-bit signed samples), or null. Hostile input gives
// null, never a crash or an absurd allocation: every chunk size is checked
// against the bytes the stream really holds, and decoded PCM is capped at
// kMaxSoundBytes.
//
// Depends on: runtime/string.h, platform/data.h, libvorbisfile.

#ifndef NUBRIX_DEVICES_SOUND_LOADER_H
#define NUBRIX_DEVICES_SOUND_LOADER_H

#include <cstddef>
#include <cstdio>

#include "runtime/string.h"

// What a loaded sound holds. bytesPerSample * channels bytes make a frame.
struct SoundFormat {
    int frames = 0;
    int channels = 0;
    int bytesPerSample = 0;
    int rate = 0;
};

// 128 MiB of PCM: over twelve minutes of 16-bit stereo at 44.1 kHz. A longer
// sound is refused rather than decoded into memory.
const std::size_t kMaxSoundBytes = std::size_t(128) << 20;

// A PCM WAV may have at most this many channels; more is taken as damage.
const int kMaxWavChannels = 8;

// The text after the last "." of `path`, lower-cased; empty when there is no
// dot or a slash or backslash follows it.
String soundExtension(const String& path);

void* loadSound(String path, int& frames, int& channels, int& bytesPerSample, int& rate);
void unloadSound(void* data);

// The readers behind loadSound. They read `f` from its current position to
// its end and leave it open. `maxBytes` bounds the PCM they return.
void* loadWavStream(FILE* f, SoundFormat& format, std::size_t maxBytes = kMaxSoundBytes);
void* loadOggStream(FILE* f, SoundFormat& format, std::size_t maxBytes = kMaxSoundBytes);

#endif
