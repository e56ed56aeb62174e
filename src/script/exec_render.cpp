// Sun, sky, shading, render and image keywords: each stores a setting.
#include <string>

#include "render/image_buffers.h"
#include "script/exec_handlers.h"
#include "terrain/colouring_inputs.h"
#include "shell/app.h"

namespace kalvenor {

namespace {

// Image sizes of the GrMode presets, by mode number 1 .. 6.
struct ImageSizePreset {
    std::int32_t width;
    std::int32_t height;
};
constexpr ImageSizePreset kImageSizePresets[] = {
    {320, 200}, {640, 400}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024},
};

// A size by number must lie within this range on each side, as for the image-size operation.

// File names of the background and foreground images hold at most 127 characters.
constexpr std::size_t kImageFileNameChars = 127;

std::string imageFileName(const std::string& word) { return word.substr(0, kImageFileNameChars); }

} // namespace

int execHaze(ScriptContext& ctx)
{
    ctx.app.scene.sky.haze = intArg(ctx);
    return 1;
}

// One angle changes, the other is passed as it is; the sun direction follows.
int execSunAngle(ScriptContext& ctx)
{
    App& app = ctx.app;
    LightingSettings& lighting = app.scene.lighting;
    const float azimuth = ctx.param == 0 ? floatArg(ctx) : lighting.sunAzimuth;
    const float declination = ctx.param == 0 ? lighting.sunDeclination : floatArg(ctx);
    setSun(app.landscape, lighting, app.colouring, azimuth, declination);
    return 1;
}

int execShadows(ScriptContext& ctx)
{
    setShadows(ctx.app.landscape, ctx.app.scene.lighting, ctx.param != 0);
    return 1;
}

int execExaggeration(ScriptContext& ctx)
{
    setExaggeration(ctx.app.landscape, ctx.app.scene.lighting, ctx.param != 0);
    return 1;
}

int execLightingRoughness(ScriptContext& ctx)
{
    setLightingRoughness(ctx.app.landscape, ctx.app.scene.lighting, intArg(ctx));
    return 1;
}

int execSky(ScriptContext& ctx)
{
    ctx.app.scene.sky.sky = ctx.param;
    return 1;
}

int execHorizon(ScriptContext& ctx)
{
    ctx.app.scene.sky.horizon = ctx.param;
    return 1;
}

int execBlend(ScriptContext& ctx)
{
    ctx.app.scene.render.blend = ctx.param;
    return 1;
}

int execGouraud(ScriptContext& ctx)
{
    ctx.app.scene.render.gouraud = ctx.param;
    return 1;
}

int execBackFaceCulling(ScriptContext& ctx)
{
    ctx.app.scene.render.backFaceCulling = ctx.param;
    return 1;
}

int execPolygonSize(ScriptContext& ctx)
{
    setPolygonSize(ctx.app.landscape, ctx.param);
    return 1;
}

int execDither(ScriptContext& ctx)
{
    setBoundaryRoughness(ctx.app.landscape, ctx.app.scene.colouring, intArg(ctx));
    return 1;
}

int execPixelDitherKind(ScriptContext& ctx)
{
    ctx.app.scene.render.pixelDither = intArg(ctx);
    ctx.app.scene.render.pixelDitherKind = ctx.param;
    return 1;
}

int execPixelDither(ScriptContext& ctx)
{
    ctx.app.scene.render.pixelDither = intArg(ctx);
    return 1;
}

// The kind and level in use; a kind switched on also remembers its own level.
int execTexture(ScriptContext& ctx)
{
    TextureSettings& texture = ctx.app.scene.texture;
    texture.kind = ctx.param / 16;
    texture.level = ctx.param % 16;
    if (texture.kind == kTextureAltitude) texture.altitudeLevel = texture.level;
    if (texture.kind == kTextureShade) texture.shadeLevel = texture.level;
    return 1;
}

// A size outside the accepted range is refused and changes nothing, as the image-size operation does.
int execImageSize(ScriptContext& ctx)
{
    const std::int32_t width = intArg(ctx, 0);
    const std::int32_t height = intArg(ctx, 1);
    if (width < kMinImageSide || width > kMaxImageSide || height < kMinImageSide || height > kMaxImageSide) return 1;
    ctx.app.scene.render.imageWidth = width;
    ctx.app.scene.render.imageHeight = height;
    return 1;
}

// Every preset size can be had here: there is no display mode that could fail.
int execGrMode(ScriptContext& ctx)
{
    RenderSettings& render = ctx.app.scene.render;
    const ImageSizePreset& preset = kImageSizePresets[ctx.param - 1];
    render.imageSizeMode = ctx.param;
    render.imageWidth = preset.width;
    render.imageHeight = preset.height;
    return 1;
}

int execDisplayMode(ScriptContext& ctx)
{
    ctx.app.scene.render.displayMode = ctx.param;
    return 1;
}

int execRedrawRate(ScriptContext& ctx)
{
    RenderSettings& render = ctx.app.scene.render;
    const std::int32_t seconds = ctx.args.integer;
    if (seconds > 0) {
        render.displayMode = 2;
        render.redrawSeconds = seconds;
    } else {
        render.displayMode = 1;
    }
    return 1;
}

int execBackgroundFile(ScriptContext& ctx)
{
    RenderSettings& render = ctx.app.scene.render;
    render.backgroundFile = imageFileName(ctx.args.word);
    render.background = render.backgroundFile.empty() ? 0 : 1;
    return 1;
}

int execForegroundFile(ScriptContext& ctx)
{
    RenderSettings& render = ctx.app.scene.render;
    render.foregroundFile = imageFileName(ctx.args.word);
    render.foreground = render.foregroundFile.empty() ? 0 : 1;
    return 1;
}

int execBackground(ScriptContext& ctx)
{
    ctx.app.scene.render.background = ctx.param;
    return 1;
}

int execForeground(ScriptContext& ctx)
{
    ctx.app.scene.render.foreground = ctx.param;
    return 1;
}

} // namespace kalvenor
