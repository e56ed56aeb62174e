#include "terrain/water.h"

#include <algorithm>
#include <cmath>

#include "terrain/edit_grid.h"

namespace kalvenor {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

// Slope of the plane spanned by (a, 0, dzx) and (0, b, dzy): the angle between
// its normal (the cross product) and the vertical, truncated to whole degrees.
int triangleSlope(double a, double b, int dzx, int dzy)
{
    const double nx = -static_cast<double>(dzx) * b;
    const double ny = -a * static_cast<double>(dzy);
    const double nz = a * b;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length == 0.0) return 0;
    const double cosine = std::min(std::fabs(nz / length), 1.0);
    return static_cast<int>(std::acos(cosine) * kDegreesPerRadian);
}

// Eight neighbours, row by row.
constexpr int kNeighbours[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};

void raiseBanks(Landscape& land)
{
    ElevationMap& e = land.elevation;
    const CellMap& t = land.terrain;
    for (int y = 0; y < land.gridHeight; ++y) {
        for (int x = 0; x < land.gridWidth; ++x) {
            if (groundCode(t[y][x]) != kRiverMarker) continue;
            const int water = e[y][x];
            for (const auto& [dy, dx] : kNeighbours) {
                const int r = y + dy;
                const int c = x + dx;
                if (r < 0 || r >= land.gridHeight || c < 0 || c >= land.gridWidth) continue;
                if (groundCode(t[r][c]) == kRiverMarker) continue;
                // AND of the two's-complement difference: 0 to 3 above the water.
                e[r][c] = wrap16(water + ((e[r][c] - water) & 3));
            }
        }
    }
}

} // namespace

int waterSlopeCode(int degrees, RandomStreams& random)
{
    if (degrees > 45) return kWater5;
    if (degrees > 25) return kWater4;
    if (degrees > 10) return kWater3;
    return drawA(random) > -96 ? kWater1 : kWater2;
}

CellSlopes cellSlopes(const Landscape& land, int column, int row)
{
    const ElevationMap& e = land.elevation;
    const int x1 = std::min(column + 1, land.gridWidth - 1);
    const int y1 = std::min(row + 1, land.gridHeight - 1);
    const std::int16_t* r0 = e[row];
    const std::int16_t* r1 = e[y1];
    const double a = land.spacingX;
    const double b = land.spacingY;
    return CellSlopes{triangleSlope(a, b, r1[x1] - r1[column], r1[column] - r0[column]),
                      triangleSlope(a, b, r0[x1] - r0[column], r1[x1] - r0[x1])};
}

void colourWater(Landscape& land, RandomStreams& random)
{
    if (!coversGrid(land.elevation, land) || !coversGrid(land.terrain, land)) return;
    raiseBanks(land);
    for (int y = 0; y < land.gridHeight; ++y) {
        std::uint16_t* codes = land.terrain[y];
        for (int x = 0; x < land.gridWidth; ++x) {
            if (groundCode(codes[x]) != kRiverMarker) continue;
            const CellSlopes slopes = cellSlopes(land, x, y);
            const int first = waterSlopeCode(slopes.first, random);
            const int second = waterSlopeCode(slopes.second, random);
            setGroundCode(codes[x], second > first ? second : first);
        }
    }
}

} // namespace kalvenor
