// The demo song: the committed files are exactly what the generator makes
// now, the song keeps to its key and its kit, uses the player's effects,
// and its samples are well-formed, in tune and loop without a seam.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "graphics/stb_image.h"
#include "music/zkplayer.h"
#include "tests/support/testing.h"
#include "tools/assetgen/song.h"

namespace music_test {
namespace {

constexpr double kPi = 3.14159265358979323846;

using songgen::CellIndex;

const std::string kData = NUBRIX_SOURCE_DIR "/data/";

int Field(const std::vector<int>& song, int p, int t, int r, int f) { return song[CellIndex(p, t, r, f)]; }

uint32_t Le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
    return v;
}

TEST(DemoSong, TheCommittedFilesAreTheGeneratorsOutput) {
    nubrix_test::TempDir fresh;
    songgen::WriteDemoSong(fresh.Path());
    std::vector<std::string> files = {songgen::kDemoSongFile};
    for (const songgen::Instrument& i : songgen::DemoInstruments()) files.push_back(i.file);
    EXPECT_EQ(files.size(), 20u);
    size_t total = 0;
    for (const std::string& f : files) {
        ASSERT_TRUE(nubrix_test::FileExists(kData + f)) << f << " is missing: run assetgen data song";
        std::string committed = nubrix_test::ReadFile(kData + f);
        EXPECT_TRUE(committed == nubrix_test::ReadFile(fresh.File(f))) << f << " is stale: run assetgen data song";
        total += committed.size();
    }
    EXPECT_LT(total, 1000000u) << "the demo stays small";

    // And the picture holds the cells the way the player reads them.
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load((kData + songgen::kDemoSongFile).c_str(), &w, &h, &n, 4);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 512);
    std::vector<int> song = songgen::DemoSongCells();
    int wrong = 0, opaque = 0;
    for (int p = 0; p < songgen::kPatterns; ++p) {
        for (int i = 0; i < 4096; ++i) {
            int r = i / 64, column = i % 64;
            const unsigned char* at = px + ((static_cast<size_t>((p / 8) * 64 + r) * 512) + (p % 8) * 64 + column) * 4;
            wrong += (at[2] >> 3) != Field(song, p, column / 8, r, column % 8);
            opaque += at[3] == 255;
        }
    }
    stbi_image_free(px);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(opaque, songgen::kPatterns * 4096);
}

TEST(DemoSong, EveryTrackCarriesTheSongAndOnlyTheGuideIsUnplayed) {
    std::vector<int> song = songgen::DemoSongCells();
    for (int v : song) ASSERT_TRUE(v >= 0 && v <= 31);
    for (int t = 0; t < 8; ++t) {
        int patterns = 0;
        for (int p = 0; p < songgen::kPatterns; ++p) {
            bool any = false;
            for (int r = 0; r < 64; ++r) any = any || Field(song, p, t, r, 0) != 0;
            patterns += any;
        }
        EXPECT_EQ(patterns, t <= 5 ? 63 : 0) << "track " << t;
    }
}

// Pitch class of a note: 13 is C.
int PitchClass(int note) { return (note - 1) % 12; }
bool InCMajor(int note) {
    static const std::set<int> scale = {0, 2, 4, 5, 7, 9, 11};
    return scale.count(PitchClass(note)) != 0;
}

TEST(DemoSong, TheSongKeepsItsKitItsKeyAndItsChords) {
    std::vector<int> song = songgen::DemoSongCells();
    const int roots[4] = {9, 5, 0, 7};  // Am F C G, one per 16 rows
    int bends = 0;
    for (int p = 0; p < songgen::kPatterns; ++p) {
        for (int r = 0; r < 64; ++r) {
            for (int t = 0; t < 5; ++t) {
                int note = Field(song, p, t, r, 0), volume = Field(song, p, t, r, 1);
                if (!note) continue;
                EXPECT_TRUE(volume >= 1 && volume <= 30) << "every note sets its level: " << p << "/" << t << "/" << r;
                if (t < 2) {
                    EXPECT_NE(bb_ZKTrackr_ZKPlayer::DrumSample(note), 0) << "kit note " << note;
                    continue;
                }
                if (!InCMajor(note)) {
                    // Only the lead's bends leave the key, and they slide up at once.
                    EXPECT_EQ(t, 2);
                    EXPECT_TRUE(r < 63 && Field(song, p, t, r + 1, 2) == 1) << p << "/" << r;
                    ++bends;
                }
                if (t == 4 && r % 16 == 0) {
                    EXPECT_EQ(PitchClass(note), roots[r / 16]) << "bass root " << p << "/" << r;
                }
            }
        }
    }
    EXPECT_GT(bends, 0);
}

