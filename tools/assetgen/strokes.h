// strokes.h - a small stroke-built lettering for titles, the studio mark and
// badge numbers: each character is a few round-capped polylines, so it can
// be drawn at any size, rounded, outlined or offset like any other shape.
//
// Depends on: raster.h.

#ifndef NUBRIX_TOOLS_ASSETGEN_STROKES_H
#define NUBRIX_TOOLS_ASSETGEN_STROKES_H

#include <string>

#include "tools/assetgen/raster.h"

namespace assetgen {

// Characters: digits, "NZOVTGAMES" in capitals, "ubrix" in lower case and
// '+'. Units: height 1 is the capital height, y = 1 the baseline.
float strokeWidth(char c);  // the stroke centre lines' width, height 1

// The character with its top-left at `origin`, capital height `height`,
// strokes `halfWidth` either side of the centre lines.
Sdf strokeGlyph(char c, Vec2 origin, float height, float halfWidth);

// A line of characters centred on `centre` (middle of the capital height);
// `gap` is the extra space between strokes' outer edges.
Sdf strokeText(const std::string& text, Vec2 centre, float height, float halfWidth, float gap);
float strokeTextWidth(const std::string& text, float height, float halfWidth, float gap);

}  // namespace assetgen

#endif
