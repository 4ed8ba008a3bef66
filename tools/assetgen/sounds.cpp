// sounds.cpp - the synthesised sound effects under sfx/.
//
// 099 placing pop, 002 cell burst, 003 colour eliminated, 098 interface
// click, 001 start chime, 095 whoosh. All are 22050 Hz 16-bit mono, built
// from sines, seeded noise, envelopes and simple filters, normalised to a
// -3 dBFS peak with short fades at both ends so nothing clicks when the
// game plays them back to back or at other rates.
//
// Depends on: assets.h, output.h, synth.h.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/assetgen/assets.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/synth.h"

namespace assetgen {

namespace {

// Every effect peaks at -3 dBFS.
constexpr float kPeak = 0.7079f;

std::vector<float> pop() {
    std::vector<float> s = silence(0.12f);
    Noise noise(99);
    float phase = 0, lp = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float freq = 420.f + 560.f * std::exp(-t / 0.018f);
        phase += kTwoPi * freq / kSampleRate;
        float env = std::min(1.f, t / 0.003f) * std::exp(-t / 0.032f);
        lp += 0.3f * (noise.next() - lp);
        s[i] = env * (std::sin(phase) + 0.25f * std::sin(2.f * phase)) + lp * 0.5f * std::exp(-t / 0.004f);
    }
    return finish(s, kPeak, 0.001f, 0.015f);
}

std::vector<float> burst() {
    std::vector<float> s = silence(0.42f);
    Noise noise(2);
    Svf filter;
    float thump = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float cutoff = 350.f + 4200.f * std::exp(-t / 0.06f);
        filter.high(noise.next(), cutoff, 0.9f);
        float crack = filter.low * std::min(1.f, t / 0.002f) * std::exp(-t / 0.085f);
        thump += kTwoPi * (45.f + 75.f * std::exp(-t / 0.05f)) / kSampleRate;
        float boom = std::sin(thump) * std::min(1.f, t / 0.004f) * std::exp(-t / 0.09f);
        s[i] = 1.1f * crack + 0.9f * boom;
    }
    return finish(s, kPeak, 0.001f, 0.06f);
}

std::vector<float> eliminated() {
    std::vector<float> s = silence(0.8f);
    Svf wah;
    float phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float freq = 480.f * std::pow(2.f, -2.2f * t / 0.8f) * (1.f + 0.02f * std::sin(kTwoPi * 6.f * t));
        phase += kTwoPi * freq / kSampleRate;
        float saw = 0;
        for (int n = 1; n <= 7; ++n) saw += std::sin(phase * n) / n;
        float centre = 2200.f * std::pow(0.18f, t / 0.8f) * (1.f + 0.35f * std::sin(kTwoPi * 3.f * t));
        wah.high(saw, centre, 0.3f);
        float env = std::min(1.f, t / 0.012f) * (1.f - smoothstep(0.45f, 0.8f, t));
        s[i] = env * (wah.band * 0.8f + 0.25f * wah.low);
    }
    return finish(s, kPeak, 0.002f, 0.03f);
}

std::vector<float> click() {
    std::vector<float> s = silence(0.045f);
    Noise noise(98);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        s[i] = std::sin(kTwoPi * 2300.f * t) * std::exp(-t / 0.006f) +
               0.6f * std::sin(kTwoPi * 1150.f * t) * std::exp(-t / 0.011f) +
               0.3f * noise.next() * std::exp(-t / 0.0015f);
    }
    return finish(s, kPeak, 0.0005f, 0.01f);
}

std::vector<float> chime() {
    std::vector<float> s = silence(1.2f);
    const float notes[3] = {1046.5f, 1318.5f, 1568.0f};  // C6 E6 G6
    for (int n = 0; n < 3; ++n) {
        const float start = 0.13f * n;
        for (size_t i = size_t(start * kSampleRate); i < s.size(); ++i) {
            float t = timeOf(i) - start;
            float env = std::min(1.f, t / 0.004f);
            float f = notes[n];
            s[i] += env * (std::sin(kTwoPi * f * t) * std::exp(-t / 0.35f) +
                           0.35f * std::sin(kTwoPi * 2.f * f * t) * std::exp(-t / 0.15f) +
                           0.12f * std::sin(kTwoPi * 2.76f * f * t) * std::exp(-t / 0.06f));
        }
    }
    return finish(s, kPeak, 0.001f, 0.08f);
}

std::vector<float> whoosh() {
    std::vector<float> s = silence(0.6f);
    Noise noise(95);
    Svf filter;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i) / 0.6f;
        float window = std::sin(kPi * t);
        float centre = 500.f + 2200.f * std::sin(kPi * std::pow(t, 0.8f));
        filter.high(noise.next(), centre, 0.5f);
        s[i] = filter.band * window * window;
    }
    return finish(s, kPeak, 0.005f, 0.03f);
}

}  // namespace

void writeSounds(const std::string& outdir) {
    writeWav(outdir + "/sfx/099.wav", kSampleRate, pop());
    writeWav(outdir + "/sfx/002.wav", kSampleRate, burst());
    writeWav(outdir + "/sfx/003.wav", kSampleRate, eliminated());
    writeWav(outdir + "/sfx/098.wav", kSampleRate, click());
    writeWav(outdir + "/sfx/001.wav", kSampleRate, chime());
    writeWav(outdir + "/sfx/095.wav", kSampleRate, whoosh());
}

}  // namespace assetgen
