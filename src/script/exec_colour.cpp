// Terrain colouring thresholds, palette settings and the colour-scheme entries.
#include "app/app.h"
#include "script/exec_handlers.h"
#include "terrain/colouring_inputs.h"

namespace kalvenor {

namespace {

// The ground under trees shares its colour with the leaves: entries 56 .. 59 and 34 .. 37.
constexpr int kUnderTreeToLeaves = 56 - 34;

// Entry i of the scheme block holds a zero byte and then red, green and blue.
void setSchemeColour(SceneSettings& scene, int entry, const ScriptContext& ctx)
{
    const std::size_t offset = static_cast<std::size_t>(entry) * 4;
    for (std::size_t channel = 0; channel < 3; ++channel)
        scene.colourScheme[offset + 1 + channel] = toByte(ctx.args.number[channel]);
}

} // namespace

// The colouring inputs go through their setters, which invalidate exactly what depends on them.
LineResult execTreeLine(ScriptContext& ctx)
{
    setTreeLine(ctx.app.landscape, ctx.app.scene.colouring, intArg(ctx));
    return LineResult::Done;
}

LineResult execSnowLine(ScriptContext& ctx)
{
    setSnowLine(ctx.app.landscape, ctx.app.scene.colouring, intArg(ctx));
    return LineResult::Done;
}

LineResult execCliffThreshold(ScriptContext& ctx)
{
    setCliffThreshold(ctx.app.landscape, ctx.app.scene.colouring, intArg(ctx));
    return LineResult::Done;
}

LineResult execCliffs(ScriptContext& ctx)
{
    App& app = ctx.app;
    setCliffs(app.landscape, app.scene.colouring, app.colouring, app.random, ctx.param != 0);
    return LineResult::Done;
}

LineResult execExposure(ScriptContext& ctx)
{
    setExposure(ctx.app.landscape, ctx.app.scene.lighting, intArg(ctx));
    return LineResult::Done;
}

// The colour tables follow the contrast; the P mark has them rebuilt before the next render.
LineResult execContrast(ScriptContext& ctx)
{
    setContrast(ctx.app.landscape, ctx.app.scene.lighting, intArg(ctx));
    return LineResult::Done;
}

LineResult execSetColor(ScriptContext& ctx)
{
    setSchemeColour(ctx.app.scene, ctx.param, ctx);
    return LineResult::Done;
}

LineResult execSetColorUnderTree(ScriptContext& ctx)
{
    setSchemeColour(ctx.app.scene, ctx.param, ctx);
    setSchemeColour(ctx.app.scene, ctx.param - kUnderTreeToLeaves, ctx);
    return LineResult::Done;
}

// ValleyOn/Off, ValleyWidth metres (0 .. 10000), ValleyStrength (0 .. 1000):
// through the colouring setters, which invalidate the ground codes.
LineResult execValley(ScriptContext& ctx)
{
    App& app = ctx.app;
    TerrainColourSettings& colouring = app.scene.colouring;
    const std::int32_t value = intArg(ctx);
    if (ctx.param == kValleyWidth && argumentInRange(ctx, value, 0, 10000))
        setValleyWidth(app.landscape, colouring, value);
    if (ctx.param == kValleyStrength && argumentInRange(ctx, value, 0, 1000))
        setValleyStrength(app.landscape, colouring, value);
    if (ctx.param == kValleySwitch || ctx.param == kValleySwitch + 1)
        setValleyEffect(app.landscape, colouring, ctx.param != kValleySwitch);
    return LineResult::Done;
}

// CliffsBySlope, CliffsStratified, StrataThickness metres (1 .. 10000), StrataWarp (0 .. 1000).
LineResult execStrata(ScriptContext& ctx)
{
    App& app = ctx.app;
    TerrainColourSettings& colouring = app.scene.colouring;
    const std::int32_t value = intArg(ctx);
    if (ctx.param == kStrataThickness && argumentInRange(ctx, value, 1, 10000))
        setStrataThickness(app.landscape, colouring, value);
    if (ctx.param == kStrataWarp && argumentInRange(ctx, value, 0, 1000)) setStrataWarp(app.landscape, colouring, value);
    if (ctx.param == kStrataOff || ctx.param == kStrataOn)
        setStratified(app.landscape, colouring, app.colouring, app.random, ctx.param == kStrataOn);
    return LineResult::Done;
}

} // namespace kalvenor
