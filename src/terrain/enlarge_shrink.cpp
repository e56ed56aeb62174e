#include "terrain/enlarge_shrink.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "base/frontend.h"
#include "terrain/edit_effects.h"
#include "terrain/edit_grid.h"
#include "terrain/manipulations.h"

namespace kalvenor {

namespace {

constexpr int kShrinkMinimum = 64; // sample intervals on each side

// A copy of the elevations and ground codes taken before a resize, so that a
// resize that fails can be undone. The name and comment go with it: the resize
// rebuilds the default landscape and would call it "Flatland".
struct SavedGrid {
    int width = 0;
    int height = 0;
    std::vector<std::int16_t> elevation;
    std::vector<std::uint16_t> terrain;
    std::string name;
    std::string comment;

    bool take(const Landscape& land)
    {
        width = land.gridWidth;
        height = land.gridHeight;
        const std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        try {
            elevation.resize(cells);
            terrain.resize(cells, 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (int y = 0; y < height; ++y) {
            std::copy(land.elevation[y], land.elevation[y] + width, &elevation[index(y)]);
            if (coversGrid(land.terrain, land)) std::copy(land.terrain[y], land.terrain[y] + width, &terrain[index(y)]);
        }
        name = land.name;
        comment = land.comment;
        return true;
    }

    std::size_t index(int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(width); }
    const std::int16_t* row(int y) const { return &elevation[index(y)]; }

    // After the resize fell back to the old size.
    void putBack(Landscape& land) const
    {
        for (int y = 0; y < height; ++y) {
            std::copy(row(y), row(y) + width, land.elevation[y]);
            std::copy(&terrain[index(y)], &terrain[index(y)] + width, land.terrain[y]);
        }
        keepNames(land);
    }

    void keepNames(Landscape& land) const
    {
        land.name = name;
        land.comment = comment;
    }
};

// Interpolating fill after doubling: cell centres from their four diagonal
// neighbours, then edge midpoints from their four direct neighbours, then the
// outer rows and columns. Every average rounds half up by a floor shift.
void fillInterpolate(ElevationMap& e, int rows, int length, Frontend& ui)
{
    ui.status("Fill Centers 1");
    for (int y = 1; y <= rows - 2; y += 2)
        for (int x = 1; x <= length - 2; x += 2)
            e[y][x] = wrap16((e[y - 1][x - 1] + e[y - 1][x + 1] + e[y + 1][x - 1] + e[y + 1][x + 1] + 2) >> 2);
    auto cross = [&e](int y, int x) {
        e[y][x] = wrap16((e[y - 1][x] + e[y][x - 1] + e[y][x + 1] + e[y + 1][x] + 2) >> 2);
    };
    ui.status("Fill Centers 2");
    for (int y = 1; y <= rows - 2; y += 2)
        for (int x = 2; x <= length - 2; x += 2) cross(y, x);
    ui.status("Fill Centers 3");
    for (int y = 2; y <= rows - 2; y += 2)
        for (int x = 1; x <= length - 2; x += 2) cross(y, x);

    ui.status("Fill Edges");
    const int last = length - 1;
    const int bottom = rows - 1;
    for (int y = 1; y <= rows - 2; y += 2) {
        e[y][0] = wrap16((e[y - 1][0] + e[y + 1][0] + 1) >> 1);
        e[y][last] = wrap16((e[y - 1][last] + e[y + 1][last] + 1) >> 1);
    }
    for (int x = 1; x <= length - 2; x += 2) {
        e[0][x] = wrap16((e[0][x - 1] + e[0][x + 1] + 1) >> 1);
        e[bottom][x] = wrap16((e[bottom][x - 1] + e[bottom][x + 1] + 1) >> 1);
    }
    e[0][last] = wrap16((e[1][last] + e[0][last - 1] + 1) >> 1);
    e[bottom][last] = wrap16((e[bottom - 1][last] + e[bottom][last - 1] + 1) >> 1);
}

void fillEnlarged(Landscape& land, EnlargeFill fill, Frontend& ui)
{
    if (fill == EnlargeFill::Duplicate) {
        // The 2 x 2 blocks of the doubled points stay as they are.
        ui.status("Duplicate X");
        ui.status("Duplicate Y");
        return;
    }
    if (land.gridWidth < 3 || land.gridHeight < 3) return;
    fillInterpolate(land.elevation, land.gridHeight, land.gridWidth, ui);
}

} // namespace

EnlargeFill askFillType(Frontend& ui)
{
    return ui.ask(kFillTypeQuestion, "Interpolate", "Duplicate") ? EnlargeFill::Interpolate : EnlargeFill::Duplicate;
}

int enlargedSide(int side) { return side % 2 == 0 ? 2 * (side - 2) + 2 : 2 * side - 1; }

int enlargeAll(Landscape& land, RandomStreams& random, EnlargeFill fill, Frontend& ui)
{
    ui.status("Enlarge all");
    if (!coversGrid(land.elevation, land)) return 0;
    const int width = enlargedSide(land.gridWidth);
    const int height = enlargedSide(land.gridHeight);
    if (width > kMaxGrid || height > kMaxGrid) return 0;

    SavedGrid old;
    if (!old.take(land)) return 0;
    if (resizeLandscape(land, random, width, height) == 0) {
        old.putBack(land);
        return 0;
    }
    old.keepNames(land);

    // Every new point doubles the old point it falls on.
    for (int y = 0; y < height; ++y) {
        const std::int16_t* source = old.row(y / 2);
        std::int16_t* row = land.elevation[y];
        for (int x = 0; x < width; ++x) row[x] = wrap16(2 * source[x / 2]);
    }
    fillEnlarged(land, fill, ui);

    markEdited(land, EditEffect::ElevationsChanged);
    return 1;
}

int enlargeSection(Landscape& land, int column, int row, EnlargeFill fill, Frontend& ui)
{
    ui.status("Enlarge section");
    if (!coversGrid(land.elevation, land) || !coversGrid(land.shadow, land)) return 0;
    const int x0 = std::clamp(column, 0, std::max(land.sizeX / 2 - 1, 0));
    const int y0 = std::clamp(row, 0, std::max(land.sizeY / 2 - 1, 0));

    copyMap(land.shadow, land.elevation, land);
    for (int y = 0; y < land.gridHeight; ++y) {
        const std::uint16_t* source = land.shadow[y / 2 + y0];
        std::int16_t* out = land.elevation[y];
        for (int x = 0; x < land.gridWidth; ++x) out[x] = wrap16(2 * scratchElevation(source[x / 2 + x0]));
    }
    fillEnlarged(land, fill, ui);

    markEdited(land, EditEffect::ShadowScratched);
    markEdited(land, EditEffect::ElevationsChanged);
    return 1;
}

int enlargeSectionCommand(Landscape& land, Frontend& ui)
{
    const std::optional<MapPoint> corner = ui.mapPoint("Mark Region:");
    if (!corner) return -1;
    const EnlargeFill fill = askFillType(ui);
    return enlargeSection(land, corner->column, corner->row, fill, ui);
}

int shrinkLandscape(Landscape& land, RandomStreams& random, Frontend& ui)
{
    ui.status("Shrink");
    if (!coversGrid(land.elevation, land)) return 0;
    const int w = land.sizeX;
    const int h = land.sizeY;
    if (w < kShrinkMinimum || h < kShrinkMinimum) return 0;
    const int width = w / 2 + 2;
    const int height = h / 2 + 2;

    std::vector<std::int16_t> halved;
    SavedGrid old;
    try {
        halved.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    const bool automatic = land.sizeMode == SizeMode::Automatic;
    if (automatic && !old.take(land)) return 0;

    // The average of each 2 x 2 block, halved: the sum divided by 8, truncating.
    extendEdges(land);
    ElevationMap& e = land.elevation;
    auto out = [&](int y, int x) -> std::int16_t& {
        return halved[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    };
    for (int y = 0; y <= h; y += 2)
        for (int x = 0; x <= w; x += 2)
            out(y / 2, x / 2) = wrap16((e[y][x] + e[y][x + 1] + e[y + 1][x] + e[y + 1][x + 1]) / 8);

    if (automatic) {
        if (resizeLandscape(land, random, width, height) == 0) {
            old.putBack(land);
            return 0;
        }
        old.keepNames(land);
        for (int y = 0; y < height; ++y) std::copy(&out(y, 0), &out(y, 0) + width, land.elevation[y]);
        extendEdges(land);
    } else {
        land.elevation.clear();
        for (int y = 0; y <= h / 2; ++y) std::copy(&out(y, 0), &out(y, 0) + w / 2 + 1, land.elevation[y]);
    }
    markEdited(land, EditEffect::ElevationsChanged);
    return 1;
}

} // namespace kalvenor
