// song.cpp - the demo song's cells, the picture that carries them, and the
// `song` set's files (the picture and the instruments).
//
// Each track's 63 patterns are variations drawn from a small, seeded set of
// rhythm and voicing families over the shared progression Am | F | C | G,
// so the player's random choice of patterns per track always lands in
// harmony. Pattern 0, which opens every run on all tracks, is a sparse
// intro. A few cells show off the player's effects: pitch bends into lead
// notes and falls at phrase ends (1, 2), bass dives before a section change
// (4), a drum fill that breaks its pattern a beat early (8), and a lead
// pattern pair joined by jumps (27), so odd and even section counts take
// different ways through the same phrase.
//
// Notes: 13 is C (rate 1.0); drums use the player's kit map, 13 kick ...
// 25 crash. Volumes 1..30 set a level, 31 cuts a note short.
//
// Depends on: song.h, output.h.

#include <cmath>
#include <cstdlib>

#include "tools/assetgen/output.h"
#include "tools/assetgen/song.h"

namespace songgen {

namespace {

// Kit notes: the player maps 13, 15, 17, 18, 20, 22, 24, 25 to samples 1..8.
const int kKick = 13, kSnare = 15, kHat = 17, kOpenHat = 18, kClap = 20, kTomLow = 22, kTomHigh = 24, kCrash = 25;
const int kBoom = 13, kRim = 15, kShaker = 17, kTambourine = 18, kSnap = 20, kCongaLow = 22, kCongaHigh = 24,
          kCowbell = 25;

const int kCut = 31;  // volume that silences a voice

// Slides: the player's rates per note, to size a bend in 1/180ths.
const float kRate[33] = {0.0f,   0.5f,  0.5295f, 0.561f, 0.5945f, 0.63f,  0.6675f, 0.707f, 0.749f,
                         0.7935f, 0.841f, 0.891f,  0.944f, 1.0f,    1.059f, 1.122f,  1.189f, 1.26f,
                         1.335f, 1.414f, 1.498f,  1.587f, 1.682f,  1.782f, 1.888f,  2.0f,   2.118f,
                         2.244f, 2.378f, 2.52f,   2.67f,  2.828f,  2.996f};

// The progression: one chord per 16 rows.
const int kChords = 4;
const int kSegment = 16;

// Bass (its sample's C is C3): roots A2 F2 C3 G2, their octaves and fifths,
// and a scale step into the next chord's root.
const int kBassRoot[kChords] = {10, 6, 13, 8};
const int kBassFifth[kChords] = {17, 13, 20, 15};
const int kBassApproach[kChords] = {5, 15, 10, 12};

// Accompaniment voicings close around middle C: Am (A C E A), F (A C F A),
// C (G C E G), G (G B D G).
const int kVoicing[kChords][4] = {{10, 13, 17, 22}, {10, 13, 18, 22}, {8, 13, 17, 20}, {8, 12, 15, 20}};

// Lead range D4..E5 in C major, and the chord tones inside it.
const int kLeadScale[] = {15, 17, 18, 20, 22, 24, 25, 27, 29};
const int kLeadScaleSize = 9;
const std::vector<int> kLeadChordTones[kChords] = {{17, 22, 25, 29}, {18, 22, 25}, {17, 20, 25}, {15, 20, 24, 27}};

// A small deterministic generator, one per track and pattern.
class Dice {
public:
    explicit Dice(uint32_t seed) : state_(seed * 2654435761u + 0x9e3779b9u) {
        for (int i = 0; i < 4; ++i) next();
    }
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }

private:
    uint32_t state_;
};

class Song {
public:
    explicit Song(std::vector<int>& cells) : cells_(cells) {}

    int& at(int p, int t, int r, int f) { return cells_[CellIndex(p, t, r, f)]; }

