// zkplayer.cpp - the tracker: loading the song picture and the samples,
// stepping rows, re-arranging sections and playing cells on five voices.
//
// Everything here runs on the main thread inside the game's handlers: the
// loader inside a render (it draws and reads pixels back), the sequencer
// inside an update. The collector never runs meanwhile, so locals are safe;
// stores into fields still go through the write barrier.
//
// Depends on: music/zkplayer.h, graphics/graphics.h, devices/audio.h,
// host/framework.h (clock, shared seed), platform/data.h (song picture path),
// stb_image (the song picture's size, read from its header).

#include "music/zkplayer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "graphics/stb_image.h"
#include "platform/data.h"
#include "host/framework.h"
#include "runtime/report.h"

namespace {

using Player = bb_ZKTrackr_ZKPlayer;

// Array slots of the per-voice and per-track arrays.
const int kSlots = 8;

// Loading steps: samples and the picture first, patterns decoded from
// step 5 on (one per step), done after step 70.
const int kLastLoadStep = 70;
const int kFirstDecodeStep = 5;

// The song array has room for all 64 frames of the picture and one more
// element, although only the first 63 patterns are ever decoded or played.
const int kCellsLength = 64 * Player::kPatternSize + 1;  // 262145

// A step further ahead than this is a clock that wrapped, not a wait.
const long long kMaxWaitMs = 123456;

// The song picture as frames: 64 of them, 64x64, one pattern each.
const int kFrameSize = 64;
const int kFrameCount = 64;

const float kDrumPan = 0.35f;

int Now() { return bb_app_device ? bb_app_Millisecs() : 0; }

// The clock is a 32-bit count that wraps after 24.8 days; due times wrap
// with it instead of overflowing.
int Later(int ms, int delta) {
    return static_cast<int>(static_cast<unsigned>(ms) + static_cast<unsigned>(delta));
}

// Sound goes out only on real channels of the device; a voice whose channel
// is 0 or negative (the player not initialised) or beyond the device's
// channels stays silent rather than writing outside the channel table.
bool Usable(int channel) { return bb_audio_device && channel > 0 && channel < gxtkAudio::kChannels; }

// Index of field 0 of a row, or -1 for a place outside the song.
int CellIndex(int pattern, int track, int row) {
    if (pattern < 0 || pattern >= Player::kPatterns) return -1;
    if (track < 0 || track >= Player::kTracks) return -1;
    if (row < 0 || row >= Player::kRows) return -1;
    return pattern * Player::kPatternSize + track * Player::kTrackSize + row * Player::kFields;
}

int Field(const Array<int>& cells, int cell, int field) { return cell < 0 ? 0 : cells[cell + field]; }

// The voices stepped: voiceCount, kept within the per-voice arrays.
int Voices(const Player* p) {
    if (p->voiceCount < 0) return 0;
    return p->voiceCount > kSlots ? kSlots : p->voiceCount;
}

// Every arrangement decision restarts the shared generator from a value
// derived from the song seed, so a song re-arranges identically each run.
void Reseed(Player* p, unsigned salt, int discards) {
    bb_random_Seed = static_cast<int>(static_cast<unsigned>(p->section) * 9u + static_cast<unsigned>(p->songSeed) +
                                      salt);
    for (int i = 0; i < discards; ++i) p->m_Rand(1, 5);
}

// LoadImage2 grabs 64 frames and treats a picture without room for them as
// fatal ("Image frame outside surface"). A song file is data, so a picture
// too small for the song is refused here, from its header alone, and plays
// as a missing one.
bool SongPictureFits(const String& path) {
    FILE* f = fopenFile(bb_data_FixDataPath(path), String("rb"));
    if (!f) return false;
    int w = 0, h = 0, n = 0;
    int ok = stbi_info_from_file(f, &w, &h, &n);
    std::fclose(f);
    if (!ok || w < kFrameSize || h < kFrameSize) return false;
    return static_cast<long long>(w / kFrameSize) * (h / kFrameSize) >= kFrameCount;
}

// "inst/" + stem + number + suffix, e.g. "inst/d4-1.wav", "inst/lead3.wav".
bb_audio_Sound* LoadInstrument(const char* stem, int number, const String& suffix) {
    return bb_audio_LoadSound(String("inst/") + String(stem) + String(number) + suffix);
}

String DrumSuffix(int k) { return String("-") + String(k) + String(".wav"); }

}  // namespace

