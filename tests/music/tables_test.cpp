// The player's fixed tables and its random draws: note rates, the tracker
// keyboard, chord patterns, the drum map and m_Rand's range and weights.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/framework.h"
#include "music/zkplayer.h"
#include "tests/music/music_env.h"
#include "tests/support/testing.h"

namespace music_test {
namespace {

using Tables = PlayerTest;

TEST_F(Tables, RatesAreTheTrackersRoundedSemitones) {
    EXPECT_EQ(player->m_GetPitch(13), 1.0f);
    // The exact stored values the chord letters and songs depend on.
    EXPECT_EQ(player->m_GetPitch(11), 0.891f);
    EXPECT_EQ(player->m_GetPitch(8), 0.749f);
    EXPECT_EQ(player->m_GetPitch(1), 0.5f);
    EXPECT_EQ(player->m_GetPitch(24), 1.888f);
    EXPECT_EQ(player->m_GetPitch(32), 2.996f);
    for (int n = 1; n <= 32; ++n) {
        // Every entry within 0.2% of equal temperament: a mistyped digit shows.
        EXPECT_NEAR(player->m_GetPitch(n) / std::pow(2.0, (n - 13) / 12.0), 1.0, 0.002) << "note " << n;
    }
    for (int n = 1; n <= 12; ++n) EXPECT_EQ(player->m_GetPitch(n) * 2, player->m_GetPitch(n + 12)) << n;
    for (int n = 25; n <= 32; ++n) EXPECT_EQ(player->m_GetPitch(n), player->m_GetPitch(n - 12) * 2) << n;
    for (int n : {0, 33, -1, 1000}) EXPECT_EQ(player->m_GetPitch(n), 0.0f) << n;
}

TEST_F(Tables, LettersFollowTheTrackerKeyboard) {
    const std::string keys = "zsxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(player->m_GetPitch_Alpha(keys[i]), player->m_GetPitch(i + 1)) << keys[i];
    }
    EXPECT_EQ(player->m_GetPitch_Alpha('q'), 1.0f);
    EXPECT_EQ(player->m_GetPitch_Alpha('j'), 0.891f);
    EXPECT_EQ(player->m_GetPitch_Alpha('b'), 0.749f);
    EXPECT_EQ(player->m_GetPitch_Alpha('z'), 0.5f);
    for (int c : {int('Q'), int('a'), int('1'), int('8'), int(' '), 0, 0x2071}) EXPECT_EQ(player->m_GetPitch_Alpha(c), 0.0f) << c;
}

TEST_F(Tables, ChordPatterns) {
    const char* expected[] = {"qqqq", "qqjj", "qqbb", "qbqb", "qqqj", "qqzz"};
    for (int n = 0; n <= 5; ++n) EXPECT_EQ(nubrix_test::Narrow(player->m_ZK_GetChord(n)), expected[n]) << n;
    for (int n : {-1, 6, 99}) EXPECT_EQ(nubrix_test::Narrow(player->m_ZK_GetChord(n)), "qqjj") << n;
}

TEST_F(Tables, DrumNotesSelectKitSamples) {
    const int mapped[] = {13, 15, 17, 18, 20, 22, 24, 25};
    int seen = 0;
    for (int note = -1; note <= 33; ++note) {
        int k = bb_ZKTrackr_ZKPlayer::DrumSample(note);
        if (k) {
            EXPECT_EQ(note, mapped[seen++]) << "sample " << k;
        }
    }
    EXPECT_EQ(seen, 8);
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(bb_ZKTrackr_ZKPlayer::DrumSample(mapped[k - 1]), k);
}

// The shared seed that makes the next draw r = (2^24 - 1) / 2^24, the
// largest value the generator gives.
int SeedBeforeLargestDraw() {
    // Inverse of 1664525 modulo 2^32, by Newton's iteration.
    unsigned inverse = 1664525u;
    for (int i = 0; i < 5; ++i) inverse *= 2u - 1664525u * inverse;
    return static_cast<int>((0xffffff00u - 1013904223u) * inverse);
}

TEST_F(Tables, RandAdvancesTheSharedSeed) {
    bb_random_Seed = 1234;
    EXPECT_EQ(player->m_Rand(0, 1), 1) << "floor(1.99 * 0.71431)";
    EXPECT_EQ(static_cast<unsigned>(bb_random_Seed), 3067928073u);
    bb_random_Seed = 1234;
    float r = bb_random_Rnd();
    bb_random_Seed = 1234;
    EXPECT_EQ(player->m_Rand(10, 20), static_cast<int>(std::floor(10 + 10.99f * r)));
}

TEST_F(Tables, RandReachesBothBoundsAndNoFurther) {
    bb_random_Seed = SeedBeforeLargestDraw();
    EXPECT_EQ(player->m_Rand(1, 2), 2);
    bb_random_Seed = SeedBeforeLargestDraw();
    EXPECT_EQ(player->m_Rand(0, 4), 4) << "hi is drawn, hi + 1 never";
    bb_random_Seed = SeedBeforeLargestDraw();
    EXPECT_EQ(player->m_Rand(0, 0), 0);
    // r = 0: the seed that maps to 0.
    unsigned inverse = 1664525u;
    for (int i = 0; i < 5; ++i) inverse *= 2u - 1664525u * inverse;
    bb_random_Seed = static_cast<int>((0u - 1013904223u) * inverse);
    EXPECT_EQ(player->m_Rand(3, 7), 3);
}

TEST_F(Tables, RandWeightsTheTopValueByPointNineNine) {
    bb_random_Seed = 99;
    int ones = 0;
    const int n = 200000;
    for (int i = 0; i < n; ++i) ones += player->m_Rand(0, 1);
    EXPECT_NEAR(static_cast<double>(ones) / n, 0.99 / 1.99, 0.005);
}

}  // namespace
}  // namespace music_test
