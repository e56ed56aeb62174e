// Landscape keywords: generation, size, single elevations and water waves.
#include <algorithm>
#include <string>

#include "app/app.h"
#include "base/frontend.h"
#include "model/scene_reset.h"
#include "script/exec_handlers.h"
#include "terrain/invalidation.h"
#include "terrain/fractal.h"

namespace kalvenor {

// The palette is predicted again before the next render; the P mark says so.
LineResult execNewPalette(ScriptContext&) { return LineResult::Done; }

LineResult execGenerateFractal(ScriptContext& ctx)
{
    App& app = ctx.app;
    app.scene.generation.seed = toSeed(ctx.args.number[0]);
    generateLandscape(app.landscape, app.scene.generation, app.random, ctx.ui);
    refreshAfterGeneration(app.landscape, app.scene);
    return LineResult::Done;
}

LineResult execFractalize(ScriptContext& ctx)
{
    App& app = ctx.app;
    fractalizeLandscape(app.landscape, app.scene.generation, app.random, ctx.ui);
    return LineResult::Done;
}

// The cell is the truncated coordinate divided by the spacing, truncated again.
// Only sample points (0 .. sizeX, 0 .. sizeY) can be set; the elevation saturates
// at the 16-bit range instead of wrapping.
LineResult execSetAltitude(ScriptContext& ctx)
{
    Landscape& land = ctx.app.landscape;
    const int column = toInt32(static_cast<float>(intArg(ctx, 0)) / land.spacingX);
    const int row = toInt32(static_cast<float>(intArg(ctx, 1)) / land.spacingY);
    if (column < 0 || column > land.sizeX || row < 0 || row > land.sizeY || !land.elevation.allocated()) {
        ctx.applyMarks = false;
        return LineResult::Done;
    }
    land.elevation[row][column] = static_cast<std::int16_t>(std::clamp(intArg(ctx, 2), -32768, 32767));
    return LineResult::Done;
}

// A preset resizes and rebuilds the default landscape, even when memory runs
// out and the previous size comes back; "Automatic" only switches the size mode.
LineResult execLandscapeSize(ScriptContext& ctx)
{
    App& app = ctx.app;
    const int result = selectSizePreset(app.landscape, app.random, ctx.param);
    if (ctx.param != kSizeAutomatic) resetForNewLandscape(app.landscape, app.scene);
    if (result != 0) return LineResult::Done;

    const LineResult answer =
        scriptError(ctx, "out of memory for the landscape size", "Out of memory: " + std::string(ctx.line));
    // Going on applies the keyword's marks; a stop still leaves a landscape rebuilt, so its derived data is stale.
    if (answer == LineResult::Stop) applyScriptMarks(app.landscape, kMarkAll);
    return answer;
}

// WavePhase (parameter 4) sets whole percent like the other wave keywords set
// whole numbers; the phase itself is kept finer as frames step it on.
LineResult execWave(ScriptContext& ctx)
{
    WaveSettings& waves = ctx.app.scene.waves;
    constexpr int kPhaseParam = 4;
    if (ctx.param == kPhaseParam) {
        waves.phase = static_cast<float>(intArg(ctx));
        return LineResult::Done;
    }
    std::int32_t* const fields[] = {&waves.source, &waves.length, &waves.speed, &waves.amplitude};
    *fields[ctx.param] = intArg(ctx);
    return LineResult::Done;
}

// SampleSpacing metres: the distance between sample points, east-west and
// north-south alike (1 .. 100000). Slopes change with it, so colours and shades
// are worked out again.
LineResult execSampleSpacing(ScriptContext& ctx)
{
    const float metres = floatArg(ctx);
    if (!(metres >= 1.0f && metres <= 100000.0f)) {
        scriptFailure(ctx, "takes a spacing in metres from 1 to 100000");
        ctx.applyMarks = false;
        return LineResult::Done;
    }
    ctx.app.landscape.spacingX = metres;
    ctx.app.landscape.spacingY = metres;
    inputChanged(ctx.app.landscape, ColouringInput::Spacing);
    return LineResult::Done;
}

} // namespace kalvenor
