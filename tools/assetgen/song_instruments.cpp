// song_instruments.cpp - the demo song's synthesised samples: two drum kits
// and three looped melodic tones.
//
// Drums are one-shots built from swept sines, seeded noise and simple
// filters, with short fades at both ends so a hit cut off by the next one
// never clicks. Melodic tones are additive: every partial, the vibrato and
// the chorus detune are whole numbers of cycles per second and the loop is
// exactly one second, so the end meets the start without a seam; the
// player's envelope, not the sample, shapes each note.
//
// Depends on: song.h, synth.h.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/assetgen/song.h"
#include "tools/assetgen/synth.h"

namespace songgen {

namespace {

using assetgen::kTwoPi;
using assetgen::Noise;
using assetgen::Svf;
using assetgen::silence;
using assetgen::timeOf;

const double kTwoPiD = 6.283185307179586;
const int kRate = kSampleRate;

// A state-variable filter at a fixed cutoff and resonance.
class Filter {
public:
    Filter(float cutoff, float q) : f_(Svf::coefficient(cutoff)), q_(q) {}
    float low(float in) {
        svf_.step(in, f_, q_);
        return svf_.low;
    }
    float band(float in) {
        svf_.step(in, f_, q_);
        return svf_.band;
    }
    float high(float in) { return svf_.step(in, f_, q_); }

private:
    Svf svf_;
    float f_, q_;
};

float Decay(float t, float seconds) { return std::exp(-t / seconds); }

// Fades at both ends, then the peak to `peak`.
std::vector<float> Finish(std::vector<float> s, float peak, float fadeIn = 0.001f, float fadeOut = 0.01f) {
    return assetgen::finish(std::move(s), peak, fadeIn, fadeOut);
}

// A sine whose frequency glides exponentially from `from` to `to`.
std::vector<float> Drop(float seconds, float from, float to, float glide, float decay) {
    std::vector<float> s = silence(seconds);
    float phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float f = to + (from - to) * Decay(t, glide);
        phase += kTwoPi * f / kRate;
        s[i] = std::sin(phase) * Decay(t, decay);
    }
    return s;
}

// --- kit 1 ----------------------------------------------------------------------

std::vector<float> Kick() {
    std::vector<float> s = Drop(0.5f, 160, 48, 0.035f, 0.16f);
    Noise n(11);
    Filter click(3000, 0.7f);
    for (size_t i = 0; i < s.size(); ++i) s[i] += 0.35f * click.low(n.next()) * Decay(timeOf(i), 0.004f);
    return Finish(s, 0.95f);
}

std::vector<float> Snare() {
    std::vector<float> s = silence(0.3f);
    Noise n(12);
    Filter hp(1800, 0.8f);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float body = 0.6f * std::sin(kTwoPi * 185 * t) + 0.3f * std::sin(kTwoPi * 330 * t);
        s[i] = body * Decay(t, 0.045f) + 0.8f * hp.high(n.next()) * Decay(t, 0.09f);
    }
    return Finish(s, 0.85f);
}

std::vector<float> Hat(float seconds, float decay, uint32_t seed) {
    std::vector<float> s = silence(seconds);
    Noise n(seed);
    Filter hp(7500, 0.6f);
    Filter hp2(6000, 0.9f);
    for (size_t i = 0; i < s.size(); ++i) s[i] = hp2.high(hp.high(n.next())) * Decay(timeOf(i), decay);
    return Finish(s, 0.6f);
}

std::vector<float> Clap() {
    std::vector<float> s = silence(0.3f);
    Noise n(14);
    Filter bp(1400, 0.5f);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        // Three quick slaps, then the room.
        float env = 0;
        for (int k = 0; k < 3; ++k) {
            float at = k * 0.011f;
            if (t >= at) env = std::max(env, Decay(t - at, 0.006f));
        }
        if (t >= 0.022f) env = std::max(env, 0.6f * Decay(t - 0.022f, 0.07f));
        s[i] = bp.band(n.next()) * env;
    }
    return Finish(s, 0.8f);
}

