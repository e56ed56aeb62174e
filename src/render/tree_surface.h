// The surfaces trees are made of, built in world space: flat polygons, thin
// segments (a strip turned to face the eye), solid limbs (six-sided tapering
// prisms), and leaves (a rhombus along the leaf, turned to face the eye).
// Each is lit, hazed and submitted like every other polygon of the frame.
#pragma once

#include <cstdint>

#include "render/terrain_lighting.h"
#include "render/view_transform.h"

namespace kalvenor {

struct SceneFrame;

inline Vec3 vadd(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 vsub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 vscale(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline float vdot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 vcross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
// The unit vector along a, or the zero vector when a is too short to have a direction.
Vec3 vunit(Vec3 a);

// An orthonormal frame along a branch: dir along it, side and across the two
// cross axes, with side x across = dir.
struct BranchFrame {
    Vec3 dir{0.0f, 0.0f, 1.0f};
    Vec3 side{1.0f, 0.0f, 0.0f};
    Vec3 across{0.0f, 1.0f, 0.0f};
};

// The frame along dir (a unit vector) whose side axis is the part of hint
// square to dir (another axis when hint runs along dir).
BranchFrame frameAlong(Vec3 dir, Vec3 hint);
// The frame turned by the angle (radians) about its side axis, about its
// across axis, or about its own direction.
BranchFrame turnedAboutSide(const BranchFrame& f, float radians);
BranchFrame turnedAboutAcross(const BranchFrame& f, float radians);
BranchFrame twisted(const BranchFrame& f, float radians);
// The frame turned toward the world's downward direction by the angle.
BranchFrame drooped(const BranchFrame& f, float radians);

// A colour of a tree: the scheme colour, its class code and the class's attributes.
struct TreePaint {
    Rgb colour;
    int classCode = 0;
    SurfaceAttributes attributes;
};

// Everything one tree is drawn with, fixed when it starts.
struct TreeDraw {
    SceneFrame* frame = nullptr;
    Vec3 eye;
    Vec3 light;              // unit vector toward the sun
    float pixelScale = 1.0f; // pixels per unit of u at w = 1 (half the projection width)
    float hazeWeight = 0.0f; // of the tree's base
    int roughness = 0;       // lighting roughness
    bool shadowed = false;   // the tree stands in the terrain's shadow
    bool cullBack = true;    // back faces of solid limbs are skipped
    bool phong = true, exaggeration = false;
    TreePaint bark, leaf;
    int polygons = 0;        // submitted so far
};

// What a builder is told about the tree it draws.
struct TreeShape {
    int object = 0;          // 34 palm, 35 oak, 36 cactus, 37 pine
    Vec3 base;               // where the trunk meets the ground
    int size = 0;            // the tree's own size, from its kind's size and its words
    int apparent = 0;        // its height on screen in pixels, limited to 125
    std::uint32_t seed = 0;  // the positional seed of its grid point
    int w1 = 0, w2 = 0, w3 = 0;
    int detail = 1;          // -1 low .. 2 ultra
    bool leaves = true;
    float bend = 0.0f;       // the kind's branch bending, 0..1
    bool firstCactus = false;
};

// Pixels a length at world point p covers; a point at or behind the eye's plane counts as very near.
float pixelsAt(const TreeDraw& d, float length, Vec3 p);

// The world width that covers the given pixels at world point p (0 at or behind the eye's plane).
float widthOfPixels(const TreeDraw& d, float pixels, Vec3 p);

// The colour offset j = (r << 5) / (detail + 3) of an object polygon, r in
// [-range, range) from the polygon's seed; a detail of 0 counts as 1.
int objectRoughness(std::uint32_t seed, int range, int detail);

// A flat convex polygon of n corners (n <= 16) lit at the given intensity.
void drawFlat(TreeDraw& d, const Vec3* corners, int n, const TreePaint& paint, int intensity, std::uint32_t seed,
              int detail);

struct ClassTexture;

// A flat convex polygon of n corners (n <= 16) with a texture map: st holds
// each corner's place on the map as fractions of its width and height (0, 0
// the top left). The level is the largest whose height is not more than
// twice pixelsTall. Transparent: the map's alpha shows what lies behind (a
// tree card); otherwise the map's alpha blends it over the paint's colour.
struct FlatTexture {
    const ClassTexture* map = nullptr;
    const float (*st)[2] = nullptr;
    float pixelsTall = 0.0f;
    bool transparent = false;
};
void drawTexturedFlat(TreeDraw& d, const Vec3* corners, int n, const TreePaint& paint, int intensity,
                      const FlatTexture& texture, std::uint32_t seed);

// A thin segment from a to b, width wide, facing the eye.
void drawSegment(TreeDraw& d, Vec3 a, Vec3 b, float width, const TreePaint& paint, std::uint32_t seed, int detail);

// A solid limb from a to b around the frame's direction, widthA thick at a and widthB at b.
void drawLimb(TreeDraw& d, Vec3 a, Vec3 b, const BranchFrame& f, float widthA, float widthB, const TreePaint& paint,
              std::uint32_t seed, int detail);

// A branch body as its thickness on screen asks: nothing below one pixel, a
// thin segment below kSolidPixels, a solid limb from there on.
constexpr float kSolidPixels = 8.0f;
void drawBranchBody(TreeDraw& d, Vec3 a, Vec3 b, const BranchFrame& f, float width, float endWidth,
                    const TreePaint& paint, std::uint32_t seed, int detail);

// A piece of a leafy strip (a palm frond) from a to b, widthA wide at a and
// widthB at b (0 makes a point), facing the eye and lit as a leaf along dir.
void drawLeafStrip(TreeDraw& d, Vec3 a, Vec3 b, float widthA, float widthB, Vec3 dir, const TreePaint& paint,
                   std::uint32_t seed);

// A leaf from start along the frame, length long and length x widthRatio wide.
void drawLeaf(TreeDraw& d, Vec3 start, const BranchFrame& f, float length, float widthRatio, const TreePaint& paint,
              std::uint32_t seed);

} // namespace kalvenor
