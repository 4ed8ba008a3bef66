// raster.h - the asset generator's drawing surface.
//
// All art is drawn in design units (one unit = one pixel at resolution level
// 1) onto a Canvas whose pixel grid is `level` pixels per unit, so the same
// drawing code renders every level at its own resolution. Shapes are signed
// distance functions (negative inside); pixels near an edge are supersampled
// 4x4, which gives soft, level-independent anti-aliasing. Colours are
// straight RGBA in 0..1; the canvas keeps premultiplied values internally and
// hands out straight 8-bit RGBA with zero colour under zero alpha.
//
// Depends on: the C++ standard library only.

#ifndef NUBRIX_TOOLS_ASSETGEN_RASTER_H
#define NUBRIX_TOOLS_ASSETGEN_RASTER_H

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace assetgen {

constexpr float kPi = 3.14159265358979f;

struct Vec2 {
    float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float s) { return {a.x * s, a.y * s}; }
inline float dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline float length(Vec2 a) { return std::sqrt(a.x * a.x + a.y * a.y); }
inline Vec2 rotate(Vec2 p, float radians) {
    float c = std::cos(radians), s = std::sin(radians);
    return {c * p.x - s * p.y, s * p.x + c * p.y};
}
inline Vec2 polar(float radius, float radians) {
    return {radius * std::cos(radians), radius * std::sin(radians)};
}

inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float mixf(float a, float b, float t) { return a + (b - a) * t; }
inline float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
};
// 8-bit channel values, opacity 0..1.
inline Rgba rgb(int r, int g, int b, float a = 1) { return {r / 255.f, g / 255.f, b / 255.f, a}; }
inline Rgba mix(Rgba a, Rgba b, float t) {
    return {mixf(a.r, b.r, t), mixf(a.g, b.g, t), mixf(a.b, b.b, t), mixf(a.a, b.a, t)};
}
inline Rgba withAlpha(Rgba c, float a) { return {c.r, c.g, c.b, a}; }
// Towards white / black, keeping the opacity.
inline Rgba lighten(Rgba c, float t) { return {mixf(c.r, 1, t), mixf(c.g, 1, t), mixf(c.b, 1, t), c.a}; }
inline Rgba darken(Rgba c, float t) { return {c.r * (1 - t), c.g * (1 - t), c.b * (1 - t), c.a}; }
const Rgba kWhite{1, 1, 1, 1};
const Rgba kBlack{0, 0, 0, 1};

using Sdf = std::function<float(Vec2)>;
using Paint = std::function<Rgba(Vec2)>;

Paint solid(Rgba c);
// Colour ca at point a blending to cb at point b, constant across the axis.
Paint linearGradient(Vec2 a, Vec2 b, Rgba ca, Rgba cb);
// Colour inner at the centre blending to outer at `radius`.
Paint radialGradient(Vec2 centre, float radius, Rgba inner, Rgba outer);

class Canvas {
public:
    Canvas(int designWidth, int designHeight, int level);

    int level() const { return level_; }
    int width() const { return width_; }
    int height() const { return height_; }
    float designWidth() const { return float(width_) / level_; }
    float designHeight() const { return float(height_) / level_; }

    // Composites paint over the canvas wherever shape < 0, anti-aliased.
    void fill(const Sdf& shape, const Paint& paint, float opacity = 1);
    // A soft-edged fill: full inside shape < -softness, fading to nothing at
    // shape > +softness (design units). Used for shadows, glows and bloom.
    void soft(const Sdf& shape, const Paint& paint, float softness, float opacity = 1);
    // Removes coverage where shape < 0 (anti-aliased), scaled by amount.
    void erase(const Sdf& shape, float amount = 1);
    // Composites one pixel (device coordinates) over the canvas.
    void blendPixel(int x, int y, Rgba c, float coverage = 1);
    // Composites another canvas of the same size over this one.
    void draw(const Canvas& layer, float opacity = 1);

    float alphaAt(int x, int y) const { return px_[(size_t(y) * width_ + x) * 4 + 3]; }
    // Straight RGBA, 8 bits a channel, rows top to bottom.
    std::vector<uint8_t> toRgba8() const;

private:
    // Calls apply(x, y, point, coverage) for every pixel that cover(point,
    // distance) gives a positive coverage, skipping tiles beyond reach.
    template <class Coverage, class Apply>
    void composite(const Sdf& shape, float reach, Coverage cover, Apply apply);
    // composite() with supersampled hard-edge coverage.
    template <class Apply>
    void coverEdges(const Sdf& shape, Apply apply);

    int level_;
    int width_, height_;
    std::vector<float> px_;  // premultiplied RGBA
};

}  // namespace assetgen

#endif
