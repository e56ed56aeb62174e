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
int execTreeLine(ScriptContext& ctx)
{
    setTreeLine(ctx.app.landscape, ctx.app.scene.colouring, intArg(ctx));
    return 1;
}

int execSnowLine(ScriptContext& ctx)
{
    setSnowLine(ctx.app.landscape, ctx.app.scene.colouring, intArg(ctx));
    return 1;
}

int execCliffThreshold(ScriptContext& ctx)
{
    setCliffThreshold(ctx.app.landscape, ctx.app.scene.colouring, intArg(ctx));
    return 1;
}

int execCliffs(ScriptContext& ctx)
{
    App& app = ctx.app;
    setCliffs(app.landscape, app.scene.colouring, app.colouring, app.random, ctx.param != 0);
    return 1;
}

int execPaletteLock(ScriptContext& ctx)
{
    ctx.app.scene.render.paletteLocked = ctx.param;
    return 1;
}

int execExposure(ScriptContext& ctx)
{
    setExposure(ctx.app.landscape, ctx.app.scene.lighting, intArg(ctx));
    return 1;
}

// The colour tables follow the contrast; the P mark has them rebuilt before the next render.
int execContrast(ScriptContext& ctx)
{
    setContrast(ctx.app.landscape, ctx.app.scene.lighting, intArg(ctx));
    return 1;
}

int execSetColor(ScriptContext& ctx)
{
    setSchemeColour(ctx.app.scene, ctx.param, ctx);
    return 1;
}

int execSetColorUnderTree(ScriptContext& ctx)
{
    setSchemeColour(ctx.app.scene, ctx.param, ctx);
    setSchemeColour(ctx.app.scene, ctx.param - kUnderTreeToLeaves, ctx);
    return 1;
}

} // namespace kalvenor
