// strokes.cpp - the stroke lettering's character shapes (see strokes.h).
//
// Curves are sampled into polylines finely enough (48 steps a full turn)
// that no facet shows even at the largest resolution level.
//
// Depends on: strokes.h, shapes.h.

#include "tools/assetgen/strokes.h"

#include <cmath>
#include <vector>

#include "tools/assetgen/shapes.h"

namespace assetgen {

namespace {

using Line = std::vector<Vec2>;

float deg(float d) { return d * kPi / 180.f; }

// Points on an ellipse from angle a0 to a1 (degrees, screen orientation).
Line arcPoints(Vec2 c, float rx, float ry, float a0, float a1) {
    Line pts;
    int steps = std::max(4, int(std::fabs(a1 - a0) / 7.5f));
    for (int i = 0; i <= steps; ++i) {
        float a = deg(a0 + (a1 - a0) * i / steps);
        pts.push_back({c.x + rx * std::cos(a), c.y + ry * std::sin(a)});
    }
    return pts;
}

Line join(Line a, const Line& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Shape {
    float width;
    std::vector<Line> lines;
};

Shape shapeOf(char c) {
    const float xh = 0.38f;  // top of the lower-case letters
    switch (c) {
        case 'N': return {0.62f, {{{0, 1}, {0, 0}, {0.62f, 1}, {0.62f, 0}}}};
        case 'Z': return {0.6f, {{{0, 0}, {0.6f, 0}, {0, 1}, {0.6f, 1}}}};
        case 'O': return {0.74f, {arcPoints({0.37f, 0.5f}, 0.37f, 0.5f, 0, 360)}};
        case 'V': return {0.66f, {{{0, 0}, {0.33f, 1}, {0.66f, 0}}}};
        case 'T': return {0.62f, {{{0, 0}, {0.62f, 0}}, {{0.31f, 0}, {0.31f, 1}}}};
        case 'A': return {0.66f, {{{0, 1}, {0.33f, 0}, {0.66f, 1}}, {{0.14f, 0.66f}, {0.52f, 0.66f}}}};
        case 'M': return {0.76f, {{{0, 1}, {0, 0}, {0.38f, 0.62f}, {0.76f, 0}, {0.76f, 1}}}};
        case 'E': return {0.5f, {{{0.5f, 0}, {0, 0}, {0, 1}, {0.5f, 1}}, {{0, 0.5f}, {0.4f, 0.5f}}}};
        case 'S':
            return {0.56f, {join(arcPoints({0.28f, 0.26f}, 0.28f, 0.26f, -20, -270),
                                 arcPoints({0.28f, 0.74f}, 0.28f, 0.26f, -90, 160))}};
        case 'G':
            return {0.7f, {join(arcPoints({0.37f, 0.5f}, 0.35f, 0.5f, -45, -340), Line{{0.72f, 0.55f}, {0.42f, 0.55f}})}};
        case 'u':
            return {0.56f, {join(Line{{0, xh}}, arcPoints({0.28f, 0.72f}, 0.28f, 0.28f, 180, 0)),
                            {{0.56f, xh}, {0.56f, 1}}}};
        case 'b': return {0.58f, {{{0, 0}, {0, 1}}, arcPoints({0.29f, 0.69f}, 0.29f, 0.31f, 0, 360)}};
        case 'r': return {0.4f, {{{0, xh}, {0, 1}}, arcPoints({0.34f, 0.72f}, 0.34f, 0.34f, 180, 290)}};
        case 'i': return {0.f, {{{0, xh}, {0, 1}}}};  // the dot is the caller's (an atom)
        case 'x': return {0.52f, {{{0, xh}, {0.52f, 1}}, {{0.52f, xh}, {0, 1}}}};
        case '+': return {0.5f, {{{0, 0.55f}, {0.5f, 0.55f}}, {{0.25f, 0.3f}, {0.25f, 0.8f}}}};
        case '0': return {0.56f, {arcPoints({0.28f, 0.5f}, 0.28f, 0.5f, 0, 360)}};
        case '1': return {0.34f, {{{0, 0.2f}, {0.3f, 0}, {0.3f, 1}}}};
        case '2':
            return {0.56f, {join(arcPoints({0.28f, 0.28f}, 0.28f, 0.28f, -165, 25), Line{{0, 1}, {0.56f, 1}})}};
        case '3':
            return {0.54f, {join(arcPoints({0.26f, 0.25f}, 0.26f, 0.25f, -160, 90),
                                 arcPoints({0.26f, 0.73f}, 0.28f, 0.27f, -90, 160))}};
        case '4': return {0.6f, {{{0.44f, 1}, {0.44f, 0}, {0, 0.68f}, {0.6f, 0.68f}}}};
        case '5':
            return {0.56f, {join(Line{{0.54f, 0}, {0.06f, 0}, {0.02f, 0.46f}},
                                 arcPoints({0.27f, 0.68f}, 0.29f, 0.32f, -125, 155))}};
        case '6':
            return {0.56f, {arcPoints({0.28f, 0.69f}, 0.28f, 0.31f, 0, 360),
                            arcPoints({0.66f, 0.69f}, 0.66f, 0.69f, 180, 262)}};
        case '7': return {0.56f, {{{0, 0}, {0.56f, 0}, {0.16f, 1}}}};
        case '8':
            return {0.56f, {arcPoints({0.28f, 0.25f}, 0.23f, 0.25f, 0, 360),
                            arcPoints({0.28f, 0.72f}, 0.28f, 0.28f, 0, 360)}};
        case '9':
            return {0.56f, {arcPoints({0.28f, 0.31f}, 0.28f, 0.31f, 0, 360),
                            arcPoints({-0.1f, 0.31f}, 0.66f, 0.69f, 0, 82)}};
        default: return {0.3f, {}};
    }
}

}  // namespace

float strokeWidth(char c) { return shapeOf(c).width; }

Sdf strokeGlyph(char c, Vec2 origin, float height, float halfWidth) {
    std::vector<Sdf> parts;
    for (const Line& line : shapeOf(c).lines) {
        Line scaled;
        for (Vec2 p : line) scaled.push_back(origin + p * height);
        parts.push_back(polyline(scaled, halfWidth));
    }
    if (parts.empty()) return [](Vec2) { return 1e9f; };
    return unite(parts);
}

float strokeTextWidth(const std::string& text, float height, float halfWidth, float gap) {
    float w = 0;
    for (char c : text) w += strokeWidth(c) * height + 2 * halfWidth;
    return w + gap * (text.size() > 1 ? text.size() - 1 : 0);
}

Sdf strokeText(const std::string& text, Vec2 centre, float height, float halfWidth, float gap) {
    float x = centre.x - strokeTextWidth(text, height, halfWidth, gap) * 0.5f;
    std::vector<Sdf> parts;
    for (char c : text) {
        parts.push_back(strokeGlyph(c, {x + halfWidth, centre.y - height * 0.5f}, height, halfWidth));
        x += strokeWidth(c) * height + 2 * halfWidth + gap;
    }
    return unite(parts);
}

}  // namespace assetgen
