// synth.cpp - finishing a synthesised sample (see synth.h).
//
// Depends on: synth.h.

#include "tools/assetgen/synth.h"

namespace assetgen {

std::vector<float> finish(std::vector<float> s, float peak, float fadeIn, float fadeOut) {
    const size_t in = size_t(fadeIn * kSampleRate), out = size_t(fadeOut * kSampleRate);
    for (size_t i = 0; i < s.size(); ++i) {
        if (i < in) s[i] *= float(i) / in;
        if (i + out > s.size()) s[i] *= float(s.size() - i) / out;
    }
    float top = 0;
    for (float v : s) top = std::max(top, std::fabs(v));
    if (top > 0) {
        const float gain = peak / top;
        for (float& v : s) v *= gain;
    }
    return s;
}

}  // namespace assetgen
