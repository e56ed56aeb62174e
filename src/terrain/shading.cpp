#include "terrain/shading.h"

#include <algorithm>
#include <vector>

#include "base/frontend.h"
#include "base/worker_pool.h"
#include "terrain/colouring_common.h"
#include "terrain/displacement.h"
#include "terrain/row_blocks.h"

namespace kalvenor {

namespace {

constexpr const char* kShadeLabel = "Shade";
constexpr int kFixedShift = 10; // 10 fraction bits
constexpr std::int64_t kFixedOne = std::int64_t{1} << kFixedShift;

// Object codes that cast a shadow: palm, oak, pine and some of the buildings.
constexpr int kShadowCasters[] = {34, 35, 37, 60, 61, 63, 75};

bool castsShadow(int object)
{
    for (int caster : kShadowCasters)
        if (object == caster) return true;
    return false;
}

// Block maxima of the elevations over the cells a ray may read (columns
// 0..sizeX, rows 0..sizeY): level k holds the highest point of each aligned
// 2^k x 2^k block. A ray that climbs may skip every step it takes inside a
// block that lies wholly below it; the steps it skips could not have met the
// ground, and leaving the grid or rising above the top cannot be missed either
// because both only get more true as the ray goes on.
struct MaxPyramid {
    struct Level {
        int width = 0;
        int height = 0;
        std::vector<std::int16_t> cells;
        std::int16_t at(int column, int row) const
        {
            return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                         static_cast<std::size_t>(column)];
        }
    };
    std::vector<Level> levels; // levels[0] is 2 x 2 blocks

    // Whether the 2^k block around cell (cx, cy) lies wholly at or below `level` (k >= 1).
    bool clear(int k, int cx, int cy, std::int64_t level) const
    {
        return levels[static_cast<std::size_t>(k - 1)].at(cx >> k, cy >> k) <= level;
    }

    // The largest k whose block is clear, searched from a guess. Every block
    // inside a clear block is clear, so the clear sizes are 0..K for some K.
    int clearBlock(int cx, int cy, std::int64_t level, int guess) const
    {
        int k = guess;
        if (k > 0 && !clear(k, cx, cy, level)) {
            do --k;
            while (k > 0 && !clear(k, cx, cy, level));
            return k;
        }
        const int top = static_cast<int>(levels.size());
        while (k < top && clear(k + 1, cx, cy, level)) ++k;
        return k;
    }

    void build(const Landscape& land)
    {
        levels.clear();
        int width = land.sizeX + 1;
        int height = land.sizeY + 1;
        const auto source = [&](int column, int row) -> std::int16_t {
            if (levels.empty()) return land.elevation[row][column];
            return levels.back().at(column, row);
        };
        while (width > 1 || height > 1) {
            Level next;
            next.width = (width + 1) / 2;
            next.height = (height + 1) / 2;
            next.cells.resize(static_cast<std::size_t>(next.width) * static_cast<std::size_t>(next.height));
            for (int r = 0; r < next.height; ++r)
                for (int c = 0; c < next.width; ++c) {
                    const int c1 = std::min(2 * c + 1, width - 1);
                    const int r1 = std::min(2 * r + 1, height - 1);
                    next.cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(next.width) +
                               static_cast<std::size_t>(c)] =
                        std::max({source(2 * c, 2 * r), source(c1, 2 * r), source(2 * c, r1), source(c1, r1)});
                }
            levels.push_back(std::move(next));
            width = levels.back().width;
            height = levels.back().height;
        }
    }
};

// For each cell, the highest point a ray leaving it can still pass over: along
// its row or column when the ray keeps to one, else over the quadrant it heads
// into. A climbing ray that is already above that height can meet no ground.
struct MaxAhead {
    int width = 0;
    std::vector<std::int16_t> cells;
    std::int16_t at(int column, int row) const
    {
        return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(column)];
    }

    void build(const Landscape& land, const ShadowStep& step)
    {
        width = land.sizeX + 1;
        const int height = land.sizeY + 1;
        cells.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        const bool alongRow = step.idy == 0;
        const bool alongColumn = step.idx == 0 && !alongRow;
        // Visit cells from the far end of the ray's travel back toward its start.
        const int dc = step.idx > 0 ? -1 : 1;
        const int dr = step.idy > 0 ? -1 : 1;
        const int c0 = dc < 0 ? width - 1 : 0;
        const int r0 = dr < 0 ? height - 1 : 0;
        for (int r = r0; r >= 0 && r < height; r += dr)
            for (int c = c0; c >= 0 && c < width; c += dc) {
                int best = land.elevation[r][c];
                const int pc = c - dc; // the neighbour further along the ray
                const int pr = r - dr;
                const bool hasColumn = pc >= 0 && pc < width;
                const bool hasRow = pr >= 0 && pr < height;
                if (!alongColumn && hasColumn) best = std::max<int>(best, at(pc, r));
                if (!alongRow && hasRow) best = std::max<int>(best, at(c, pr));
                cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(width) + static_cast<std::size_t>(c)] =
                    static_cast<std::int16_t>(best);
            }
    }
};

