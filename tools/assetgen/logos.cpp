// logos.cpp - the title logo, the studio mark (common/ZOVTLogo) and the
// decorative menu panels.
//
// logo: "Nubrix" in round stroke letters, one player colour per letter,
// each glossy with a dark outline, a pale sticker edge and a drop shadow;
// the dot of the i is an atom. Made to sit on the menu's dark blue.
// ZOVTLogo: our studio, ZOVT Games: a navy plaque with a gold rim, an atom
// mark and the name, dark enough to stand out on the loading screen's
// yellow disc and orange band and simple enough to read at half size; it
// leaves the top of its frame empty.
// menu: four ornaments in the same style: a panel, a ribbon banner, a ray
// burst and an orbit ring with the players' atoms.
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

// A glossy fill: lighter at the top, the palette's body colour at the
// bottom, with a soft white sheen over the upper part.
Paint glossy(const Palette& pal, float top, float bottom) {
    return [=](Vec2 p) {
        float t = clamp01((p.y - top) / (bottom - top));
        Rgba c = t < 0.5f ? mix(lighten(pal.base, 0.45f), pal.base, t * 2.f)
                          : mix(pal.base, mix(pal.base, pal.dark, 0.55f), (t - 0.5f) * 2.f);
        if (t < 0.46f) c = mix(c, kWhite, 0.28f * (1.f - t / 0.46f) + 0.1f);
        return c;
    };
}

void drawTitle(Canvas& canvas, int) {
    const std::string word = "Nubrix";
    const float height = 54.f, half = 6.3f, gap = 2.5f;
    const float width = strokeTextWidth(word, height, half, gap);
    const float top = 38.f;
    float x = 128.f - width * 0.5f;
    std::vector<Sdf> letters;
    std::vector<float> tilt;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        // Letters bob up and down and lean alternately, for a playful line.
        float bob = (i % 2 ? 2.5f : -2.f);
        float lean = deg(i % 2 ? 4.f : -4.f);
        Vec2 origin{x + half, top + bob};
        Vec2 pivot{origin.x + strokeWidth(c) * height * 0.5f, top + height * 0.6f};
        letters.push_back(rotateAbout(strokeGlyph(c, origin, height, half), pivot, lean));
        x += strokeWidth(c) * height + 2 * half + gap;
    }
    // The i's dot, an atom, sits above its stem.
    float ix = 128.f - width * 0.5f;
    for (size_t i = 0; i < 4; ++i) ix += strokeWidth(word[i]) * height + 2 * half + gap;
    const Vec2 dot{ix + half, top + 2.5f + height * 0.1f};
    const float dotR = 8.5f;
    Sdf all = unite(unite(letters), circle(dot, dotR));
    canvas.soft(translate(offset(all, 6.f), {2.f, 6.f}), solid(withAlpha(kBlack, 0.6f)), 3.f);
    canvas.fill(offset(all, 6.f), linearGradient({0, top - 8}, {0, top + height + 8}, rgb(255, 255, 255),
                                                 rgb(196, 218, 255)));
    canvas.fill(offset(all, 3.2f), solid(rgb(22, 14, 58)));
    for (size_t i = 0; i < letters.size(); ++i) {
        Palette pal = playerPalette(int(i % 4) + 1);
        float letterTop = word[i] == 'N' || word[i] == 'b' ? top - 8.f : top + height * 0.38f - 8.f;
        canvas.fill(letters[i], glossy(pal, letterTop, top + height + 8.f));
        // A thin highlight line just inside each stroke's upper edge.
        canvas.fill(intersect(outline(offset(letters[i], -2.4f), 0.8f), halfPlane({0, top + height * 0.55f}, {0, 1})),
                    solid(withAlpha(kWhite, 0.35f)));
    }
    drawSphere(canvas, dot, dotR, playerPalette(2));
}