std::vector<float> Tom(float from, float to, float decay) {
    std::vector<float> s = Drop(0.4f, from, to, 0.08f, decay);
    Noise n(15);
    for (size_t i = 0; i < s.size(); ++i) s[i] += 0.15f * n.next() * Decay(timeOf(i), 0.01f);
    return Finish(s, 0.8f);
}

std::vector<float> Crash() {
    std::vector<float> s = silence(1.4f);
    Noise n(16);
    Filter hp(5000, 0.7f);
    // Inharmonic square partials give the metal; noise gives the wash.
    const float partials[] = {437, 593, 811, 1031, 1337, 1693};
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float metal = 0;
        for (float f : partials) metal += std::sin(kTwoPi * f * t) > 0 ? 1.0f : -1.0f;
        s[i] = (hp.high(n.next()) + 0.04f * hp.high(metal)) * Decay(t, 0.45f);
    }
    return Finish(s, 0.55f, 0.001f, 0.05f);
}

// --- kit 2 ----------------------------------------------------------------------

std::vector<float> Boom() { return Finish(Drop(0.6f, 95, 44, 0.05f, 0.25f), 0.9f, 0.002f); }

std::vector<float> Rim() {
    std::vector<float> s = silence(0.1f);
    Noise n(21);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        s[i] = (std::sin(kTwoPi * 1650 * t) + 0.5f * std::sin(kTwoPi * 420 * t)) * Decay(t, 0.018f) +
               0.3f * n.next() * Decay(t, 0.003f);
    }
    return Finish(s, 0.7f);
}

std::vector<float> Shaker() {
    std::vector<float> s = silence(0.12f);
    Noise n(22);
    Filter bp(5200, 0.6f);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float env = std::min(1.0f, t / 0.012f) * Decay(t, 0.035f);
        s[i] = bp.band(n.next()) * env;
    }
    return Finish(s, 0.5f);
}

std::vector<float> Tambourine() {
    std::vector<float> s = silence(0.3f);
    Noise n(23);
    Filter hp(6500, 0.7f);
    const float jingles[] = {4230, 5370, 6710, 7940};
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float ring = 0;
        for (float f : jingles) ring += std::sin(kTwoPi * f * t);
        s[i] = (hp.high(n.next()) + 0.15f * ring) * Decay(t, 0.07f);
    }
    return Finish(s, 0.55f);
}

std::vector<float> Snap() {
    std::vector<float> s = silence(0.12f);
    Noise n(24);
    Filter bp(2300, 0.4f);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        s[i] = bp.band(n.next()) * Decay(t, 0.018f) + 0.3f * std::sin(kTwoPi * 1100 * t) * Decay(t, 0.01f);
    }
    return Finish(s, 0.7f);
}

std::vector<float> Conga(float f, float decay) {
    std::vector<float> s = silence(0.3f);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float bend = 1 + 0.12f * Decay(t, 0.01f);  // the slap lifts the pitch for an instant
        s[i] = (std::sin(kTwoPi * f * bend * t) + 0.25f * std::sin(kTwoPi * 2.4f * f * t) * Decay(t, 0.03f)) *
               Decay(t, decay);
    }
    return Finish(s, 0.75f);
}

std::vector<float> Cowbell() {
    std::vector<float> s = silence(0.35f);
    Filter bp(700, 0.5f);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = timeOf(i);
        float a = std::sin(kTwoPi * 545 * t) > 0 ? 1.0f : -1.0f;
        float b = std::sin(kTwoPi * 815 * t) > 0 ? 1.0f : -1.0f;
        s[i] = bp.band(a + b) * (0.3f * Decay(t, 0.02f) + 0.7f * Decay(t, 0.12f));
    }
    return Finish(s, 0.5f);
}

// --- melodic loops ----------------------------------------------------------------

