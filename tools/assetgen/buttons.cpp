// buttons.cpp - the board-size buttons (common/Buttons) and the arcade
// controller picture (common/icade).
//
// Buttons: glossy rounded 3D buttons carrying a little board of the size
// they choose, with a few atoms on it. Frames 0-3 boards of 4x3, 6x4, 10x7
// and 12x10 cells; 4-7 the same pressed; 8-11 greyed out; 12-14 spare
// buttons with play, plus and back symbols; 15 the selection mark drawn over
// the chosen button (a glowing frame, empty in the middle).
//
// Depends on: assets.h, output.h, shapes.h.

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/assetgen/assets.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/shapes.h"

namespace assetgen {

namespace {

const Vec2 kCentre{32, 32};

struct ButtonStyle {
    Rgba top, bottom, side;  // face gradient and the darker body beneath
};

ButtonStyle styleFor(bool disabled) {
    if (disabled) return {rgb(176, 184, 196), rgb(110, 118, 132), rgb(64, 70, 82)};
    return {rgb(72, 206, 255), rgb(18, 96, 214), rgb(10, 44, 120)};
}

// Draws the body and face; returns the face shape for what goes on it.
Sdf drawButtonBody(Canvas& canvas, const ButtonStyle& st, bool pressed) {
    const float depth = pressed ? 1.2f : 3.5f;
    const float faceY = kCentre.y - 2.f + (pressed ? 2.3f : 0.f);
    Sdf body = box({32, 31.5f + depth * 0.5f}, {28.5f, 26.5f + depth * 0.5f}, 11.f);
    Sdf face = box({32, faceY}, {28.5f, 26.f}, 11.f);
    canvas.soft(translate(body, {0, 1.8f}), solid(withAlpha(kBlack, 0.45f)), 2.f);
    canvas.fill(body, linearGradient({0, 40}, {0, 62}, st.side, darken(st.side, 0.45f)));
    Rgba top = pressed ? darken(st.top, 0.12f) : st.top;
    Rgba bottom = pressed ? darken(st.bottom, 0.12f) : st.bottom;
    canvas.fill(face, linearGradient({0, faceY - 26.f}, {0, faceY + 26.f}, top, bottom));
    // Gloss on the upper half and a bright lip along the top edge.
    Sdf gloss = intersect(face, ellipse({32, faceY - 26.f}, 40.f, 20.f));
    canvas.fill(gloss, linearGradient({0, faceY - 26.f}, {0, faceY - 6.f}, withAlpha(kWhite, 0.45f),
                                      withAlpha(kWhite, 0.04f)));
    canvas.fill(outline(face, 0.9f), linearGradient({0, faceY - 26.f}, {0, faceY + 26.f}, withAlpha(kWhite, 0.75f),
                                                    withAlpha(darken(st.bottom, 0.5f), 0.6f)));
    return face;
}

void drawBoard(Canvas& canvas, int cols, int rows, float faceY, bool disabled) {
    const float cell = std::min(40.f / cols, 32.f / rows);
    const float w = cols * cell, h = rows * cell;
    const Vec2 c{32, faceY + 1.f};
    const float gap = std::max(0.7f, cell * 0.16f);
    canvas.soft(box({c.x, c.y + 0.8f}, {w * 0.5f + 2.2f, h * 0.5f + 2.2f}, 3.f), solid(withAlpha(kBlack, 0.35f)), 1.2f);
    canvas.fill(box(c, {w * 0.5f + 2.f, h * 0.5f + 2.f}, 3.f), solid(disabled ? rgb(60, 64, 72) : rgb(8, 30, 82)));
    const Rgba cellTop = disabled ? rgb(200, 204, 210) : rgb(214, 238, 255);
    const Rgba cellBottom = disabled ? rgb(160, 164, 172) : rgb(150, 196, 240);
    const float x0 = c.x - w * 0.5f, y0 = c.y - h * 0.5f;
    std::vector<Sdf> cells;
    for (int r = 0; r < rows; ++r)
        for (int q = 0; q < cols; ++q)
            cells.push_back(box({x0 + (q + 0.5f) * cell, y0 + (r + 0.5f) * cell},
                                {cell * 0.5f - gap * 0.5f, cell * 0.5f - gap * 0.5f}, cell * 0.18f));
    canvas.fill(unite(cells), linearGradient({0, y0}, {0, y0 + h}, cellTop, cellBottom));
    // A few atoms mid-game, spread over the board.
    for (int i = 0; i < 4 + cols / 3; ++i) {
        int q = (i * 7 + 1) % cols, r = (i * 5 + 2) % rows;
        int colour = i % 4 + 1;
        Vec2 at{x0 + (q + 0.5f) * cell, y0 + (r + 0.5f) * cell};
        Palette pal = disabled ? accentPalette(1) : playerPalette(colour);
        drawSphere(canvas, at, cell * 0.34f, pal);
    }
}

void drawSymbol(Canvas& canvas, int which, float faceY) {
    Sdf shape;
    const Vec2 c{32, faceY};
    if (which == 0) {
        Vec2 a{25, faceY - 11}, b{42, faceY}, d{25, faceY + 11};
        shape = offset(polygon({a, b, d}), 1.5f);
    } else if (which == 1) {
        shape = unite(box(c, {13.f, 3.5f}, 2.f), box(c, {3.5f, 13.f}, 2.f));
    } else {
        shape = unite(polyline({{36, faceY - 11}, {24, faceY}, {36, faceY + 11}}, 3.6f),
                      segment({25, faceY}, {42, faceY}, 3.6f));
    }
    canvas.soft(translate(shape, {0, 1.5f}), solid(withAlpha(rgb(4, 20, 70), 0.55f)), 1.2f);
    canvas.fill(shape, linearGradient({0, faceY - 12}, {0, faceY + 12}, kWhite, rgb(200, 226, 255)));
}

void drawSelection(Canvas& canvas) {
    Sdf frame = box({32, 31}, {30.f, 29.f}, 12.f);
    const Rgba gold = rgb(255, 214, 40);
    canvas.soft(outline(frame, 1.5f), solid(withAlpha(gold, 0.75f)), 2.6f);
    canvas.fill(outline(frame, 1.6f), solid(gold));
    canvas.fill(outline(frame, 0.7f), solid(rgb(255, 252, 214)));
    // Corner brackets, heavier than the frame, for a clear "chosen" mark.
    Sdf corners = subtract(outline(offset(frame, 0.4f), 2.6f),
                           unite(box({32, 31}, {14.f, 40.f}), box({32, 31}, {40.f, 13.f})));
    canvas.soft(translate(corners, {0, 1.f}), solid(withAlpha(rgb(90, 50, 0), 0.5f)), 1.f);
    canvas.fill(corners, linearGradient({0, 0}, {0, 62}, rgb(255, 250, 190), rgb(255, 170, 20)));
}

void drawButton(Canvas& canvas, int frame) {
    static const int kBoards[4][2] = {{4, 3}, {6, 4}, {10, 7}, {12, 10}};
    if (frame == 15) {
        drawSelection(canvas);
        return;
    }
    const bool pressed = frame >= 4 && frame < 8;
    const bool disabled = frame >= 8 && frame < 12;
    drawButtonBody(canvas, styleFor(disabled), pressed);
    const float faceY = 30.f + (pressed ? 2.3f : 0.f);
    if (frame < 12) {
        const int* b = kBoards[frame % 4];
        drawBoard(canvas, b[0], b[1], faceY, disabled);
    } else {
        drawSymbol(canvas, frame - 12, faceY);
    }
}

// An arcade stick: a wedge-shaped cabinet top, a ball-top joystick and three
// buttons. Frame 1 leans the stick and presses the first button.
void drawIcade(Canvas& canvas, int frame) {
    const bool pressed = frame == 1;
    Sdf front = box({32, 47}, {27.f, 6.f}, 3.f);
    Sdf top = offset(polygon({{12, 25}, {52, 25}, {57, 42}, {7, 42}}), 2.f);
    canvas.soft(ellipse({33, 55}, 28.f, 5.f), solid(withAlpha(kBlack, 0.5f)), 2.5f);
    canvas.fill(front, linearGradient({0, 41}, {0, 53}, rgb(58, 62, 82), rgb(24, 26, 38)));
    canvas.fill(top, linearGradient({0, 23}, {0, 44}, rgb(96, 106, 150), rgb(54, 60, 92)));
    canvas.fill(outline(top, 0.6f), solid(withAlpha(rgb(180, 190, 240), 0.6f)));
    // Accent stripe along the front edge in the four player colours.
    for (int i = 0; i < 4; ++i) {
        float x = 9.f + i * 11.5f;
        canvas.fill(box({x + 5.25f, 47.f}, {5.f, 1.6f}, 1.f), solid(playerPalette(i + 1).base));
    }
    // Joystick.
    const Vec2 base{20, 35};
    const Vec2 knob = pressed ? Vec2{26.5f, 19.f} : Vec2{20.f, 17.f};
    canvas.fill(ellipse(base, 7.f, 3.f), solid(rgb(16, 16, 24)));
    canvas.fill(segment(base, knob, 1.5f), linearGradient({base.x - 2, 0}, {base.x + 2, 0}, rgb(230, 232, 240),
                                                          rgb(110, 114, 130)));
    drawSphereShadow(canvas, knob, 5.5f, 0.5f);
    drawSphere(canvas, knob, 6.f, playerPalette(1));
    // Buttons: a dark rim, then a coloured cap that sinks when pressed.
    const Vec2 spots[3] = {{35.5f, 33.f}, {44.f, 30.5f}, {51.f, 35.5f}};
    const int colours[3] = {2, 3, 4};
    for (int i = 0; i < 3; ++i) {
        Vec2 s = spots[i];
        bool down = pressed && i == 0;
        Palette pal = playerPalette(colours[i]);
        canvas.fill(ellipse({s.x, s.y + 1.2f}, 4.6f, 2.8f), solid(rgb(12, 12, 20)));
        if (down) canvas.soft(ellipse(s, 6.5f, 4.5f), solid(withAlpha(pal.light, 0.8f)), 2.f);
        Vec2 cap{s.x, s.y + (down ? 1.f : -0.6f)};
        if (!down) canvas.fill(ellipse({cap.x, cap.y + 1.f}, 4.f, 2.4f), solid(pal.dark));
        canvas.fill(ellipse(cap, 4.f, 2.4f),
                    radialGradient({cap.x - 1.2f, cap.y - 0.8f}, 4.5f, down ? pal.light : lighten(pal.base, 0.2f),
                                   pal.base));
    }
}

}  // namespace

void writeButtons(const std::string& outdir) {
    writeSheet(outdir, {"common/Buttons", 64, 64, 16, 4}, drawButton);
    writeSheet(outdir, {"common/icade", 64, 64, 2, 2}, drawIcade);
}

}  // namespace assetgen
