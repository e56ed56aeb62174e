#include "terrain/object_placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "terrain/colouring_common.h"
#include "terrain/invalidation.h"

namespace kalvenor {

namespace {

constexpr std::array<std::string_view, 11> kNames = {"Palm",   "Oak",    "Cactus", "Pine",  "House1", "House2",
                                                     "House3", "House4", "Water",  "Beach", "Erase"};

bool sameWord(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool inside(const Landscape& land, int column, int row)
{
    return land.terrain.allocated() && column >= 0 && row >= 0 && column <= land.sizeX && row <= land.sizeY &&
           column < land.terrain.width && row < land.terrain.height;
}

// The cell after one area tool; true when it changed.
bool paint(std::uint16_t& cell, PlacedKind kind)
{
    const std::uint16_t before = cell;
    switch (kind) {
    case PlacedKind::Water: cell = ground::withObject(ground::withCode(cell, ground::kWater1), 0); break;
    case PlacedKind::Beach: cell = ground::withObject(ground::withCode(cell, ground::kBeach), 0); break;
    default: cell = 0; break; // the eraser
    }
    return cell != before;
}

} // namespace

std::optional<PlacedKind> placedKindOf(std::string_view word)
{
    for (std::size_t i = 0; i < kNames.size(); ++i)
        if (sameWord(word, kNames[i])) return static_cast<PlacedKind>(i);
    return std::nullopt;
}

int placeObject(Landscape& land, PlacedKind kind, int column, int row, double radius)
{
    if (!inside(land, column, row)) return 0;
    int changed = 0;
    if (kind <= PlacedKind::House4) {
        const int k = static_cast<int>(kind);
        const int object = k < 4 ? kFirstPlacedTree + k : kFirstHouse + (k - 4);
        std::uint16_t& cell = land.terrain[row][column];
        const std::uint16_t placed = ground::withObject(cell, object);
        changed = placed != cell ? 1 : 0;
        cell = placed;
    } else {
        // Every point within the radius (the point itself at least).
        const double sx = land.spacingX, sy = land.spacingY;
        const double r = std::max(radius, 0.0);
        const int reachX = static_cast<int>(std::min(r / sx, 4096.0)), reachY = static_cast<int>(std::min(r / sy, 4096.0));
        for (int y = row - reachY; y <= row + reachY; ++y)
            for (int x = column - reachX; x <= column + reachX; ++x) {
                if (!inside(land, x, y)) continue;
                const double dx = (x - column) * sx, dy = (y - row) * sy;
                if (dx * dx + dy * dy > r * r && (x != column || y != row)) continue;
                if (paint(land.terrain[y][x], kind)) ++changed;
            }
    }
    if (changed == 0) return 0;
    land.mapStale = true;
    land.modified = true;
    // Erased points take their codes from the colouring again; objects change the object shadows only.
    if (kind == PlacedKind::Erase) inputChanged(land, ColouringInput::Elevations);
    else land.paletteStale = 1;
    return changed;
}

int placeRoad(Landscape& land, int column0, int row0, int column1, int row1)
{
    if (!inside(land, column0, row0) || !inside(land, column1, row1)) return 0;
    int changed = 0;
    int x = column0, y = row0;
    const int dx = std::abs(column1 - column0), dy = -std::abs(row1 - row0);
    const int stepX = column0 < column1 ? 1 : -1, stepY = row0 < row1 ? 1 : -1;
    int err = dx + dy;
    const auto pave = [&](int px, int py) {
        std::uint16_t& cell = land.terrain[py][px];
        const std::uint16_t road = ground::withObject(ground::withCode(cell, ground::kRoad1), 0);
        if (road != cell) ++changed;
        cell = road;
    };
    for (;;) {
        pave(x, y);
        if (x == column1 && y == row1) break;
        const int e2 = 2 * err;
        const bool across = e2 >= dy, down = e2 <= dx;
        // A diagonal step is paved through the cell beside it, so that the road
        // runs from side to side of its cells and never only corner to corner.
        if (across && down) pave(x + stepX, y);
        if (across) err += dy, x += stepX;
        if (down) err += dx, y += stepY;
    }
    if (changed != 0) {
        land.mapStale = true;
        land.modified = true;
        land.paletteStale = 1;
    }
    return changed;
}

} // namespace kalvenor
