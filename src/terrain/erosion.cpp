#include "terrain/erosion.h"

#include <cstdio>

#include "base/frontend.h"
#include "terrain/edit_grid.h"

namespace kalvenor {

namespace {

constexpr int kLattice = 16;
// Row and column offsets in the order the cyclic search runs through them.
constexpr int kDropStep[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};

// Runs one drop from (y, x) downhill; returns where it ended.
MapPoint runDrop(ElevationMap& e, int w, int h, int y, int x, RandomStreams& random)
{
    while (1 <= y - 1 && y + 1 < h + 2 && 1 <= x - 1 && x + 1 < w + 2) {
        const int first = drawA(random) & 3;
        int lowest = 0;
        int lowestDir = -1;
        for (int i = 0; i < 4; ++i) {
            const int d = (first + i) & 3;
            const int v = e[y + kDropStep[d][0]][x + kDropStep[d][1]];
            if (lowestDir < 0 || v < lowest) {
                lowest = v;
                lowestDir = d;
            }
        }
        if (lowest >= e[y][x]) {
            e[y][x] = wrap16(lowest + 1);
            break;
        }
        y += kDropStep[lowestDir][0];
        x += kDropStep[lowestDir][1];
    }
    return MapPoint{x, y};
}

} // namespace

long long erodeRounds(Landscape& land, long long rounds, RandomStreams& random, Frontend& ui)
{
    if (!coversGrid(land.elevation, land)) return 0;
    const int w = land.sizeX;
    const int h = land.sizeY;
    long long done = 0;
    char text[48];
    while (done < rounds) {
        std::snprintf(text, sizeof text, "Press Esc to finish (%lld)", done + 1);
        ui.status(text);
        // A count with an end shows how far it has come.
        if (rounds < kErodeUntilEsc) ui.progress("Erode", static_cast<int>(done * 100 / rounds));
        if (ui.pollAbort()) break;
        drawA(random); // discarded
        const int ox = drawA(random) & 15;
        const int oy = drawA(random) & 15;
        for (int y = oy; y <= h; y += kLattice) {
            for (int x = ox; x <= w; x += kLattice) {
                const MapPoint end = runDrop(land.elevation, w, h, y, x, random);
                ui.mapPlot(MapRect{end.column, end.row, end.column, end.row});
            }
        }
        ++done;
    }
    return done;
}

} // namespace kalvenor
