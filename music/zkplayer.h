// zkplayer.h - a small tracker that plays music stored in a picture.
//
// The song is a strip (or grid) of 64x64-pixel frames, one pattern each; the
// top five bits of each pixel's blue channel hold one field. The player reads
// the picture back through the renderer a few patterns per rendered frame
// while it loads its instrument samples, then steps one row every 8000/tempo
// milliseconds on five voices (two drum kits, lead, accompaniment, bass). At
// pattern and section ends it re-arranges the song from a seeded random
// generator (the framework's shared one): patterns per track, mutes, fills
// and a chord progression that transposes the melodic voices.
//
// Depends on: runtime, graphics/graphics.h (LoadImage2, DrawImage,
// ReadPixels), devices/audio.h (samples, channels), host/framework.h (clock,
// shared random seed).

#ifndef NUBRIX_MUSIC_ZKPLAYER_H
#define NUBRIX_MUSIC_ZKPLAYER_H

#include "devices/audio.h"
#include "graphics/graphics.h"
#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/string.h"

class bb_ZKTrackr_ZKPlayer : public Object {
public:
    int baseChannel = 0;          // voice i plays on audio channel baseChannel - 1 - i
    Array<int> settings;          // elements 1..4: the last four m_ZK_Init arguments (unused)
    int loadStep = 0;             // 0: nothing to load; else the next loading step, 1..70
    Array<int> instrumentNumbers; // 1 kit A, 2 kit B, 3 lead, 4 accompaniment, 5 bass
    Array<bb_audio_Sound*> kitA;  // elements 1..8
    Array<bb_audio_Sound*> kitB;  // elements 1..8
    Array<bb_audio_Sound*> melodic;  // 2 lead, 3 accompaniment, 4 bass
    String songFile;
    bb_graphics_Image* songImage = nullptr;
    Array<int> cells;             // 63 patterns x 8 tracks x 64 rows x 8 fields
    Array<int> lastPattern;       // per track, the highest pattern with a non-zero field
    int nextTime = 0;             // ms: when the next row is due
    int playState = 0;            // 0 stopped, 1 idle, 2 playing
    int voiceCount = 5;
    Array<int> voiceChannel;
    Array<int> voiceActive;       // 1 while a voice has started a sample m_ZK_Stop must stop
    Array<int> trackPattern;
    int row = 0;
    int loopsLeft = 0;            // pattern repetitions left in the current section
    Array<int> mute;
    Array<int> fill;
    Array<int> nextMute;
    float transpose = 0;
    String chordQueue;            // remaining chord letters; the first is in effect
    Array<float> voiceRate;
    Array<float> voiceEnvelope;
    float masterVolume = 0.5f;
    Array<float> voiceVolume;
    int tempo = 95;               // rows per 8000 ms
    int songSeed = 0;
    int section = 0;

    bb_ZKTrackr_ZKPlayer();
    bb_ZKTrackr_ZKPlayer* g_new();
    void mark() override;

    virtual int m_ZK_Init(int baseChannel, int a, int b, int c, int d);
    virtual int m_ZK_LoadChunk();
    virtual int m_ZK_Alive_R();
    virtual int m_ZK_Stop(int all);
    virtual float m_GetPitch_Alpha(int letter);
    virtual float m_GetPitch(int note);
    virtual int m_ZK_PlayNote(int voice, int note, int volume, int effect, int parameter);
    virtual int m_Rand(float lo, float hi);
    virtual String m_ZK_GetChord(int n);
    virtual int m_ZK_MusicPlay();
    virtual int m_ZK_Alive_U(int paused, int enabled);

    // Starts a song: the picture, the five instrument numbers (kit A, kit B,
    // lead, accompaniment, bass), the seed of its arrangement and a one-letter
    // chord queue that starts the chord progression ("" for none). Loading
    // begins at the next render; playing follows once everything is loaded.
    virtual int m_ZK_Start(String songFile, int kitA, int kitB, int lead, int accompaniment, int bass, int seed,
                           String chord);

    // The song's shape: field f of row r of track t in pattern p is
    // cells[p * kPatternSize + t * kTrackSize + r * kFields + f].
    static const int kPatterns = 63;
    static const int kTracks = 8;
    static const int kRows = 64;
    static const int kFields = 8;
    static const int kTrackSize = kRows * kFields;        // 512
    static const int kPatternSize = kTracks * kTrackSize;  // 4096

    // The kit sample (1..8) a drum note selects, 0 for a note that only
    // stops the drum channel.
    static int DrumSample(int note);
};

#endif
