// shapes.h - signed distance functions for the asset generator's shapes.
//
// Every function returns an Sdf in design units: negative inside, positive
// outside. They never overestimate the distance to the edge (the Canvas tile
// culling depends on that); combinators keep that property.
//
// Depends on: raster.h.

#ifndef NUBRIX_TOOLS_ASSETGEN_SHAPES_H
#define NUBRIX_TOOLS_ASSETGEN_SHAPES_H

#include <vector>

#include "tools/assetgen/raster.h"

namespace assetgen {

Sdf circle(Vec2 centre, float radius);
Sdf ellipse(Vec2 centre, float rx, float ry);
// Rectangle of half extents `half`, corners rounded by `radius`.
Sdf box(Vec2 centre, Vec2 half, float radius = 0);
// A line from a to b with round caps, halfWidth either side.
Sdf segment(Vec2 a, Vec2 b, float halfWidth);
Sdf polyline(const std::vector<Vec2>& points, float halfWidth);
// A filled simple polygon (either winding).
Sdf polygon(const std::vector<Vec2>& points);
// A circle outline of the given half width.
Sdf ring(Vec2 centre, float radius, float halfWidth);
// Part of a circle outline from angle a0 to a1 (radians, clockwise on
// screen since y points down), round caps.
Sdf arc(Vec2 centre, float radius, float a0, float a1, float halfWidth);
// Regular polygon with a vertex at `rotation` radians.
Sdf regularPolygon(Vec2 centre, float radius, int sides, float rotation = -kPi / 2);
Sdf star(Vec2 centre, float outer, float inner, int points, float rotation = -kPi / 2);
// Everything on the side of the line through p that normal points away from.
Sdf halfPlane(Vec2 p, Vec2 normal);

Sdf unite(const Sdf& a, const Sdf& b);
Sdf unite(const std::vector<Sdf>& shapes);
Sdf intersect(const Sdf& a, const Sdf& b);
Sdf subtract(const Sdf& a, const Sdf& cut);
// Grows (positive) or shrinks (negative) a shape; growing rounds corners.
Sdf offset(const Sdf& a, float amount);
// The band of half width w around a shape's edge.
Sdf outline(const Sdf& a, float halfWidth);
Sdf translate(const Sdf& a, Vec2 by);
Sdf rotateAbout(const Sdf& a, Vec2 centre, float radians);
Sdf scaleAbout(const Sdf& a, Vec2 centre, float factor);

std::vector<Vec2> regularPoints(Vec2 centre, float radius, int sides, float rotation);
std::vector<Vec2> starPoints(Vec2 centre, float outer, float inner, int points, float rotation);

}  // namespace assetgen

#endif
