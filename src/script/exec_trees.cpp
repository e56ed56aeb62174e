// Tree keywords.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "app/app.h"
#include "script/exec_handlers.h"
#include "terrain/colouring_inputs.h"

namespace kalvenor {

namespace {

constexpr int kTreeClasses = 4;

} // namespace

// Flat trees of a kind with a texture map are drawn as the map while this is on.
LineResult execTreeTexture(ScriptContext& ctx)
{
    ctx.app.scene.trees.texture = ctx.param;
    return LineResult::Done;
}

// Detail only shows on solid trees, so every detail level also selects them.
LineResult execTreeDetail(ScriptContext& ctx)
{
    ctx.app.scene.trees.detail = ctx.param;
    ctx.app.scene.trees.solid = 1;
    return LineResult::Done;
}

LineResult execTreeLeaves(ScriptContext& ctx)
{
    ctx.app.scene.trees.leaves.fill(static_cast<std::uint8_t>(ctx.param));
    return LineResult::Done;
}

LineResult execMeanTreeSize(ScriptContext& ctx)
{
    applyMeanTreeSize(ctx.app.scene.trees, intArg(ctx));
    return LineResult::Done;
}

LineResult execTreeKindSize(ScriptContext& ctx)
{
    TreeSettings& t = ctx.app.scene.trees;
    std::int32_t* const sizes[] = {&t.palmSize, &t.oakSize, &t.cactusSize, &t.pineSize};
    *sizes[ctx.param] = intArg(ctx);
    return LineResult::Done;
}

LineResult execMeanTreeDensity(ScriptContext& ctx)
{
    applyMeanTreeDensity(ctx.app.landscape, ctx.app.scene.trees, intArg(ctx));
    return LineResult::Done;
}

LineResult execTreeClassDensity(ScriptContext& ctx)
{
    setTreeDensity(ctx.app.landscape, ctx.app.scene.trees, ctx.param, intArg(ctx));
    return LineResult::Done;
}

// The kind keywords compute a band's new mask; the setter invalidates the placement.
LineResult execTreeNone(ScriptContext& ctx)
{
    for (int band = 0; band < kTreeClasses; ++band) setTreeKinds(ctx.app.landscape, ctx.app.scene.trees, band, 0);
    return LineResult::Done;
}

LineResult execTreeClassNone(ScriptContext& ctx)
{
    setTreeKinds(ctx.app.landscape, ctx.app.scene.trees, ctx.param, 0);
    return LineResult::Done;
}

LineResult execTreeKindAll(ScriptContext& ctx)
{
    for (int band = 0; band < kTreeClasses; ++band)
        setTreeKinds(ctx.app.landscape, ctx.app.scene.trees, band, ctx.param);
    return LineResult::Done;
}

LineResult execTreeKindOn(ScriptContext& ctx)
{
    TreeSettings& trees = ctx.app.scene.trees;
    const int band = ctx.param / 256;
    setTreeKinds(ctx.app.landscape, trees, band, trees.kindMask[static_cast<std::size_t>(band)] | (ctx.param % 256));
    return LineResult::Done;
}

LineResult execTreeKindOff(ScriptContext& ctx)
{
    TreeSettings& trees = ctx.app.scene.trees;
    const int band = ctx.param / 256;
    setTreeKinds(ctx.app.landscape, trees, band, trees.kindMask[static_cast<std::size_t>(band)] & ~(ctx.param % 256));
    return LineResult::Done;
}

// BranchBending N: how bent the branches of 3-D trees are, one value for all
// four kinds, clamped to 0 .. 100 as the panel's field is.
LineResult execBranchBending(ScriptContext& ctx)
{
    const auto bend = static_cast<std::uint8_t>(std::clamp(intArg(ctx), 0, 100));
    ctx.app.scene.trees.branchBend.fill(bend);
    return LineResult::Done;
}

} // namespace kalvenor
