// main.cpp - the asset generator's entry point.
//
// Usage: assetgen <outdir> [family...]
// Writes every asset family of the game's data under <outdir> (normally
// data/), or only the named ones: atoms, icons, buttons, fonts, logos,
// badges, sounds, song (the music player's demo song and its instruments),
// and appicon (the installed game's desktop icon, never part of data/). The
// output depends on nothing but this program, so every run writes the same
// bytes.
//
// Depends on: assets.h, song.h.

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "tools/assetgen/assets.h"
#include "tools/assetgen/song.h"

namespace {

struct Family {
    const char* name;
    void (*write)(const std::string& outdir);
    bool data;  // part of data/, written when no family is named
};

const Family kFamilies[] = {
    {"atoms", assetgen::writeAtoms, true},     {"icons", assetgen::writeIcons, true},
    {"buttons", assetgen::writeButtons, true}, {"fonts", assetgen::writeFonts, true},
    {"logos", assetgen::writeLogos, true},     {"badges", assetgen::writeBadges, true},
    {"sounds", assetgen::writeSounds, true},   {"song", songgen::WriteDemoSong, true},
    {"appicon", assetgen::writeAppIcons, false},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <outdir> [family...]\n", argv[0]);
        return 2;
    }
    const std::string outdir = argv[1];
    try {
        for (const Family& f : kFamilies) {
            bool wanted = argc == 2 && f.data;
            for (int i = 2; i < argc; ++i) wanted = wanted || std::strcmp(argv[i], f.name) == 0;
            if (wanted) f.write(outdir);
        }
        for (int i = 2; i < argc; ++i) {
            bool known = false;
            for (const Family& f : kFamilies) known = known || std::strcmp(argv[i], f.name) == 0;
            if (!known) {
                std::fprintf(stderr, "assetgen: unknown family '%s'\n", argv[i]);
                return 2;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
