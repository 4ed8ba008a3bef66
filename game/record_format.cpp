// record_format.cpp - the record's checksums and its writer.

#include "game/record_format.h"

namespace record {

uint32_t SettingsSum(const int* settings) {
    uint32_t sum = 0;
    for (int k = 0; k < kSettings; ++k) sum += static_cast<uint32_t>(k) * static_cast<uint32_t>(settings[k]);
    return sum;
}

uint32_t BadgeSum(const uint32_t* words) {
    uint32_t sum = 0;
    for (int w = 0; w < kBadgeWords; ++w) sum += words[w];
    return sum;
}

uint32_t ScoreSum(int size, const int* tops, const int* lasts) {
    uint32_t sum = 0;
    for (int i = 0; i < kPlaces; ++i) {
        sum += static_cast<uint32_t>(i + 4) * static_cast<uint32_t>(tops[i]) +
               static_cast<uint32_t>(size + i + 3) * static_cast<uint32_t>(lasts[i]);
    }
    return sum;
}

std::string Format(const int* settings, const uint32_t* words, const int* tops, const int* lasts) {
    std::string out;
    auto field = [&out](uint32_t v) {
        out += std::to_string(static_cast<int32_t>(v));
        out += '|';
    };
    for (int k = 0; k < kSettings; ++k) field(static_cast<uint32_t>(settings[k]));
    field(SettingsSum(settings));
    for (int w = 0; w < kBadgeWords; ++w) field(words[w]);
    field(BadgeSum(words));
    for (int m = 0; m < kSizes; ++m) {
        for (int i = 0; i < kPlaces; ++i) {
            field(static_cast<uint32_t>(tops[m * kPlaces + i]));
            field(static_cast<uint32_t>(lasts[m * kPlaces + i]));
        }
        field(ScoreSum(m, tops + m * kPlaces, lasts + m * kPlaces));
    }
    return out;
}

}  // namespace record
