// font.cpp - the game's pixel font (fonts/editundo) and the framework's
// fallback font (zaro_font.png), both drawn from one 5x7 glyph design.
//
// editundo: 128 glyphs for codes 32..159 in 16x16 cells (row-major atlas,
// 16 per row). The game centres each glyph on its pen position and advances
// 7 units, so glyphs are 5 wide, capitals on rows 4..10 of the cell and
// descenders on rows 11..12. Levels 2 and 4 enlarge the same pixels into
// crisp blocks (level 4 trims their outer corners), and every level adds a
// dark translucent outline one design pixel wide so white text stays
// readable on the yellow and orange screens.
//
// zaro_font.png: codes 32..127 as a single-level strip of 10x14 frames,
// 8x14 cells with one transparent column either side, plain white.
//
// Depends on: assets.h, output.h.

#include <cmath>
#include <map>
#include <vector>

#include "tools/assetgen/assets.h"
#include "tools/assetgen/output.h"

namespace assetgen {

namespace {

constexpr int kGlyphW = 5;
constexpr int kGlyphH = 9;  // 7 rows above the baseline, 2 of descender

// Rows top to bottom, 'X' set; missing rows are empty.
struct Glyph {
    int code;
    const char* rows[kGlyphH];
};

const Glyph kGlyphs[] = {
    {'!', {"..X..", "..X..", "..X..", "..X..", "..X..", ".....", "..X.."}},
    {'"', {".X.X.", ".X.X.", ".X.X."}},
    {'#', {".X.X.", ".X.X.", "XXXXX", ".X.X.", "XXXXX", ".X.X.", ".X.X."}},
    {'$', {"..X..", ".XXXX", "X.X..", ".XXX.", "..X.X", "XXXX.", "..X.."}},
    {'%', {"XX...", "XX..X", "...X.", "..X..", ".X...", "X..XX", "...XX"}},
    {'&', {".XX..", "X..X.", "X.X..", ".X...", "X.X.X", "X..X.", ".XX.X"}},
    {'\'', {"..X..", "..X..", ".X..."}},
    {'(', {"...X.", "..X..", ".X...", ".X...", ".X...", "..X..", "...X."}},
    {')', {".X...", "..X..", "...X.", "...X.", "...X.", "..X..", ".X..."}},
    {'*', {".....", "..X..", "X.X.X", ".XXX.", "X.X.X", "..X..", "....."}},
    {'+', {".....", "..X..", "..X..", "XXXXX", "..X..", "..X..", "....."}},
    {',', {".....", ".....", ".....", ".....", ".....", "..X..", "..X..", ".X..."}},
    {'-', {".....", ".....", ".....", "XXXXX"}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".....", "..X.."}},
    {'/', {"....X", "....X", "...X.", "..X..", ".X...", "X....", "X...."}},
    {'0', {".XXX.", "X...X", "X..XX", "X.X.X", "XX..X", "X...X", ".XXX."}},
    {'1', {"..X..", ".XX..", "..X..", "..X..", "..X..", "..X..", ".XXX."}},
    {'2', {".XXX.", "X...X", "....X", "...X.", "..X..", ".X...", "XXXXX"}},
    {'3', {"XXXXX", "...X.", "..X..", "...X.", "....X", "X...X", ".XXX."}},
    {'4', {"...X.", "..XX.", ".X.X.", "X..X.", "XXXXX", "...X.", "...X."}},
    {'5', {"XXXXX", "X....", "XXXX.", "....X", "....X", "X...X", ".XXX."}},
    {'6', {"..XX.", ".X...", "X....", "XXXX.", "X...X", "X...X", ".XXX."}},
    {'7', {"XXXXX", "....X", "...X.", "..X..", ".X...", ".X...", ".X..."}},
    {'8', {".XXX.", "X...X", "X...X", ".XXX.", "X...X", "X...X", ".XXX."}},
    {'9', {".XXX.", "X...X", "X...X", ".XXXX", "....X", "...X.", ".XX.."}},
    {':', {".....", ".....", "..X..", ".....", ".....", "..X..", "....."}},
    {';', {".....", ".....", "..X..", ".....", ".....", "..X..", "..X..", ".X..."}},
    {'<', {"...X.", "..X..", ".X...", "X....", ".X...", "..X..", "...X."}},
    {'=', {".....", ".....", "XXXXX", ".....", "XXXXX"}},
    {'>', {".X...", "..X..", "...X.", "....X", "...X.", "..X..", ".X..."}},
    {'?', {".XXX.", "X...X", "....X", "...X.", "..X..", ".....", "..X.."}},
    {'@', {".XXX.", "X...X", "X.XXX", "X.X.X", "X.XXX", "X....", ".XXXX"}},
    {'A', {".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
    {'B', {"XXXX.", "X...X", "X...X", "XXXX.", "X...X", "X...X", "XXXX."}},
    {'C', {".XXX.", "X...X", "X....", "X....", "X....", "X...X", ".XXX."}},
    {'D', {"XXXX.", "X...X", "X...X", "X...X", "X...X", "X...X", "XXXX."}},
    {'E', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
    {'F', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "X...."}},
    {'G', {".XXX.", "X...X", "X....", "X.XXX", "X...X", "X...X", ".XXXX"}},
    {'H', {"X...X", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
    {'I', {".XXX.", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."}},
    {'J', {"..XXX", "...X.", "...X.", "...X.", "...X.", "X..X.", ".XX.."}},
    {'K', {"X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"}},
    {'L', {"X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"}},
    {'M', {"X...X", "XX.XX", "X.X.X", "X.X.X", "X...X", "X...X", "X...X"}},
    {'N', {"X...X", "X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X"}},
    {'O', {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
    {'P', {"XXXX.", "X...X", "X...X", "XXXX.", "X....", "X....", "X...."}},
    {'Q', {".XXX.", "X...X", "X...X", "X...X", "X.X.X", "X..X.", ".XX.X"}},
    {'R', {"XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"}},
    {'S', {".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."}},
    {'T', {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."}},
    {'U', {"X...X", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
    {'V', {"X...X", "X...X", "X...X", "X...X", "X...X", ".X.X.", "..X.."}},
    {'W', {"X...X", "X...X", "X...X", "X.X.X", "X.X.X", "X.X.X", ".X.X."}},
    {'X', {"X...X", "X...X", ".X.X.", "..X..", ".X.X.", "X...X", "X...X"}},
    {'Y', {"X...X", "X...X", ".X.X.", "..X..", "..X..", "..X..", "..X.."}},
    {'Z', {"XXXXX", "....X", "...X.", "..X..", ".X...", "X....", "XXXXX"}},
    {'[', {".XXX.", ".X...", ".X...", ".X...", ".X...", ".X...", ".XXX."}},
    {'\\', {"X....", "X....", ".X...", "..X..", "...X.", "....X", "....X"}},
    {']', {".XXX.", "...X.", "...X.", "...X.", "...X.", "...X.", ".XXX."}},
    {'^', {"..X..", ".X.X.", "X...X"}},
    {'_', {".....", ".....", ".....", ".....", ".....", ".....", ".....", "XXXXX"}},
    {'`', {".X...", "..X.."}},
    {'a', {".....", ".....", ".XXX.", "....X", ".XXXX", "X...X", ".XXXX"}},
    {'b', {"X....", "X....", "X.XX.", "XX..X", "X...X", "X...X", "XXXX."}},
    {'c', {".....", ".....", ".XXX.", "X....", "X....", "X...X", ".XXX."}},
    {'d', {"....X", "....X", ".XX.X", "X..XX", "X...X", "X...X", ".XXXX"}},
    {'e', {".....", ".....", ".XXX.", "X...X", "XXXXX", "X....", ".XXX."}},
    {'f', {"..XX.", ".X..X", ".X...", "XXX..", ".X...", ".X...", ".X..."}},
    {'g', {".....", ".....", ".XXXX", "X...X", "X...X", "X...X", ".XXXX", "....X", ".XXX."}},
    {'h', {"X....", "X....", "X.XX.", "XX..X", "X...X", "X...X", "X...X"}},
    {'i', {"..X..", ".....", ".XX..", "..X..", "..X..", "..X..", ".XXX."}},
    {'j', {"...X.", ".....", "..XX.", "...X.", "...X.", "...X.", "...X.", "X..X.", ".XX.."}},
    {'k', {"X....", "X....", "X..X.", "X.X..", "XX...", "X.X..", "X..X."}},
    {'l', {".XX..", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."}},
    {'m', {".....", ".....", "XX.X.", "X.X.X", "X.X.X", "X.X.X", "X.X.X"}},
    {'n', {".....", ".....", "X.XX.", "XX..X", "X...X", "X...X", "X...X"}},
    {'o', {".....", ".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX."}},
    {'p', {".....", ".....", "XXXX.", "X...X", "X...X", "X...X", "XXXX.", "X....", "X...."}},
    {'q', {".....", ".....", ".XXXX", "X...X", "X...X", "X...X", ".XXXX", "....X", "....X"}},
    {'r', {".....", ".....", "X.XX.", "XX..X", "X....", "X....", "X...."}},
    {'s', {".....", ".....", ".XXXX", "X....", ".XXX.", "....X", "XXXX."}},
    {'t', {".X...", ".X...", "XXX..", ".X...", ".X...", ".X..X", "..XX."}},
    {'u', {".....", ".....", "X...X", "X...X", "X...X", "X..XX", ".XX.X"}},
    {'v', {".....", ".....", "X...X", "X...X", "X...X", ".X.X.", "..X.."}},
    {'w', {".....", ".....", "X...X", "X...X", "X.X.X", "X.X.X", ".X.X."}},
    {'x', {".....", ".....", "X...X", ".X.X.", "..X..", ".X.X.", "X...X"}},
    {'y', {".....", ".....", "X...X", "X...X", "X...X", "X...X", ".XXXX", "....X", ".XXX."}},
    {'z', {".....", ".....", "XXXXX", "...X.", "..X..", ".X...", "XXXXX"}},
    {'{', {"...XX", "..X..", "..X..", "XX...", "..X..", "..X..", "...XX"}},
    {'|', {"..X..", "..X..", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."}},
    {'}', {"XX...", "..X..", "..X..", "...XX", "..X..", "..X..", "XX..."}},
    {'~', {".....", ".....", ".X...", "X.X.X", "...X."}},
    // Beyond ASCII: a solid block, arrows, card suits and small symbols.
    {127, {"XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX"}},
    {128, {"..X..", ".XXX.", "X.X.X", "..X..", "..X..", "..X..", "..X.."}},  // up
    {129, {"..X..", "..X..", "..X..", "..X..", "X.X.X", ".XXX.", "..X.."}},  // down
    {130, {".....", "..X..", ".X...", "XXXXX", ".X...", "..X..", "....."}},  // left
    {131, {".....", "..X..", "...X.", "XXXXX", "...X.", "..X..", "....."}},  // right
    {132, {"..X..", ".XXX.", "XXXXX", "XXXXX", "X.X.X", "..X..", ".XXX."}},  // spade
    {133, {".....", ".X.X.", "XXXXX", "XXXXX", ".XXX.", "..X..", "....."}},  // heart
    {134, {"..X..", ".XXX.", "XXXXX", "XXXXX", ".XXX.", "..X..", "....."}},  // diamond
    {135, {".XXX.", ".XXX.", "XXXXX", "XXXXX", "X.X.X", "..X..", ".XXX."}},  // club
    {136, {"..X..", "..X..", "XXXXX", ".XXX.", ".X.X.", "X...X", "....."}},  // star
    {137, {".....", "....X", "...X.", "X.X..", ".X...", ".....", "....."}},  // check
    {138, {".....", "X...X", ".X.X.", "..X..", ".X.X.", "X...X", "....."}},  // cross
    {139, {"..XX.", "..X.X", "..X..", "..X..", "XXX..", "XXX..", "....."}},  // note
    {140, {".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX.", "....."}},  // ring
    {141, {".....", ".XXX.", "XXXXX", "XXXXX", "XXXXX", ".XXX.", "....."}},  // disc
    {142, {".XX..", "X..X.", ".XX.."}},                                      // degree
    {143, {".....", ".....", ".XXX.", ".XXX.", ".XXX.", ".....", "....."}},  // bullet
    {144, {".....", ".....", ".....", ".....", ".....", ".....", "X.X.X"}},  // ellipsis
    {145, {"X....", "XX...", "XXX..", "XXXX.", "XXX..", "XX...", "X...."}},  // play
    {146, {".....", "XX.XX", "XX.XX", "XX.XX", "XX.XX", "XX.XX", "....."}},  // pause
    {147, {"..X..", ".XXX.", "XXXXX", ".....", "XXXXX", ".XXX.", "..X.."}},  // up/down
    {148, {".XXX.", "X...X", "X.X.X", "X...X", ".XXX."}},                    // atom
};

using Bitmap = std::vector<std::vector<bool>>;  // [row][column]

Bitmap glyphBitmap(int code) {
    Bitmap bits(kGlyphH, std::vector<bool>(kGlyphW, false));
    for (const Glyph& g : kGlyphs) {
        if (g.code != code) continue;
        for (int r = 0; r < kGlyphH; ++r)
            for (int c = 0; g.rows[r] && c < kGlyphW && g.rows[r][c]; ++c) bits[r][c] = g.rows[r][c] == 'X';
    }
    return bits;
}

// Draws glyph `code` with its top-left design pixel at (left, top): white
// body, plus (when outlineAlpha > 0) a dark translucent rim one design pixel
// wide. At level 4 each block's exposed outer corners are trimmed.
void drawGlyph(Canvas& canvas, int code, int left, int top, float outlineAlpha) {
    const Bitmap bits = glyphBitmap(code);
    const int L = canvas.level();
    auto set = [&](int r, int c) { return r >= 0 && c >= 0 && r < kGlyphH && c < kGlyphW && bits[r][c]; };
    // Distance in design units from a device pixel centre to the body.
    auto bodyDistance = [&](float x, float y) {
        float best = 1e9f;
        for (int r = 0; r < kGlyphH; ++r)
            for (int c = 0; c < kGlyphW; ++c) {
                if (!bits[r][c]) continue;
                float dx = std::max({left + c - x, x - (left + c + 1), 0.f});
                float dy = std::max({top + r - y, y - (top + r + 1), 0.f});
                best = std::min(best, std::sqrt(dx * dx + dy * dy));
            }
        return best;
    };
    const int x0 = (left - 1) * L, y0 = (top - 1) * L;
    const int x1 = (left + kGlyphW + 1) * L, y1 = (top + kGlyphH + 1) * L;
    for (int py = y0; py < y1; ++py) {
        for (int px = x0; px < x1; ++px) {
            float x = (px + 0.5f) / L, y = (py + 0.5f) / L;
            int c = int(std::floor(x)) - left, r = int(std::floor(y)) - top;
            bool body = set(r, c);
            if (body && L >= 4) {
                // Trim the single device pixel at a block corner that sticks out.
                int sx = px - (left + c) * L, sy = py - (top + r) * L;
                int hx = sx == 0 ? -1 : (sx == L - 1 ? 1 : 0);
                int hy = sy == 0 ? -1 : (sy == L - 1 ? 1 : 0);
                if (hx && hy && !set(r, c + hx) && !set(r + hy, c) && !set(r + hy, c + hx)) body = false;
            }
            if (body) {
                canvas.blendPixel(px, py, kWhite);
            } else if (outlineAlpha > 0 && bodyDistance(x, y) <= 1.f) {
                canvas.blendPixel(px, py, rgb(8, 6, 20, outlineAlpha));
            }
        }
    }
}

void drawEditUndo(Canvas& canvas, int frame) {
    const int code = frame + 32;
    if (code == ' ') return;
    // 5 columns centred in the 16-unit cell, capitals on rows 4..10.
    drawGlyph(canvas, code, 5, 4, 0.62f);
}

void drawZaro(Canvas& canvas, int frame) {
    // One padding column, then the 8-wide cell with the glyph in columns 1..5.
    drawGlyph(canvas, frame + 32, 2, 3, 0.f);
}

}  // namespace

void writeFonts(const std::string& outdir) {
    writeSheet(outdir, {"fonts/editundo", 16, 16, 128, 16}, drawEditUndo);
    const Sheet zaro{"zaro_font", 10, 14, 96, 96};
    int w = 0, h = 0;
    std::vector<uint8_t> strip = renderAtlas(zaro, 1, drawZaro, w, h);
    writePng(outdir + "/zaro_font.png", w, h, strip);
}

}  // namespace assetgen
