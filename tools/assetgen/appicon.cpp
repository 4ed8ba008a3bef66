// appicon.cpp - the application icon a desktop shows for the installed game
// (menus, launchers, the task bar): a dark board tile of four cells, one in
// each player's colour, each holding a glossy atom of that colour.
//
// It is not game data: `assetgen <outdir> appicon` writes nubrix-N.png for
// N = 16, 32, 48, 64, 128 and 256 pixels, each drawn afresh at its own size
// (a 16-unit design at levels 1 to 16), and only when asked by name; the
// build writes them for `make install` and the Debian package.
//
// Depends on: assets.h, output.h, shapes.h.

#include <string>

#include "tools/assetgen/assets.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/shapes.h"

namespace assetgen {

namespace {

const int kDesign = 16;

void drawAppIcon(Canvas& canvas) {
    const Vec2 centre{kDesign / 2.f, kDesign / 2.f};
    // The tile: the game's dark blue, lighter at the top, with a soft shadow
    // below and a thin bright rim.
    const Sdf tile = box(centre, {7.1f, 7.1f}, 2.6f);
    canvas.soft(translate(tile, {0, 0.35f}), solid(withAlpha(kBlack, 0.45f)), 0.45f);
    canvas.fill(tile, linearGradient({0, 1}, {0, 15}, rgb(34, 40, 150), rgb(4, 4, 70)));
    canvas.fill(outline(offset(tile, -0.22f), 0.18f), solid(rgb(120, 150, 255, 0.55f)));

    // Four cells, red, yellow, green and blue clockwise from the top left,
    // tinted as the board tints a cell its owner holds.
    const Vec2 cells[4] = {{5.0f, 5.0f}, {11.0f, 5.0f}, {11.0f, 11.0f}, {5.0f, 11.0f}};
    for (int i = 0; i < 4; ++i) {
        const Palette pal = playerPalette(i + 1);
        canvas.fill(box(cells[i], {2.65f, 2.65f}, 0.9f), solid(withAlpha(darken(pal.base, 0.45f), 0.95f)));
        drawSphereShadow(canvas, cells[i], 2.0f, 0.8f);
        drawSphere(canvas, cells[i], 2.0f, pal);
    }
}

}  // namespace

void writeAppIcons(const std::string& outdir) {
    for (int level : {1, 2, 3, 4, 8, 16}) {
        Canvas canvas(kDesign, kDesign, level);
        drawAppIcon(canvas);
        const int size = kDesign * level;
        writePng(outdir + "/nubrix-" + std::to_string(size) + ".png", canvas.width(), canvas.height(),
                 canvas.toRgba8());
    }
}

}  // namespace assetgen