// The accelerations of a climbing ray; both leave the result unchanged.
struct RayShortcuts {
    MaxPyramid pyramid;
    MaxAhead ahead;
};

// Whole steps a coordinate moving by d can take and stay within [low, high] (fixed point).
std::int64_t stepsWithin(std::int64_t position, std::int64_t d, std::int64_t low, std::int64_t high)
{
    if (d > 0) return (high - position) / d;
    if (d < 0) return (position - low) / -d;
    return INT64_MAX;
}

// The march of shadowTest, with the block skipping of MaxPyramid when given one.
int marchTowardSun(const Landscape& land, const ShadowStep& step, const RayShortcuts* shortcuts, int row, int column)
{
    const std::int64_t xLimit = static_cast<std::int64_t>(land.sizeX) * kFixedOne;
    const std::int64_t yLimit = static_cast<std::int64_t>(land.sizeY) * kFixedOne;
    const std::int64_t top = static_cast<std::int64_t>(land.highestElevation) * kFixedOne;
    std::int64_t x = column * kFixedOne + step.idx;
    std::int64_t y = row * kFixedOne + step.idy;
    std::int64_t z = truncSaturated((land.elevation[row][column] + step.dz / 2) * kFixedOne);
    const bool skipping = shortcuts != nullptr && step.idz >= 0;
    const MaxPyramid* pyramid = skipping ? &shortcuts->pyramid : nullptr;
    int blockHint = 0; // a climbing ray tends to clear blocks of the size it cleared last
    for (;;) {
        z += step.idz;
        if (x < 0 || y < 0 || x > xLimit || y > yLimit || z >= top) return 0;
        const int cx = static_cast<int>(x >> kFixedShift); // x, y >= 0 here: the shift is the division
        const int cy = static_cast<int>(y >> kFixedShift);
        const std::int64_t level = z / kFixedOne; // truncates toward zero, as the ground test needs
        if (land.elevation[cy][cx] > level) return 1;
        if (skipping) {
            if (shortcuts->ahead.at(cx, cy) <= level) return 0; // nothing ahead reaches the ray
            const int k = blockHint = pyramid->clearBlock(cx, cy, level, blockHint);
            if (k > 0) {
                const std::int64_t x0 = static_cast<std::int64_t>((cx >> k) << k) * kFixedOne;
                const std::int64_t y0 = static_cast<std::int64_t>((cy >> k) << k) * kFixedOne;
                const std::int64_t size = (std::int64_t{1} << k) * kFixedOne;
                const std::int64_t n = std::min(stepsWithin(x, step.idx, x0, x0 + size - 1),
                                                stepsWithin(y, step.idy, y0, y0 + size - 1));
                x += n * step.idx;
                y += n * step.idy;
                z += n * step.idz;
            }
        }
        x += step.idx;
        y += step.idy;
    }
}

// dz/dx and dz/dy at (x, y) in whole metres per cell; / truncates.
struct Gradient {
    int dzdx;
    int dzdy;
};

Gradient gradientAt(const Landscape& land, const std::int16_t* up, const std::int16_t* row, const std::int16_t* down,
                    int x, int g)
{
    const int right = stepOrSelf(x, g, land.gridWidth);
    const int dzdx = x - g >= 0 ? (row[right] - row[x - g]) / (2 * g) : (row[right] - row[x]) / g;
    return {dzdx, (up[x] - down[x]) / (2 * g)};
}

// The last column copies the one before it, then the last row the one above it.
void fillShadowEdges(Landscape& land)
{
    for (int r = 0; r <= land.sizeY; ++r) land.shadow[r][land.sizeX] = land.shadow[r][land.sizeX - 1];
    const std::uint16_t* above = land.shadow[land.sizeY - 1];
    std::uint16_t* last = land.shadow[land.sizeY];
    for (int c = 0; c <= land.sizeX; ++c) last[c] = above[c];
}

} // namespace

int shadowTest(const Landscape& land, const ShadowStep& step, float declination, int row, int column)
{
    if (declination >= kShadowlessDeclination) return 0;
    return marchTowardSun(land, step, nullptr, row, column);
}

