#include "terrain/tree_placement.h"

#include <algorithm>
#include <cstdlib>

#include "base/frontend.h"
#include "terrain/colouring_common.h"

namespace kalvenor {

namespace {

constexpr const char* kTreesLabel = "Trees";
constexpr std::uint8_t kKindOrder[] = {kTreePalm, kTreeOak, kTreeCactus, kTreePine};

bool isTree(int object) { return object >= kObjectPalm && object <= kObjectPine; }

// trunc((a + b + c + d + 2) / 4): the mean the panel shows.
std::int64_t meanOf(const std::array<std::int64_t, 4>& values)
{
    return (values[0] + values[1] + values[2] + values[3] + 2) / 4;
}

// Scales four values to mean v: m = the current mean, at least 1; each value
// becomes trunc((value * v + trunc(m / 2)) / m), so the four keep their proportions.
std::array<std::int64_t, 4> scaledToMean(const std::array<std::int64_t, 4>& values, int v)
{
    const std::int64_t m = std::max<std::int64_t>(meanOf(values), 1);
    std::array<std::int64_t, 4> out{};
    for (std::size_t i = 0; i < 4; ++i) out[i] = (values[i] * v + m / 2) / m;
    return out;
}

std::array<std::int64_t, 4> kindSizes(const TreeSettings& trees)
{
    return {trees.palmSize, trees.oakSize, trees.cactusSize, trees.pineSize};
}

// Height difference across the cell at (x, y) per polygon step; / truncates.
int cellRelief(const std::int16_t* r0, const std::int16_t* r1, int x, int x1, int g)
{
    const int a = r0[x], b = r0[x1], c = r1[x], d = r1[x1];
    return (std::max({a, b, c, d}) - std::min({a, b, c, d})) / g;
}

} // namespace

std::array<std::uint8_t, 4> slotTable(std::int32_t kindMask)
{
    std::uint8_t present[4] = {};
    int count = 0;
    for (std::uint8_t kind : kKindOrder)
        if (kindMask & kind) present[count++] = kind;
    switch (count) {
    case 0: return {0, 0, 0, 0};
    case 1: return {present[0], present[0], present[0], present[0]};
    case 2: return {present[0], present[0], present[1], present[1]};
    case 3: return {present[0], present[1], present[2], present[2]};
    default: return {kTreePalm, kTreeOak, kTreeCactus, kTreePine};
    }
}

void buildSlotTables(TreeSettings& trees)
{
    for (std::size_t band = 0; band < 4; ++band) trees.slots[band] = slotTable(trees.kindMask[band]);
}

int treeObjectFor(int kindFlag)
{
    switch (kindFlag) {
    case kTreePalm: return kObjectPalm;
    case kTreeOak: return kObjectOak;
    case kTreeCactus: return kObjectCactus;
    case kTreePine: return kObjectPine;
    default: return 0;
    }
}

void placeTrees(Landscape& land, const TreeSettings& trees, RandomStreams& random, Frontend& ui)
{
    const int g = samplingStep(land);
    const int w = land.sizeX;
    const int h = land.sizeY;

    // Clear the old trees, those standing in water among them. Buildings stay.
    for (int y = 0; y < h; y += g) {
        std::uint16_t* cells = land.terrain[y];
        for (int x = 0; x < w; x += g)
            if (isTree(ground::object(cells[x]))) cells[x] = ground::withObject(cells[x], 0);
    }

    // The slot tables follow the masks as they are now, whether or not the
    // render driver has rebuilt trees.slots yet.
    std::array<std::array<std::uint8_t, 4>, 4> slots{};
    for (std::size_t band = 0; band < 4; ++band) slots[band] = slotTable(trees.kindMask[band]);

    int shownPercent = -1;
    for (int y = 0; y < h; y += g) {
        const int percent = y * 100 / h;
        if (percent != shownPercent) ui.progress(kTreesLabel, shownPercent = percent);
        const std::int16_t* r0 = land.elevation[y];
        const std::int16_t* r1 = land.elevation[stepOrSelf(y, g, land.gridHeight)];
        std::uint16_t* cells = land.terrain[y];
        for (int x = 0; x < w; x += g) {
            const int code = ground::code(cells[x]);
            if (code < ground::kTree1 || code > ground::kTree4 || ground::object(cells[x]) != 0) continue;
            const std::size_t band = static_cast<std::size_t>(code - ground::kTree1);
            // Every candidate takes one draw; only a point that passes takes the kind draw.
            const int chance = drawA(random);
            if (chance + 128 >= trees.density[band]) continue;
            const int relief = cellRelief(r0, r1, x, stepOrSelf(x, g, land.gridWidth), g);
            if (static_cast<double>(relief) >= land.spacingX) continue;
            const int slot = std::abs(drawA(random)) & 3;
            // A band with no kinds grows nothing, though the kind draw was taken.
            const int object = treeObjectFor(slots[band][static_cast<std::size_t>(slot)]);
            if (object != 0) cells[x] = ground::withObject(cells[x], object);
        }
    }
}

int meanTreeDensity(const TreeSettings& trees)
{
    const std::array<std::int64_t, 4> d = {trees.density[0], trees.density[1], trees.density[2], trees.density[3]};
    return static_cast<int>(meanOf(d));
}

void setMeanTreeDensity(TreeSettings& trees, int v)
{
    const std::array<std::int64_t, 4> d = {trees.density[0], trees.density[1], trees.density[2], trees.density[3]};
    const std::array<std::int64_t, 4> scaled = scaledToMean(d, v);
    for (std::size_t i = 0; i < 4; ++i) trees.density[i] = static_cast<std::int32_t>(scaled[i]);
}

int meanTreeSize(const TreeSettings& trees) { return static_cast<int>(meanOf(kindSizes(trees))); }

void setMeanTreeSize(TreeSettings& trees, int v)
{
    const std::array<std::int64_t, 4> s = scaledToMean(kindSizes(trees), v);
    trees.palmSize = static_cast<std::int32_t>(s[0]);
    trees.oakSize = static_cast<std::int32_t>(s[1]);
    trees.cactusSize = static_cast<std::int32_t>(s[2]);
    trees.pineSize = static_cast<std::int32_t>(s[3]);
}

} // namespace kalvenor
