// appicon.cpp - the application icon a desktop shows for the installed game
// (menus, launchers, the task bar): a dark board tile of four cells, one in
// each player's colour, each holding a glossy atom of that colour.
//
// It is not game data: `assetgen <outdir> appicon` writes nubrix-N.png for
// N = 16, 32, 48, 64, 128 and 256 pixels, each drawn afresh at its own size
// (a 16-unit design at levels 1 to 16), and nubrix.ico holding all six for
// the Windows program's resources; only when asked by name. The build
// writes them for `make install`, the Debian package and the Windows build.
//
// Depends on: assets.h, output.h, shapes.h.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

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

void put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, unsigned v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An icon file whose images are PNG files, as Windows reads them since
// Vista: a 6-byte header, a 16-byte entry per image, then the images.
void writeIco(const std::string& path, const std::vector<int>& sizes, const std::vector<std::vector<uint8_t>>& pngs) {
    const unsigned kHeader = 6, kEntry = 16;
    std::vector<uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // an icon, not a cursor
    put16(out, static_cast<unsigned>(pngs.size()));
    unsigned offset = kHeader + kEntry * static_cast<unsigned>(pngs.size());
    for (size_t i = 0; i < pngs.size(); ++i) {
        out.push_back(static_cast<uint8_t>(sizes[i] >= 256 ? 0 : sizes[i]));  // 0 means 256
        out.push_back(static_cast<uint8_t>(sizes[i] >= 256 ? 0 : sizes[i]));
        out.push_back(0);  // no palette
        out.push_back(0);
        put16(out, 1);   // colour planes
        put16(out, 32);  // bits per pixel
        put32(out, static_cast<unsigned>(pngs[i].size()));
        put32(out, offset);
        offset += static_cast<unsigned>(pngs[i].size());
    }
    for (const auto& png : pngs) out.insert(out.end(), png.begin(), png.end());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace

void writeAppIcons(const std::string& outdir) {
    std::vector<int> sizes;
    std::vector<std::vector<uint8_t>> pngs;
    for (int level : {1, 2, 3, 4, 8, 16}) {
        Canvas canvas(kDesign, kDesign, level);
        drawAppIcon(canvas);
        const int size = kDesign * level;
        const std::string png = outdir + "/nubrix-" + std::to_string(size) + ".png";
        writePng(png, canvas.width(), canvas.height(), canvas.toRgba8());
        sizes.push_back(size);
        pngs.push_back(readFile(png));
    }
    writeIco(outdir + "/nubrix.ico", sizes, pngs);
}

}  // namespace assetgen
