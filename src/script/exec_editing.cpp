// Landscape editing keywords: the manipulations, water features and erosion.
// Each operation invalidates what it changed itself; an edit that was refused,
// rejected or aborted marks nothing.
#include "app/app.h"
#include "base/frontend.h"
#include "script/exec_handlers.h"
#include "terrain/object_placement.h"
#include "terrain/enlarge_shrink.h"
#include "terrain/erosion.h"
#include "terrain/manipulations.h"
#include "terrain/remove_steps.h"
#include "terrain/sea.h"
#include "terrain/water_commands.h"

namespace kalvenor {

namespace {

// A coordinate in metres divided by the cell size, truncated.
int cellOf(double metres, float spacing) { return toInt32(metres / static_cast<double>(spacing)); }

// The line is done whatever the edit came to: a refused, rejected or aborted
// edit has said so and left everything as it was.
LineResult editResult(int) { return LineResult::Done; }

} // namespace

LineResult execSmooth(ScriptContext& ctx)
{
    smoothLandscape(ctx.app.landscape, ctx.ui);
    return LineResult::Done;
}

LineResult execStretch(ScriptContext& ctx)
{
    App& app = ctx.app;
    stretchLandscape(app.landscape, app.scene.colouring, app.scene.generation.featureSize, ctx.ui);
    return LineResult::Done;
}

LineResult execErode(ScriptContext& ctx)
{
    App& app = ctx.app;
    // A script cannot be stopped by hand as the panel's erosion is, so its count has an end.
    const int rounds = intArg(ctx);
    if (!argumentInRange(ctx, rounds, 0, kMostScriptErodeRounds)) return LineResult::Done;
    return editResult(erodeLandscape(app.landscape, rounds, app.random, ctx.ui));
}

// Enlarge x y z: the quarter around the cell fills the landscape; the sea is filled again.
LineResult execEnlarge(ScriptContext& ctx)
{
    App& app = ctx.app;
    Landscape& land = app.landscape;
    const int column = cellOf(ctx.args.number[0], land.spacingX);
    const int row = cellOf(ctx.args.number[1], land.spacingY);
    const int result = enlargeSection(land, column, row, askFillType(ctx.ui), ctx.ui);
    if (result == 1) seaPass(land, app.scene.colouring.seaLevel, app.random, ctx.ui);
    return editResult(result);
}

// VerticalScale n: the scale is stored as given and the elevations follow it.
LineResult execVerticalScale(ScriptContext& ctx)
{
    App& app = ctx.app;
    app.scene.generation.verticalScale = floatArg(ctx);
    applyVerticalScale(app.landscape, app.scene.generation, ctx.ui);
    return LineResult::Done;
}

// SeaLevel n m: the sea is filled to n; the second number is not used.
LineResult execSeaLevel(ScriptContext& ctx)
{
    App& app = ctx.app;
    const int level = intArg(ctx);
    const int result = createSea(app.landscape, level, app.random, ctx.ui);
    if (result == 1) app.scene.colouring.seaLevel = level;
    return editResult(result);
}

LineResult execMakeRiver(ScriptContext& ctx)
{
    App& app = ctx.app;
    Landscape& land = app.landscape;
    const int column = cellOf(ctx.args.number[0], land.spacingX);
    const int row = cellOf(ctx.args.number[1], land.spacingY);
    return editResult(createRiver(land, column, row, app.random, ctx.ui));
}

// MakeLake x y [level]: with two numbers the level is the elevation of the cell,
// and a cell outside the landscape is ignored.
LineResult execMakeLake(ScriptContext& ctx)
{
    App& app = ctx.app;
    Landscape& land = app.landscape;
    const int column = cellOf(ctx.args.number[0], land.spacingX);
    const int row = cellOf(ctx.args.number[1], land.spacingY);
    int level = 0;
    if (ctx.args.count >= 3) {
        level = intArg(ctx, 2);
    } else {
        if (column < 0 || column > land.sizeX || row < 0 || row > land.sizeY) return editResult(0);
        level = land.elevation[row][column];
    }
    return editResult(createLakeAtLevel(land, column, row, level, app.random, ctx.ui));
}

// Our extensions: the manipulations that have no classic keyword.
LineResult execManipulation(ScriptContext& ctx)
{
    App& app = ctx.app;
    Landscape& land = app.landscape;
    switch (ctx.param) {
    case kEditEnlargeAll: return editResult(enlargeAll(land, app.random, askFillType(ctx.ui), ctx.ui));
    case kEditShrink: return editResult(shrinkLandscape(land, app.random, ctx.ui));
    case kEditRotate: return editResult(rotateLandscape(land, ctx.ui));
    case kEditFlipVertical: flipVertical(land, ctx.ui); return LineResult::Done;
    case kEditFlipHorizontal: flipHorizontal(land, ctx.ui); return LineResult::Done;
    case kEditSwapQuads: swapQuads(land, ctx.ui); return LineResult::Done;
    case kEditCloudify: cloudifyLandscape(land, ctx.ui); return LineResult::Done;
    default: removeSteps(land, ctx.ui); return LineResult::Done;
    }
}

// PlaceObject KIND x y [radius]: a tree or house at the cell (x / cell size,
// y / cell size), or water, beach or the eraser within radius metres of it.
LineResult execPlaceObject(ScriptContext& ctx)
{
    const std::optional<PlacedKind> kind = placedKindOf(ctx.args.word);
    if (!kind || ctx.args.count < 2) {
        scriptFailure(ctx, "takes Palm, Oak, Cactus, Pine, House1 .. House4, Water, Beach or Erase, then x y in metres "
                           "and, for Water, Beach and Erase, a radius in metres");
        return LineResult::Done;
    }
    Landscape& land = ctx.app.landscape;
    const double radius = ctx.args.count >= 3 ? ctx.args.number[2] : 0.0;
    if (!(radius >= 0.0 && radius <= 100000.0)) {
        scriptFailure(ctx, "takes a radius from 0 to 100000 metres");
        return LineResult::Done;
    }
    placeObject(land, *kind, cellOf(ctx.args.number[0], land.spacingX), cellOf(ctx.args.number[1], land.spacingY),
                radius);
    return LineResult::Done;
}

// PlaceRoad x1 y1 x2 y2: a road between two places (metres) on the landscape.
LineResult execPlaceRoad(ScriptContext& ctx)
{
    Landscape& land = ctx.app.landscape;
    if (ctx.args.count < 4) {
        scriptFailure(ctx, "takes x1 y1 x2 y2 in metres");
        return LineResult::Done;
    }
    placeRoad(land, cellOf(ctx.args.number[0], land.spacingX), cellOf(ctx.args.number[1], land.spacingY),
              cellOf(ctx.args.number[2], land.spacingX), cellOf(ctx.args.number[3], land.spacingY));
    return LineResult::Done;
}

} // namespace kalvenor
