#include "terrain/fractal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/fatal_error.h"
#include "base/frontend.h"
#include "terrain/displacement.h"
#include "terrain/invalidation.h"

namespace kalvenor {

namespace {

constexpr const char* kGenerateLabel = "Generate";

// Every store into the grid keeps the low 16 bits (two's-complement wrap).
std::int16_t store16(int v) { return static_cast<std::int16_t>(v); }

// A 32-bit product that may overflow in C++ but must wrap like the 32-bit
// arithmetic the generator is defined with.
int product32(int a, int b) { return static_cast<std::int32_t>(static_cast<std::int64_t>(a) * b); }

// The feature size is one of 1, 2, 4, 8; other values (a hand-edited session)
// are pulled into that range so that 8 / F and 2F stay usable.
int featureSizeInUse(std::int32_t featureSize) { return std::clamp(featureSize, 1, 8); }

// The preset a non-preset grid is recreated at, from m = max(W, H) + 1.
int presetGridFor(int sizeX, int sizeY)
{
    const int m = std::max(sizeX, sizeY) + 1;
    if (m < 512) return kSmallGrid;
    if (m < 1024) return kLargeGrid;
    if (m < 2048) return kHugeGrid;
    return kMegaGrid;
}

void ensurePresetGrid(Landscape& land, RandomStreams& random)
{
    const bool usable = isPresetSize(land.gridWidth, land.gridHeight) && land.elevation.allocated() &&
                        land.terrain.allocated() && land.elevation.width == land.gridWidth &&
                        land.elevation.height == land.gridHeight;
    if (usable) return;
    const int grid = presetGridFor(land.sizeX, land.sizeY);
    if (resizeLandscape(land, random, grid, grid) == 0) throw FatalError(std::string(kOutOfMemoryResizing));
}

template <typename Cell>
void clearWhole(GridMap<Cell>& map)
{
    for (int r = 0; r < map.height; ++r) std::fill(map[r], map[r] + map.width, Cell{0});
}

// The rows a square of step s at row y touches: its top edge, its middle and its bottom edge.
struct SquareRows {
    std::int16_t* top;
    std::int16_t* mid;
    std::int16_t* bottom;
};

// Visits the squares of step s row by row, y = 0, s, ... while y < H - 1 and
// x = 0, s, ... while x < W - 1. Squares reaching past the allocation (possible
// only on grids whose size is not a multiple of s) are left out.
template <typename Visit>
void forEachSquare(Landscape& land, int s, Visit&& visit)
{
    const int h = s / 2;
    const int w = land.sizeX;
    const int ht = land.sizeY;
    for (int y = 0; y < ht - 1 && y + s <= ht + 1; y += s) {
        const SquareRows rows{land.elevation[y], land.elevation[y + h], land.elevation[y + s]};
        for (int x = 0; x < w - 1 && x + s <= w + 1; x += s) visit(rows, y, x);
    }
}

// The centre of an island or roughen square copies the neighbour that the low
// two bits of an 8-bit draw select: left, right, top, bottom.
std::int16_t pickNeighbour(RandomStreams& random, const SquareRows& rows, int x, int s)
{
    const int h = s / 2;
    switch (drawA(random) & 3) {
    case 0: return rows.mid[x];
    case 1: return rows.mid[x + s];
    case 2: return rows.top[x + h];
    default: return rows.bottom[x + h];
    }
}

// Corners, then the left column and the top row by truncating averages, then a
// coarse interpolation down to s0 that fills the rest of the edges.
void edgePrePass(Landscape& land, int s0, std::int32_t roughness, RandomStreams& random)
{
    ElevationMap& e = land.elevation;
    const int w = land.sizeX;
    const int ht = land.sizeY;
    e[0][0] = store16(fractalDisplacement(random, w, roughness));
    e[0][w] = store16(fractalDisplacement(random, w, roughness));
    e[ht][0] = store16(fractalDisplacement(random, w, roughness));
    e[ht][w] = store16(fractalDisplacement(random, w, roughness));

    // These two averages truncate toward zero, unlike every other one here.
    for (int s = s0; s > 1; s /= 2) {
        const int h = s / 2;
        for (int y = 0; y < ht - 1; y += s)
            e[y + h][0] = store16((e[y][0] + e[y + s][0]) / 2 + fractalDisplacement(random, s, roughness));
        std::int16_t* top = e[0];
        for (int x = 0; x < w - 1; x += s)
            top[x + h] = store16((top[x] + top[x + s]) / 2 + fractalDisplacement(random, s, roughness));
    }

    for (int s = w; s >= s0; s /= 2) {
        forEachSquare(land, s, [&](const SquareRows& rows, int y, int x) {
            const int h = s / 2;
            if (y + s <= ht) rows.bottom[x + h] = store16((rows.bottom[x] + rows.bottom[x + s]) >> 1);
            if (x + s <= w) rows.mid[x + s] = store16((rows.top[x + s] + rows.bottom[x + s]) >> 1);
            rows.mid[x + h] = store16((rows.mid[x + s] + rows.mid[x] + rows.top[x + h] + rows.bottom[x + h]) >> 2);
        });
    }
}

// Midpoint displacement that fills the bottom row and right column too. Averages floor.
void mountainPass(Landscape& land, int s0, std::int32_t roughness, RandomStreams& random, Frontend& ui)
{
    const int w = land.sizeX;
    const int ht = land.sizeY;
    for (int s = s0; s > 1; s /= 2) {
        ui.status(kGenerateLabel);
        forEachSquare(land, s, [&](const SquareRows& rows, int y, int x) {
            const int h = s / 2;
            if (y + s <= ht)
                rows.bottom[x + h] = store16(((rows.bottom[x] + rows.bottom[x + s]) >> 1) +
                                             fractalDisplacement(random, s, roughness));
            if (x + s <= w)
                rows.mid[x + s] = store16(((rows.top[x + s] + rows.bottom[x + s]) >> 1) +
                                          fractalDisplacement(random, s, roughness));
            rows.mid[x + h] = store16(((rows.mid[x] + rows.mid[x + s] + rows.top[x + h] + rows.bottom[x + h]) >> 2) +
                                      fractalDisplacement(random, s, roughness));
        });
    }
}

// Midpoint displacement on the cleared grid. The strict comparisons keep the
// bottom row and right column at 0, so the land is ringed by sea. Averages floor.
void islandPass(Landscape& land, int s0, std::int32_t roughness, RandomStreams& random, Frontend& ui)
{
    const int w = land.sizeX;
    const int ht = land.sizeY;
    for (int s = s0; s > 1; s /= 2) {
        ui.status(kGenerateLabel);
        forEachSquare(land, s, [&](const SquareRows& rows, int y, int x) {
            const int h = s / 2;
            if (y + s < ht)
                rows.bottom[x + h] = store16(((rows.bottom[x] + rows.bottom[x + s]) >> 1) +
                                             fractalDisplacement(random, s, roughness));
            if (x + s < w)
                rows.mid[x + s] = store16(((rows.top[x + s] + rows.bottom[x + s]) >> 1) +
                                          fractalDisplacement(random, s, roughness));
            rows.mid[x + h] = pickNeighbour(random, rows, x, s);
        });
    }
}

// The roughness of one roughen square grows with the relief g of its corners.
// Divisions truncate; the product wraps at 32 bits.
int squareRoughness(int g, int s, std::int32_t r0)
{
    if (r0 == 0) return 0;
    return product32(g / s, r0) / 128 + r0 / 4;
}

// Re-interpolates every point finer than s0, except the bottom row and right
// column, with a roughness taken from each square's corners before it changes.
void roughenPass(Landscape& land, int s0, std::int32_t r0, RandomStreams& random, Frontend& ui)
{
    const int w = land.sizeX;
    const int ht = land.sizeY;
    for (int s = s0; s > 1; s /= 2) {
        ui.status(kGenerateLabel);
        forEachSquare(land, s, [&](const SquareRows& rows, int y, int x) {
            const int h = s / 2;
            const int tl = rows.top[x];
            const int tr = rows.top[x + s];
            const int bl = rows.bottom[x];
            const int br = rows.bottom[x + s];
            const int g = std::abs(tr - tl) + std::abs(bl - br) + std::abs(tl - bl) + std::abs(tr - br);
            const int roughness = squareRoughness(g, s, r0);
            if (y + s < ht) rows.bottom[x + h] = store16(((bl + br) >> 1) + fractalDisplacement(random, s, roughness));
            if (x + s < w)
                rows.mid[x + s] = store16(((rows.top[x + s] + rows.bottom[x + s]) >> 1) +
                                          fractalDisplacement(random, s, roughness));
            rows.mid[x + h] = pickNeighbour(random, rows, x, s);
        });
    }
}

// The roughness of one cell grows with its steepest step to a neighbour m.
int cellRoughness(int m, std::int32_t r0)
{
    if (r0 == 0) return 0;
    return product32(4 * m + 3, r0) / 128 + r0 / 4;
}

// Cell-by-cell roughening of the interior, reading the relief from an untouched
// copy of the elevations kept in the shadow map.
void roughenCells(Landscape& land, std::int32_t r0, RandomStreams& random, Frontend& ui)
{
    ElevationMap& e = land.elevation;
    CellMap& copy = land.shadow;
    for (int r = 0; r < land.gridHeight; ++r)
        std::transform(e[r], e[r] + land.gridWidth, copy[r],
                       [](std::int16_t v) { return static_cast<std::uint16_t>(v); });
    // The shadow map no longer holds shades.
    land.shadowValidAt = land.sizeX;
    land.shadowFrozen = 0;

    const int w = land.sizeX;
    const int ht = land.sizeY;
    for (int y = 1; y <= ht - 1; ++y) {
        ui.progress(kGenerateLabel, y * 100 / ht);
        const std::uint16_t* up = copy[y - 1];
        const std::uint16_t* row = copy[y];
        const std::uint16_t* down = copy[y + 1];
        std::int16_t* out = e[y];
        for (int x = 1; x <= w - 1; ++x) {
            const int c = static_cast<std::int16_t>(row[x]);
            const int m = std::max({std::abs(c - static_cast<std::int16_t>(row[x - 1])),
                                    std::abs(c - static_cast<std::int16_t>(row[x + 1])),
                                    std::abs(c - static_cast<std::int16_t>(up[x])),
                                    std::abs(c - static_cast<std::int16_t>(down[x]))});
            out[x] = store16(out[x] + fractalDisplacement(random, 1, cellRoughness(m, r0)));
        }
    }
}

void nameGeneratedLandscape(Landscape& land, const GenerationSettings& settings, int featureSize)
{
    char text[kCommentBytes];
    // The seed is shown as the signed 32-bit value it is stored as.
    std::snprintf(text, sizeof text, "Fractal %s #%ld", settings.islandMode ? "ISLAND" : "MOUNTAIN",
                  static_cast<long>(static_cast<std::int32_t>(settings.seed)));
    setLandscapeName(land, text);
    std::snprintf(text, sizeof text, "Fractal roughness %d, Feature size %d.", static_cast<int>(settings.roughness),
                  featureSize);
    setLandscapeComment(land, text);
}

} // namespace

void generateLandscape(Landscape& land, const GenerationSettings& settings, RandomStreams& random, Frontend& ui)
{
    ui.status(kGenerateLabel);
    ensurePresetGrid(land, random);
    seedAll(random, settings.seed);
    clearWhole(land.elevation);
    clearWhole(land.terrain);

    const int featureSize = featureSizeInUse(settings.featureSize);
    const int s0 = land.sizeX / (8 / featureSize);
    if (settings.islandMode) {
        islandPass(land, s0, settings.roughness, random, ui);
    } else {
        edgePrePass(land, s0, settings.roughness, random);
        mountainPass(land, s0, settings.roughness, random, ui);
    }
    nameGeneratedLandscape(land, settings, featureSize);
    land.mapStale = true;
    land.modified = true;
}

void roughenLandscape(Landscape& land, const GenerationSettings& settings, RandomStreams& random, Frontend& ui)
{
    if (!land.elevation.allocated()) return;
    computeElevationStatistics(land);
    const int featureSize = featureSizeInUse(settings.featureSize);
    if (featureSize == 1) {
        roughenCells(land, settings.roughness, random, ui);
    } else {
        seedAll(random, settings.seed);
        roughenPass(land, 2 * featureSize, settings.roughness, random, ui);
    }
    land.mapStale = true;
    land.modified = true;
}

void fractalizeLandscape(Landscape& land, const GenerationSettings& settings, RandomStreams& random, Frontend& ui)
{
    roughenLandscape(land, settings, random, ui);
    computeElevationStatistics(land);
    resetDerivedMaps(land);
    inputChanged(land, ColouringInput::Elevations);
}

} // namespace kalvenor
