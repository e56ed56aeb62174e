#include "model/landscape.h"

#include <algorithm>

#include "base/fatal_error.h"
#include "model/random_streams.h"

namespace kalvenor {

namespace {

void setSizes(Landscape& land, int gridWidth, int gridHeight)
{
    land.gridWidth = gridWidth;
    land.gridHeight = gridHeight;
    land.sizeX = gridWidth - 2;
    land.sizeY = gridHeight - 2;
    land.shortSide = std::min(land.sizeX, land.sizeY) + 1;
    land.longSide = std::max(land.sizeX, land.sizeY) + 1;
}

// Allocates the four maps in their fixed order, stopping at the first failure.
bool allocateMaps(Landscape& land, int gridWidth, int gridHeight)
{
    const std::size_t mapBytes = static_cast<std::size_t>(gridWidth) * static_cast<std::size_t>(gridHeight) * 2;
    std::size_t used = 0;
    auto fits = [&] {
        if (mapBytes > land.mapBudgetBytes - used) return false;
        used += mapBytes;
        return true;
    };
    return fits() && land.elevation.allocate(gridWidth, gridHeight) && fits() &&
           land.terrain.allocate(gridWidth, gridHeight) && fits() && land.shadow.allocate(gridWidth, gridHeight) &&
           fits() && land.work.allocate(gridWidth, gridHeight);
}

std::string clipped(std::string_view text, std::size_t bytes)
{
    std::string s(text.substr(0, bytes - 1));
    const auto nul = s.find('\0');
    if (nul != std::string::npos) s.resize(nul);
    return s;
}

} // namespace

void setLandscapeName(Landscape& land, std::string_view name) { land.name = clipped(name, kNameBytes); }

void setLandscapeComment(Landscape& land, std::string_view comment)
{
    land.comment = clipped(comment, kCommentBytes);
}

void releaseMaps(Landscape& land)
{
    land.elevation.release();
    land.terrain.release();
    land.shadow.release();
    land.work.release();
}

int allocateGrid(Landscape& land, int gridWidth, int gridHeight)
{
    if (land.elevation.allocated() && land.work.allocated() && gridWidth == land.elevation.width &&
        gridHeight == land.elevation.height)
        return 1;

    releaseMaps(land);
    if (gridWidth >= 3 && gridHeight >= 3 && allocateMaps(land, gridWidth, gridHeight)) {
        setSizes(land, gridWidth, gridHeight);
        return 1;
    }

    releaseMaps(land);
    if (allocateMaps(land, kSmallGrid, kSmallGrid)) {
        setSizes(land, kSmallGrid, kSmallGrid);
        return 0;
    }
    releaseMaps(land);
    throw FatalError(std::string(kOutOfMemoryResizing));
}

int resizeLandscape(Landscape& land, RandomStreams& random, int gridWidth, int gridHeight)
{
    const int previousWidth = land.gridWidth;
    const int previousHeight = land.gridHeight;
    const SizeMode previousMode = land.sizeMode;

    const int result = allocateGrid(land, gridWidth, gridHeight);
    if (result == 0) {
        if (allocateGrid(land, previousWidth, previousHeight) == 0) {
            releaseMaps(land);
            throw FatalError(std::string(kOutOfMemoryResizing));
        }
        land.sizeMode = previousMode;
    }
    buildDefaultLandscape(land, random);
    return result;
}

void buildDefaultLandscape(Landscape& land, RandomStreams& random)
{
    ElevationMap& e = land.elevation;
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) e[r][c] = static_cast<std::int16_t>((drawA(random) & 3) + 1);

    // A stepped pyramid 15 cells wide, 30 m at its foot and 240 m at the top.
    const int centreColumn = land.sizeX / 2;
    const int centreRow = land.sizeY / 2;
    for (int ring = 7; ring >= 0; --ring) {
        const auto height = static_cast<std::int16_t>(240 - 30 * ring);
        for (int r = std::max(0, centreRow - ring); r <= std::min(land.gridHeight - 1, centreRow + ring); ++r)
            for (int c = std::max(0, centreColumn - ring); c <= std::min(land.gridWidth - 1, centreColumn + ring); ++c)
                e[r][c] = height;
    }
    setLandscapeName(land, "Flatland");
    land.mapStale = true;
}

void computeElevationStatistics(Landscape& land)
{
    const ElevationMap& e = land.elevation;
    int highest = -32767;
    int highestColumn = 0;
    int highestRow = 0;
    int lowest = 32767;
    // The scan stops two short of the last sample point on each axis.
    for (int r = 0; r <= land.sizeY - 2; ++r) {
        const std::int16_t* row = e[r];
        for (int c = 0; c <= land.sizeX - 2; ++c) {
            const int v = row[c];
            if (v > highest) {
                highest = v;
                highestColumn = c;
                highestRow = r;
            }
            if (v != 0 && v >= -32767 && v < lowest) lowest = v;
        }
    }
    land.highestElevation = highest;
    land.highestColumn = highestColumn;
    land.highestRow = highestRow;
    land.lowestElevation = std::min(lowest, highest);
}

void resetDerivedMaps(Landscape& land)
{
    land.terrainValidAt = land.sizeX;
    land.cliffValidAt = land.sizeX;
    land.shadowValidAt = land.sizeX;
    land.terrainFrozen = 0;
    land.shadowFrozen = 0;
    land.terrain.clear();
    land.shadow.clear();
}

int selectSizePreset(Landscape& land, RandomStreams& random, int presetId)
{
    int side = 0;
    switch (presetId) {
    case kSizeSmall: side = kSmallGrid; break;
    case kSizeLarge: side = kLargeGrid; break;
    case kSizeHuge: side = kHugeGrid; break;
    case kSizeMega: side = kMegaGrid; break;
    default: break;
    }
    int result = 1;
    if (side == 0) {
        land.sizeMode = SizeMode::Automatic;
    } else {
        result = resizeLandscape(land, random, side, side);
        if (result == 1) land.sizeMode = SizeMode::Fixed;
    }
    setLandscapeName(land, "Flatland");
    return result;
}

int currentSizePreset(const Landscape& land)
{
    if (land.sizeMode == SizeMode::Automatic) return kSizeAutomatic;
    switch (land.gridWidth) {
    case kSmallGrid: return kSizeSmall;
    case kLargeGrid: return kSizeLarge;
    case kHugeGrid: return kSizeHuge;
    case kMegaGrid: return kSizeMega;
    default: return kSizeAutomatic;
    }
}

bool isPresetSize(int gridWidth, int gridHeight)
{
    if (gridWidth != gridHeight) return false;
    return gridWidth == kSmallGrid || gridWidth == kLargeGrid || gridWidth == kHugeGrid || gridWidth == kMegaGrid;
}

} // namespace kalvenor