    void note(int p, int t, int r, int note, int volume) {
        if (r < 0 || r >= kRows) return;
        at(p, t, r, kNote) = note;
        at(p, t, r, kVolume) = volume;
    }
    void effect(int p, int t, int r, int effect, int parameter) {
        if (r < 0 || r >= kRows) return;
        at(p, t, r, kEffect) = effect;
        at(p, t, r, kParameter) = parameter;
    }
    bool empty(int p, int t, int r) {
        for (int f = 0; f < kFields; ++f) {
            if (at(p, t, r, f)) return false;
        }
        return true;
    }

private:
    std::vector<int>& cells_;
};

uint32_t Seed(int track, int pattern) { return static_cast<uint32_t>(track * 1000 + pattern + 1); }

// --- drum kit A: kick, snare, hats, claps, toms, crash -----------------------

// One bar per string, one character per eighth note (4 rows): K kick,
// S snare, c clap, h closed hat, o open hat, x crash, . rest.
const char* const kGrooves[] = {"KhShKhSh", "KhShKKSh", "KhShhKSh", "KhSoKhSh",
                                "K.S.K.S.", "KhchKhch", "KhShKhSK", "K.ShK.Sh"};
const int kGrooveCount = 8;

void PlayGroove(Song& s, int p, int firstRow, const char* bar, int lastRows) {
    for (int i = 0; i < 8; ++i) {
        int r = firstRow + i * 4;
        if (r >= firstRow + lastRows) break;
        switch (bar[i]) {
            case 'K': s.note(p, kKitATrack, r, kKick, i == 0 ? 28 : 26); break;
            case 'S': s.note(p, kKitATrack, r, kSnare, 25); break;
            case 'c': s.note(p, kKitATrack, r, kClap, 24); break;
            case 'h': s.note(p, kKitATrack, r, kHat, i % 2 ? 13 : 16); break;
            case 'o': s.note(p, kKitATrack, r, kOpenHat, 15); break;
            case 'x': s.note(p, kKitATrack, r, kCrash, 22); break;
            default: break;
        }
    }
}

// A tom run over the last beats of the pattern: sixteenths, falling, louder.
void TomFill(Song& s, int p, int fromRow, int toRow) {
    int notes[] = {kTomHigh, kTomHigh, kTomLow, kTomLow, kSnare, kSnare, kSnare, kSnare};
    for (int i = 0, r = fromRow; r < toRow; ++i, r += 2) s.note(p, kKitATrack, r, notes[i % 8], 18 + i);
}

void KitA(Song& s, int p) {
    if (p == 0) {
        PlayGroove(s, p, 0, "x...K.h.", 32);
        PlayGroove(s, p, 32, "K.h.K.Sh", 32);
        return;
    }
    Dice d(Seed(kKitATrack, p));
    const char* first = kGrooves[d.below(kGrooveCount)];
    const char* second = d.chance(60) ? first : kGrooves[d.below(kGrooveCount)];
    // Two patterns end a beat early with a fill; a few more end on a fill.
    bool breaks = p == 15 || p == 47;
    bool fills = breaks || d.chance(20);
    PlayGroove(s, p, 0, first, 32);
    PlayGroove(s, p, 32, second, fills ? 16 : 32);
    if (d.chance(15)) s.note(p, kKitATrack, 0, kCrash, 22);
    if (breaks) {
        TomFill(s, p, 48, 55);
        s.effect(p, kKitATrack, 55, 8, 0);
    } else if (fills) {
        TomFill(s, p, 48, 64);
    }
}

// --- drum kit B: shaker, tambourine, congas, rim, snap, cowbell ----------------

void Shakers(Song& s, int p, int firstRow, int every) {
    for (int r = firstRow; r < firstRow + 32; r += every) {
        if (s.empty(p, kKitBTrack, r)) s.note(p, kKitBTrack, r, kShaker, r % 4 == 0 ? 11 : 7);
    }
}

void KitBBar(Song& s, int p, int first, int family) {
    switch (family) {
        case 0:  // shaker sixteenths
            break;
        case 1:  // congas in the gaps
            s.note(p, kKitBTrack, first + 6, kCongaHigh, 16);
            s.note(p, kKitBTrack, first + 14, kCongaHigh, 14);
            s.note(p, kKitBTrack, first + 20, kCongaLow, 17);
            s.note(p, kKitBTrack, first + 22, kCongaLow, 15);
            s.note(p, kKitBTrack, first + 30, kCongaHigh, 14);
            break;
        case 2:  // tambourine on the backbeat
            s.note(p, kKitBTrack, first + 8, kTambourine, 15);
            s.note(p, kKitBTrack, first + 24, kTambourine, 15);
            break;
        case 3:  // rim and snap on the off-beats of two and four
            s.note(p, kKitBTrack, first + 12, kRim, 16);
            s.note(p, kKitBTrack, first + 28, kSnap, 17);
            break;
        case 4:  // cowbell
            s.note(p, kKitBTrack, first, kCowbell, 12);
            s.note(p, kKitBTrack, first + 12, kCowbell, 10);
            s.note(p, kKitBTrack, first + 24, kCowbell, 12);
            break;
        default:  // a deep kick under the groove
            s.note(p, kKitBTrack, first, kBoom, 20);
            s.note(p, kKitBTrack, first + 22, kBoom, 16);
            break;
    }
}

void KitB(Song& s, int p) {
    if (p == 0) {
        for (int r = 32; r < kRows; r += 4) s.note(p, kKitBTrack, r, kShaker, 8);
        return;
    }
    Dice d(Seed(kKitBTrack, p));
    int family = d.below(6);
    int every = d.chance(70) ? 2 : 4;
    // The snaps alone, now and then: room for the others.
    if (d.chance(12)) {
        for (int bar = 0; bar < 2; ++bar) {
            s.note(p, kKitBTrack, bar * 32 + 8, kSnap, 15);
            s.note(p, kKitBTrack, bar * 32 + 24, kSnap, 15);
        }
        return;
    }
    for (int bar = 0; bar < 2; ++bar) {
        int f = bar == 1 && d.chance(30) ? d.below(6) : family;
        KitBBar(s, p, bar * 32, f);
        Shakers(s, p, bar * 32, every);
    }
}

// --- bass ----------------------------------------------------------------------

// One rhythm per chord: (row, kind) with kind R root, H root an octave up,
// F fifth, A approach to the next chord, X cut.
struct Hit {
    int row;
    char kind;
};
const std::vector<Hit> kBassRhythms[] = {
    {{0, 'R'}},
    {{0, 'R'}, {8, 'R'}},
    {{0, 'R'}, {4, 'R'}, {8, 'H'}, {12, 'R'}},
    {{0, 'R'}, {6, 'R'}, {10, 'F'}, {14, 'A'}},
    {{0, 'R'}, {8, 'F'}, {12, 'H'}},
    {{0, 'R'}, {3, 'X'}, {4, 'R'}, {8, 'R'}, {11, 'X'}, {12, 'A'}},
    {{0, 'R'}, {10, 'R'}, {14, 'A'}},
};
const int kBassRhythmCount = 7;

void BassSegment(Song& s, int p, int chord, const std::vector<Hit>& rhythm) {
    int base = chord * kSegment;
    for (const Hit& h : rhythm) {
        int r = base + h.row;
        int volume = h.row == 0 ? 27 : 24;
        switch (h.kind) {
            case 'R': s.note(p, kBassTrack, r, kBassRoot[chord], volume); break;
            case 'H': s.note(p, kBassTrack, r, kBassRoot[chord] + 12, volume - 2); break;
            case 'F': s.note(p, kBassTrack, r, kBassFifth[chord], volume - 1); break;
            case 'A': s.note(p, kBassTrack, r, kBassApproach[chord], 21); break;
            case 'X': s.at(p, kBassTrack, r, kVolume) = kCut; break;
        }
    }
}

void Bass(Song& s, int p) {
    if (p == 0) {
        for (int c = 0; c < kChords; ++c) BassSegment(s, p, c, kBassRhythms[0]);
        return;
    }
    Dice d(Seed(kBassTrack, p));
    int main = d.below(kBassRhythmCount);
    int last = d.chance(40) ? d.below(kBassRhythmCount) : main;
    for (int c = 0; c < kChords; ++c) BassSegment(s, p, c, c == kChords - 1 ? kBassRhythms[last] : kBassRhythms[main]);
    // Now and then the last note dives into the next pattern.
    if (d.chance(12)) {
        s.note(p, kBassTrack, 60, kBassRoot[3], 24);
        for (int r = 61; r < kRows; ++r) {
            s.at(p, kBassTrack, r, kNote) = 0;
            s.at(p, kBassTrack, r, kVolume) = 0;
            s.effect(p, kBassTrack, r, 4, 1);
        }
    }
}

// --- accompaniment ---------------------------------------------------------------

// Arpeggios over the chord's four voicing notes: (row, voicing index).
struct Step {
    int row;
    int index;
};
const std::vector<Step> kArpeggios[] = {
    {{0, 0}, {2, 1}, {4, 2}, {6, 3}, {8, 0}, {10, 1}, {12, 2}, {14, 3}},  // up, sixteenths
    {{0, 0}, {2, 1}, {4, 2}, {6, 3}, {8, 2}, {10, 1}, {12, 0}, {14, 1}},  // up and down
    {{0, 0}, {4, 2}, {8, 1}, {12, 3}},                                    // broken eighths
    {{4, 2}, {12, 1}},                                                    // off-beat stabs
    {{0, 0}, {2, 2}, {4, 1}, {6, 2}, {8, 0}, {10, 2}, {12, 1}, {14, 2}},  // Alberti
    {{0, 0}, {6, 2}, {12, 3}},                                            // dotted
};
const int kArpeggioCount = 6;

void AccompanySegment(Song& s, int p, int chord, const std::vector<Step>& arpeggio, int loud) {
    int base = chord * kSegment;
    for (const Step& step : arpeggio) {
        int volume = step.row == 0 ? loud + 3 : loud;
        s.note(p, kAccompanyTrack, base + step.row, kVoicing[chord][step.index], volume);
    }
}

void Accompany(Song& s, int p) {
    if (p == 0) {
        for (int c = 0; c < kChords; ++c) AccompanySegment(s, p, c, kArpeggios[2], 11);
        return;
    }
    Dice d(Seed(kAccompanyTrack, p));
    int main = d.below(kArpeggioCount);
    int other = d.below(kArpeggioCount);
    bool alternate = d.chance(35);
    int loud = 11 + d.below(4);
    for (int c = 0; c < kChords; ++c) {
        AccompanySegment(s, p, c, kArpeggios[alternate && c % 2 ? other : main], loud);
    }
}

// --- lead ------------------------------------------------------------------------

// Onsets within one bar (32 rows); an empty rhythm rests.
const std::vector<int> kLeadRhythms[] = {
    {0, 8, 12, 16, 24},      {0, 4, 8, 16, 20, 24}, {4, 8, 12, 16, 28}, {0, 12, 16, 24},
    {0, 6, 12, 16, 22, 28},  {0, 16},               {},
};
const int kLeadRhythmCount = 7;

int ScaleIndex(int note) {
    int best = 0;
    for (int i = 0; i < kLeadScaleSize; ++i) {
        if (std::abs(kLeadScale[i] - note) < std::abs(kLeadScale[best] - note)) best = i;
    }
    return best;
}

// The chord tone nearest `previous`, or sometimes the next nearest.
int ChordTone(Dice& d, int chord, int previous) {
    const std::vector<int>& tones = kLeadChordTones[chord];
    int best = -1, second = -1;
    for (int i = 0; i < static_cast<int>(tones.size()); ++i) {
        int dist = std::abs(tones[i] - previous);
        if (best < 0 || dist < std::abs(tones[best] - previous)) {
            second = best;
            best = i;
        } else if (second < 0 || dist < std::abs(tones[second] - previous)) {
            second = i;
        }
    }
    return tones[second >= 0 && d.chance(25) ? second : best];
}

// A step of one scale degree, drifting back toward the middle of the range.
int PassingTone(Dice& d, int previous) {
    int i = ScaleIndex(previous);
    int up = previous < 22 ? 65 : previous > 25 ? 35 : 50;
    i += d.chance(up) ? 1 : -1;
    if (i < 0) i = 1;
    if (i >= kLeadScaleSize) i = kLeadScaleSize - 2;
    return kLeadScale[i];
}

// A bend: start a semitone under `target` and slide up to it on the next
// row. Only for targets whose lower neighbour is outside the key, so the
// start is heard as a blue note, not a wrong one.
bool Bendable(int target) { return target == 15 || target == 17 || target == 20 || target == 22 || target == 27; }

void LeadBar(Song& s, Dice& d, int p, int bar, const std::vector<int>& rhythm, int& previous, bool bends) {
    for (size_t i = 0; i < rhythm.size(); ++i) {
        int r = bar * 32 + rhythm[i];
        int chord = r / kSegment;
        bool last = bar == 1 && i + 1 == rhythm.size();
        int note;
        if (last) {
            note = ChordTone(d, 3, previous);  // end on the dominant: it leads round
        } else if (rhythm[i] % 8 == 0) {
            note = ChordTone(d, chord, previous);
        } else {
            note = PassingTone(d, previous);
        }
        int volume = r == 0 ? 24 : rhythm[i] % 8 == 0 ? 22 : 19;
        if (bends && rhythm[i] % 8 == 0 && Bendable(note) && r + 1 < kRows) {
            s.note(p, kLeadTrack, r, note - 1, volume);
            int parameter = static_cast<int>(std::lround((kRate[note] - kRate[note - 1]) * 180.0f));
            s.effect(p, kLeadTrack, r + 1, 1, parameter > 31 ? 31 : parameter);
            bends = false;  // one per bar is plenty
        } else {
            s.note(p, kLeadTrack, r, note, volume);
        }
        previous = note;
    }
}

void LeadPattern(Song& s, int p, int firstRhythm, int secondRhythm, Dice& d) {
    int previous = kLeadChordTones[0][d.below(3)];
    bool bends = d.chance(25);
    LeadBar(s, d, p, 0, kLeadRhythms[firstRhythm], previous, bends);
    LeadBar(s, d, p, 1, kLeadRhythms[secondRhythm], previous, bends);
    // A fall at the end of the phrase, while the last note fades.
    const std::vector<int>& tail = kLeadRhythms[secondRhythm];
    if (!tail.empty() && d.chance(20)) {
        int from = 32 + tail.back() + 6;
        for (int r = from; r < from + 3 && r < kRows; ++r) s.effect(p, kLeadTrack, r, 2, 5);
    }
}

// Patterns 20 and 21 share their first bar and answer it differently. At
// row 32 each jumps to the other: 20 forward on odd section counts, 21 back
// on even ones.
const int kJumpPattern = 20;

void Lead(Song& s, int p) {
    if (p == 0) {
        Dice d(Seed(kLeadTrack, p));
        int previous = 25;
        LeadBar(s, d, p, 1, kLeadRhythms[5], previous, false);
        return;
    }
    if (p == kJumpPattern + 1) {
        Dice d(Seed(kLeadTrack, kJumpPattern));
        LeadPattern(s, p, 0, 0, d);  // the first bar of pattern 20, note for note
        for (int r = 32; r < kRows; ++r) {
            for (int f = 0; f < kFields; ++f) s.at(p, kLeadTrack, r, f) = 0;
        }
        Dice answer(Seed(kLeadTrack, p));
        int previous = s.at(p, kLeadTrack, 24, kNote);
        LeadBar(s, answer, p, 1, kLeadRhythms[1], previous, false);
        s.effect(p, kLeadTrack, 32, 27, 2);
        return;
    }
    Dice d(Seed(kLeadTrack, p));
    if (p == kJumpPattern) {
        LeadPattern(s, p, 0, 0, d);
        s.effect(p, kLeadTrack, 32, 27, 1);
        return;
    }
    int first = d.below(kLeadRhythmCount);
    int second = d.chance(60) ? first : d.below(kLeadRhythmCount - 1);  // never two empty bars
    if (first == kLeadRhythmCount - 1 && second == first) second = 5;
    LeadPattern(s, p, first, second, d);
}

// --- chord guide -----------------------------------------------------------------

// Not played: the root (bass numbering), quality (1 minor, 2 major) and
// number of each chord, for anyone reading the song.
void Guide(Song& s, int p) {
    const int quality[kChords] = {1, 2, 2, 2};
    for (int c = 0; c < kChords; ++c) {
        int r = c * kSegment;
        s.at(p, kGuideTrack, r, kNote) = kBassRoot[c];
        s.at(p, kGuideTrack, r, 4) = quality[c];
        s.at(p, kGuideTrack, r, 5) = c + 1;
    }
}

}  // namespace

