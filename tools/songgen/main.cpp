// main.cpp - `songgen <datadir>`: writes the music player's demo song (its
// picture and instrument samples) below the data folder.
//
// Depends on: songgen.h.

#include <cstdio>
#include <exception>

#include "tools/songgen/songgen.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: songgen <datadir>\n");
        return 2;
    }
    try {
        songgen::WriteDemoSong(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "songgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
