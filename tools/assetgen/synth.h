// synth.h - the building blocks of the generator's synthesised sounds (the
// sound effects and the demo song's instruments): seeded noise, a
// state-variable filter, and the fades and normalisation that finish a
// sample. Everything is 22050 Hz mono in -1..1 and deterministic, so every
// run writes the same samples.
//
// Depends on: raster.h (kPi), the C++ standard library.

#ifndef NUBRIX_TOOLS_ASSETGEN_SYNTH_H
#define NUBRIX_TOOLS_ASSETGEN_SYNTH_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/assetgen/raster.h"

namespace assetgen {

constexpr int kSampleRate = 22050;
constexpr float kTwoPi = 2.f * kPi;

// White noise from a fixed seed (xorshift32).
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    float next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return float(state_) / 2147483648.f - 1.f;
    }

private:
    uint32_t state_;
};

// Chamberlin state-variable filter: one step gives the high-pass output and
// leaves the low-pass and band-pass outputs in `low` and `band`.
struct Svf {
    float low = 0, band = 0;

    // The step coefficient for a cutoff in Hz, kept below a fifth of the
    // rate, where the filter stays stable.
    static float coefficient(float cutoff) {
        return 2.f * std::sin(kPi * std::min(cutoff, kSampleRate * 0.2f) / kSampleRate);
    }
    float step(float in, float coefficient, float q) {
        low += coefficient * band;
        float h = in - low - q * band;
        band += coefficient * h;
        return h;
    }
    // A step whose cutoff may change from sample to sample.
    float high(float in, float cutoff, float q) { return step(in, coefficient(cutoff), q); }
};

// `seconds` of silence.
inline std::vector<float> silence(float seconds) { return std::vector<float>(size_t(seconds * kSampleRate), 0.f); }

// The time of sample i, in seconds.
inline float timeOf(size_t i) { return float(i) / kSampleRate; }

// Linear fades of the given lengths (seconds) at both ends, so nothing
// clicks when a sample starts or is cut off, then the peak scaled to `peak`.
std::vector<float> finish(std::vector<float> s, float peak, float fadeIn, float fadeOut);

}  // namespace assetgen

#endif
