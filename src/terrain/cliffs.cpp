#include "terrain/cliffs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/frontend.h"
#include "terrain/colouring_common.h"
#include "terrain/row_blocks.h"

namespace kalvenor {

namespace {

constexpr const char* kCliffLabel = "Cliffs";
constexpr std::uint32_t kStrataSeed = 1324354u;
constexpr double kRadiansToDegrees = 57.29577951308232;
constexpr int kMaxStrataRun = 6; // runs of 0 to 5 equal codes

// |n.z| of the unit normal of (a, 0, d1) x (0, b, d2) = (-d1 b, -a d2, a b).
double normalZ(double a, double b, double d1, double d2)
{
    const double nx = -d1 * b;
    const double ny = -a * d2;
    const double nz = a * b;
    double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length == 0.0) length = 1.0; // no spacing: no slope to speak of
    return std::fabs(nz / length);
}

} // namespace

void buildStrataTable(RandomStreams& random, StrataTable& table)
{
    seedAll(random, kStrataSeed);
    std::size_t i = 0;
    while (i < table.size()) {
        const int run = std::abs(drawA(random)) % kMaxStrataRun;
        const int code = ground::kCliff1 + (drawA(random) & 3);
        for (std::size_t j = i; j < i + static_cast<std::size_t>(run) && j < table.size(); ++j)
            table[j] = static_cast<std::uint8_t>(code);
        i += static_cast<std::size_t>(run);
    }
}

StrataTable defaultStrataTable()
{
    RandomStreams own;
    StrataTable table{};
    buildStrataTable(own, table);
    return table;
}

int cliffBandWidth(int threshold)
{
    // Widened before subtracting so that extreme thresholds cannot overflow; / truncates.
    // The result fits an int for every int threshold.
    const std::int64_t width = (67 - static_cast<std::int64_t>(threshold)) / 3;
    return width < 1 ? 1 : static_cast<int>(width);
}

int slopeCode(int slope, int threshold, int bandWidth)
{
    const std::int64_t t = threshold;
    const std::int64_t w = bandWidth;
    if (slope > t + 3 * w) return ground::kCliff4;
    if (slope > t + 2 * w) return ground::kCliff3;
    if (slope > t + w) return ground::kCliff2;
    return ground::kCliff1;
}

int cellSlope(const std::int16_t* r0, const std::int16_t* r1, int x, int g, double a, double b)
{
    // First triangle: (a, 0, r1[x+g] - r1[x]) x (0, b, r1[x] - r0[x]);
    // second: (a, 0, r0[x+g] - r0[x]) x (0, b, r1[x+g] - r0[x+g]).
    const double n1 = normalZ(a, b, r1[x + g] - r1[x], r1[x] - r0[x]);
    const double n2 = normalZ(a, b, r0[x + g] - r0[x], r1[x + g] - r0[x + g]);
    // acos falls as |n.z| rises, so the steeper triangle is the one with the smaller |n.z|.
    const double angle = std::acos(std::min(n1, n2)) * kRadiansToDegrees;
    return static_cast<int>(angle); // 0 .. 90, truncated
}

int strataCode(const Landscape& land, const TerrainColourSettings& colouring, const StrataTable& table,
               RandomStreams& random, int x, int y)
{
    const std::int32_t position = positionHash(random, x, y);
    // Integer jitter: / truncates toward zero.
    const std::int64_t jitter = static_cast<std::int64_t>(colouring.strataWarp) * (position & 255) / 1024;
    const double depth = (x * static_cast<double>(land.spacingX)) * colouring.strataTilt[0] +
                         (y * static_cast<double>(land.spacingY)) * colouring.strataTilt[1] +
                         land.elevation[y][x] * static_cast<double>(colouring.strataTilt[2]) +
                         static_cast<double>(jitter);
    // A thickness of 0 would divide by zero; like the band divisors it counts as 1.
    const int thickness = colouring.strataThickness == 0 ? 1 : colouring.strataThickness;
    const std::int64_t k = truncSaturated(depth * 4.0 / thickness);
    return table[static_cast<std::size_t>(k & 255)];
}

int cliffPass(Landscape& land, const TerrainColourSettings& colouring, const StrataTable& strata,
              std::uint32_t landscapeSeed, RandomStreams& random, Frontend& ui)
{
    const int g = samplingStep(land);
    if (!passNeeded(land.cliffValidAt, g, land.sizeX) || land.terrainFrozen || !colouring.cliffs) return 1;
    seedAll(random, landscapeSeed);

    const int lastX = land.sizeX - land.sizeX % g; // W' and H': rounded down to multiples of g
    const int lastY = land.sizeY - land.sizeY % g;
    const double a = g * static_cast<double>(land.spacingX);
    const double b = g * static_cast<double>(land.spacingY);
    const int threshold = colouring.cliffThreshold;
    const int bandWidth = cliffBandWidth(threshold);
    const bool stratified = colouring.cliffMode == 2;

    // A stratified cliff reseeds stream C from its position, so rows need no
    // order; the stream is left as the last cliff point in row order leaves it.
    const int rows = (lastY + g - 1) / g;
    std::vector<int> lastStrata(static_cast<std::size_t>(rows), -1);
    const auto cliffRow = [&](int index) {
        const int y = index * g;
        RandomStreams rowRandom = random;
        const std::int16_t* r0 = land.elevation[y];
        const std::int16_t* r1 = land.elevation[y + g];
        std::uint16_t* codes = land.terrain[y];
        for (int x = 0; x < lastX; x += g) {
            if (ground::isWater(ground::code(codes[x]))) continue; // beach may turn to cliff, water never
            const int slope = cellSlope(r0, r1, x, g, a, b);
            if (slope <= threshold) continue;
            int code = 0;
            if (stratified) {
                code = strataCode(land, colouring, strata, rowRandom, x, y);
                lastStrata[static_cast<std::size_t>(index)] = x;
            } else {
                code = slopeCode(slope, threshold, bandWidth);
            }
            codes[x] = ground::withCode(codes[x], code);
        }
    };
    if (!forRowsTogether(rows, ui, kCliffLabel, cliffRow)) return -1;
    for (int index = rows - 1; index >= 0; --index)
        if (const int x = lastStrata[static_cast<std::size_t>(index)]; x >= 0) {
            positionHash(random, x, index * g);
            break;
        }
    land.cliffValidAt = g;
    return 1;
}

} // namespace kalvenor