bb_ZKTrackr_ZKPlayer::bb_ZKTrackr_ZKPlayer() {
    gc_assign(settings, Array<int>(8));
    gc_assign(instrumentNumbers, Array<int>(8));
    gc_assign(kitA, Array<bb_audio_Sound*>(9));
    gc_assign(kitB, Array<bb_audio_Sound*>(9));
    gc_assign(melodic, Array<bb_audio_Sound*>(8));
    gc_assign(cells, Array<int>(kCellsLength));
    gc_assign(lastPattern, Array<int>(8));
    gc_assign(voiceChannel, Array<int>(8));
    gc_assign(voiceActive, Array<int>(8));
    gc_assign(trackPattern, Array<int>(8));
    gc_assign(mute, Array<int>(8));
    gc_assign(fill, Array<int>(8));
    gc_assign(nextMute, Array<int>(8));
    gc_assign(voiceRate, Array<float>(8));
    gc_assign(voiceEnvelope, Array<float>(8));
    gc_assign(voiceVolume, Array<float>(8));
}

bb_ZKTrackr_ZKPlayer* bb_ZKTrackr_ZKPlayer::g_new() { return this; }

void bb_ZKTrackr_ZKPlayer::mark() {
    gc_enqueue(settings);
    gc_enqueue(instrumentNumbers);
    gc_enqueue(kitA);
    gc_enqueue(kitB);
    gc_enqueue(melodic);
    gc_enqueue(songImage);
    gc_enqueue(cells);
    gc_enqueue(lastPattern);
    gc_enqueue(voiceChannel);
    gc_enqueue(voiceActive);
    gc_enqueue(trackPattern);
    gc_enqueue(mute);
    gc_enqueue(fill);
    gc_enqueue(nextMute);
    gc_enqueue(voiceRate);
    gc_enqueue(voiceEnvelope);
    gc_enqueue(voiceVolume);
}

int bb_ZKTrackr_ZKPlayer::m_ZK_Init(int base, int a, int b, int c, int d) {
    baseChannel = base;
    settings[1] = a;
    settings[2] = b;
    settings[3] = c;
    settings[4] = d;
    return 0;
}

int bb_ZKTrackr_ZKPlayer::m_ZK_Start(String file, int kitANumber, int kitBNumber, int lead, int accompaniment,
                                     int bass, int seed, String chord) {
    // A new song starts from a clean slate: nothing of the previous one may
    // sound on, and a picture that fails to load must leave silence, not
    // the previous song's cells.
    m_ZK_Stop(0);
    songFile = file;
    instrumentNumbers[1] = kitANumber;
    instrumentNumbers[2] = kitBNumber;
    instrumentNumbers[3] = lead;
    instrumentNumbers[4] = accompaniment;
    instrumentNumbers[5] = bass;
    songSeed = seed;
    chordQueue = chord;
    std::memset(cells.Data(), 0, sizeof(int) * static_cast<size_t>(cells.Length()));
    for (int i = 0; i < kSlots; ++i) {
        lastPattern[i] = 0;
        trackPattern[i] = 0;
        mute[i] = 0;
        fill[i] = 0;
        nextMute[i] = 0;
    }
    row = 0;
    loopsLeft = 0;
    section = 0;
    loadStep = 1;
    playState = 2;
    return 0;
}

int bb_ZKTrackr_ZKPlayer::m_ZK_LoadChunk() {
    int s = loadStep;
    bool decodes = s >= kFirstDecodeStep && s < kFirstDecodeStep + kPatterns;
    // Decoding draws and reads back: without a render in progress the step
    // waits for the next one instead of losing its pattern.
    if (decodes && songImage && !bb_graphics_renderDevice) return 0;

    if (s == 1) {
        DebugLog(String("Music File : ") + songFile);
        bb_graphics_Image* image = nullptr;
        if (SongPictureFits(songFile)) image = bb_graphics_LoadImage2(songFile, kFrameSize, kFrameSize, kFrameCount, 1);
        gc_assign(songImage, image);
    } else if (s >= 2 && s <= 9) {
        gc_assign(kitA[s - 1], LoadInstrument("d", instrumentNumbers[1], DrumSuffix(s - 1)));
    } else if (s >= 12 && s <= 19) {
        gc_assign(kitB[s - 11], LoadInstrument("d", instrumentNumbers[2], DrumSuffix(s - 11)));
    } else if (s == 21) {
        gc_assign(melodic[2], LoadInstrument("lead", instrumentNumbers[3], String(".wav")));
    } else if (s == 22) {
        gc_assign(melodic[3], LoadInstrument("accompany", instrumentNumbers[4], String(".wav")));
    } else if (s == 23) {
        gc_assign(melodic[4], LoadInstrument("bass", instrumentNumbers[5], String(".wav")));
    }

    if (decodes && songImage) {
        int p = s - kFirstDecodeStep;
        // Red background, then the frame on top: opaque song pixels replace
        // it exactly (identity matrix, nearest filtering, premultiplied
        // blend), so the read-back is the frame itself.
        bb_graphics_Cls(1, 0, 0);
        bb_graphics_SetAlpha(1);
        bb_graphics_SetColor(1, 0, 0);
        bb_graphics_DrawRect(0, 0, kFrameSize, kFrameSize);
        bb_graphics_SetColor(255, 255, 255);
        bb_graphics_DrawImage(songImage, kFrameSize / 2, kFrameSize / 2, p);
        Array<int> pixels(kFrameSize * kFrameSize);
        bb_graphics_ReadPixels(pixels, 0, 0, kFrameSize, kFrameSize, 0, kFrameSize);
        for (int r = 0; r < kRows; ++r) {
            for (int t = 0; t < kTracks; ++t) {
                for (int f = 0; f < kFields; ++f) {
                    int v = (pixels[r * kFrameSize + t * kFields + f] >> 3) & 31;
                    cells[CellIndex(p, t, r) + f] = v;
                    if (v != 0) {
                        lastPattern[t] = p;
                        Print(String(s) + String(":") + String(t) + String(":") + String(r));
                    }
                }
            }
        }
    }

    loadStep += 1;
    nextTime = Later(Now(), 100);
    if (loadStep > kLastLoadStep) loadStep = 0;
    return 0;
}

