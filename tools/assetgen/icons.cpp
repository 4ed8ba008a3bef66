// icons.cpp - the white, tintable interface pictures: common/icons (pause,
// quit, resume, sound modes, selection ring...), the on-screen d-pad keys
// and the particle sprites.
//
// Every icon is one signed distance shape drawn in white over a soft dark
// drop shadow, so the game's tint colours it while it stays readable on
// light backgrounds.
//
// Depends on: assets.h, output.h, shapes.h.

#include <cmath>
#include <vector>

#include "tools/assetgen/assets.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/shapes.h"

namespace assetgen {

namespace {

const Vec2 kMid{16, 16};

float deg(float d) { return d * kPi / 180.f; }

// White shape with a soft shadow a little below it.
void drawWhite(Canvas& canvas, const Sdf& shape, float shadow = 0.45f) {
    canvas.soft(translate(shape, {0.f, 1.2f}), solid(withAlpha(kBlack, shadow)), 1.1f);
    canvas.fill(shape, solid(kWhite));
}

Sdf roundedTriangle(Vec2 a, Vec2 b, Vec2 c, float round) {
    // Shrink the triangle towards its centre, then grow it back rounded.
    Vec2 m = (a + b + c) * (1.f / 3.f);
    auto in = [&](Vec2 p) {
        Vec2 d = p - m;
        float len = length(d);
        return m + d * ((len - round * 2.f) / len);
    };
    return offset(polygon({in(a), in(b), in(c)}), round);
}

Sdf speaker() {
    return unite(box({8.5f, 16}, {3.f, 4.2f}, 1.f),
                 offset(polygon({{10.5f, 12.5f}, {16.f, 7.5f}, {16.f, 24.5f}, {10.5f, 19.5f}}), 0.8f));
}

Sdf note(Vec2 at, float size) {
    // A quaver: tilted head, stem and flag.
    Sdf head = rotateAbout(ellipse(at, 3.2f * size, 2.4f * size), at, deg(-25));
    Vec2 top{at.x + 2.6f * size, at.y - 11.f * size};
    Sdf stem = segment({at.x + 2.6f * size, at.y - 0.5f * size}, top, 1.1f * size);
    Sdf flag = polyline({top, {top.x + 3.5f * size, top.y + 3.f * size}, {top.x + 4.f * size, top.y + 6.5f * size}},
                        1.1f * size);
    return unite({head, stem, flag});
}

Sdf spark(Vec2 at, float size) {
    return offset(star(at, 6.f * size, 1.4f * size, 4, 0), 0.4f * size);
}

Sdf gear() {
    std::vector<Sdf> parts{circle(kMid, 9.f)};
    for (int i = 0; i < 8; ++i)
        parts.push_back(rotateAbout(box({16, 5.5f}, {2.4f, 3.f}, 0.8f), kMid, deg(45.f * i)));
    return subtract(unite(parts), circle(kMid, 4.f));
}

Sdf iconShape(int frame) {
    switch (frame) {
        case 0:  // pause
            return unite(box({11.f, 16}, {3.3f, 9.f}, 1.6f), box({21.f, 16}, {3.3f, 9.f}, 1.6f));
        case 1:  // quit
            return unite(segment({9, 9}, {23, 23}, 3.f), segment({23, 9}, {9, 23}, 3.f));
        case 2:  // home
            return unite(subtract(box({16, 20.5f}, {7.5f, 6.5f}, 1.f), box({16, 24.f}, {2.2f, 4.f}, 0.8f)),
                         polyline({{6.f, 15.f}, {16.f, 6.5f}, {26.f, 15.f}}, 2.f));
        case 3:  // resume
            return roundedTriangle({10.5f, 6.5f}, {26.f, 16.f}, {10.5f, 25.5f}, 1.5f);
        case 4:  // sound on
            return unite({speaker(), arc({16, 16}, 5.5f, deg(-50), deg(50), 1.5f),
                          arc({16, 16}, 10.f, deg(-50), deg(50), 1.5f)});
        case 5:  // sound off
            return unite({speaker(), segment({20.f, 12.f}, {27.f, 20.f}, 1.7f), segment({20.f, 20.f}, {27.f, 12.f}, 1.7f)});
        case 7:  // calibrate: crosshair
            return unite({ring(kMid, 9.f, 1.4f), segment({16, 3.5f}, {16, 10}, 1.4f), segment({16, 22}, {16, 28.5f}, 1.4f),
                          segment({3.5f, 16}, {10, 16}, 1.4f), segment({22, 16}, {28.5f, 16}, 1.4f), circle(kMid, 2.2f)});
        case 8:  // music and effects
            return unite(note({11.5f, 23.f}, 1.f), spark({23.f, 10.f}, 1.f));
        case 9:  // effects only
            return unite({spark({14.f, 17.f}, 1.5f), spark({25.f, 8.f}, 0.7f), circle({25.f, 25.f}, 1.8f)});
        case 10:  // music only
            return note({13.f, 24.f}, 1.3f);
        case 11: {  // restart
            Vec2 tip = kMid + polar(9.f, deg(-90));
            return unite(arc(kMid, 9.f, deg(-50), deg(250), 2.f),
                         roundedTriangle(tip + Vec2{-1.f, -5.5f}, tip + Vec2{6.5f, 0.f}, tip + Vec2{-1.f, 5.5f}, 0.7f));
        }
        case 12:  // settings
            return gear();
        case 13:  // star
            return offset(star(kMid, 12.f, 5.2f, 5), 1.f);
        case 14:  // arrow
            return unite(segment({7, 16}, {18, 16}, 2.5f), roundedTriangle({16.f, 7.f}, {26.f, 16.f}, {16.f, 25.f}, 1.f));
        case 15:  // check
            return polyline({{7.5f, 16.5f}, {13.5f, 22.5f}, {25.f, 9.5f}}, 2.8f);
        default:
            return circle(kMid, 0);
    }
}

void drawIcon(Canvas& canvas, int frame) {
    if (frame == 6) {
        // Selection ring: drawn 2.5x around a 2x icon, so the ring sits just
        // outside a 64-unit button. A glow either side softens it.
        canvas.soft(ring(kMid, 13.8f, 0.9f), solid(withAlpha(kWhite, 0.45f)), 1.6f);
        canvas.soft(ring(kMid, 13.8f, 1.6f), solid(withAlpha(kBlack, 0.25f)), 1.f);
        canvas.fill(ring(kMid, 13.8f, 1.05f), solid(kWhite));
        return;
    }
    drawWhite(canvas, iconShape(frame));
}

// D-pad keys, numbered like a keypad: 1 up, 4 left, 5 centre, 6 right,
// 9 down, 0 the round action button; 2, 3, 7, 8 the diagonals.
void drawDpad(Canvas& canvas, int frame) {
    if (frame > 9) return;
    if (frame == 0) {
        canvas.soft(circle({16, 17}, 14.f), solid(withAlpha(kBlack, 0.35f)), 1.2f);
        canvas.fill(circle(kMid, 14.f), solid(withAlpha(kWhite, 0.3f)));
        canvas.fill(ring(kMid, 13.f, 1.f), solid(withAlpha(kWhite, 0.85f)));
        canvas.fill(circle(kMid, 8.5f), linearGradient({10, 9}, {22, 24}, kWhite, rgb(200, 200, 200)));
        canvas.soft(ellipse({14, 12.5f}, 4.f, 2.4f), solid(withAlpha(kWhite, 0.9f)), 1.f);
        return;
    }
    Sdf plate = box(kMid, {13.5f, 13.5f}, 5.f);
    canvas.soft(translate(plate, {0, 1.2f}), solid(withAlpha(kBlack, 0.35f)), 1.2f);
    canvas.fill(plate, solid(withAlpha(kWhite, 0.28f)));
    canvas.fill(outline(plate, 0.9f), solid(withAlpha(kWhite, 0.8f)));
    if (frame == 5) {
        drawWhite(canvas, circle(kMid, 4.5f));
        return;
    }
    // Direction of each key: angle in degrees, screen y downwards.
    static const float kAngle[10] = {0, -90, -45, -135, 180, 0, 0, 135, 45, 90};
    float a = deg(kAngle[frame]);
    Vec2 tip = kMid + polar(8.5f, a), back = kMid + polar(-5.f, a);
    Vec2 side = polar(6.5f, a + kPi / 2);
    drawWhite(canvas, roundedTriangle(tip, back + side, back - side, 1.2f));
}

void drawPart(Canvas& canvas, int frame) {
    const Vec2 c{4, 4};
    Paint white = solid(kWhite);
    switch (frame) {
        case 0: canvas.soft(circle(c, 2.f), white, 1.8f); break;
        case 1: canvas.fill(circle(c, 2.6f), white); break;
        case 2: canvas.soft(circle(c, 1.f), white, 0.9f); break;
        case 3: canvas.fill(star(c, 3.9f, 0.8f, 4, 0), white); break;
        case 4: canvas.fill(offset(star(c, 3.3f, 1.4f, 5), 0.3f), white); break;
        case 5: canvas.fill(ring(c, 2.6f, 0.75f), white); break;
        case 6:
            canvas.fill(unite(segment({4, 0.8f}, {4, 7.2f}, 0.7f), segment({0.8f, 4}, {7.2f, 4}, 0.7f)), white);
            canvas.soft(circle(c, 0.8f), white, 1.2f);
            break;
        case 7: canvas.fill(polygon({{4, 0.5f}, {7, 4}, {4, 7.5f}, {1, 4}}), white); break;
        case 8: canvas.fill(box(c, {2.7f, 2.7f}, 0.8f), white); break;
        case 9: canvas.fill(offset(regularPolygon({4, 4.4f}, 2.7f, 3), 0.4f), white); break;
        case 10: {  // heart
            Sdf lobes = unite(circle({2.7f, 3.2f}, 1.7f), circle({5.3f, 3.2f}, 1.7f));
            canvas.fill(unite(lobes, polygon({{1.1f, 3.9f}, {6.9f, 3.9f}, {4, 7.1f}})), white);
            break;
        }
        case 11:  // puff
            canvas.soft(unite({circle({3, 4.5f}, 1.8f), circle({5, 4.8f}, 1.6f), circle({4.2f, 3}, 1.7f)}),
                        solid(withAlpha(kWhite, 0.75f)), 0.9f);
            break;
        case 12: canvas.soft(ellipse(c, 3.6f, 0.9f), white, 0.5f); break;
        case 13: canvas.soft(rotateAbout(ellipse(c, 3.8f, 0.9f), c, deg(-45)), white, 0.5f); break;
        case 14: canvas.fill(circle(c, 4.f), radialGradient(c, 4.f, kWhite, withAlpha(kWhite, 0))); break;
        default: canvas.fill(star(c, 3.9f, 1.1f, 8, 0), white); break;
    }
}

}  // namespace

void writeIcons(const std::string& outdir) {
    writeSheet(outdir, {"common/icons", 32, 32, 16, 4}, drawIcon);
    writeSheet(outdir, {"common/dpad", 32, 32, 16, 4}, drawDpad);
    writeSheet(outdir, {"parts", 8, 8, 16, 4}, drawPart);
}

}  // namespace assetgen
