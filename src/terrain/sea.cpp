#include "terrain/sea.h"

#include <algorithm>
#include <cstdint>

#include "base/frontend.h"
#include "terrain/edit_grid.h"
#include "terrain/water.h"

namespace kalvenor {

namespace {

// The code of one point at or below the sea level, from the elevations before
// the flood. The codes are set before any elevation changes, so the map itself
// still holds those elevations and no copy is needed.
int seaCode(const ElevationMap& e, int y, int x, int level, int shore, RandomStreams& random)
{
    const int here = e[y][x];
    const int up = y > 0 ? e[y - 1][x] : here;
    const int left = x > 0 ? e[y][x - 1] : here;
    const int down = e[y + 1][x];
    const int right = e[y][x + 1];
    if (up > level || down > level || left > level || right > level) return kBeachCode;
    const int depth = level - here;
    int v = 0;
    if (depth < shore) v = (shore - depth) * 16 / shore - (drawA(random) & 15); // truncating
    return waterSlopeCode(v, random);
}

} // namespace

void seaPass(Landscape& land, int level, RandomStreams& random, Frontend& ui)
{
    ui.status(kSeaStatus);
    if (!coversGrid(land.elevation, land) || !coversGrid(land.terrain, land)) return;
    const int s = std::clamp(level, -32768, 32767);
    computeElevationStatistics(land);
    const int lowest = land.lowestElevation;
    const int shore = std::max((s - lowest) / 6, 1); // truncating, at least 1

    ElevationMap& e = land.elevation;
    for (int y = 0; y <= land.gridHeight - 2; ++y) {
        std::uint16_t* codes = land.terrain[y];
        for (int x = 0; x <= land.gridWidth - 2; ++x)
            if (e[y][x] <= s) setGroundCode(codes[x], seaCode(e, y, x, s, shore, random));
    }

    // Flood to the level, then sink everything by it: the sea surface becomes 0.
    const bool beachesAtOne = s >= lowest;
    for (int y = 0; y < land.gridHeight; ++y) {
        std::int16_t* row = land.elevation[y];
        const std::uint16_t* codes = land.terrain[y];
        for (int x = 0; x < land.gridWidth; ++x) {
            row[x] = wrap16(std::max<int>(row[x], s) - s);
            if (beachesAtOne && groundCode(codes[x]) == kBeachCode) row[x] = 1;
        }
    }
}

} // namespace kalvenor
