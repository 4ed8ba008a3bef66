// atoms.cpp - the board atoms and the glossy sphere shading they share with
// the other ornaments.
//
// atoms: 16 frames per player colour: 0-3 one atom popping in, 4-7 a second
// joining, 8-12 a third, 13-15 four crowded atoms jittering in a glow (the
// cell is about to burst). Everything stays inside the cell's central 56x56
// units so neighbouring cells never overlap, and the four atoms leave the
// top quarter of the frame clear for the menu's slot labels.
//
// Depends on: assets.h, output.h, shapes.h.

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/assetgen/assets.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/shapes.h"

namespace assetgen {

Palette playerPalette(int colour) {
    switch (colour) {
        case 1: return {rgb(255, 140, 120), rgb(240, 20, 20), rgb(105, 0, 18)};
        case 2: return {rgb(255, 255, 190), rgb(255, 226, 0), rgb(185, 105, 0)};
        case 3: return {rgb(180, 255, 160), rgb(24, 214, 40), rgb(0, 88, 34)};
        default: return {rgb(150, 210, 255), rgb(0, 124, 255), rgb(0, 32, 125)};
    }
}

Palette accentPalette(int which) {
    switch (which) {
        case 0: return {rgb(255, 248, 190), rgb(242, 186, 36), rgb(135, 78, 8)};
        case 1: return {rgb(255, 255, 255), rgb(190, 198, 210), rgb(80, 88, 104)};
        case 2: return {rgb(255, 210, 170), rgb(200, 120, 60), rgb(90, 42, 14)};
        case 3: return {rgb(230, 180, 255), rgb(150, 60, 220), rgb(60, 10, 105)};
        case 4: return {rgb(170, 255, 245), rgb(0, 190, 180), rgb(0, 78, 86)};
        default: return {rgb(255, 190, 225), rgb(240, 80, 160), rgb(110, 10, 64)};
    }
}

void drawSphere(Canvas& canvas, Vec2 centre, float radius, const Palette& pal, float opacity) {
    // Light from the upper left, slightly in front; viewer straight on.
    const float lx = -0.45f, ly = -0.62f, lz = 0.64f;
    const float hx = lx, hy = ly, hz = lz + 1.f, hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    Paint shade = [=](Vec2 p) {
        float qx = (p.x - centre.x) / radius, qy = (p.y - centre.y) / radius;
        float r2 = qx * qx + qy * qy;
        if (r2 > 0.998f) {
            float s = std::sqrt(0.998f / r2);
            qx *= s;
            qy *= s;
            r2 = 0.998f;
        }
        float z = std::sqrt(1.f - r2);
        float diffuse = std::max(0.f, qx * lx + qy * ly + z * lz);
        Rgba c = mix(pal.dark, pal.base, smoothstep(0.f, 0.75f, diffuse));
        c = mix(c, pal.light, 0.45f * std::pow(diffuse, 4.f));
        // Darker rim, with a little light bounced back into the lower right.
        float rim = std::pow(1.f - z, 2.5f);
        c = mix(c, pal.dark, 0.55f * rim);
        float bounce = smoothstep(0.2f, 0.9f, (qx * 0.45f + qy * 0.8f)) * smoothstep(0.55f, 0.95f, std::sqrt(r2));
        c = mix(c, pal.base, 0.55f * bounce);
        // Broad specular lobe plus a crisp window reflection.
        float ndoth = std::max(0.f, (qx * hx + qy * hy + z * hz) / hl);
        float glint = 0.7f * std::pow(ndoth, 48.f);
        float wx = qx + 0.36f, wy = qy + 0.42f;
        float ang = -0.6f, cs = std::cos(ang), sn = std::sin(ang);
        float ex = (cs * wx - sn * wy) / 0.30f, ey = (sn * wx + cs * wy) / 0.17f;
        float window = 0.85f * (1.f - smoothstep(0.55f, 1.f, std::sqrt(ex * ex + ey * ey)));
        c = mix(c, kWhite, clamp01(std::max(glint, window)));
        c.a = 1;
        return c;
    };
    canvas.fill(circle(centre, radius), shade, opacity);
}

void drawSphereShadow(Canvas& canvas, Vec2 centre, float radius, float opacity) {
    Vec2 at{centre.x + radius * 0.10f, centre.y + radius * 0.22f};
    canvas.soft(ellipse(at, radius * 0.92f, radius * 0.86f), solid(withAlpha(kBlack, 0.42f)), radius * 0.22f,
                opacity);
}

namespace {

struct Ball {
    Vec2 pos;     // offset from the frame centre
    float radius;
};

// Resting arrangements of n atoms (offsets from the cell centre).
std::vector<Ball> resting(int n) {
    switch (n) {
        case 1: return {{{0, 0}, 16.f}};
        case 2: return {{{-9.f, 5.f}, 13.5f}, {{9.f, -5.f}, 13.5f}};
        case 3: {
            std::vector<Ball> b;
            for (int i = 0; i < 3; ++i) b.push_back({polar(11.5f, -kPi / 2 + 2 * kPi * i / 3 + 0.2f), 12.5f});
            return b;
        }
        default:
            // A low heap: the back atom smaller and sunk between its
            // neighbours (a little to the right, where they leave its
            // highlight in view), so the top of the frame stays clear. The menu's
            // player slots show this frame 80 units apart at twice its size,
            // with each slot's label in the top of the next one's frame.
            return {{{3.5f, -2.f}, 10.5f}, {{13.5f, 4.f}, 12.5f}, {{0, 12.f}, 12.5f}, {{-13.5f, 4.f}, 12.5f}};
    }
}

// Which arrangement a frame shows, how far the atoms moved from the
// previous one (0..1) and how big the newest atom is (1 = full, >1 pops).
struct Step {
    int count;
    float move;
    float grow;
};

Step stepFor(int frame) {
    static const Step kSteps[16] = {
        {1, 1, 0.30f}, {1, 1, 0.65f}, {1, 1, 1.10f}, {1, 1, 1.f},                    // one
        {2, 0.45f, 0.35f}, {2, 0.8f, 0.72f}, {2, 1, 1.08f}, {2, 1, 1.f},             // two
        {3, 0.4f, 0.3f}, {3, 0.7f, 0.6f}, {3, 0.9f, 0.9f}, {3, 1, 1.07f}, {3, 1, 1.f},  // three
        {4, 1, 1.f}, {4, 1, 1.f}, {4, 1, 1.f},                                      // four, restless
    };
    return kSteps[frame];
}

std::vector<Ball> frameBalls(int frame) {
    Step step = stepFor(frame);
    std::vector<Ball> now = resting(step.count);
    if (step.count > 1) {
        std::vector<Ball> before = resting(step.count - 1);
        for (size_t i = 0; i + 1 < now.size(); ++i) {
            now[i].pos = before[i].pos + (now[i].pos - before[i].pos) * step.move;
            now[i].radius = mixf(before[i].radius, now[i].radius, step.move);
        }
    }
    now.back().radius *= step.grow;
    if (frame >= 13) {
        // Restless: each frame shakes every atom a different way.
        static const float kJitter[3][4][2] = {
            {{-1.5f, 0.8f}, {1.2f, 1.4f}, {0.9f, -1.3f}, {-1.1f, -1.0f}},
            {{1.3f, -1.0f}, {-1.4f, 0.6f}, {-0.8f, 1.5f}, {1.5f, 0.9f}},
            {{0.4f, 1.5f}, {1.0f, -1.5f}, {-1.5f, -0.4f}, {-0.6f, 1.2f}},
        };
        for (int i = 0; i < 4; ++i) {
            now[i].pos.x += kJitter[frame - 13][i][0];
            now[i].pos.y += kJitter[frame - 13][i][1];
            now[i].radius += (frame - 13 == i % 3) ? 0.6f : 0.f;
        }
    }
    return now;
}

void drawAtomFrame(Canvas& canvas, int frame) {
    const int colour = frame / 16 + 1;
    const int local = frame % 16;
    const Palette pal = playerPalette(colour);
    const Vec2 centre{32, 32};
    std::vector<Ball> balls = frameBalls(local);
    if (local >= 13) {
        // An unstable glow that pulses from frame to frame.
        static const float kGlow[3] = {0.55f, 0.8f, 0.65f};
        std::vector<Sdf> halo;
        for (const Ball& b : balls) halo.push_back(circle(centre + b.pos, b.radius + 2.5f));
        canvas.soft(unite(halo), solid(withAlpha(pal.base, 0.55f)), 3.f, kGlow[local - 13]);
    }
    for (const Ball& b : balls) drawSphereShadow(canvas, centre + b.pos, b.radius, 0.8f);
    // Nearer (lower) atoms go in front, except that an atom still popping in
    // stays on top so it is never hidden behind its neighbours.
    const bool popping = stepFor(local).grow != 1.f;
    std::sort(balls.begin(), balls.end() - (popping ? 1 : 0),
              [](const Ball& a, const Ball& b) { return a.pos.y < b.pos.y; });
    for (const Ball& b : balls) {
        // A soft dark seam where one atom sits in front of another.
        canvas.soft(circle(centre + b.pos, b.radius + 0.4f), solid(withAlpha(pal.dark, 0.6f)), 0.9f);
        drawSphere(canvas, centre + b.pos, b.radius, pal);
    }
}

}  // namespace

void writeAtoms(const std::string& outdir) {
    writeSheet(outdir, {"atoms", 64, 64, 64, 8}, drawAtomFrame);
}

}  // namespace assetgen
