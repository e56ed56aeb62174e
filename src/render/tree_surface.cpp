#include "render/tree_surface.h"

#include <algorithm>
#include <cmath>

#include "render/lit_colour.h"
#include "render/scene_frame.h"
#include "render/textures.h"

namespace kalvenor {

namespace {

constexpr int kShadowDivisor = 8; // as on the ground: a shadowed surface keeps an eighth of its light
constexpr int kMaxFlatCorners = 16;
constexpr float kNearW = 1e-3f;
constexpr float kVeryNearPixels = 1e9f;

// The six corners of a limb's cross-section, every 60 degrees.
constexpr float kRingCos[7] = {1.0f, 0.5f, -0.5f, -1.0f, -0.5f, 0.5f, 1.0f};
constexpr float kRingSin[7] = {0.0f, 0.8660254f, 0.8660254f, 0.0f, -0.8660254f, -0.8660254f, 0.0f};
constexpr int kLimbSides = 6;

struct Colour16 {
    std::uint16_t r = 0, g = 0, b = 0;
    int intensity = 0;
};

std::uint16_t channel16(std::uint32_t lit, int shift, int offset)
{
    const int value = static_cast<int>(((lit >> shift) & 0xFFu) << 8) + offset;
    return static_cast<std::uint16_t>(std::clamp(value, 0, 65535));
}

// The lit colour of a tree surface, with the terrain's shadow rule and the
// object roughness of its seed.
Colour16 surfaceColour(const TreeDraw& d, const TreePaint& paint, int intensity, Hilite hilite, std::uint32_t seed,
                       int detail)
{
    if (d.shadowed) {
        intensity /= kShadowDivisor;
        hilite.value /= kShadowDivisor;
    }
    intensity = std::clamp(intensity, 0, 255);
    const std::uint32_t lit = litColour(d.frame->light, paint.colour.r, paint.colour.g, paint.colour.b, intensity,
                                        hilite.strength, hilite.value);
    const int j = objectRoughness(seed, d.roughness, detail);
    return {channel16(lit, 0, j), channel16(lit, 8, j), channel16(lit, 16, j), intensity};
}

void submitCorners(TreeDraw& d, const Vec3* corners, int n, const TreePaint& paint, const Colour16& c,
                   std::uint32_t seed)
{
    SceneFrame& frame = *d.frame;
    Polygon& p = frame.state.work;
    p.texture = nullptr;
    p.count = n + 1;
    for (int i = 0; i <= n; ++i) {
        const Vec3 v = toViewSpace(frame.view, corners[i % n].x, corners[i % n].y, corners[i % n].z);
        PolygonVertex& e = p.vertices[static_cast<std::size_t>(i)];
        e.u = v.x, e.v = v.y, e.w = v.z;
        e.seed = seed;
        e.red = c.r, e.green = c.g, e.blue = c.b;
        e.alpha = kOpaque;
        e.classCode = static_cast<std::uint16_t>(paint.classCode);
        e.intensity = static_cast<std::uint16_t>(c.intensity << 8);
        e.s = e.t = e.third = 0.0f;
    }
    submitPolygon(frame, p, false);
    ++d.polygons;
}

// A leaf's direction stands in for its normal: leaves pointing at the sun
// are the crown's lit side, those pointing away its shaded side.
int leafIntensity(const TreeDraw& d, Vec3 dir) { return static_cast<int>((0.5f + 0.5f * vdot(dir, d.light)) * 256.0f); }

bool isBlack(const Rgb& c) { return c.r == 0 && c.g == 0 && c.b == 0; }

// Light of a face with unit normal n whose middle is at centre.
void drawLitFace(TreeDraw& d, const Vec3* corners, int n, Vec3 normal, Vec3 centre, const TreePaint& paint,
                 std::uint32_t seed, int detail)
{
    Hilite hilite;
    if (d.phong && !isBlack(paint.colour) && paint.attributes.phongIntensity != 0)
        hilite = phongHilite(normal, d.light, vunit(vsub(d.eye, centre)), paint.attributes, false);
    const int intensity = diffuseIntensity(normal, d.light, d.exaggeration);
    submitCorners(d, corners, n, paint, surfaceColour(d, paint, intensity, hilite, seed, detail), seed);
}

} // namespace

Vec3 vunit(Vec3 a)
{
    const float length = std::sqrt(vdot(a, a));
    if (!(length > 1e-12f)) return {0.0f, 0.0f, 0.0f};
    return vscale(a, 1.0f / length);
}

BranchFrame frameAlong(Vec3 dir, Vec3 hint)
{
    BranchFrame f;
    f.dir = dir;
    Vec3 side = vunit(vsub(hint, vscale(dir, vdot(hint, dir))));
    if (vdot(side, side) == 0.0f) {
        const Vec3 other = std::fabs(dir.x) < 0.9f ? Vec3{1.0f, 0.0f, 0.0f} : Vec3{0.0f, 1.0f, 0.0f};
        side = vunit(vsub(other, vscale(dir, vdot(other, dir))));
    }
    f.side = side;
    f.across = vcross(dir, side); // side x across = dir
    return f;
}

BranchFrame turnedAboutSide(const BranchFrame& f, float radians)
{
    const float c = std::cos(radians), s = std::sin(radians);
    return {vsub(vscale(f.dir, c), vscale(f.across, s)), f.side, vadd(vscale(f.across, c), vscale(f.dir, s))};
}

BranchFrame turnedAboutAcross(const BranchFrame& f, float radians)
{
    const float c = std::cos(radians), s = std::sin(radians);
    return {vadd(vscale(f.dir, c), vscale(f.side, s)), vsub(vscale(f.side, c), vscale(f.dir, s)), f.across};
}

BranchFrame twisted(const BranchFrame& f, float radians)
{
    const float c = std::cos(radians), s = std::sin(radians);
    return {f.dir, vadd(vscale(f.side, c), vscale(f.across, s)), vsub(vscale(f.across, c), vscale(f.side, s))};
}

BranchFrame drooped(const BranchFrame& f, float radians)
{
    // Turn dir within the plane it shares with the vertical; a vertical branch has no such plane.
    const Vec3 down{0.0f, 0.0f, -1.0f};
    const Vec3 toward = vunit(vsub(down, vscale(f.dir, vdot(down, f.dir))));
    if (vdot(toward, toward) == 0.0f) return f;
    const Vec3 dir = vunit(vadd(vscale(f.dir, std::cos(radians)), vscale(toward, std::sin(radians))));
    return frameAlong(dir, f.side);
}

float pixelsAt(const TreeDraw& d, float length, Vec3 p)
{
    const float w = toViewSpace(d.frame->view, p.x, p.y, p.z).z;
    if (w <= kNearW) return kVeryNearPixels;
    return length * d.pixelScale / w;
}

float widthOfPixels(const TreeDraw& d, float pixels, Vec3 p)
{
    const float w = toViewSpace(d.frame->view, p.x, p.y, p.z).z;
    if (w <= kNearW) return 0.0f;
    return pixels * w / d.pixelScale;
}

int objectRoughness(std::uint32_t seed, int range, int detail)
{
    const std::int64_t draw = (lcgStep(seed) >> 16) & 0x7FFF;
    const std::int64_t r = ((draw * 2 * range) >> 15) - range; // >> floors
    const std::int64_t d = detail == 0 ? 1 : detail;
    return static_cast<int>(r * 32 / (d + 3)); // r << 5, then / truncates
}

void drawFlat(TreeDraw& d, const Vec3* corners, int n, const TreePaint& paint, int intensity, std::uint32_t seed,
              int detail)
{
    if (n < 3 || n > kMaxFlatCorners) return;
    submitCorners(d, corners, n, paint, surfaceColour(d, paint, intensity, {}, seed, detail), seed);
}

void drawTexturedFlat(TreeDraw& d, const Vec3* corners, int n, const TreePaint& paint, int intensity,
                      const FlatTexture& texture, std::uint32_t seed)
{
    if (n < 3 || n > kMaxFlatCorners || texture.map == nullptr) return;
    int level = 0;
    while (level + 1 < kTextureLevelCount &&
           static_cast<float>(texture.map->levels[static_cast<std::size_t>(level)].height) > 2.0f * texture.pixelsTall)
        ++level;
    TextureView& view = d.frame->state.objectTexture;
    view = texture.map->levels[static_cast<std::size_t>(level)];
    if (!view.usable()) return;
    const Colour16 c = surfaceColour(d, paint, intensity, {}, seed, 1);
    view.hiliteStrength = 0;
    view.hiliteValue = 0;
    SceneFrame& frame = *d.frame;
    Polygon& p = frame.state.work;
    p.texture = &view;
    p.count = n + 1;
    // Just inside the map's last texel, so that its far edges do not wrap round to the first row or column.
    const float across = static_cast<float>(view.width) * 256.0f - 1.0f;
    const float down = static_cast<float>(view.height) * 256.0f - 1.0f;
    for (int i = 0; i <= n; ++i) {
        const Vec3& corner = corners[i % n];
        const Vec3 v = toViewSpace(frame.view, corner.x, corner.y, corner.z);
        PolygonVertex& e = p.vertices[static_cast<std::size_t>(i)];
        e.u = v.x, e.v = v.y, e.w = v.z;
        e.seed = seed;
        e.red = c.r, e.green = c.g, e.blue = c.b;
        e.alpha = texture.transparent ? 0 : kOpaque;
        e.classCode = static_cast<std::uint16_t>(paint.classCode);
        e.intensity = static_cast<std::uint16_t>(c.intensity << 8);
        e.s = std::clamp(texture.st[i % n][0], 0.0f, 1.0f) * across;
        e.t = std::clamp(texture.st[i % n][1], 0.0f, 1.0f) * down;
        e.third = 0.0f;
    }
    submitPolygon(frame, p, false);
    ++d.polygons;
}

void drawSegment(TreeDraw& d, Vec3 a, Vec3 b, float width, const TreePaint& paint, std::uint32_t seed, int detail)
{
    const Vec3 axis = vunit(vsub(b, a));
    const Vec3 middle = vscale(vadd(a, b), 0.5f);
    const Vec3 toEye = vsub(d.eye, middle);
    const Vec3 side = vunit(vcross(axis, toEye));
    if (vdot(side, side) == 0.0f) return; // seen end on: a dot that a limb or leaf nearby covers
    const Vec3 half = vscale(side, width * 0.5f);
    const Vec3 corners[4] = {vsub(a, half), vsub(b, half), vadd(b, half), vadd(a, half)};
    // Lit as the side of a round stem that faces the eye.
    const Vec3 normal = vunit(vsub(toEye, vscale(axis, vdot(toEye, axis))));
    const int intensity = diffuseIntensity(normal, d.light, d.exaggeration);
    submitCorners(d, corners, 4, paint, surfaceColour(d, paint, intensity, {}, seed, detail), seed);
}

void drawLimb(TreeDraw& d, Vec3 a, Vec3 b, const BranchFrame& f, float widthA, float widthB, const TreePaint& paint,
              std::uint32_t seed, int detail)
{
    const float ra = widthA * 0.5f, rb = widthB * 0.5f;
    Vec3 ring[7];
    for (int k = 0; k <= kLimbSides; ++k) ring[k] = vadd(vscale(f.side, kRingCos[k]), vscale(f.across, kRingSin[k]));
    // Hidden faces first when they are drawn at all, so that the faces toward the eye cover them.
    for (int pass = d.cullBack ? 1 : 0; pass < 2; ++pass) {
        for (int k = 0; k < kLimbSides; ++k) {
            const Vec3 normal = vunit(vadd(ring[k], ring[k + 1]));
            const Vec3 centre = vadd(vscale(vadd(a, b), 0.5f), vscale(normal, (ra + rb) * 0.5f));
            const bool facing = vdot(normal, vsub(d.eye, centre)) > 0.0f;
            if (facing != (pass == 1)) continue;
            const Vec3 corners[4] = {vadd(a, vscale(ring[k], ra)), vadd(a, vscale(ring[k + 1], ra)),
                                     vadd(b, vscale(ring[k + 1], rb)), vadd(b, vscale(ring[k], rb))};
            drawLitFace(d, corners, 4, normal, centre, paint, seed + static_cast<std::uint32_t>(k), detail);
        }
        // The end: seen only when the eye lies beyond it.
        const bool capFacing = vdot(f.dir, vsub(d.eye, b)) > 0.0f;
        if (capFacing != (pass == 1)) continue;
        Vec3 cap[kLimbSides];
        for (int k = 0; k < kLimbSides; ++k) cap[k] = vadd(b, vscale(ring[k], rb));
        drawLitFace(d, cap, kLimbSides, f.dir, b, paint, seed + kLimbSides, detail);
    }
}

void drawBranchBody(TreeDraw& d, Vec3 a, Vec3 b, const BranchFrame& f, float width, float endWidth,
                    const TreePaint& paint, std::uint32_t seed, int detail)
{
    const float pixels = pixelsAt(d, width, vscale(vadd(a, b), 0.5f));
    if (pixels < 1.0f) return; // 0 pixels thick when truncated
    if (pixels < kSolidPixels) {
        drawSegment(d, a, b, width, paint, seed, detail);
        return;
    }
    drawLimb(d, a, b, f, width, endWidth, paint, seed, detail);
}

void drawLeafStrip(TreeDraw& d, Vec3 a, Vec3 b, float widthA, float widthB, Vec3 dir, const TreePaint& paint,
                   std::uint32_t seed)
{
    const Vec3 side = vunit(vcross(vsub(b, a), vsub(d.eye, vscale(vadd(a, b), 0.5f))));
    if (vdot(side, side) == 0.0f) return;
    const Vec3 ha = vscale(side, widthA * 0.5f), hb = vscale(side, widthB * 0.5f);
    const Vec3 quad[4] = {vsub(a, ha), vsub(b, hb), vadd(b, hb), vadd(a, ha)};
    const Vec3 point[3] = {vsub(a, ha), b, vadd(a, ha)};
    const Colour16 c = surfaceColour(d, paint, leafIntensity(d, dir), {}, seed, 0);
    if (widthB > 0.0f)
        submitCorners(d, quad, 4, paint, c, seed);
    else
        submitCorners(d, point, 3, paint, c, seed);
}

void drawLeaf(TreeDraw& d, Vec3 start, const BranchFrame& f, float length, float widthRatio, const TreePaint& paint,
              std::uint32_t seed)
{
    const Vec3 tip = vadd(start, vscale(f.dir, length));
    const Vec3 middle = vadd(start, vscale(f.dir, length * 0.5f));
    Vec3 side = vunit(vcross(f.dir, vsub(d.eye, middle)));
    if (vdot(side, side) == 0.0f) side = f.side;
    const Vec3 half = vscale(side, length * widthRatio * 0.5f);
    const Vec3 corners[4] = {start, vadd(middle, half), tip, vsub(middle, half)};
    submitCorners(d, corners, 4, paint, surfaceColour(d, paint, leafIntensity(d, f.dir), {}, seed, 0), seed);
}

} // namespace kalvenor