void drawStudio(Canvas& canvas, int) {
    const Palette gold = accentPalette(0);
    // A plaque rather than a medallion: the menu draws this mark at half
    // size as its credits button, below and just left of the fourth player
    // slot in portrait, and the top of the frame is where that slot's label
    // falls.
    const Sdf plaque = box({128, 132}, {123.f, 72.f}, 30.f);
    canvas.soft(translate(plaque, {0, 6}), solid(withAlpha(kBlack, 0.5f)), 6.f);
    canvas.fill(plaque, linearGradient({0, 60}, {0, 204}, gold.light, gold.dark));
    canvas.fill(offset(plaque, -7.f), linearGradient({0, 67}, {0, 197}, rgb(112, 62, 0), rgb(255, 236, 150)));
    const Sdf face = offset(plaque, -11.f);
    canvas.fill(face, radialGradient({110, 100}, 150.f, rgb(36, 58, 150), rgb(8, 12, 48)));
    // Atom mark: a glowing nucleus and two crossing orbits with electrons.
    const Vec2 nucleus{128, 92};
    for (int k = 0; k < 2; ++k) {
        float a = deg(k ? 24.f : -24.f);
        Sdf orbit = rotateAbout(outline(ellipse(nucleus, 34.f, 9.f), 2.f), nucleus, a);
        canvas.fill(orbit, solid(withAlpha(rgb(150, 220, 255), 0.9f)));
    }
    canvas.soft(circle(nucleus, 10.f), solid(withAlpha(rgb(255, 210, 80), 0.7f)), 6.f);
    drawSphere(canvas, nucleus, 9.5f, gold);
    drawSphere(canvas, nucleus + rotate({-34.f, 0}, deg(-24)), 5.f, playerPalette(1));
    drawSphere(canvas, nucleus + rotate({34.f, 0}, deg(24)), 5.f, playerPalette(4));
    // Name.
    Sdf name = strokeText("ZOVT", {128, 138}, 44.f, 7.5f, 5.f);
    canvas.soft(translate(name, {0, 4}), solid(withAlpha(kBlack, 0.7f)), 2.5f);
    canvas.fill(offset(name, 2.5f), solid(rgb(6, 10, 40)));
    canvas.fill(name, linearGradient({0, 114}, {0, 162}, kWhite, rgb(190, 220, 255)));
    Sdf games = strokeText("GAMES", {128, 178}, 17.f, 3.f, 3.5f);
    canvas.fill(offset(games, 1.6f), solid(rgb(6, 10, 40)));
    canvas.fill(games, linearGradient({0, 170}, {0, 187}, gold.light, gold.base));
    // Glass sheen over the top of the plaque.
    canvas.fill(intersect(face, box({128, 90}, {120.f, 28.f})),
                linearGradient({0, 71}, {0, 118}, withAlpha(kWhite, 0.22f), withAlpha(kWhite, 0.f)));
}

void drawPanel(Canvas& canvas) {
    Sdf panel = box({128, 128}, {116.f, 116.f}, 24.f);
    canvas.soft(translate(panel, {0, 6}), solid(withAlpha(kBlack, 0.5f)), 6.f);
    canvas.fill(panel, linearGradient({0, 12}, {0, 244}, rgb(30, 60, 160, 0.92f), rgb(6, 14, 70, 0.92f)));
    canvas.fill(intersect(panel, halfPlane({0, 56}, {0, 1})),
                linearGradient({0, 12}, {0, 56}, rgb(110, 190, 255, 0.9f), rgb(40, 110, 220, 0.9f)));
    canvas.fill(intersect(panel, box({128, 36}, {120.f, 20.f})),
                linearGradient({0, 14}, {0, 40}, withAlpha(kWhite, 0.35f), withAlpha(kWhite, 0.f)));
    canvas.fill(outline(panel, 3.f), linearGradient({0, 10}, {0, 246}, rgb(200, 236, 255), rgb(40, 90, 190)));
    canvas.fill(outline(offset(panel, -9.f), 1.f), solid(withAlpha(rgb(140, 200, 255), 0.35f)));
    for (int i = 0; i < 4; ++i) {
        Vec2 at{i % 2 ? 212.f : 44.f, i / 2 ? 212.f : 44.f};
        drawSphere(canvas, at, 7.f, playerPalette(i + 1));
    }
}