int bb_ZKTrackr_ZKPlayer::m_ZK_Alive_R() {
    for (int i = 0; i < 3 && loadStep > 0; ++i) m_ZK_LoadChunk();
    // Hides the loading work; the game draws its frame over it.
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->Cls(0, 0, 0);
    return 0;
}

int bb_ZKTrackr_ZKPlayer::m_ZK_Alive_U(int paused, int enabled) {
    if (playState == 0) m_ZK_Stop(0);
    if (playState == 2 && loadStep == 0 && paused == 0) {
        if (enabled == 1) m_ZK_MusicPlay();
        if (enabled == 0) m_ZK_Stop(0);
    } else if (paused == 1) {
        nextTime = Later(Now(), 150);
        if (playState == 2) m_ZK_Stop(0);
    } else if (playState == 2 && enabled == 0) {
        m_ZK_Stop(0);
    }
    return 0;
}

int bb_ZKTrackr_ZKPlayer::m_ZK_Stop(int all) {
    for (int i = 0; i < Voices(this); ++i) {
        if (voiceChannel[i] > 0 && voiceActive[i] == 1) {
            if (Usable(voiceChannel[i])) bb_audio_device->StopChannel(voiceChannel[i]);
            voiceActive[i] = 0;
        }
    }
    if (all == 1) playState = 0;
    return 0;
}

int bb_ZKTrackr_ZKPlayer::m_Rand(float lo, float hi) {
    unsigned seed = static_cast<unsigned>(bb_random_Seed) * 1664525u + 1013904223u;
    bb_random_Seed = static_cast<int>(seed);
    float r = static_cast<float>(seed >> 8) * 5.9604645e-8f;
    float v = std::floor(lo + (hi - lo + 0.99f) * r);
    // Only small bounds are ever asked for; anything else is clamped rather
    // than converted out of range.
    if (!(v > -2147483648.0f)) return -2147483647 - 1;
    if (v >= 2147483648.0f) return 2147483647;
    return static_cast<int>(v);
}

