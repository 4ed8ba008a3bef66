// song.h - the asset generator's `song` set: the music player's demo song,
// its cells, its picture and its instrument samples, all generated, the same
// bytes on every run. A library of its own (nubrix_songgen), so the music
// tests can hold the player's decoding against the generator's own cells.
//
// The song is 63 patterns of 64 rows on five played tracks (0 drum kit A,
// 1 drum kit B, 2 lead, 3 accompaniment, 4 bass) plus a chord guide on
// track 5 that the player stores but never plays. Every pattern follows
// the same two-bar progression Am | F | C | G (16 rows, two beats, each),
// so any pattern of one track sounds right against any pattern of another:
// the player picks each track's pattern on its own. Rows are 84 ms at the
// player's tempo 95, eight rows a beat (about 89 beats a minute).
//
// Files, relative to the data folder:
//   music/demo.png                 8x8 grid of 64x64 frames (512x512); in
//                                  frame p, pixel column t*8+f of row r holds
//                                  field f of row r of track t in the top
//                                  five bits of blue; frame 63 is empty
//   inst/d1-1.wav .. d1-8.wav      kit 1: kick, snare, closed hat, open hat,
//                                  clap, low tom, high tom, crash
//   inst/d2-1.wav .. d2-8.wav      kit 2: deep kick, rim, shaker, tambourine,
//                                  snap, low conga, high conga, cowbell
//   inst/lead1.wav                 chorused soft saw with vibrato
//   inst/accompany1.wav            mellow organ-like tone
//   inst/bass1.wav                 round bass
// Melodic samples are one-second loops whose every partial completes whole
// cycles, so they loop without a click; rate 1.0 (note 13) is C: 262 Hz for
// lead and accompaniment, 131 Hz for the bass. All are 22050 Hz 16-bit mono
// PCM.
//
// Instrument numbers of the demo, in m_ZK_Start's order: kit A 1, kit B 2,
// lead 1, accompaniment 1, bass 1:
//   player->m_ZK_Start(String("music/demo.png"), 1, 2, 1, 1, 1, seed, String("q"));
//
// Depends on: output.h (the PNG and WAV writers), synth.h.

#ifndef NUBRIX_TOOLS_ASSETGEN_SONG_H
#define NUBRIX_TOOLS_ASSETGEN_SONG_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/synth.h"

namespace songgen {

const int kPatterns = 63;
const int kTracks = 8;
const int kRows = 64;
const int kFields = 8;
const int kCellCount = kPatterns * kTracks * kRows * kFields;

// Fields of a row.
const int kNote = 0, kVolume = 1, kEffect = 2, kParameter = 3;

// Tracks.
const int kKitATrack = 0, kKitBTrack = 1, kLeadTrack = 2, kAccompanyTrack = 3, kBassTrack = 4, kGuideTrack = 5;

// The demo's instrument numbers and picture.
const int kDemoKitA = 1;
const int kDemoKitB = 2;
const int kDemoLead = 1;
const int kDemoAccompany = 1;
const int kDemoBass = 1;
const char* const kDemoSongFile = "music/demo.png";

// The picture's layout.
const int kFrameSize = 64;
const int kGridColumns = 8;
const int kPictureSize = kFrameSize * kGridColumns;  // 512

const int kSampleRate = assetgen::kSampleRate;

inline int CellIndex(int pattern, int track, int row, int field) {
    return ((pattern * kTracks + track) * kRows + row) * kFields + field;
}

// The song: kCellCount fields, each 0..31, laid out as CellIndex says (the
// player's own layout).
std::vector<int> DemoSongCells();

// The song as the picture the player reads: straight RGBA, opaque,
// kPictureSize x kPictureSize.
std::vector<uint8_t> SongPicture(const std::vector<int>& cells);

struct Instrument {
    std::string file;            // relative to the data folder, e.g. "inst/d1-1.wav"
    std::vector<float> samples;  // mono, -1..1, kSampleRate
    bool loops;                  // melodic: played looped by the player
};

// Every sample the demo names, drums first.
std::vector<Instrument> DemoInstruments();

// Writes the picture and every instrument below `dataDir` with the
// generator's writers (assetgen::writePng, assetgen::writeWav); throws
// std::runtime_error on failure.
void WriteDemoSong(const std::string& dataDir);

}  // namespace songgen

#endif