std::vector<int> DemoSongCells() {
    std::vector<int> cells(kCellCount, 0);
    Song s(cells);
    for (int p = 0; p < kPatterns; ++p) {
        KitA(s, p);
        KitB(s, p);
        Bass(s, p);
        Accompany(s, p);
        Lead(s, p);
        Guide(s, p);
    }
    return cells;
}

std::vector<uint8_t> SongPicture(const std::vector<int>& cells) {
    std::vector<uint8_t> rgba(static_cast<size_t>(kPictureSize) * kPictureSize * 4, 0);
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
    for (int p = 0; p < kPatterns; ++p) {
        int x0 = (p % kGridColumns) * kFrameSize, y0 = (p / kGridColumns) * kFrameSize;
        for (int t = 0; t < kTracks; ++t) {
            for (int r = 0; r < kRows; ++r) {
                for (int f = 0; f < kFields; ++f) {
                    int v = cells[CellIndex(p, t, r, f)] & 31;
                    uint8_t* px = &rgba[((static_cast<size_t>(y0) + r) * kPictureSize + x0 + t * 8 + f) * 4];
                    // Blue carries the field; its low bits sit mid-way, so
                    // a read-back off by up to three still decodes the same.
                    // Green only makes the notes visible to a person.
                    px[1] = v ? 96 : 0;
                    px[2] = static_cast<uint8_t>(v << 3 | 4);
                }
            }
        }
    }
    return rgba;
}

void WriteDemoSong(const std::string& dataDir) {
    assetgen::writePng(dataDir + "/" + kDemoSongFile, kPictureSize, kPictureSize, SongPicture(DemoSongCells()));
    for (const Instrument& instrument : DemoInstruments()) {
        assetgen::writeWav(dataDir + "/" + instrument.file, kSampleRate, instrument.samples);
    }
}

}  // namespace songgen