void drawBanner(Canvas& canvas) {
    const Palette red = playerPalette(1);
    // Tails behind, folded under the main band.
    for (int side = -1; side <= 1; side += 2) {
        float x = 128.f + side * 96.f;
        std::vector<Vec2> tail{{x - side * 14.f, 112}, {x + side * 26.f, 112}, {x + side * 14.f, 138},
                               {x + side * 26.f, 164}, {x - side * 14.f, 164}};
        canvas.fill(polygon(tail), linearGradient({0, 112}, {0, 164}, darken(red.base, 0.25f), red.dark));
        std::vector<Vec2> fold{{x - side * 14.f, 164}, {x - side * 14.f, 150}, {x - side * 30.f, 150}};
        canvas.fill(polygon(fold), solid(darken(red.dark, 0.4f)));
    }
    Sdf band = box({128, 122}, {98.f, 28.f}, 6.f);
    canvas.soft(translate(band, {0, 5}), solid(withAlpha(kBlack, 0.45f)), 4.f);
    canvas.fill(band, glossy(red, 94, 150));
    canvas.fill(outline(band, 2.f), solid(withAlpha(darken(red.dark, 0.3f), 0.9f)));
    canvas.fill(outline(offset(band, -6.f), 1.2f), solid(withAlpha(lighten(red.base, 0.5f), 0.8f)));
    for (int k = 0; k < 3; ++k)
        canvas.fill(offset(star({88.f + k * 40.f, 122}, 13.f, 5.5f, 5), 1.f), glossy(accentPalette(0), 108, 136));
}

void drawRays(Canvas& canvas) {
    const Vec2 c{128, 128};
    Paint rays = [c](Vec2 p) {
        Vec2 d = p - c;
        float a = std::atan2(d.y, d.x);
        float band = 0.5f + 0.5f * std::cos(a * 12.f);
        float fade = 1.f - smoothstep(20.f, 126.f, length(d));
        return Rgba{1.f, 0.92f, 0.6f, (0.12f + 0.5f * smoothstep(0.35f, 0.65f, band)) * fade};
    };
    canvas.fill(circle(c, 127.f), rays);
    canvas.soft(circle(c, 30.f), solid(withAlpha(rgb(255, 250, 220), 0.8f)), 24.f);
}

void drawOrbits(Canvas& canvas) {
    const Vec2 c{128, 128};
    for (int k = 0; k < 3; ++k) {
        float a = deg(60.f * k);
        canvas.soft(rotateAbout(outline(ellipse(c, 112.f, 38.f), 2.5f), c, a), solid(withAlpha(rgb(120, 200, 255), 0.5f)),
                    2.5f);
        canvas.fill(rotateAbout(outline(ellipse(c, 112.f, 38.f), 1.6f), c, a), solid(withAlpha(rgb(210, 240, 255), 0.9f)));
    }
    for (int i = 0; i < 4; ++i) {
        float orbitAngle = deg(60.f * (i % 3));
        Vec2 on = polar(1.f, deg(40.f + 95.f * i));
        Vec2 at = c + rotate({on.x * 112.f, on.y * 38.f}, orbitAngle);
        drawSphereShadow(canvas, at, 12.f, 0.7f);
        drawSphere(canvas, at, 12.f, playerPalette(i + 1));
    }
}

void drawMenu(Canvas& canvas, int frame) {
    switch (frame) {
        case 0: drawPanel(canvas); break;
        case 1: drawBanner(canvas); break;
        case 2: drawRays(canvas); break;
        default: drawOrbits(canvas); break;
    }
}

}  // namespace

void writeLogos(const std::string& outdir) {
    writeSheet(outdir, {"logo", 256, 128, 1, 1}, drawTitle);
    writeSheet(outdir, {"common/ZOVTLogo", 256, 256, 1, 1}, drawStudio);
    writeSheet(outdir, {"menu", 256, 256, 4, 2}, drawMenu);
}

}  // namespace assetgen
