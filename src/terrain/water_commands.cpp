#include "terrain/water_commands.h"

#include <algorithm>
#include <optional>

#include "base/frontend.h"
#include "terrain/edit_effects.h"
#include "terrain/edit_grid.h"
#include "terrain/erosion.h"
#include "terrain/lake.h"
#include "terrain/river.h"
#include "terrain/sea.h"
#include "terrain/undo.h"
#include "terrain/water.h"

namespace kalvenor {

namespace {

bool hasWaterMaps(const Landscape& land)
{
    return coversGrid(land.elevation, land) && coversGrid(land.terrain, land);
}

bool isSamplePoint(const Landscape& land, int column, int row)
{
    return column >= 0 && column <= land.sizeX && row >= 0 && row <= land.sizeY;
}

// The acceptance question of a water edit. Yes keeps the water and has the
// landscape reclassified and reshaded. No puts the copy back; the shadow map
// held the copy, so its shades are gone either way. Without a copy the edit
// stays even when rejected.
int acceptWater(Landscape& land, const UndoCopy& undo, const char* question, Frontend& ui)
{
    land.mapStale = true;
    if (ui.ask(question, "Yes", "No")) {
        markEdited(land, EditEffect::WaterChanged);
        return 1;
    }
    if (restoreUndo(land, undo)) {
        computeElevationStatistics(land);
        markEdited(land, EditEffect::ShadowScratched);
    } else {
        markEdited(land, EditEffect::WaterChanged);
    }
    return -1;
}

} // namespace

int createRiver(Landscape& land, int column, int row, RandomStreams& random, Frontend& ui)
{
    if (!hasWaterMaps(land) || !isSamplePoint(land, column, row)) return 0;
    const std::optional<UndoCopy> undo = prepareUndo(land, UndoKind::Water, ui);
    if (!undo) return -1;
    walkRiver(land, column, row, ui);
    colourWater(land, random);
    return acceptWater(land, *undo, kAcceptRiver, ui);
}

int createLake(Landscape& land, int column, int row, RandomStreams& random, Frontend& ui)
{
    if (!hasWaterMaps(land) || !isSamplePoint(land, column, row)) return 0;
    const std::optional<long> level = ui.askNumber(kLakeLevelPrompt, land.elevation[row][column]);
    if (!level) return -1;
    const long clamped = std::clamp<long>(*level, -32768, kLakeMaxLevel);
    return createLakeAtLevel(land, column, row, static_cast<int>(clamped), random, ui);
}

int createLakeAtLevel(Landscape& land, int column, int row, int level, RandomStreams& random, Frontend& ui)
{
    if (!hasWaterMaps(land) || !isSamplePoint(land, column, row)) return 0;
    const std::optional<UndoCopy> undo = prepareUndo(land, UndoKind::Water, ui);
    if (!undo) return -1;
    fillLake(land, column, row, level, ui);
    colourWater(land, random);
    return acceptWater(land, *undo, kAcceptLake, ui);
}

int createSea(Landscape& land, int level, RandomStreams& random, Frontend& ui)
{
    if (!hasWaterMaps(land)) return 0;
    const std::optional<UndoCopy> undo = prepareUndo(land, UndoKind::Water, ui);
    if (!undo) return -1;
    if (ui.ask(kEraseOldWater, "Yes", "No")) land.terrain.clear();
    seaPass(land, level, random, ui);
    computeElevationStatistics(land);
    return acceptWater(land, *undo, kAcceptSea, ui);
}

int erodeLandscape(Landscape& land, long long rounds, RandomStreams& random, Frontend& ui)
{
    if (!coversGrid(land.elevation, land)) return 0;
    const std::optional<UndoCopy> undo = prepareUndo(land, UndoKind::Erosion, ui);
    if (!undo) return -1;
    erodeRounds(land, rounds, random, ui);
    land.mapStale = true;
    if (ui.ask(kAcceptErosion, "Yes", "No")) {
        markEdited(land, EditEffect::ElevationsChanged);
        return 1;
    }
    // With the copy back nothing changed; without one the erosion stays.
    if (!restoreUndo(land, *undo)) markEdited(land, EditEffect::ElevationsChanged);
    return -1;
}

} // namespace kalvenor
