// tables.cpp - the player's fixed tables: semitone rates, the tracker
// keyboard, the four-step chord patterns and the drum note map.
//
// The rates are the tracker's own rounded decimals stored as floats, not
// powers of 2^(1/12): songs were tuned by ear against these values, and the
// chord transposition multiplies by them, so they must stay bit-exact.
//
// Depends on: music/zkplayer.h, runtime/string.h.

#include "music/zkplayer.h"

namespace {

// Note 13 plays the sample at its own pitch; 1..12 an octave below, 25..32
// the first eight an octave above. Index 0 is "no note".
const float kPitch[33] = {
    0.0f,
    0.5f, 0.5295f, 0.561f, 0.5945f, 0.63f, 0.6675f, 0.707f, 0.749f, 0.7935f, 0.841f, 0.891f, 0.944f,
    1.0f, 1.059f, 1.122f, 1.189f, 1.26f, 1.335f, 1.414f, 1.498f, 1.587f, 1.682f, 1.782f, 1.888f,
    2.0f, 2.118f, 2.244f, 2.378f, 2.52f, 2.67f, 2.828f, 2.996f,
};

// The tracker keyboard: two rows of a piano laid over the QWERTY keys, the
// lower row an octave down. Position i holds note i + 1.
const char kKeyboard[] = "zsxdcvgbhnjm" "q2w3er5t6y7u" "i9o0p[=]";

}  // namespace

float bb_ZKTrackr_ZKPlayer::m_GetPitch(int note) {
    if (note < 1 || note > 32) return 0.0f;
    return kPitch[note];
}

float bb_ZKTrackr_ZKPlayer::m_GetPitch_Alpha(int letter) {
    for (int i = 0; kKeyboard[i] != 0; ++i) {
        if (letter == static_cast<unsigned char>(kKeyboard[i])) return m_GetPitch(i + 1);
    }
    return 0.0f;
}

String bb_ZKTrackr_ZKPlayer::m_ZK_GetChord(int n) {
    switch (n) {
        case 0: return String("qqqq");
        case 2: return String("qqbb");
        case 3: return String("qbqb");
        case 4: return String("qqqj");
        case 5: return String("qqzz");
        default: return String("qqjj");
    }
}

int bb_ZKTrackr_ZKPlayer::DrumSample(int note) {
    switch (note) {
        case 13: return 1;
        case 15: return 2;
        case 17: return 3;
        case 18: return 4;
        case 20: return 5;
        case 22: return 6;
        case 24: return 7;
        case 25: return 8;
        default: return 0;
    }
}
