// sounds_test.cpp - every sound effect is a 16-bit PCM mono WAV of the
// length its use needs, loud enough but not clipping, free of clicks at
// either end, and shaped like its purpose (the burst decays fast, the
// elimination tone falls).
//
// Depends on: data_files.h, GoogleTest.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>

#include "tests/data/data_files.h"

namespace datatest {
namespace {

struct Effect {
    const char* file;
    double minSeconds, maxSeconds;
};

const Effect kEffects[] = {
    {"sfx/099.wav", 0.08, 0.15},  // placing pop
    {"sfx/002.wav", 0.30, 0.50},  // cell burst
    {"sfx/003.wav", 0.60, 0.90},  // colour eliminated
    {"sfx/098.wav", 0.03, 0.06},  // interface click
    {"sfx/001.wav", 0.30, 2.00},  // chime
    {"sfx/095.wav", 0.20, 1.00},  // whoosh
};

void PrintTo(const Effect& e, std::ostream* os) { *os << e.file; }

double rms(const Wav& w, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += double(w.samples[i]) * w.samples[i];
    return to > from ? std::sqrt(sum / double(to - from)) / 32768.0 : 0;
}

// Sign changes per second: a rough measure of pitch.
double crossingRate(const Wav& w, size_t from, size_t to) {
    int n = 0;
    for (size_t i = from + 1; i < to; ++i) n += (w.samples[i - 1] < 0) != (w.samples[i] < 0);
    return n * double(w.sampleRate) / double(to - from);
}

class SoundEffect : public ::testing::TestWithParam<Effect> {};

TEST_P(SoundEffect, IsSixteenBitPcmMonoOfTheRightLength) {
    Wav w = loadWav(dataPath(GetParam().file));
    ASSERT_TRUE(w.parsed) << GetParam().file;
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.bitsPerSample, 16);
    EXPECT_TRUE(w.sampleRate == 22050 || w.sampleRate == 44100) << w.sampleRate;
    EXPECT_GE(w.seconds(), GetParam().minSeconds);
    EXPECT_LE(w.seconds(), GetParam().maxSeconds);
}

TEST_P(SoundEffect, IsAudibleWithoutClippingOrClicks) {
    Wav w = loadWav(dataPath(GetParam().file));
    ASSERT_TRUE(w.parsed && !w.samples.empty()) << GetParam().file;
    int peak = 0;
    for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
    // Normalised to about -3 dBFS.
    EXPECT_GT(peak, 0.55 * 32768);
    EXPECT_LT(peak, 0.80 * 32768);
    EXPECT_GT(rms(w, 0, w.samples.size()), 0.03);
    EXPECT_LT(std::abs(int(w.samples.front())), 300);
    EXPECT_LT(std::abs(int(w.samples.back())), 300);
}

INSTANTIATE_TEST_SUITE_P(AllEffects, SoundEffect, ::testing::ValuesIn(kEffects),
                         [](const ::testing::TestParamInfo<Effect>& info) {
                             return std::string("sfx_") + std::string(info.param.file).substr(4, 3);
                         });

// Played in quick chains at rates up to 1.2: the energy must be up front.
TEST(SoundShapes, BurstDiesAwayQuickly) {
    Wav w = loadWav(dataPath("sfx/002.wav"));
    ASSERT_TRUE(w.parsed);
    const size_t tenth = size_t(w.sampleRate / 10);
    ASSERT_GT(w.samples.size(), 3 * tenth);
    EXPECT_GT(rms(w, 0, tenth), 8 * rms(w, w.samples.size() - tenth, w.samples.size()));
}

TEST(SoundShapes, EliminationToneFalls) {
    Wav w = loadWav(dataPath("sfx/003.wav"));
    ASSERT_TRUE(w.parsed);
    const size_t q = w.samples.size() / 4;
    EXPECT_GT(crossingRate(w, 0, q), 1.5 * crossingRate(w, 2 * q, 3 * q));
}

}  // namespace
}  // namespace datatest
