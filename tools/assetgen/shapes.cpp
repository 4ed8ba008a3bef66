// shapes.cpp - the signed distance functions declared in shapes.h.
//
// Depends on: shapes.h.

#include "tools/assetgen/shapes.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

float segmentDistance(Vec2 p, Vec2 a, Vec2 b) {
    Vec2 pa = p - a, ba = b - a;
    float len2 = dot(ba, ba);
    float h = len2 > 0 ? clamp01(dot(pa, ba) / len2) : 0.f;
    return length(pa - ba * h);
}

}  // namespace

Sdf circle(Vec2 centre, float radius) {
    return [=](Vec2 p) { return length(p - centre) - radius; };
}

Sdf ellipse(Vec2 centre, float rx, float ry) {
    // Distance in the circle-normalised space times the smaller radius: a
    // 1-Lipschitz function that is zero on the ellipse, so never too large.
    float m = std::min(rx, ry);
    return [=](Vec2 p) {
        Vec2 q{(p.x - centre.x) / rx, (p.y - centre.y) / ry};
        return (length(q) - 1.f) * m;
    };
}

Sdf box(Vec2 centre, Vec2 half, float radius) {
    return [=](Vec2 p) {
        float qx = std::fabs(p.x - centre.x) - half.x + radius;
        float qy = std::fabs(p.y - centre.y) - half.y + radius;
        float ox = std::max(qx, 0.f), oy = std::max(qy, 0.f);
        return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.f) - radius;
    };
}

Sdf segment(Vec2 a, Vec2 b, float halfWidth) {
    return [=](Vec2 p) { return segmentDistance(p, a, b) - halfWidth; };
}

Sdf polyline(const std::vector<Vec2>& points, float halfWidth) {
    return [points, halfWidth](Vec2 p) {
        float d = 1e9f;
        if (points.size() == 1) d = length(p - points[0]);
        for (size_t i = 1; i < points.size(); ++i) d = std::min(d, segmentDistance(p, points[i - 1], points[i]));
        return d - halfWidth;
    };
}

Sdf polygon(const std::vector<Vec2>& v) {
    return [v](Vec2 p) {
        float d = dot(p - v[0], p - v[0]);
        float s = 1;
        for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
            Vec2 e = v[j] - v[i], w = p - v[i];
            Vec2 b = w - e * clamp01(dot(w, e) / dot(e, e));
            d = std::min(d, dot(b, b));
            bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = e.x * w.y > e.y * w.x;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
        }
        return s * std::sqrt(d);
    };
}

Sdf ring(Vec2 centre, float radius, float halfWidth) {
    return [=](Vec2 p) { return std::fabs(length(p - centre) - radius) - halfWidth; };
}

Sdf arc(Vec2 centre, float radius, float a0, float a1, float halfWidth) {
    Vec2 e0 = centre + polar(radius, a0), e1 = centre + polar(radius, a1);
    float span = a1 - a0;
    return [=](Vec2 p) {
        Vec2 q = p - centre;
        float angle = std::atan2(q.y, q.x) - a0;
        angle -= 2 * kPi * std::floor(angle / (2 * kPi));
        float d = angle <= span ? std::fabs(length(q) - radius)
                                : std::min(length(p - e0), length(p - e1));
        return d - halfWidth;
    };
}

std::vector<Vec2> regularPoints(Vec2 centre, float radius, int sides, float rotation) {
    std::vector<Vec2> pts;
    for (int i = 0; i < sides; ++i) pts.push_back(centre + polar(radius, rotation + 2 * kPi * i / sides));
    return pts;
}

std::vector<Vec2> starPoints(Vec2 centre, float outer, float inner, int points, float rotation) {
    std::vector<Vec2> pts;
    for (int i = 0; i < points * 2; ++i)
        pts.push_back(centre + polar(i % 2 ? inner : outer, rotation + kPi * i / points));
    return pts;
}

Sdf regularPolygon(Vec2 centre, float radius, int sides, float rotation) {
    return polygon(regularPoints(centre, radius, sides, rotation));
}

Sdf star(Vec2 centre, float outer, float inner, int points, float rotation) {
    return polygon(starPoints(centre, outer, inner, points, rotation));
}

Sdf halfPlane(Vec2 p, Vec2 normal) {
    float len = length(normal);
    Vec2 n{normal.x / len, normal.y / len};
    return [=](Vec2 q) { return dot(q - p, n); };
}

Sdf unite(const Sdf& a, const Sdf& b) {
    return [=](Vec2 p) { return std::min(a(p), b(p)); };
}

Sdf unite(const std::vector<Sdf>& shapes) {
    return [shapes](Vec2 p) {
        float d = 1e9f;
        for (const Sdf& s : shapes) d = std::min(d, s(p));
        return d;
    };
}

Sdf intersect(const Sdf& a, const Sdf& b) {
    return [=](Vec2 p) { return std::max(a(p), b(p)); };
}

Sdf subtract(const Sdf& a, const Sdf& cut) {
    return [=](Vec2 p) { return std::max(a(p), -cut(p)); };
}

Sdf offset(const Sdf& a, float amount) {
    return [=](Vec2 p) { return a(p) - amount; };
}

Sdf outline(const Sdf& a, float halfWidth) {
    return [=](Vec2 p) { return std::fabs(a(p)) - halfWidth; };
}

Sdf translate(const Sdf& a, Vec2 by) {
    return [=](Vec2 p) { return a(p - by); };
}

Sdf rotateAbout(const Sdf& a, Vec2 centre, float radians) {
    return [=](Vec2 p) { return a(centre + rotate(p - centre, -radians)); };
}

Sdf scaleAbout(const Sdf& a, Vec2 centre, float factor) {
    return [=](Vec2 p) { return a(centre + (p - centre) * (1.f / factor)) * factor; };
}

}  // namespace assetgen
