#include "render/trees.h"

#include <algorithm>

#include "render/cell_draw.h"
#include "render/scene_frame.h"
#include "render/tree_branches.h"
#include "render/tree_flat.h"
#include "render/tree_surface.h"
#include "terrain/shading.h"
#include "terrain/tree_placement.h"

namespace kalvenor {

namespace {

constexpr int kMaxApparent = 125;
constexpr float kNearW = 1e-3f;

Rgb varied(Rgb c, RandomStreams& random)
{
    // One word per component, red first.
    c.r = variedComponent(c.r, nextTreeWord(random));
    c.g = variedComponent(c.g, nextTreeWord(random));
    c.b = variedComponent(c.b, nextTreeWord(random));
    return c;
}

// The tree's height on screen: its size over the w of its middle, in pixels, held to 0..125.
int apparentSize(const ViewState& view, Vec3 base, int size, float pixelScale)
{
    const float half = static_cast<float>(size) * 0.5f;
    const float w = toViewSpace(view, base.x, base.y, base.z + half).z;
    if (w <= kNearW) return kMaxApparent;
    const float pixels = static_cast<float>(size) * pixelScale / w;
    return pixels >= static_cast<float>(kMaxApparent) ? kMaxApparent : std::max(static_cast<int>(pixels), 0);
}

TreeDraw treeDraw(SceneFrame& frame, int object, const TreeColours& colours, Vec3 base, int col, int row)
{
    TreeDraw d = objectDraw(frame, base, col, row);
    d.bark = paintOf(frame.scene, colours.bark, kFirstBarkEntry + object - kFirstTreeObject);
    d.leaf = paintOf(frame.scene, colours.leaf, object);
    return d;
}

} // namespace

TreePaint paintOf(const SceneSettings& scene, Rgb colour, int entry)
{
    return {colour, entry, surfaceAttributes(scene.surfaceAttributes, entry)};
}

TreeDraw objectDraw(SceneFrame& frame, Vec3 base, int col, int row)
{
    const TerrainParams& t = frame.terrain;
    TreeDraw d;
    d.frame = &frame;
    d.eye = {frame.view.eyeX, frame.view.eyeY, frame.view.eyeZ};
    d.light = t.light;
    d.pixelScale = static_cast<float>(frame.target.geometry->projWidth / 2); // integer half, as in projection
    // One haze weight for the whole object: that of its base.
    distanceAndHaze(frame.view, base.x, base.y, base.z, t.vertex.haze, t.vertex.base);
    d.hazeWeight = frameHazeWeight(frame.view.hazeWeight, t.vertex.haze);
    frame.light.hazeWeight = d.hazeWeight;
    d.roughness = t.roughness;
    d.shadowed = (frame.land.shadow[row][col] & kTerrainShadowBit) != 0;
    d.cullBack = t.backFaceCulling;
    d.phong = t.phong;
    d.exaggeration = t.exaggeration;
    return d;
}

int nextTreeWord(RandomStreams& random)
{
    const int high = drawA(random);
    const int low = drawA(random);
    return (high * 256) ^ low; // (draw << 8) XOR (next draw)
}

TreeWords treeWords(RandomStreams& random, int col, int row)
{
    TreeWords words;
    words.seed = static_cast<std::uint32_t>(positionHash(random, col, row));
    random.a = words.seed;
    words.w1 = nextTreeWord(random);
    words.w2 = nextTreeWord(random);
    words.w3 = nextTreeWord(random);
    return words;
}

int kindSize(const TreeSettings& trees, int object)
{
    switch (object) {
    case kObjectPalm: return trees.palmSize;
    case kObjectOak: return trees.oakSize;
    case kObjectCactus: return trees.cactusSize;
    case kObjectPine: return trees.pineSize;
    default: return 0;
    }
}

int treeSize(int kindSizeSetting, const TreeWords& words)
{
    if (kindSizeSetting < 4) return kindSizeSetting;
    // % truncates, so the remainder takes the sign of the sum.
    return kindSizeSetting + words.sum() % (kindSizeSetting / 4);
}

int variedComponent(int component, int word) { return std::clamp(component + ((word & 7) - 4), 0, 255); }

TreeColours treeColours(const SchemeBytes& scheme, int object, RandomStreams& random)
{
    TreeColours colours;
    colours.bark = varied(schemeColour(scheme, kFirstBarkEntry + object - kFirstTreeObject), random);
    colours.leaf = varied(schemeColour(scheme, object), random);
    return colours;
}

Vec3 treeBase(const Landscape& land, int col, int row, int step, const TreeWords& words)
{
    const int col1 = std::min(col + step, land.gridWidth - 1), row1 = std::min(row + step, land.gridHeight - 1);
    // Within the middle half of the cell, from the low bytes of the first two words.
    const float fx = 0.25f + static_cast<float>(words.w1 & 255) / 512.0f;
    const float fy = 0.25f + static_cast<float>(words.w2 & 255) / 512.0f;
    const float z0 = land.elevation[row][col], z1 = land.elevation[row][col1];
    const float z2 = land.elevation[row1][col], z3 = land.elevation[row1][col1];
    // On the cell's two triangles, split along the diagonal from (col, row), as the ground is drawn.
    const float z = fx >= fy ? z0 + fx * (z1 - z0) + fy * (z3 - z1) : z0 + fy * (z2 - z0) + fx * (z3 - z2);
    return {(static_cast<float>(col) + fx * static_cast<float>(col1 - col)) * land.spacingX,
            (static_cast<float>(row) + fy * static_cast<float>(row1 - row)) * land.spacingY, z};
}

bool treeBoxInView(const ViewState& view, Vec3 base, float reach, float below, float above)
{
    std::uint8_t all = 0xFF;
    for (int i = 0; i < 8; ++i) {
        const float x = base.x + ((i & 1) != 0 ? reach : -reach);
        const float y = base.y + ((i & 2) != 0 ? reach : -reach);
        const float z = (i & 4) != 0 ? base.z + above : base.z - below;
        all &= viewOutcode(toViewSpace(view, x, y, z), 0.0f, 0.0f);
    }
    return all == 0;
}

void drawTree(SceneFrame& frame, int object, int col, int row)
{
    if (!isTreeObject(object)) return;
    const TreeSettings& trees = frame.scene.trees;
    RandomStreams& random = frame.state.treeRandom;
    const TreeWords words = treeWords(random, col, row);
    const int size = treeSize(kindSize(trees, object), words);
    if (size <= 0) return;

    const Vec3 base = treeBase(frame.land, col, row, frame.terrain.step, words);
    const bool solid = trees.solid != 0;
    const bool firstCactus = object == kObjectCactus && firstCactusShape(words);
    const TreeReach reach = solid ? solidTreeReach(object, firstCactus) : flatTreeReach();
    const float s = static_cast<float>(size);
    if (!treeBoxInView(frame.view, base, reach.sideways * s, reach.below * s, reach.above * s)) return;

    const TreeColours colours = treeColours(frame.scene.colourScheme, object, random);
    TreeDraw d = treeDraw(frame, object, colours, base, col, row);
    const std::size_t kind = static_cast<std::size_t>(object - kFirstTreeObject);
    TreeShape shape;
    shape.object = object;
    shape.base = base;
    shape.size = size;
    shape.apparent = apparentSize(frame.view, base, size, d.pixelScale);
    shape.seed = words.seed;
    shape.w1 = words.w1, shape.w2 = words.w2, shape.w3 = words.w3;
    shape.detail = std::clamp(trees.detail, -1, 2);
    shape.leaves = trees.leaves[kind] != 0;
    shape.bend = static_cast<float>(std::min<int>(trees.branchBend[kind], 100)) / 100.0f;
    shape.firstCactus = firstCactus;
    // With tree textures on, a flat tree of a kind that has a map is drawn as that map.
    const ClassTexture* map = trees.texture != 0 ? frame.state.textures.byClass[static_cast<std::size_t>(object)] : nullptr;
    if (solid)
        drawSolidTree(d, shape, random);
    else if (map != nullptr)
        drawTexturedFlatTree(d, shape, *map);
    else
        drawFlatTree(d, shape);
}

} // namespace kalvenor
