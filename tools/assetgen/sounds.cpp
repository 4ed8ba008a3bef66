// sounds.cpp - the synthesised sound effects under sfx/.
//
// 099 placing pop, 002 cell burst, 003 colour eliminated, 098 interface
// click, 001 start chime, 095 whoosh. All are 22050 Hz 16-bit mono, built
// from sines, seeded noise, envelopes and simple filters, normalised to a
// -3 dBFS peak with short fades at both ends so nothing clicks when the
// game plays them back to back or at other rates.
//
// Depends on: assets.h, output.h.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/assetgen/assets.h"
#include "tools/assetgen/output.h"

namespace assetgen {

namespace {

constexpr int kRate = 22050;
constexpr float kTwoPi = 2.f * kPi;

// White noise from a fixed seed, so every run writes the same samples.
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

// Chamberlin state-variable filter: low, band and high outputs.
struct Svf {
    float low = 0, band = 0;
    float high(float in, float cutoff, float q) {
        float f = 2.f * std::sin(kPi * std::min(cutoff, kRate * 0.2f) / kRate);
        low += f * band;
        float h = in - low - q * band;
        band += f * h;
        return h;
    }
};

std::vector<float> make(float seconds) { return std::vector<float>(size_t(seconds * kRate), 0.f); }

float timeOf(size_t i) { return float(i) / kRate; }

// A fade-in and fade-out of the given lengths, then the peak to -3 dBFS.
std::vector<float> finish(std::vector<float> s, float fadeIn, float fadeOut) {
    const size_t in = size_t(fadeIn * kRate), out = size_t(fadeOut * kRate);
    for (size_t i = 0; i < s.size(); ++i) {
        if (i < in) s[i] *= float(i) / in;
        if (i + out > s.size()) s[i] *= float(s.size() - i) / out;
    }
    float peak = 0;
    for (float v : s) peak = std::max(peak, std::fabs(v));
    const float gain = peak > 0 ? 0.7079f / peak : 0.f;
    for (float& v : s) v *= gain;
    return s;
}

std::vector<float> pop() {
    std::vector<float> s = make(0.12f);
    Noise noise(99);
    float phase = 0, lp = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float freq = 420.f + 560.f * std::exp(-t / 0.018f);
        phase += kTwoPi * freq / kRate;
        float env = std::min(1.f, t / 0.003f) * std::exp(-t / 0.032f);
        lp += 0.3f * (noise.next() - lp);
        s[i] = env * (std::sin(phase) + 0.25f * std::sin(2.f * phase)) + lp * 0.5f * std::exp(-t / 0.004f);
    }
    return finish(s, 0.001f, 0.015f);
}

std::vector<float> burst() {
    std::vector<float> s = make(0.42f);
    Noise noise(2);
    Svf filter;
    float thump = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float cutoff = 350.f + 4200.f * std::exp(-t / 0.06f);
        filter.high(noise.next(), cutoff, 0.9f);
        float crack = filter.low * std::min(1.f, t / 0.002f) * std::exp(-t / 0.085f);
        thump += kTwoPi * (45.f + 75.f * std::exp(-t / 0.05f)) / kRate;
        float boom = std::sin(thump) * std::min(1.f, t / 0.004f) * std::exp(-t / 0.09f);
        s[i] = 1.1f * crack + 0.9f * boom;
    }
    return finish(s, 0.001f, 0.06f);
}

std::vector<float> eliminated() {
    std::vector<float> s = make(0.8f);
    Svf wah;
    float phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float freq = 480.f * std::pow(2.f, -2.2f * t / 0.8f) * (1.f + 0.02f * std::sin(kTwoPi * 6.f * t));
        phase += kTwoPi * freq / kRate;
        float saw = 0;
        for (int n = 1; n <= 7; ++n) saw += std::sin(phase * n) / n;
        float centre = 2200.f * std::pow(0.18f, t / 0.8f) * (1.f + 0.35f * std::sin(kTwoPi * 3.f * t));
        wah.high(saw, centre, 0.3f);
        float env = std::min(1.f, t / 0.012f) * (1.f - smoothstep(0.45f, 0.8f, t));
        s[i] = env * (wah.band * 0.8f + 0.25f * wah.low);
    }
    return finish(s, 0.002f, 0.03f);
}

std::vector<float> click() {
    std::vector<float> s = make(0.045f);
    Noise noise(98);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        s[i] = std::sin(kTwoPi * 2300.f * t) * std::exp(-t / 0.006f) +
               0.6f * std::sin(kTwoPi * 1150.f * t) * std::exp(-t / 0.011f) +
               0.3f * noise.next() * std::exp(-t / 0.0015f);
    }
    return finish(s, 0.0005f, 0.01f);
}

std::vector<float> chime() {
    std::vector<float> s = make(1.2f);
    const float notes[3] = {1046.5f, 1318.5f, 1568.0f};  // C6 E6 G6
    for (int n = 0; n < 3; ++n) {
        const float start = 0.13f * n;
        for (size_t i = size_t(start * kRate); i < s.size(); ++i) {
            float t = timeOf(i) - start;
            float env = std::min(1.f, t / 0.004f);
            float f = notes[n];
            s[i] += env * (std::sin(kTwoPi * f * t) * std::exp(-t / 0.35f) +
                           0.35f * std::sin(kTwoPi * 2.f * f * t) * std::exp(-t / 0.15f) +
                           0.12f * std::sin(kTwoPi * 2.76f * f * t) * std::exp(-t / 0.06f));
        }
    }
    return finish(s, 0.001f, 0.08f);
}

std::vector<float> whoosh() {
    std::vector<float> s = make(0.6f);
    Noise noise(95);
    Svf filter;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i) / 0.6f;
        float window = std::sin(kPi * t);
        float centre = 500.f + 2200.f * std::sin(kPi * std::pow(t, 0.8f));
        filter.high(noise.next(), centre, 0.5f);
        s[i] = filter.band * window * window;
    }
    return finish(s, 0.005f, 0.03f);
}

}  // namespace

void writeSounds(const std::string& outdir) {
    writeWav(outdir + "/sfx/099.wav", kRate, pop());
    writeWav(outdir + "/sfx/002.wav", kRate, burst());
    writeWav(outdir + "/sfx/003.wav", kRate, eliminated());
    writeWav(outdir + "/sfx/098.wav", kRate, click());
    writeWav(outdir + "/sfx/001.wav", kRate, chime());
    writeWav(outdir + "/sfx/095.wav", kRate, whoosh());
}

}  // namespace assetgen
