#include "render/clipping.h"

#include <cmath>

namespace kalvenor {

namespace {

// Signed distance of a vertex from the plane, positive inside.
float distance(const PolygonVertex& p, ClipPlane plane)
{
    switch (plane) {
    case ClipPlane::LeftU: return p.w + p.u;
    case ClipPlane::RightU: return p.w - p.u;
    case ClipPlane::TopV: return p.w + p.v;
    case ClipPlane::BottomV: return p.w - p.v;
    case ClipPlane::CameraW: return p.w;
    }
    return p.w;
}

float lerp(float a, float b, float t) { return a + t * (b - a); }

// A 16-bit word interpolated in floats and truncated; a value from a broken
// polygon that is not a number or out of range is held to the word's range.
std::uint16_t lerpWord(std::uint16_t a, std::uint16_t b, float t)
{
    const float v = lerp(static_cast<float>(a), static_cast<float>(b), t);
    if (!(v > 0.0f)) return 0;
    if (v >= 65535.0f) return 65535;
    return static_cast<std::uint16_t>(v);
}

PolygonVertex cut(const PolygonVertex& a, const PolygonVertex& b, float da, float db, ClipPlane plane)
{
    const float denominator = da - db;
    const float t = da / (denominator == 0.0f ? 1.0f : denominator);
    PolygonVertex p;
    p.u = lerp(a.u, b.u, t);
    p.v = lerp(a.v, b.v, t);
    p.w = lerp(a.w, b.w, t);
    p.seed = a.seed;
    p.red = lerpWord(a.red, b.red, t);
    p.green = lerpWord(a.green, b.green, t);
    p.blue = lerpWord(a.blue, b.blue, t);
    p.alpha = lerpWord(a.alpha, b.alpha, t);
    p.classCode = lerpWord(a.classCode, b.classCode, t);
    p.intensity = lerpWord(a.intensity, b.intensity, t);
    p.s = lerp(a.s, b.s, t);
    p.t = lerp(a.t, b.t, t);
    p.third = lerp(a.third, b.third, t);
    // Exactly on the side plane, so the projected edge lands on the image border.
    if (plane == ClipPlane::RightU) p.u = p.w;
    if (plane == ClipPlane::LeftU) p.u = -p.w;
    return p;
}

} // namespace

void clipPolygon(const Polygon& in, Polygon& out, ClipPlane plane)
{
    out.count = 0;
    out.texture = in.texture;
    if (in.count < kMinPolygonEntries || in.count > kMaxPolygonVertices) return;
    int n = 0;
    const auto emit = [&](const PolygonVertex& p) {
        if (n < kMaxPolygonVertices - 1) out.vertices[static_cast<std::size_t>(n)] = p;
        ++n; // counted even when full, so an overflow is seen below
    };
    for (int i = 0; i + 1 < in.count; ++i) {
        const PolygonVertex& a = in.vertices[static_cast<std::size_t>(i)];
        const PolygonVertex& b = in.vertices[static_cast<std::size_t>(i + 1)];
        const float da = distance(a, plane), db = distance(b, plane);
        const bool aInside = da >= 0.0f, bInside = db >= 0.0f;
        if (aInside) emit(a);
        if (aInside != bInside) emit(cut(a, b, da, db, plane));
    }
    if (n == 0 || n > kMaxPolygonVertices - 1) return;
    out.vertices[static_cast<std::size_t>(n)] = out.vertices[0]; // closed again
    out.count = n + 1;
}

bool mayBeInView(const Polygon& polygon)
{
    if (polygon.count < 1 || polygon.count > kMaxPolygonVertices) return false;
    unsigned passed = 0;
    for (int i = 0; i < polygon.count; ++i) {
        const PolygonVertex& p = polygon.vertices[static_cast<std::size_t>(i)];
        passed |= viewTestsPassed(p.u, p.v, p.w);
    }
    return passed == kAllViewTests;
}

bool whollyInView(const Polygon& polygon)
{
    if (polygon.count < 1 || polygon.count > kMaxPolygonVertices) return false;
    for (int i = 0; i < polygon.count; ++i) {
        const PolygonVertex& p = polygon.vertices[static_cast<std::size_t>(i)];
        if (!strictlyInView(p.u, p.v, p.w)) return false;
    }
    return true;
}

bool clipToView(Polygon& polygon, Polygon& scratch)
{
    if (!mayBeInView(polygon)) return false;
    if (whollyInView(polygon)) return polygon.count >= kMinPolygonEntries;
    for (const ClipPlane plane : kClipOrder) {
        clipPolygon(polygon, scratch, plane);
        polygon.count = scratch.count;
        for (int i = 0; i < scratch.count; ++i)
            polygon.vertices[static_cast<std::size_t>(i)] = scratch.vertices[static_cast<std::size_t>(i)];
        if (polygon.count < kMinPolygonEntries) return false;
    }
    return true;
}

} // namespace kalvenor
