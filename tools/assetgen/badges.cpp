// badges.cpp - the achievement medals (BadgesA): 64 distinct badges.
//
// Each badge combines one of 8 outlines (medal, shield, hexagon, rosette,
// tile, octagon, ribboned medal, star), a metal rim, an enamel field colour
// and one of 16 symbols (star, atom, crown, flame, grid, lightning, heart,
// trophy, check, burst, clock, chain, two numbers, an atom pair, an arrow).
// Outline and symbol are chosen so that no two badges share both.
//
// Depends on: assets.h, output.h, shapes.h, strokes.h.

#include <cmath>
#include <string>
#include <vector>

#include "tools/assetgen/assets.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/shapes.h"
#include "tools/assetgen/strokes.h"

namespace assetgen {

namespace {

float deg(float d) { return d * kPi / 180.f; }

struct Outline {
    Sdf shape;
    Vec2 centre;    // where the symbol goes
    float inset;    // rim width
};

Outline outlineFor(int kind) {
    const Vec2 c{32, 32};
    switch (kind) {
        case 0: return {circle(c, 27.f), c, 4.5f};
        case 1: {
            std::vector<Vec2> pts{{8, 7}, {56, 7}, {56, 30}};
            for (int i = 1; i < 12; ++i) {
                float t = i / 12.f;
                pts.push_back({56.f - 24.f * t, 30.f + 27.f * std::sin(t * kPi / 2.f)});
            }
            pts.push_back({32, 58});
            for (int i = 11; i >= 1; --i) {
                float t = i / 12.f;
                pts.push_back({8.f + 24.f * t, 30.f + 27.f * std::sin(t * kPi / 2.f)});
            }
            pts.push_back({8, 30});
            return {offset(polygon(pts), 1.5f), {32, 29}, 4.5f};
        }
        case 2: return {offset(regularPolygon(c, 27.f, 6), 1.5f), c, 4.5f};
        case 3: {
            std::vector<Sdf> parts{circle(c, 24.f)};
            for (int i = 0; i < 14; ++i) parts.push_back(circle(c + polar(24.f, 2 * kPi * i / 14), 4.5f));
            return {unite(parts), c, 6.f};
        }
        case 4: return {box(c, {26.f, 26.f}, 9.f), c, 4.5f};
        case 5: return {offset(regularPolygon(c, 27.f, 8, kPi / 8), 1.f), c, 4.5f};
        case 6: return {circle({32, 36}, 23.f), {32, 36}, 4.f};
        default: return {offset(star({32, 34}, 31.f, 20.f, 5), 1.5f), {32, 35}, 4.f};
    }
}

// The symbols as shapes centred on the origin, about 13 units in radius.
Sdf symbolShape(int symbol, int number) {
    const Vec2 o{0, 0};
    switch (symbol) {
        case 0: return offset(star(o, 13.f, 5.5f, 5), 0.8f);
        case 1: {
            std::vector<Sdf> parts{circle(o, 3.6f)};
            for (int k = 0; k < 3; ++k) parts.push_back(rotateAbout(outline(ellipse(o, 13.f, 4.6f), 1.1f), o, deg(60.f * k)));
            return unite(parts);
        }
        case 2: {
            Sdf body = offset(polygon({{-11, 8}, {-11, -5}, {-5.5f, 1}, {0, -9}, {5.5f, 1}, {11, -5}, {11, 8}}), 1.f);
            return unite({body, circle({-11, -7}, 2.3f), circle({0, -11}, 2.3f), circle({11, -7}, 2.3f)});
        }
        case 3: {
            // A main tongue leaning right with two smaller ones beside it.
            Sdf flame = unite({circle({0, 5}, 8.f), polygon({{-7.6f, 3.5f}, {7.6f, 3.5f}, {3.f, -14.f}}),
                               polygon({{-8.f, 6.f}, {-3.f, 0.f}, {-10.5f, -6.f}}),
                               polygon({{8.f, 6.f}, {3.f, 0.f}, {10.f, -4.f}})});
            return subtract(offset(flame, 0.5f), unite(circle({0.5f, 8}, 3.5f), polygon({{-3.2f, 7}, {4.2f, 7}, {2.f, -1}})));
        }
        case 4: {
            std::vector<Sdf> cells;
            for (int r = -1; r <= 1; ++r)
                for (int q = -1; q <= 1; ++q) cells.push_back(box({q * 8.5f, r * 8.5f}, {3.3f, 3.3f}, 1.2f));
            return unite(cells);
        }
        case 5: return offset(polygon({{5, -14}, {-7, 1}, {-0.5f, 1}, {-5, 14}, {8, -2.5f}, {1.5f, -2.5f}, {7.5f, -14}}), 0.6f);
        case 6:
            return unite({circle({-5.5f, -3.5f}, 6.3f), circle({5.5f, -3.5f}, 6.3f),
                          offset(polygon({{-11, -1.5f}, {11, -1.5f}, {0, 11}}), 0.8f)});
        case 7: {
            Sdf cup = intersect(unite(circle({0, -4}, 9.f), box({0, -8}, {9.f, 3.f})), halfPlane({0, -11}, {0, -1}));
            return unite({cup, ring({-9.5f, -5}, 4.f, 1.4f), ring({9.5f, -5}, 4.f, 1.4f), box({0, 6.5f}, {1.8f, 3.f}),
                          box({0, 11}, {7.f, 2.f}, 1.f)});
        }
        case 8: return polyline({{-9.5f, 0}, {-3, 7}, {10, -8}}, 3.f);
        case 9: return offset(star(o, 13.5f, 6.5f, 8, deg(-90)), 0.5f);
        case 10:
            return unite({ring(o, 11.f, 2.f), segment(o, {0, -7}, 1.5f), segment(o, {5.5f, 2.f}, 1.5f)});
        case 11:
            return unite(rotateAbout(outline(box({-4.5f, 0}, {7.5f, 3.8f}, 3.8f), 1.7f), {-4.5f, 0}, deg(-40)),
                         rotateAbout(outline(box({4.5f, 0}, {7.5f, 3.8f}, 3.8f), 1.7f), {4.5f, 0}, deg(-40)));
        case 12:
        case 13: {
            std::string text = std::to_string(number);
            float height = text.size() > 2 ? 12.f : 17.f;
            float half = text.size() > 2 ? 1.9f : 2.5f;
            return strokeText(text, {0, 0}, height, half, 1.2f);
        }
        case 15: return unite(offset(polygon({{0, -12}, {10, 0}, {-10, 0}}), 1.f), box({0, 6}, {4.f, 7.f}, 1.f));
        default: return circle(o, 0.f);
    }
}

const int kNumbers[] = {1, 2, 3, 4, 5, 7, 10, 12, 15, 20, 25, 30, 50, 64, 99, 100};

Palette fieldPalette(int which) {
    if (which < 4) return playerPalette(which + 1);
    if (which < 7) return accentPalette(which - 1);  // purple, teal, pink
    return {rgb(120, 150, 255), rgb(34, 52, 150), rgb(8, 14, 56)};
}

void drawBadge(Canvas& canvas, int index) {
    const int kind = index % 8;
    const int symbol = (index / 8 + 3 * kind) % 16;
    const int number = kNumbers[(index * 5) % 16];
    const Palette metal = accentPalette((index / 8) % 3);  // gold, silver, bronze
    const Palette field = fieldPalette((index * 3 + index / 8) % 8);
    const Outline o = outlineFor(kind);

    if (kind == 6) {  // a V of neck ribbon behind the medal
        Palette band = fieldPalette((index + 3) % 8);
        Sdf ribbon = polygon({{10, 0}, {25, 0}, {32, 13}, {39, 0}, {54, 0}, {42, 24}, {22, 24}});
        canvas.soft(translate(ribbon, {0, 1.5f}), solid(withAlpha(kBlack, 0.4f)), 1.5f);
        canvas.fill(ribbon, linearGradient({0, 0}, {0, 24}, band.base, band.dark));
        canvas.fill(intersect(ribbon, unite(segment({17.5f, 0}, {27.f, 24.f}, 1.8f), segment({46.5f, 0}, {37.f, 24.f}, 1.8f))),
                    solid(withAlpha(kWhite, 0.7f)));
    }
    canvas.soft(translate(o.shape, {0.f, 2.2f}), solid(withAlpha(kBlack, 0.5f)), 2.f);
    canvas.fill(o.shape, linearGradient({12, 6}, {52, 60}, metal.light, metal.dark));
    canvas.fill(outline(o.shape, 0.7f), solid(withAlpha(darken(metal.dark, 0.3f), 0.8f)));
    Sdf inner = offset(o.shape, -o.inset);
    canvas.fill(offset(inner, 0.8f), linearGradient({0, 6}, {0, 60}, metal.dark, metal.light));
    canvas.fill(inner, radialGradient({o.centre.x - 6.f, o.centre.y - 9.f}, 34.f, lighten(field.base, 0.25f),
                                      mix(field.base, field.dark, 0.7f)));
    // Symbol, raised in white with a shadow; the atom pair is two spheres.
    if (symbol == 14) {
        drawSphereShadow(canvas, o.centre + Vec2{-5, -4}, 7.5f, 0.7f);
        drawSphereShadow(canvas, o.centre + Vec2{5, 4}, 7.5f, 0.7f);
        drawSphere(canvas, o.centre + Vec2{-5, -4}, 7.5f, playerPalette(index % 4 + 1));
        drawSphere(canvas, o.centre + Vec2{5, 4}, 7.5f, playerPalette((index + 2) % 4 + 1));
    } else {
        Sdf sym = translate(symbolShape(symbol, number), o.centre);
        canvas.soft(translate(sym, {0.f, 1.5f}), solid(withAlpha(darken(field.dark, 0.6f), 0.75f)), 1.3f);
        canvas.fill(sym, linearGradient({0, o.centre.y - 13.f}, {0, o.centre.y + 13.f}, kWhite, lighten(field.light, 0.2f)));
    }
    // Glassy sheen over the upper half of the field.
    canvas.fill(intersect(inner, ellipse({o.centre.x, o.centre.y - 22.f}, 30.f, 20.f)),
                linearGradient({0, o.centre.y - 24.f}, {0, o.centre.y - 2.f}, withAlpha(kWhite, 0.35f),
                               withAlpha(kWhite, 0.f)));
}

}  // namespace

void writeBadges(const std::string& outdir) {
    writeSheet(outdir, {"BadgesA", 64, 64, 64, 8}, drawBadge);
}

}  // namespace assetgen