int shadePass(Landscape& land, const LightingSettings& lighting, SunLight& sun, std::uint32_t landscapeSeed,
              RandomStreams& random, Frontend& ui)
{
    const int g = samplingStep(land);
    if (!passNeeded(land.shadowValidAt, g, land.sizeX) || land.shadowFrozen) return 1;
    sun.integer = integerLightVector(sun.vector);
    const ShadowStep step = shadowStepFor(sun.vector, land.spacingX, land.spacingY, g);
    seedAll(random, landscapeSeed);

    const bool shadows = lighting.shadows != 0 && lighting.sunDeclination < kShadowlessDeclination;
    RayShortcuts shortcuts;
    const bool climbing = step.idz >= 0;
    if (shadows && climbing) {
        shortcuts.pyramid.build(land);
        shortcuts.ahead.build(land, step);
    }
    const bool exaggeration = lighting.exaggeration != 0;
    const double s = static_cast<double>(truncSaturated(2.0 * land.spacingX));
    // Rough lighting takes three draws of stream A at every point; a row's
    // draws start where the rows before it leave the stream.
    const bool rough = lighting.lightingRoughness != 0;
    const std::uint64_t pointsPerRow = static_cast<std::uint64_t>((land.sizeX + g - 1) / g);
    const int rows = (land.sizeY + g - 1) / g;
    const std::uint32_t startA = random.a;

    const auto shadeRow = [&](int index) {
        const int y = index * g;
        RandomStreams rowRandom = random;
        rowRandom.a = lcgSkip(startA, static_cast<std::uint64_t>(index) * pointsPerRow * 3);
        const std::int16_t* up = land.elevation[y + g < land.gridHeight ? y + g : y];
        const std::int16_t* down = land.elevation[y - g >= 0 ? y - g : y];
        const std::int16_t* row = land.elevation[y];
        std::uint16_t* out = land.shadow[y];
        for (int x = 0; x < land.sizeX; x += g) {
            const bool shadowed = shadows && marchTowardSun(land, step, climbing ? &shortcuts : nullptr, y, x);
            const Gradient d = gradientAt(land, up, row, down, x, g);
            const Tangent a{s, 0.0, static_cast<double>(d.dzdx)};
            const Tangent b{0.0, s, static_cast<double>(d.dzdy)};
            int v = shadowed ? shadowedBrightness(a, b, lighting.contrast)
                             : surfaceBrightness(a, b, sun.vector, lighting.contrast, exaggeration);
            if (rough) v += plainDisplacement(rowRandom, lighting.lightingRoughness) >> 4;
            v = std::clamp(v, 0, 255);
            out[x] = static_cast<std::uint16_t>(v | (shadowed ? kTerrainShadowBit : 0));
        }
    };
    if (!forRowsTogether(rows, ui, kShadeLabel, shadeRow)) return -1;
    if (rough) random.a = lcgSkip(startA, static_cast<std::uint64_t>(rows) * pointsPerRow * 3);
    fillShadowEdges(land);

    sun.lightLevel = flatGroundLightLevel(land, lighting, sun);
    land.shadowValidAt = g;
    return 1;
}

std::int32_t flatGroundLightLevel(const Landscape& land, const LightingSettings& lighting, const SunLight& sun)
{
    const Tangent flatX{static_cast<double>(truncSaturated(land.spacingX)), 0.0, 0.0};
    const Tangent flatY{0.0, static_cast<double>(truncSaturated(land.spacingY)), 0.0};
    return surfaceBrightness(flatX, flatY, sun.vector, lighting.contrast, lighting.exaggeration != 0);
}

void markObjectShadows(Landscape& land, const SunLight& sun, bool treesOn)
{
    if (land.polygonSize != 1) return;
    // Every frame, over the whole grid: rows on every thread (each row of
    // objects marks one row of shadows, a different one for every row).
    const int width = land.sizeX, height = land.sizeY;
    // The marks reach row and column `size` (from the last cells), so that is how far they are cleared.
    parallelFor(height + 1, [&](int r) {
        std::uint16_t* cells = land.shadow[r];
        for (int c = 0; c <= width; ++c) cells[c] &= static_cast<std::uint16_t>(~kObjectShadowBit);
    });
    if (!treesOn) return;
    // The shadow falls on the neighbour away from the sun, along each axis the sun leans to the negative side.
    const int dx = sun.integer[0] < 0 ? 1 : 0;
    const int dy = sun.integer[1] < 0 ? 1 : 0;
    parallelFor(height, [&](int r) {
        const int tr = r + dy;
        if (tr > height) return;
        const std::uint16_t* objects = land.terrain[r];
        std::uint16_t* shadows = land.shadow[tr];
        for (int c = 0; c < width; ++c) {
            if (!castsShadow(ground::object(objects[c]))) continue;
            const int tc = c + dx;
            if (tc <= width) shadows[tc] |= kObjectShadowBit;
        }
    });
}

} // namespace kalvenor
