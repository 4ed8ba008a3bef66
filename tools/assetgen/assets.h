// assets.h - the generator's asset families, one function per source file,
// each writing its files under the output folder; plus the shared look
// (player colours and the glossy sphere that atoms and ornaments use).
//
// Depends on: raster.h.

#ifndef NUBRIX_TOOLS_ASSETGEN_ASSETS_H
#define NUBRIX_TOOLS_ASSETGEN_ASSETS_H

#include <string>

#include "tools/assetgen/raster.h"

namespace assetgen {

// Three tones of one hue: highlight, body and shadow.
struct Palette {
    Rgba light, base, dark;
};

// The four players' colours, 1 red, 2 yellow, 3 green, 4 blue.
Palette playerPalette(int colour);
// Neutral metals and extras for ornaments: 0 gold, 1 silver, 2 bronze,
// 3 purple, 4 teal, 5 pink.
Palette accentPalette(int which);

// A shaded glossy ball (radial shading, specular highlight, darker rim);
// no shadow. Lit from the top left.
void drawSphere(Canvas& canvas, Vec2 centre, float radius, const Palette& palette, float opacity = 1);
// The soft contact shadow a sphere of this size casts below and right.
void drawSphereShadow(Canvas& canvas, Vec2 centre, float radius, float opacity = 1);

void writeAtoms(const std::string& outdir);    // atoms
void writeIcons(const std::string& outdir);    // common/icons, common/dpad, parts
void writeButtons(const std::string& outdir);  // common/Buttons, common/icade
void writeFonts(const std::string& outdir);    // fonts/editundo, zaro_font
void writeLogos(const std::string& outdir);    // common/ZOVTLogo, logo, menu
void writeBadges(const std::string& outdir);   // BadgesA
void writeSounds(const std::string& outdir);   // sfx/*.wav
void writeAppIcons(const std::string& outdir); // nubrix-N.png, the desktop's icon (not game data)

}  // namespace assetgen

#endif
