#include "terrain/colouring.h"

#include <algorithm>
#include <vector>

#include "base/frontend.h"
#include "base/worker_pool.h"
#include "terrain/colouring_common.h"
#include "terrain/displacement.h"
#include "terrain/row_blocks.h"
#include "terrain/tree_placement.h"

namespace kalvenor {

namespace {

constexpr const char* kColourLabel = "Color";

// A valley value this large already puts every point in the same band as any
// larger one would, and keeps the band arithmetic far from overflowing.
constexpr std::int64_t kValleyLimit = std::int64_t{1} << 40;

// Beach, water and road codes come from other operations and stay.
bool keptByColourPass(int code)
{
    return (code >= ground::kBeach && code <= ground::kWater5) || (code >= ground::kRoad1 && code <= ground::kRoad4);
}

// trunc(n / d) with a zero divisor replaced by 1.
std::int64_t bandIndex(std::int64_t n, std::int64_t d) { return n / (d == 0 ? 1 : d); }

// The first code of a band and the three after it, by k < 1, < 2, < 3, else.
int bandCode(int first, std::int64_t k)
{
    if (k < 1) return first;
    if (k < 2) return first + 1;
    if (k < 3) return first + 2;
    return first + 3;
}

} // namespace

BandLimits bandLimits(const Landscape& land, const TerrainColourSettings& colouring)
{
    return {land.lowestElevation, land.highestElevation, colouring.treeLine, colouring.snowLine};
}

int treeBandCode(std::int64_t v, const BandLimits& l)
{
    return bandCode(ground::kTree1, bandIndex(4 * (v - l.lowest), l.treeLine - l.lowest));
}

int bareBandCode(std::int64_t v, const BandLimits& l)
{
    return bandCode(ground::kBare1, bandIndex(4 * (v - l.treeLine), l.snowLine - l.treeLine));
}

int snowBandCode(std::int64_t v, const BandLimits& l)
{
    // Measured down from the top, so the highest snow gets Snow 4.
    return bandCode(ground::kSnow1, 3 - bandIndex(4 * (l.highest - v), l.highest - l.snowLine));
}

int altitudeCode(std::int64_t e, std::int64_t v, const BandLimits& limits)
{
    // In valleys v < 0: snow reaches lower and trees reach higher.
    if (e - v > limits.snowLine) return snowBandCode(e - v, limits);
    if (e + v < limits.treeLine) return treeBandCode(e + v, limits);
    return bareBandCode(e + v, limits);
}

ValleyParams valleyParams(const Landscape& land, const TerrainColourSettings& colouring)
{
    ValleyParams p;
    p.on = colouring.valleys != 0;
    p.rx = truncSaturated(colouring.valleyWidth / static_cast<double>(land.spacingX));
    p.ry = truncSaturated(colouring.valleyWidth / static_cast<double>(land.spacingY));
    p.scaleSum = static_cast<double>(land.spacingX) + static_cast<double>(land.spacingY);
    p.width = colouring.valleyWidth == 0 ? 1 : colouring.valleyWidth;
    p.range = static_cast<std::int64_t>(land.highestElevation) - land.lowestElevation;
    p.strength = colouring.valleyStrength;
    return p;
}

std::int64_t valleyValue(const Landscape& land, const ValleyParams& p, int x, int y)
{
    if (!p.on) return 0;
    // The neighbourhood is clamped on both sides, so a negative width cannot
    // reach outside the grid either.
    const auto clampTo = [](std::int64_t v, int limit) { return static_cast<int>(std::clamp<std::int64_t>(v, 0, limit)); };
    const int x0 = clampTo(x - p.rx, land.sizeX);
    const int x1 = clampTo(x + p.rx, land.sizeX);
    const std::int16_t* r0 = land.elevation[clampTo(y - p.ry, land.sizeY)];
    const std::int16_t* r = land.elevation[y];
    const std::int16_t* r1 = land.elevation[clampTo(y + p.ry, land.sizeY)];

    // S = sum of (c - n) over the eight points: positive on ridges, negative in valleys.
    const int c = r[x];
    const int s = 8 * c - (r[x1] + r[x0] + r1[x] + r0[x] + r0[x0] + r0[x1] + r1[x0] + r1[x1]);
    const std::int64_t v = truncSaturated(p.scaleSum * s / p.width);
    // Integer from here: / truncates, >> 11 floors.
    const __int128 scaled = static_cast<__int128>(v * p.range / 128) * p.strength;
    return static_cast<std::int64_t>(std::clamp<__int128>(scaled >> 11, -kValleyLimit, kValleyLimit));
}

std::int64_t valleyValue(const Landscape& land, const TerrainColourSettings& colouring, int x, int y)
{
    return valleyValue(land, valleyParams(land, colouring), x, y);
}

int colourPass(Landscape& land, const TerrainColourSettings& colouring, const TreeSettings& trees,
               std::uint32_t landscapeSeed, RandomStreams& random, Frontend& ui)
{
    const int g = samplingStep(land);
    if (!passNeeded(land.terrainValidAt, g, land.sizeX) || land.terrainFrozen) return 1;
    seedAll(random, landscapeSeed);

    const int lastX = land.sizeX - land.sizeX % g; // W' and H': rounded down to multiples of g
    const int lastY = land.sizeY - land.sizeY % g;
    const BandLimits limits = bandLimits(land, colouring);
    const ValleyParams valley = valleyParams(land, colouring);
    const int boundaryStep = (land.highestElevation - land.lowestElevation) >> 7;

    // Every point the pass colours takes three draws of stream A; kept points
    // take none. Each row starts where the rows before it leave the stream.
    const int rows = lastY / g + 1;
    std::vector<std::uint64_t> firstDraw(static_cast<std::size_t>(rows) + 1, 0);
    parallelFor(rows, [&](int index) {
        const std::uint16_t* codes = land.terrain[index * g];
        std::uint64_t draws = 0;
        for (int x = 0; x <= lastX; x += g) draws += keptByColourPass(ground::code(codes[x])) ? 0 : 3;
        firstDraw[static_cast<std::size_t>(index) + 1] = draws;
    });
    for (std::size_t i = 1; i < firstDraw.size(); ++i) firstDraw[i] += firstDraw[i - 1];
    const std::uint32_t startA = random.a;

    const auto colourRow = [&](int index) {
        const int y = index * g;
        RandomStreams rowRandom = random;
        rowRandom.a = lcgSkip(startA, firstDraw[static_cast<std::size_t>(index)]);
        const std::int16_t* heights = land.elevation[y];
        std::uint16_t* codes = land.terrain[y];
        for (int x = 0; x <= lastX; x += g) {
            if (keptByColourPass(ground::code(codes[x]))) continue; // no draws for kept points
            // The valley value takes no draws, so it is only worked out where it is used.
            const std::int64_t v = valleyValue(land, valley, x, y);
            const int e = heights[x] + boundaryDisplacement(rowRandom, boundaryStep, colouring.dither);
            codes[x] = ground::withCode(codes[x], altitudeCode(e, v, limits));
        }
    };
    if (!forRowsTogether(rows, ui, kColourLabel, colourRow)) return -1;
    random.a = lcgSkip(startA, firstDraw.back());

    placeTrees(land, trees, random, ui);
    land.terrainValidAt = g;
    return 1;
}

} // namespace kalvenor
