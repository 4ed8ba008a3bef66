// nubrix-record - prints a record as the game saves it, checksums and all:
//
//   nubrix-record [SETTING...]
//
// The settings are entries 0, 1, 2, ... of the record (the rest are 0); the
// badges and score tables are empty. For scripts that start the game with
// a record of their choosing (bench/idle-cpu.sh, tests/soak/soak.sh).
//
// Depends on: game/record_format.h.

#include <cstdio>
#include <cstdlib>

#include "game/record_format.h"

int main(int argc, char** argv) {
    if (argc - 1 > record::kSettings) {
        std::fprintf(stderr, "usage: %s [SETTING...] (at most %d)\n", argv[0], record::kSettings);
        return 2;
    }
    int settings[record::kSettings] = {};
    for (int k = 1; k < argc; ++k) settings[k - 1] = std::atoi(argv[k]);
    const int none[record::kSizes * record::kPlaces] = {};
    const uint32_t words[record::kBadgeWords] = {};
    std::fputs(record::Format(settings, words, none, none).c_str(), stdout);
    return 0;
}
