// Tree and cloud keywords.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "script/exec_handlers.h"
#include "shell/app.h"

namespace kalvenor {

namespace {

constexpr int kTreeClasses = 4;
constexpr int kMaxCloudPercent = 100;

std::int32_t& kindMask(TreeSettings& trees, int treeClass)
{
    return trees.kindMask[static_cast<std::size_t>(treeClass)];
}

std::int32_t saturate32(std::int64_t v)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// Sets the mean of four values to v keeping their proportions:
// m = trunc((a + b + c + d + 2) / 4), at least 1; each value x becomes
// trunc((x * v + trunc(m / 2)) / m). Formed in 64 bits, stored saturated.
void setMean(const std::array<std::int32_t*, 4>& values, std::int32_t v)
{
    std::int64_t sum = 2;
    for (const std::int32_t* x : values) sum += *x;
    const std::int64_t mean = std::max<std::int64_t>(sum / 4, 1);
    for (std::int32_t* x : values) *x = saturate32((std::int64_t{*x} * v + mean / 2) / mean);
}

} // namespace

int execTrees(ScriptContext& ctx)
{
    ctx.app.scene.trees.trees = ctx.param;
    return 1;
}

int execTreeSolid(ScriptContext& ctx)
{
    ctx.app.scene.trees.solid = ctx.param;
    return 1;
}

// Detail only shows on solid trees, so every detail level also selects them.
int execTreeDetail(ScriptContext& ctx)
{
    ctx.app.scene.trees.detail = ctx.param;
    ctx.app.scene.trees.solid = 1;
    return 1;
}

int execTreeTexture(ScriptContext& ctx)
{
    ctx.app.scene.trees.texture = ctx.param;
    return 1;
}

int execTreeLeaves(ScriptContext& ctx)
{
    ctx.app.scene.trees.leaves.fill(static_cast<std::uint8_t>(ctx.param));
    return 1;
}

int execMeanTreeSize(ScriptContext& ctx)
{
    TreeSettings& t = ctx.app.scene.trees;
    setMean({&t.palmSize, &t.oakSize, &t.cactusSize, &t.pineSize}, intArg(ctx));
    return 1;
}

int execTreeKindSize(ScriptContext& ctx)
{
    TreeSettings& t = ctx.app.scene.trees;
    std::int32_t* const sizes[] = {&t.palmSize, &t.oakSize, &t.cactusSize, &t.pineSize};
    *sizes[ctx.param] = intArg(ctx);
    return 1;
}

int execMeanTreeDensity(ScriptContext& ctx)
{
    auto& d = ctx.app.scene.trees.density;
    setMean({&d[0], &d[1], &d[2], &d[3]}, intArg(ctx));
    return 1;
}

int execTreeClassDensity(ScriptContext& ctx)
{
    ctx.app.scene.trees.density[static_cast<std::size_t>(ctx.param)] = intArg(ctx);
    return 1;
}

int execTreeNone(ScriptContext& ctx)
{
    for (int c = 0; c < kTreeClasses; ++c) kindMask(ctx.app.scene.trees, c) = 0;
    return 1;
}

int execTreeClassNone(ScriptContext& ctx)
{
    kindMask(ctx.app.scene.trees, ctx.param) = 0;
    return 1;
}

int execTreeKindAll(ScriptContext& ctx)
{
    for (int c = 0; c < kTreeClasses; ++c) kindMask(ctx.app.scene.trees, c) = ctx.param;
    return 1;
}

int execTreeKindOn(ScriptContext& ctx)
{
    kindMask(ctx.app.scene.trees, ctx.param / 256) |= ctx.param % 256;
    return 1;
}

int execTreeKindOff(ScriptContext& ctx)
{
    kindMask(ctx.app.scene.trees, ctx.param / 256) &= ~(ctx.param % 256);
    return 1;
}

int execClouds(ScriptContext& ctx)
{
    ctx.app.scene.clouds.clouds = ctx.param;
    return 1;
}

// Coverage and edge sharpness are percentages; their setters keep them within 0 .. 100.
int execCloudDensity(ScriptContext& ctx)
{
    ctx.app.scene.clouds.density = std::clamp(intArg(ctx), 0, kMaxCloudPercent);
    return 1;
}

int execCloudHardness(ScriptContext& ctx)
{
    ctx.app.scene.clouds.hardness = std::clamp(intArg(ctx), 0, kMaxCloudPercent);
    return 1;
}

int execCloudAltitude(ScriptContext& ctx)
{
    ctx.app.scene.clouds.altitude = intArg(ctx);
    return 1;
}

int execCloudTexture(ScriptContext& ctx)
{
    ctx.app.scene.clouds.texture = ctx.param;
    return 1;
}

// The seed is a plain setting and is kept; regenerating the pattern from it
// waits for the cloud subsystem.
int execCloudNumber(ScriptContext& ctx)
{
    ctx.app.scene.clouds.number = intArg(ctx);
    return execNotAvailable(ctx);
}

} // namespace kalvenor