struct Partial {
    int harmonic;
    float amplitude;
};

// One second of `hz` (and an optional second voice `chorusHz`), made of the
// given harmonics, with a vibrato of `vibratoHz` and `depth` (fraction of
// the pitch). Every frequency is a whole number of hertz.
std::vector<float> Loop(int hz, int chorusHz, float chorusMix, const std::vector<Partial>& partials, int vibratoHz,
                        float depth) {
    std::vector<float> s = silence(1.0f);
    for (size_t i = 0; i < s.size(); ++i) {
        double t = static_cast<double>(i) / kRate;
        // Phase modulation equivalent to a vibrato of +-depth: periodic in
        // the loop because vibratoHz is whole.
        double wobble = vibratoHz ? depth / vibratoHz * std::sin(kTwoPiD * vibratoHz * t) : 0.0;
        double v = 0;
        for (const Partial& p : partials) {
            v += p.amplitude * std::sin(kTwoPiD * p.harmonic * (hz * t + hz * wobble / kTwoPiD));
            if (chorusHz) {
                v += chorusMix * p.amplitude *
                     std::sin(kTwoPiD * p.harmonic * (chorusHz * t - chorusHz * wobble / kTwoPiD));
            }
        }
        s[i] = static_cast<float>(v);
    }
    // No fades: the loop must stay seamless.
    float top = 0;
    for (float v : s) top = std::max(top, std::fabs(v));
    for (float& v : s) v *= 0.6f / top;
    return s;
}

std::vector<float> Lead() {
    std::vector<Partial> saw;
    for (int k = 1; k <= 12; ++k) saw.push_back({k, 1.0f / std::pow(static_cast<float>(k), 1.4f)});
    return Loop(262, 263, 0.7f, saw, 5, 0.004f);
}

std::vector<float> Accompany() {
    return Loop(262, 0, 0, {{1, 1.0f}, {2, 0.45f}, {3, 0.12f}, {4, 0.18f}, {6, 0.05f}}, 0, 0);
}

std::vector<float> Bass() { return Loop(131, 0, 0, {{1, 1.0f}, {2, 0.55f}, {3, 0.3f}, {4, 0.12f}, {5, 0.05f}}, 0, 0); }

std::string Kit(int kit, int k) { return "inst/d" + std::to_string(kit) + "-" + std::to_string(k) + ".wav"; }

}  // namespace

std::vector<Instrument> DemoInstruments() {
    std::vector<Instrument> all;
    auto drum = [&](int kit, int k, std::vector<float> s) { all.push_back({Kit(kit, k), std::move(s), false}); };
    drum(kDemoKitA, 1, Kick());
    drum(kDemoKitA, 2, Snare());
    drum(kDemoKitA, 3, Hat(0.1f, 0.025f, 13));
    drum(kDemoKitA, 4, Hat(0.45f, 0.16f, 17));
    drum(kDemoKitA, 5, Clap());
    drum(kDemoKitA, 6, Tom(120, 88, 0.16f));
    drum(kDemoKitA, 7, Tom(185, 140, 0.12f));
    drum(kDemoKitA, 8, Crash());
    drum(kDemoKitB, 1, Boom());
    drum(kDemoKitB, 2, Rim());
    drum(kDemoKitB, 3, Shaker());
    drum(kDemoKitB, 4, Tambourine());
    drum(kDemoKitB, 5, Snap());
    drum(kDemoKitB, 6, Conga(196, 0.12f));
    drum(kDemoKitB, 7, Conga(294, 0.09f));
    drum(kDemoKitB, 8, Cowbell());
    all.push_back({"inst/lead" + std::to_string(kDemoLead) + ".wav", Lead(), true});
    all.push_back({"inst/accompany" + std::to_string(kDemoAccompany) + ".wav", Accompany(), true});
    all.push_back({"inst/bass" + std::to_string(kDemoBass) + ".wav", Bass(), true});
    return all;
}

}  // namespace songgen
