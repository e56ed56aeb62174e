#include "render/tree_flat.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "render/textures.h"
#include "terrain/tree_placement.h"

namespace kalvenor {

namespace {

constexpr float kPi = 3.14159265358979f;
// A part on the sunny side of the card is this much brighter (the far side this much darker).
constexpr float kSunSideLight = 40.0f;
constexpr int kMostBlobCorners = 8;

// A part of a card, in card units: x across (the tree's size is 1), y up from the base.
enum class PartKind : std::uint8_t {
    Stem,  // a trapezoid from (x0, y0) to (x1, y1), w0 wide at the bottom and w1 at the top
    Blob,  // an ellipse around (x0, y0) with radii x1, y1, of w0 corners
    Spike, // a triangle on (x0, y0), w0 wide, pointing to (x1, y1)
    Frond, // a kite from (x0, y0) to (x1, y1), w0 wide a third of the way out
};

struct CardPart {
    PartKind kind;
    bool leaf; // leaf colour, else bark
    float x0, y0, x1, y1, w0, w1;
    int shade = 0;   // intensity offset
    int sunSide = 0; // -1 left, +1 right: brighter when that side faces the sun
};

using K = PartKind;

constexpr CardPart kPalmFar[] = {
    {K::Stem, false, 0.0f, 0.0f, 0.06f, 0.86f, 0.05f, 0.035f},
    {K::Frond, true, 0.06f, 0.86f, -0.3f, 0.7f, 0.12f, 0, -6, -1},
    {K::Frond, true, 0.06f, 0.86f, 0.42f, 0.72f, 0.12f, 0, -6, 1},
    {K::Frond, true, 0.06f, 0.86f, 0.08f, 1.06f, 0.12f, 0, 8},
};

constexpr CardPart kPalmNear[] = {
    {K::Stem, false, 0.0f, 0.0f, 0.03f, 0.45f, 0.055f, 0.045f},
    {K::Stem, false, 0.03f, 0.45f, 0.07f, 0.86f, 0.045f, 0.035f},
    {K::Frond, true, 0.07f, 0.86f, -0.34f, 0.62f, 0.11f, 0, -16, -1},
    {K::Frond, true, 0.07f, 0.86f, 0.46f, 0.64f, 0.11f, 0, -16, 1},
    {K::Frond, true, 0.07f, 0.86f, -0.28f, 0.92f, 0.11f, 0, 0, -1},
    {K::Frond, true, 0.07f, 0.86f, 0.42f, 0.94f, 0.11f, 0, 0, 1},
    {K::Frond, true, 0.07f, 0.86f, -0.1f, 1.04f, 0.11f, 0, 12, -1},
    {K::Frond, true, 0.07f, 0.86f, 0.24f, 1.05f, 0.11f, 0, 12, 1},
    {K::Frond, true, 0.07f, 0.86f, 0.12f, 0.6f, 0.1f, 0, -24},
};

constexpr CardPart kOakFar[] = {
    {K::Stem, false, 0.0f, 0.0f, 0.0f, 0.42f, 0.07f, 0.05f},
    {K::Blob, true, 0.0f, 0.64f, 0.34f, 0.31f, 6.0f, 0},
};

constexpr CardPart kOakNear[] = {
    {K::Stem, false, 0.0f, 0.0f, 0.0f, 0.48f, 0.09f, 0.06f},
    {K::Blob, true, -0.15f, 0.55f, 0.2f, 0.17f, 8.0f, 0, -24, -1},
    {K::Blob, true, 0.15f, 0.55f, 0.2f, 0.17f, 8.0f, 0, -12, 1},
    {K::Blob, true, 0.0f, 0.75f, 0.27f, 0.23f, 8.0f, 0, 8},
};

constexpr CardPart kPineFar[] = {
    {K::Stem, false, 0.0f, 0.0f, 0.0f, 0.15f, 0.05f, 0.04f},
    {K::Spike, true, 0.0f, 0.1f, 0.0f, 1.0f, 0.42f, 0},
};

constexpr CardPart kPineNear[] = {
    {K::Stem, false, 0.0f, 0.0f, 0.0f, 0.2f, 0.06f, 0.05f},
    {K::Spike, true, 0.0f, 0.12f, 0.0f, 0.55f, 0.5f, 0, -16},
    {K::Spike, true, 0.0f, 0.32f, 0.0f, 0.75f, 0.4f, 0, -6},
    {K::Spike, true, 0.0f, 0.52f, 0.0f, 0.92f, 0.3f, 0, 4},
    {K::Spike, true, 0.0f, 0.7f, 0.0f, 1.0f, 0.2f, 0, 12},
};

constexpr CardPart kColumnFar[] = {
    {K::Stem, true, 0.0f, 0.0f, 0.0f, 0.9f, 0.14f, 0.12f},
    {K::Stem, true, 0.05f, 0.38f, 0.2f, 0.42f, 0.08f, 0.08f, 0, 1},
    {K::Stem, true, 0.2f, 0.4f, 0.2f, 0.65f, 0.08f, 0.07f, 0, 1},
};

constexpr CardPart kColumnNear[] = {
    {K::Stem, true, 0.0f, 0.0f, 0.0f, 0.86f, 0.15f, 0.14f},
    {K::Blob, true, 0.0f, 0.86f, 0.07f, 0.06f, 6.0f, 0},
    {K::Stem, true, 0.05f, 0.36f, 0.2f, 0.4f, 0.085f, 0.085f, 0, 1},
    {K::Stem, true, 0.2f, 0.37f, 0.2f, 0.66f, 0.085f, 0.075f, 0, 1},
    {K::Blob, true, 0.2f, 0.66f, 0.0375f, 0.035f, 6.0f, 0, 0, 1},
    {K::Stem, true, -0.05f, 0.48f, -0.17f, 0.5f, 0.08f, 0.08f, 0, -1},
    {K::Stem, true, -0.17f, 0.48f, -0.17f, 0.7f, 0.075f, 0.07f, 0, -1},
    {K::Blob, true, -0.17f, 0.7f, 0.035f, 0.033f, 6.0f, 0, 0, -1},
};

constexpr CardPart kPadsFar[] = {
    {K::Blob, true, 0.0f, 0.22f, 0.12f, 0.22f, 6.0f, 0, -8},
    {K::Blob, true, -0.14f, 0.55f, 0.1f, 0.18f, 6.0f, 0, 0, -1},
    {K::Blob, true, 0.13f, 0.6f, 0.1f, 0.19f, 6.0f, 0, 0, 1},
};

constexpr CardPart kPadsNear[] = {
    {K::Stem, false, 0.0f, 0.0f, 0.0f, 0.06f, 0.05f, 0.04f},
    {K::Blob, true, 0.0f, 0.24f, 0.13f, 0.23f, 8.0f, 0, -8},
    {K::Blob, true, -0.16f, 0.56f, 0.11f, 0.19f, 8.0f, 0, 0, -1},
    {K::Blob, true, 0.15f, 0.6f, 0.11f, 0.2f, 8.0f, 0, 0, 1},
    {K::Blob, true, -0.24f, 0.84f, 0.08f, 0.14f, 8.0f, 0, 0, -1},
    {K::Blob, true, 0.05f, 0.88f, 0.09f, 0.15f, 8.0f, 0, 8},
    {K::Blob, true, 0.27f, 0.9f, 0.08f, 0.13f, 8.0f, 0, 0, 1},
};

// Card heights, in tree sizes: about as tall as the solid tree of the same size.
float cardHeight(const TreeShape& shape)
{
    switch (shape.object) {
    case kObjectPalm: return 1.0f;
    case kObjectCactus: return shape.firstCactus ? 0.55f : 0.8f;
    case kObjectPine: return 0.9f;
    default: return 1.3f;
    }
}

using Parts = std::span<const CardPart>;

Parts cardShape(const TreeShape& shape, bool near)
{
    switch (shape.object) {
    case kObjectPalm: return near ? Parts(kPalmNear) : Parts(kPalmFar);
    case kObjectCactus:
        if (shape.firstCactus) return near ? Parts(kColumnNear) : Parts(kColumnFar);
        return near ? Parts(kPadsNear) : Parts(kPadsFar);
    case kObjectPine: return near ? Parts(kPineNear) : Parts(kPineFar);
    default: return near ? Parts(kOakNear) : Parts(kOakFar);
    }
}

// The card: its base, and the world vectors of one card unit across and up.
struct Card {
    Vec3 base, across, up;
    float lean = 0.0f; // x moves by lean x y, so the tree leans a little
    float mirror = 1.0f;
    Vec3 at(float x, float y) const
    {
        const float cx = (x + lean * y) * mirror;
        return vadd(base, vadd(vscale(across, cx), vscale(up, y)));
    }
};

// Turned to face the eye: across is level and square to the sight line; up is
// square to both, so it leans back as the eye rises. An eye straight above
// the tree takes the world's y axis as up.
Card faceEye(const TreeShape& shape, Vec3 toEye)
{
    Vec3 across = vunit(vcross({0.0f, 0.0f, 1.0f}, toEye));
    if (vdot(across, across) == 0.0f) across = {1.0f, 0.0f, 0.0f};
    Vec3 up = vcross(toEye, across);
    if (up.z < 0.0f) up = vscale(up, -1.0f);
    if (vdot(up, up) < 1e-6f) up = {0.0f, 1.0f, 0.0f};
    up = vunit(up);
    // Each tree a little wider or narrower, leaning a little, some mirrored.
    const float size = static_cast<float>(shape.size) * cardHeight(shape);
    const float width = 1.0f + static_cast<float>(((shape.w2 >> 2) & 15) - 8) / 64.0f;
    Card card{shape.base, vscale(across, size * width), vscale(up, size)};
    card.lean = static_cast<float>(((shape.w3 >> 2) & 15) - 8) / 96.0f;
    card.mirror = (shape.w1 & 16) != 0 ? -1.0f : 1.0f;
    return card;
}

int partCorners(const Card& card, const CardPart& p, Vec3* out)
{
    switch (p.kind) {
    case K::Stem:
        out[0] = card.at(p.x0 - p.w0 * 0.5f, p.y0);
        out[1] = card.at(p.x0 + p.w0 * 0.5f, p.y0);
        out[2] = card.at(p.x1 + p.w1 * 0.5f, p.y1);
        out[3] = card.at(p.x1 - p.w1 * 0.5f, p.y1);
        return 4;
    case K::Blob: {
        const int n = std::min(static_cast<int>(p.w0), kMostBlobCorners);
        for (int i = 0; i < n; ++i) {
            const float angle = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(n);
            out[i] = card.at(p.x0 + p.x1 * std::cos(angle), p.y0 + p.y1 * std::sin(angle));
        }
        return n;
    }
    case K::Spike:
        out[0] = card.at(p.x0 - p.w0 * 0.5f, p.y0);
        out[1] = card.at(p.x0 + p.w0 * 0.5f, p.y0);
        out[2] = card.at(p.x1, p.y1);
        return 3;
    case K::Frond: {
        // Square to the frond in card units (across and up units differ by at most an eighth).
        const float dx = p.x1 - p.x0, dy = p.y1 - p.y0;
        const float length = std::sqrt(dx * dx + dy * dy);
        const float px = -dy / length * p.w0 * 0.5f, py = dx / length * p.w0 * 0.5f;
        const float mx = p.x0 + dx * 0.35f, my = p.y0 + dy * 0.35f;
        out[0] = card.at(p.x0, p.y0);
        out[1] = card.at(mx + px, my + py);
        out[2] = card.at(p.x1, p.y1);
        out[3] = card.at(mx - px, my - py);
        return 4;
    }
    }
    return 0;
}

} // namespace

void drawFlatTree(TreeDraw& d, const TreeShape& shape)
{
    const Vec3 middle = vadd(shape.base, {0.0f, 0.0f, static_cast<float>(shape.size) * cardHeight(shape) * 0.5f});
    const Vec3 toEye = vunit(vsub(d.eye, middle));
    const Card card = faceEye(shape, toEye);
    // The card is lit as the crown would be: brightest with the sun behind the eye.
    const int facing = static_cast<int>((0.55f + 0.45f * vdot(toEye, d.light)) * 256.0f);
    const float sunAcross = vdot(vunit(card.across), d.light) * card.mirror;
    const Parts parts = cardShape(shape, shape.apparent >= kNearFlatPixels);
    std::uint32_t seed = shape.seed;
    for (const CardPart& part : parts) {
        Vec3 corners[kMostBlobCorners];
        const int n = partCorners(card, part, corners);
        const int sunSide = static_cast<int>(kSunSideLight * sunAcross * static_cast<float>(part.sunSide));
        const int intensity = facing + part.shade + sunSide;
        drawFlat(d, corners, n, part.leaf ? d.leaf : d.bark, intensity, seed++, 1);
    }
}

void drawTexturedFlatTree(TreeDraw& d, const TreeShape& shape, const ClassTexture& map)
{
    const TextureView& full = map.levels[0];
    if (!full.usable()) return;
    const float tall = static_cast<float>(shape.size) * cardHeight(shape);
    const Vec3 middle = vadd(shape.base, {0.0f, 0.0f, tall * 0.5f});
    const Vec3 toEye = vunit(vsub(d.eye, middle));
    const Card card = faceEye(shape, toEye);
    // As wide as the map's shape, within the flat shapes' reach (a card twice as wide as tall at most).
    const float half = std::min(0.5f * static_cast<float>(full.width) / static_cast<float>(full.height), 1.0f);
    const Vec3 corners[4] = {card.at(-half, 0.0f), card.at(half, 0.0f), card.at(half, 1.0f), card.at(-half, 1.0f)};
    static constexpr float kCorners[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};
    const int facing = static_cast<int>((0.55f + 0.45f * vdot(toEye, d.light)) * 256.0f);
    drawTexturedFlat(d, corners, 4, d.leaf, facing, {&map, kCorners, pixelsAt(d, tall, middle), true}, shape.seed);
}

TreeReach flatTreeReach()
{
    // The card (at most 1.3 sizes tall) may lean back by up to its height; the
    // widest shapes reach half their height across.
    return {1.5f, 1.5f, 0.1f};
}

} // namespace kalvenor
