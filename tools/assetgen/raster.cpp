// raster.cpp - Canvas compositing and the basic paints.
//
// Shapes are evaluated once per pixel centre; only pixels within about a
// pixel of an edge take 16 extra samples. Whole 8x8 tiles whose centre lies
// farther outside a shape than the tile's radius are skipped, which relies on
// every Sdf never overestimating the true distance (see shapes.h).
//
// Depends on: raster.h.

#include "tools/assetgen/raster.h"

#include <algorithm>

namespace assetgen {

Paint solid(Rgba c) {
    return [c](Vec2) { return c; };
}

Paint linearGradient(Vec2 a, Vec2 b, Rgba ca, Rgba cb) {
    Vec2 axis = b - a;
    float len2 = std::max(dot(axis, axis), 1e-6f);
    return [=](Vec2 p) { return mix(ca, cb, clamp01(dot(p - a, axis) / len2)); };
}

Paint radialGradient(Vec2 centre, float radius, Rgba inner, Rgba outer) {
    return [=](Vec2 p) { return mix(inner, outer, clamp01(length(p - centre) / radius)); };
}

Canvas::Canvas(int designWidth, int designHeight, int level)
    : level_(level), width_(designWidth * level), height_(designHeight * level),
      px_(size_t(width_) * height_ * 4, 0.f) {}

namespace {
constexpr int kTile = 8;
constexpr int kSub = 4;  // supersampling grid per axis at edge pixels
}  // namespace

template <class Coverage, class Apply>
void Canvas::composite(const Sdf& shape, float reach, Coverage cover, Apply apply) {
    const float inv = 1.f / level_;
    const float tileRadius = kTile * 0.7072f * inv;
    for (int ty = 0; ty < height_; ty += kTile) {
        for (int tx = 0; tx < width_; tx += kTile) {
            Vec2 tileCentre{(tx + kTile * 0.5f) * inv, (ty + kTile * 0.5f) * inv};
            if (shape(tileCentre) > tileRadius + reach) continue;
            int yEnd = std::min(ty + kTile, height_), xEnd = std::min(tx + kTile, width_);
            for (int y = ty; y < yEnd; ++y) {
                for (int x = tx; x < xEnd; ++x) {
                    Vec2 p{(x + 0.5f) * inv, (y + 0.5f) * inv};
                    float c = cover(p, shape(p));
                    if (c > 0) apply(x, y, p, c);
                }
            }
        }
    }
}

template <class Apply>
void Canvas::coverEdges(const Sdf& shape, Apply apply) {
    const float inv = 1.f / level_;
    const float edge = 0.75f * inv;
    auto cover = [&](Vec2 p, float d) {
        if (d >= edge) return 0.f;
        if (d <= -edge) return 1.f;
        float sum = 0;
        for (int sy = 0; sy < kSub; ++sy) {
            for (int sx = 0; sx < kSub; ++sx) {
                Vec2 q{p.x + ((sx + 0.5f) / kSub - 0.5f) * inv, p.y + ((sy + 0.5f) / kSub - 0.5f) * inv};
                sum += clamp01(0.5f - shape(q) * level_ * kSub);
            }
        }
        return sum / (kSub * kSub);
    };
    composite(shape, edge, cover, apply);
}

void Canvas::fill(const Sdf& shape, const Paint& paint, float opacity) {
    coverEdges(shape, [&](int x, int y, Vec2 p, float c) { blendPixel(x, y, paint(p), c * opacity); });
}

void Canvas::soft(const Sdf& shape, const Paint& paint, float softness, float opacity) {
    composite(
        shape, softness + 1.f / level_,
        [&](Vec2, float d) { return 1.f - smoothstep(-softness, softness, d); },
        [&](int x, int y, Vec2 p, float c) { blendPixel(x, y, paint(p), c * opacity); });
}

void Canvas::erase(const Sdf& shape, float amount) {
    coverEdges(shape, [&](int x, int y, Vec2, float c) {
        float keep = 1.f - clamp01(c * amount);
        float* d = &px_[(size_t(y) * width_ + x) * 4];
        for (int k = 0; k < 4; ++k) d[k] *= keep;
    });
}

void Canvas::blendPixel(int x, int y, Rgba c, float coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    float a = clamp01(c.a * coverage);
    if (a <= 0) return;
    float* d = &px_[(size_t(y) * width_ + x) * 4];
    float keep = 1.f - a;
    d[0] = clamp01(c.r) * a + d[0] * keep;
    d[1] = clamp01(c.g) * a + d[1] * keep;
    d[2] = clamp01(c.b) * a + d[2] * keep;
    d[3] = a + d[3] * keep;
}

void Canvas::draw(const Canvas& layer, float opacity) {
    const size_t n = std::min(px_.size(), layer.px_.size());
    for (size_t i = 0; i < n; i += 4) {
        float a = layer.px_[i + 3] * opacity;
        if (a <= 0) continue;
        float keep = 1.f - a;
        for (int k = 0; k < 3; ++k) px_[i + k] = layer.px_[i + k] * opacity + px_[i + k] * keep;
        px_[i + 3] = a + px_[i + 3] * keep;
    }
}

std::vector<uint8_t> Canvas::toRgba8() const {
    std::vector<uint8_t> out(px_.size(), 0);
    for (size_t i = 0; i < px_.size(); i += 4) {
        float a = clamp01(px_[i + 3]);
        int a8 = int(a * 255.f + 0.5f);
        if (a8 == 0) continue;
        for (int k = 0; k < 3; ++k) out[i + k] = uint8_t(int(clamp01(px_[i + k] / a) * 255.f + 0.5f));
        out[i + 3] = uint8_t(a8);
    }
    return out;
}

}  // namespace assetgen
