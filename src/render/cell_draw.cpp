#include "render/cell_draw.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "render/held_triangles.h"
#include "render/lit_colour.h"
#include "render/terrain_lighting.h"
#include "terrain/colouring_common.h"

namespace kalvenor {

namespace {

constexpr int kShadowLimit = 8;  // averaged marks above this darken the triangle
constexpr int kShadowDivisor = 8;
constexpr int kMaxDetail = 7;
constexpr float kJitterShare = 0.25f; // of a cell: enough to break the tiling, too little to tear it

Vec3 subtract(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 normalised(Vec3 v)
{
    float length = std::sqrt(dot(v, v));
    if (length == 0.0f) length = 1.0f;
    return {v.x / length, v.y / length, v.z / length};
}

Vec3 worldOf(const TerrainVertex& v) { return {v.x, v.y, v.drawZ}; }

float towardZero(float value, float by)
{
    if (value > 0.0f) return std::max(value - by, 0.0f);
    return std::min(value + by, 0.0f);
}

// A value in [-range, range) from the seed of a triangle.
int roughnessOffset(std::uint32_t seed, int range)
{
    const std::uint32_t draw = (lcgStep(seed) >> 16) & 0x7FFF;
    return static_cast<int>(((static_cast<std::int64_t>(draw) * 2 * range) >> 15) - range);
}

void drawTriangles(SceneFrame& frame, const TerrainQuad& q)
{
    shadeTriangle(frame, *q.corner[0], *q.corner[1], *q.corner[3], q.detail);
    shadeTriangle(frame, *q.corner[0], *q.corner[2], *q.corner[3], q.detail);
}

void subdivide(SceneFrame& frame, const TerrainQuad& q, int depth)
{
    const VertexContext& ctx = frame.terrain.vertex;
    const TerrainVertex& c0 = *q.corner[0];
    const TerrainVertex& c1 = *q.corner[1];
    const TerrainVertex& c2 = *q.corner[2];
    const TerrainVertex& c3 = *q.corner[3];
    // The detail's amplitude follows the edge length; the roughness settings scale
    // the first level (large features) and the deeper ones (small features).
    const float edge = q.edgeLength * (depth == 0 ? ctx.detailLarge : ctx.detailSmall);
    const TerrainVertex m01 = midpointVertex(ctx, c0, c1, edge);
    const TerrainVertex m02 = midpointVertex(ctx, c0, c2, edge);
    const TerrainVertex m13 = midpointVertex(ctx, c1, c3, edge);
    const TerrainVertex m23 = midpointVertex(ctx, c2, c3, edge);
    const TerrainVertex centre = centreVertex(ctx, c0, c1, c2, c3, edge);

    const TerrainVertex* children[4][4] = {
        {&c0, &m01, &m02, &centre},
        {&m01, &c1, &centre, &m13},
        {&m02, &centre, &c2, &m23},
        {&centre, &m13, &m23, &c3},
    };
    const float cx = (c0.x + c1.x + c2.x + c3.x) * 0.25f, cy = (c0.y + c1.y + c2.y + c3.y) * 0.25f;
    const ChildOrder order = childOrder(frame.view.eyeX, frame.view.eyeY, cx, cy);
    for (const int i : order.index) {
        if (frameAborted(frame)) return;
        drawQuad(frame, makeQuad(frame, children[i], q.edgeLength * 0.5f), depth + 1);
    }
}

// What a corner looks like, in a polygon entry or a packed one: the lit
// colour in 8.8 fixed point, opaque, the class and the intensity.
template <typename Entry>
void setLook(Entry& e, std::uint32_t colour, int classCode, int intensity)
{
    e.red = static_cast<std::uint16_t>((colour & 0xFF) << 8);
    e.green = static_cast<std::uint16_t>(((colour >> 8) & 0xFF) << 8);
    e.blue = static_cast<std::uint16_t>(((colour >> 16) & 0xFF) << 8);
    e.alpha = kOpaque;
    e.classCode = static_cast<std::uint16_t>(classCode);
    e.intensity = static_cast<std::uint16_t>(intensity << 8);
}

// projected: the entry takes the point's image position (all corners in view).
void fillEntry(PolygonVertex& e, const TerrainVertex& v, bool projected, std::uint32_t colour, int classCode,
               int intensity)
{
    e.u = projected ? v.imageX : v.view.x;
    e.v = projected ? v.imageY : v.view.y;
    e.w = v.view.z;
    e.seed = v.seed;
    setLook(e, colour, classCode, intensity);
    e.s = e.t = e.third = 0.0f;
}

// The packed entry fillEntry and packPolygon would make of an untextured
// corner in view: its pixel position, the colour in 8.8, opaque.
void packEntry(PackedEntry& e, const TerrainVertex& v, std::uint32_t colour, int classCode, int intensity)
{
    e.x = v.pixelX, e.y = v.pixelY;
    setLook(e, colour, classCode, intensity);
}

// Texture coordinates (texels x 256 of the level) from the grid position, a
// quarter of the point's jitter, and the class's texels per cell, halved per
// level. All three corners are moved by whole periods of the map so that the
// values stay small enough for floats to keep every texel.
void setTextureCoordinates(Polygon& p, const SceneFrame& frame, const TextureView& level, int levelIndex,
                           const TerrainVertex* corners[3])
{
    const float perCell = static_cast<float>(level.scale) * 256.0f / static_cast<float>(1 << levelIndex);
    const float periodS = static_cast<float>(level.width) * 256.0f, periodT = static_cast<float>(level.height) * 256.0f;
    float s[3], t[3];
    for (int i = 0; i < 3; ++i) {
        s[i] = (corners[i]->x / frame.land.spacingX + corners[i]->jitterS * kJitterShare) * perCell;
        t[i] = (corners[i]->y / frame.land.spacingY + corners[i]->jitterT * kJitterShare) * perCell;
    }
    const float shiftS = std::floor(s[0] / periodS) * periodS, shiftT = std::floor(t[0] / periodT) * periodT;
    for (int i = 0; i < 3; ++i) {
        p.vertices[static_cast<std::size_t>(i)].s = s[i] - shiftS;
        p.vertices[static_cast<std::size_t>(i)].t = t[i] - shiftT;
    }
    p.vertices[3].s = p.vertices[0].s;
    p.vertices[3].t = p.vertices[0].t;
}

} // namespace

TerrainQuad makeQuad(const SceneFrame& frame, const TerrainVertex* corners[4], float edgeLength)
{
    TerrainQuad q;
    for (int i = 0; i < 4; ++i) q.corner[i] = corners[i];
    q.edgeLength = edgeLength;
    const Vec3 p0 = worldOf(*corners[0]), p1 = worldOf(*corners[1]);
    const Vec3 p2 = worldOf(*corners[2]), p3 = worldOf(*corners[3]);
    const Vec3 n = normalised(cross(subtract(p3, p0), subtract(p2, p1)));
    const Vec3 centre = {(p0.x + p1.x + p2.x + p3.x) * 0.25f, (p0.y + p1.y + p2.y + p3.y) * 0.25f,
                         (p0.z + p1.z + p2.z + p3.z) * 0.25f};
    const Vec3 toEye = normalised(subtract({frame.view.eyeX, frame.view.eyeY, frame.view.eyeZ}, centre));
    const float c = dot(n, toEye);
    const float flatness = 1.0f - std::fabs(n.z);
    q.sizeTerm = (flatness * flatness + c + 0.5f) * edgeLength;
    q.distance = corners[3]->distance;
    const float size = quadScreenSize(frame, q);
    q.screenSize = size;
    const unsigned pixels = size >= 1.0f ? static_cast<unsigned>(std::min(size, 65535.0f)) : 0u;
    q.detail = std::clamp(8 - static_cast<int>(std::bit_width(pixels)), 0, kMaxDetail);
    return q;
}

bool staysWhole(const SceneFrame& frame, const TerrainVertex* corners[4], float edgeLength)
{
    constexpr float kLargestSizeTerm = 2.6f;
    const SubdivisionLimits& limits = frame.terrain.limits;
    if (0 > limits.maxDepth) return true;
    float sum = corners[0]->distance + corners[1]->distance + corners[2]->distance + corners[3]->distance;
    if (sum == 0.0f) sum = 1.0f;
    const float side = frame.terrain.imageSide, focal = frame.view.focalFactor;
    if (!(sum > 0.0f && std::isfinite(sum) && side > 0.0f && focal > 0.0f && edgeLength > 0.0f)) return false;
    const float largest = side * (kLargestSizeTerm * edgeLength) * 10.0f * focal / sum;
    return largest < static_cast<float>(limits.maxPolygonSize);
}

std::uint8_t viewOutcode(Vec3 point, float marginU, float marginV)
{
    const float u = towardZero(point.x, marginU), v = towardZero(point.y, marginV), w = point.z;
    return static_cast<std::uint8_t>((w <= 0.0f ? 1 : 0) | (u <= -w ? 2 : 0) | (u >= w ? 4 : 0) | (v <= -w ? 8 : 0) |
                                     (v >= w ? 16 : 0));
}

bool cellInView(const Vec3 corners[4], float marginU, float marginV)
{
    return outcodesInView(viewOutcode(corners[0], marginU, marginV), viewOutcode(corners[1], marginU, marginV),
                          viewOutcode(corners[2], marginU, marginV), viewOutcode(corners[3], marginU, marginV));
}

float detailMarginU(const SceneFrame& frame)
{
    return frame.terrain.detailMargin ? static_cast<float>(frame.terrain.step) * frame.land.spacingX * 0.5f : 0.0f;
}

float detailMarginV(const SceneFrame& frame)
{
    return frame.terrain.detailMargin ? static_cast<float>(frame.terrain.step) * frame.land.spacingY * 0.5f : 0.0f;
}

float quadScreenSize(const SceneFrame& frame, const TerrainQuad& q)
{
    float sum = q.corner[0]->distance + q.corner[1]->distance + q.corner[2]->distance + q.corner[3]->distance;
    if (sum == 0.0f) sum = 1.0f;
    return frame.terrain.imageSide * q.sizeTerm * 10.0f * frame.view.focalFactor / sum;
}

Vec3 towardEye(const ViewState& view, const TerrainVertex& v)
{
    // The length of the way is the point's distance, the root of the same
    // squares (a difference and its negation square alike) taken as the point
    // was placed: the normalised way without a second root.
    const float length = v.distance == 0.0f ? 1.0f : v.distance;
    const Vec3 way = subtract({view.eyeX, view.eyeY, view.eyeZ}, worldOf(v));
    return {way.x / length, way.y / length, way.z / length};
}

ChildOrder childOrder(float eyeX, float eyeY, float centreX, float centreY)
{
    if (eyeY >= centreY) return eyeX >= centreX ? ChildOrder{{0, 1, 2, 3}} : ChildOrder{{1, 0, 3, 2}};
    return eyeX >= centreX ? ChildOrder{{2, 3, 0, 1}} : ChildOrder{{3, 2, 1, 0}};
}

void drawCell(SceneFrame& frame, const TerrainVertex* corners[4])
{
    const float edge = (frame.land.spacingX + frame.land.spacingY) * static_cast<float>(frame.terrain.step) * 0.5f;
    if (!frame.terrain.anyTexture && staysWhole(frame, corners, edge)) {
        // No texture reads the detail level, and the cell is not split: the quad record is not needed.
        if (holdingTriangles(frame)) {
            holdTriangle(frame, *corners[0], *corners[1], *corners[3]);
            holdTriangle(frame, *corners[0], *corners[2], *corners[3]);
            return;
        }
        shadeTriangle(frame, *corners[0], *corners[1], *corners[3]);
        shadeTriangle(frame, *corners[0], *corners[2], *corners[3]);
        return;
    }
    // What is held is drawn before anything of this cell is worked out: shading changes the frame's light.
    drawHeldTriangles(frame);
    drawQuad(frame, makeQuad(frame, corners, edge), 0);
}

void drawQuad(SceneFrame& frame, const TerrainQuad& quad, int depth)
{
    const SubdivisionLimits& limits = frame.terrain.limits;
    if (depth > limits.maxDepth || quad.screenSize < static_cast<float>(limits.maxPolygonSize)) {
        drawTriangles(frame, quad);
        return;
    }
    subdivide(frame, quad, depth);
}

void shadeTriangle(SceneFrame& frame, const TerrainVertex& a, const TerrainVertex& b, const TerrainVertex& c,
                   int detail)
{
    const TerrainParams& t = frame.terrain;
    const SceneSettings& scene = frame.scene;

    // Normal and slope. Both triangles of a quad face up on a height field;
    // the corner order of the second one gives the downward normal, so it is turned.
    Vec3 n = normalised(cross(subtract(worldOf(b), worldOf(a)), subtract(worldOf(c), worldOf(b))));
    if (n.z < 0.0f) n = {-n.x, -n.y, -n.z};
    const int slope = n.z > t.cosCliffThreshold ? 0 : slopeDegrees(n.z);

    const int classCode = triangleClass(t.classes, a, b, c, slope);
    const Rgb classColour = schemeColour(scene.colourScheme, classCode);
    const SurfaceAttributes attributes = surfaceAttributes(scene.surfaceAttributes, classCode);

    Hilite hilite;
    const bool black = classColour.r == 0 && classColour.g == 0 && classColour.b == 0;
    if (t.phong && !black && attributes.phongIntensity != 0) {
        hilite = phongHilite(n, t.light, towardEye(frame.view, b), attributes, ground::isWater(classCode));
    }

    int intensity = diffuseIntensity(n, t.light, t.exaggeration);
    intensity += roughnessOffset(a.seed ^ b.seed, t.roughness) >> 4; // floor shift
    intensity = std::clamp(intensity, 0, 255);
    const int shadow = (a.shadowMark + b.shadowMark + c.shadowMark) / 3;
    const int shade = (a.shadeMark + b.shadeMark + c.shadeMark) / 3;
    if (shadow > kShadowLimit) {
        intensity /= kShadowDivisor;
        hilite.value /= kShadowDivisor;
    } else if (shade > kShadowLimit) {
        intensity = std::max(intensity - (shade - kShadowLimit), 0);
    }

    frame.light.hazeWeight = a.haze;
    const auto lit = [&](Rgb in) {
        return litColour(frame.light, in.r, in.g, in.b, intensity, hilite.strength, hilite.value);
    };
    // Gouraud: every corner lit in its own colour. Otherwise one colour, the
    // first corner's blended with the class colour (or the class colour alone).
    const auto own = [&](const TerrainVertex& v) { return lit({v.red, v.green, v.blue}); };
    const std::uint32_t shared =
        t.gouraud ? 0u
        : t.blend ? lit({(a.red + classColour.r) / 2, (a.green + classColour.g) / 2, (a.blue + classColour.b) / 2})
                : lit(classColour);
    const std::uint32_t first = t.gouraud ? own(a) : shared;
    // A triangle whose corners all lie inside the view needs no clipping, and
    // its corners were projected as their points were placed.
    const bool projected = a.inView && b.inView && c.inView;
    const ClassTexture* texture = frame.state.textures.byClass[static_cast<std::size_t>(classCode & 0xFF)];
    if (projected && texture == nullptr) {
        // Packed straight from the corners' pixel positions, as the rasteriser would pack the entries.
        PackedEntry e[4];
        packEntry(e[0], a, first, classCode, intensity);
        packEntry(e[1], b, t.gouraud ? own(b) : shared, classCode, intensity);
        packEntry(e[2], c, t.gouraud ? own(c) : shared, classCode, intensity);
        packEntry(e[3], a, first, classCode, intensity);
        submitPacked(frame, e, 4);
        return;
    }
    Polygon& p = frame.state.work;
    p.count = 4;
    p.texture = nullptr;
    fillEntry(p.vertices[0], a, projected, first, classCode, intensity);
    fillEntry(p.vertices[1], b, projected, t.gouraud ? own(b) : shared, classCode, intensity);
    fillEntry(p.vertices[2], c, projected, t.gouraud ? own(c) : shared, classCode, intensity);
    // The closing entry is written like the others: copying the first one
    // back out of memory right after its field-by-field stores stalls.
    fillEntry(p.vertices[3], a, projected, first, classCode, intensity);
    if (texture != nullptr) {
        const int level = std::clamp(detail, 0, kMaxDetail);
        TextureView& view = frame.state.terrainTexture;
        view = detailLevel(*texture, level);
        view.hiliteStrength = hilite.strength;
        view.hiliteValue = hilite.value;
        const TerrainVertex* corners[3] = {&a, &b, &c};
        setTextureCoordinates(p, frame, view, level, corners);
        p.texture = &view;
    }
    if (projected)
        submitProjected(frame, p);
    else
        submitPolygon(frame, p, false);
}

} // namespace kalvenor
