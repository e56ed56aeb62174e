// Clipping of view-space polygons to the view volume: the four side planes
// u = -w, u = w, v = -w, v = w and the camera plane w = 0, one
// Sutherland-Hodgman pass per plane, every vertex attribute interpolated
// along the cut edge.
#pragma once

#include "render/polygon.h"

namespace kalvenor {

enum class ClipPlane { LeftU, RightU, TopV, BottomV, CameraW };

// The five planes in the order a polygon is clipped against them.
inline constexpr ClipPlane kClipOrder[] = {ClipPlane::LeftU, ClipPlane::RightU, ClipPlane::TopV, ClipPlane::BottomV,
                                           ClipPlane::CameraW};

// One pass: out receives the part of the closed list in on the inside of the
// plane (distance >= 0), closed again. A polygon with fewer than 3 entries, or
// one that would need more than kMaxPolygonVertices, comes out with count 0.
// The texture descriptor is carried over.
void clipPolygon(const Polygon& in, Polygon& out, ClipPlane plane);

// False when no part of the polygon can be in view: it lacks a vertex with
// w > 0, or one with u > -w, u < w, v > -w, v < w.
bool mayBeInView(const Polygon& polygon);

// Those five tests for one point, a bit each: a polygon may be in view when
// its points together pass all of them (kAllViewTests).
inline unsigned viewTestsPassed(float u, float v, float w)
{
    return static_cast<unsigned>(w > 0.0f) | static_cast<unsigned>(u > -w) << 1 | static_cast<unsigned>(u < w) << 2 |
           static_cast<unsigned>(v > -w) << 3 | static_cast<unsigned>(v < w) << 4;
}
constexpr unsigned kAllViewTests = 31;

// True when every vertex lies strictly inside the view volume, so clipping can be skipped.
bool whollyInView(const Polygon& polygon);

// One point strictly inside the view volume: w > 0, -w < u < w, -w < v < w.
inline bool strictlyInView(float u, float v, float w) { return w > 0.0f && -w < u && u < w && -w < v && v < w; }

// Trivial reject, then the five passes unless the polygon is wholly in view.
// The result is left in polygon; false when nothing of it remains.
bool clipToView(Polygon& polygon, Polygon& scratch);

} // namespace kalvenor