int bb_ZKTrackr_ZKPlayer::m_ZK_PlayNote(int v, int note, int volume, int effect, int parameter) {
    if (v < 0 || v >= kSlots) return 0;
    int muted = mute[v];
    if (playState < 2) {
        transpose = 1;
    } else {
        // A track coming back next section plays the last eight rows of
        // this one as a lead-in.
        if (loopsLeft <= 1 && row > 55 && fill[v] == 1 && nextMute[v] == 0) muted = 0;
        transpose = chordQueue.Length() > 0 ? m_GetPitch_Alpha(chordQueue[0]) : 1.0f;
    }
    for (int i = 0; i < Voices(this); ++i) voiceChannel[i] = baseChannel - 1 - i;
    int channel = voiceChannel[v];
    bool audible = Usable(channel);

    if (v < 2 && note >= 1 && !muted && audible) {
        bb_audio_device->StopChannel(channel);
        int k = DrumSample(note);
        bb_audio_Sound* sound = k == 0 ? nullptr : (v == 0 ? kitA : kitB)[k];
        if (sound && sound->sample) {
            voiceActive[v] = 1;
            bb_audio_device->PlaySample(sound->sample, channel, 0);
            bb_audio_device->SetPan(channel, v == 0 ? -kDrumPan : kDrumPan);
        }
        // Drums keep their own pitch; the rate only seeds the slides.
        voiceRate[v] = 1.0f;
        voiceEnvelope[v] = 4.0f;
    }

    float level = static_cast<float>(volume - 1) / 29.0f;
    if (level > 1) {  // 31: silence
        voiceEnvelope[v] = 0;
        level = 0;
    }
    if (level < 0) level = 0;
    if (volume >= 1 && audible && !muted) {
        voiceEnvelope[v] = 1.5f;
        bb_audio_device->SetVolume(channel, masterVolume * level);
        voiceVolume[v] = level;
    } else {
        level = voiceVolume[v];
    }

    // The envelope counter falls 0.1 a row: above 1 the level holds, below
    // it the level is scaled by the counter each row, at 0 it is silent.
    // Single precision on purpose: songs are timed by its rounding.
    float e = voiceEnvelope[v] - 0.1f;
    voiceEnvelope[v] = e;
    bool apply = e < 1;
    if (e < 0) {
        e = 0;
        voiceEnvelope[v] = 0;
    }
    if (apply && audible) {
        bb_audio_device->SetVolume(channel, masterVolume * e * level);
        voiceVolume[v] = e * level;
    }

    if (v >= 2 && note >= 1) {
        if (muted || !audible) return 0;
        bb_audio_device->StopChannel(channel);
        float rate = m_GetPitch(note) * transpose;
        voiceRate[v] = rate;
        voiceEnvelope[v] = 1.5f;
        bb_audio_device->SetRate(channel, rate);
        bb_audio_Sound* sound = melodic[v];
        if (sound && sound->sample) {
            voiceActive[v] = 1;
            // Looped: the envelope, not the sample, ends a melodic note.
            bb_audio_device->PlaySample(sound->sample, channel, 1);
        }
    } else if (muted) {
        return 0;
    }

    if (!audible) return 0;
    float rate = voiceRate[v];
    switch (effect) {
        case 1: rate = std::fmin(rate + parameter / 180.0f, 4.0f); break;
        case 2: rate = std::fmax(rate - parameter / 180.0f, 0.25f); break;
        case 3: rate = std::fmin(rate + parameter / 15.0f, 4.0f); break;
        case 4: rate = std::fmax(rate - parameter / 15.0f, 0.25f); break;
        default: return 0;
    }
    voiceRate[v] = rate;
    bb_audio_device->SetRate(channel, rate);
    return 0;
}

int bb_ZKTrackr_ZKPlayer::m_ZK_MusicPlay() {
    long long now = Now();
    if (nextTime >= now && nextTime <= now + kMaxWaitMs) return 0;

    for (int i = 0; i < Voices(this); ++i) {
        int p = trackPattern[i];
        int cell = CellIndex(p, i, row);
        if (Field(cells, cell, 2) == 27 && playState == 2) {
            int parameter = Field(cells, cell, 3);
            int to = p;
            if (parameter == 1 && loopsLeft % 2 != 0) to = p + 1;
            if (parameter == 2 && loopsLeft % 2 == 0) to = p - 1;
            // A jump stays within the patterns this track has: never before
            // the first, never past its last non-empty one.
            if (to != p && to >= 0 && to <= lastPattern[i] && to < kPatterns) {
                trackPattern[i] = to;
                cell = CellIndex(to, i, row);
            }
        }
        int effect = Field(cells, cell, 2);
        m_ZK_PlayNote(i, Field(cells, cell, 0), Field(cells, cell, 1), effect, Field(cells, cell, 3));
        if (effect == 8) row = kRows - 1;  // pattern break: later tracks read the last row too
    }

    // From the previous due time, not from now: a late player catches up a
    // row per update instead of drifting.
    nextTime = Later(nextTime, 8000 / (tempo > 0 ? tempo : 1));
    row = (row + 1) & (kRows - 1);
    if (row != 0) return 0;

    // End of a pattern.
    Reseed(this, 0, 16);
    if (chordQueue.Length() == 1) {
        chordQueue = m_ZK_GetChord(m_Rand(0, 4));
    } else if (chordQueue.Length() >= 2) {
        chordQueue = chordQueue.Slice(1);
    }
    loopsLeft -= 1;
    if (loopsLeft > 0) return 0;

    // New section: its length, then per track its pattern and mutes.
    Reseed(this, 0, 11);
    loopsLeft = 2 * m_Rand(1, 2);
    section += 1;
    for (int i = 0; i < Voices(this); ++i) {
        Reseed(this, 7u * static_cast<unsigned>(i), 11);
        trackPattern[i] = m_Rand(0, static_cast<float>(lastPattern[i]));
        if (playState == 2) mute[i] = nextMute[i];
        nextMute[i] = m_Rand(0, 1);
        fill[i] = m_Rand(0, 1);
    }
    // Never a section without any drums.
    if (playState == 2 && mute[0] != 0 && mute[1] != 0) mute[0] = 0;
    return 0;
}