TEST(DemoSong, TheSongUsesThePlayersEffects) {
    std::vector<int> song = songgen::DemoSongCells();
    std::set<int> effects, volumes;
    int breaks = 0, forward = 0, back = 0;
    for (int p = 0; p < songgen::kPatterns; ++p) {
        for (int t = 0; t < 5; ++t) {
            for (int r = 0; r < 64; ++r) {
                int e = Field(song, p, t, r, 2), q = Field(song, p, t, r, 3);
                if (e) effects.insert(e);
                if (Field(song, p, t, r, 1)) volumes.insert(Field(song, p, t, r, 1));
                breaks += e == 8;
                if (e == 27) {
                    // A jump lands on a note of the pattern it goes to.
                    int to = q == 1 ? p + 1 : p - 1;
                    EXPECT_NE(Field(song, to, t, r, 0), 0) << "jump at " << p << "/" << t << "/" << r;
                    (q == 1 ? forward : back) += 1;
                }
            }
        }
    }
    EXPECT_EQ(effects, (std::set<int>{1, 2, 4, 8, 27}));
    EXPECT_GT(breaks, 0);
    EXPECT_GT(forward, 0);
    EXPECT_GT(back, 0);
    EXPECT_GT(volumes.size(), 10u);
    EXPECT_TRUE(volumes.count(31)) << "a note cut short";
}

// Reads a 16-bit mono PCM WAV as the player's loader does.
std::vector<float> ReadWav(const std::string& file) {
    std::string b = nubrix_test::ReadFile(kData + file);
    EXPECT_GE(b.size(), 44u) << file;
    if (b.size() < 44) return {};
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le(b, 16, 4), 16u) << "16-byte fmt chunk";
    EXPECT_EQ(Le(b, 20, 2), 1u) << "PCM";
    EXPECT_EQ(Le(b, 22, 2), 1u) << "mono";
    EXPECT_EQ(Le(b, 24, 4), 22050u);
    EXPECT_EQ(Le(b, 34, 2), 16u);
    EXPECT_EQ(b.substr(36, 4), "data");
    uint32_t bytes = Le(b, 40, 4);
    EXPECT_EQ(bytes + 44, b.size());
    std::vector<float> out;
    for (size_t i = 44; i + 1 < b.size(); i += 2) out.push_back(static_cast<int16_t>(Le(b, i, 2)) / 32768.0f);
    return out;
}

// Strength of `hz` in a one-second loop.
double Strength(const std::vector<float>& s, int hz) {
    std::complex<double> sum = 0;
    for (size_t i = 0; i < s.size(); ++i) sum += static_cast<double>(s[i]) * std::polar(1.0, -2 * kPi * hz * i / 22050.0);
    return std::abs(sum);
}

TEST(DemoSong, MelodicSamplesAreCLoopsWithoutASeam) {
    struct Expect {
        const char* file;
        int hz;
    } melodic[] = {{"inst/lead1.wav", 262}, {"inst/accompany1.wav", 262}, {"inst/bass1.wav", 131}};
    for (const Expect& m : melodic) {
        std::vector<float> s = ReadWav(m.file);
        ASSERT_EQ(s.size(), 22050u) << m.file;
        float largestStep = 0;
        for (size_t i = 1; i < s.size(); ++i) largestStep = std::max(largestStep, std::fabs(s[i] - s[i - 1]));
        EXPECT_LE(std::fabs(s.front() - s.back()), largestStep) << m.file << ": the loop seam is no jump";
        // Rate 1.0 is C: the fundamental outweighs its neighbours a semitone away.
        double c = Strength(s, m.hz);
        EXPECT_GT(c, 4 * Strength(s, static_cast<int>(m.hz * 1.0595))) << m.file;
        EXPECT_GT(c, 4 * Strength(s, static_cast<int>(m.hz / 1.0595))) << m.file;
        EXPECT_GT(c, 1000) << m.file;
    }
}

TEST(DemoSong, DrumSamplesAreShortClicklessHits) {
    for (const songgen::Instrument& i : songgen::DemoInstruments()) {
        if (i.loops) continue;
        std::vector<float> s = ReadWav(i.file);
        ASSERT_FALSE(s.empty()) << i.file;
        float peak = 0;
        for (float v : s) peak = std::max(peak, std::fabs(v));
        EXPECT_GT(peak, 0.4f) << i.file;
        EXPECT_LT(std::fabs(s.back()), 0.001f) << i.file << " ends at rest";
        EXPECT_LT(s.size(), 22050u * 2) << i.file;
    }
}

}  // namespace
}  // namespace music_test
