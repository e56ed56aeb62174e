// Sun, sky, shading, render and image keywords: each stores a setting.
#include <string>

#include "app/app.h"
#include "codecs/image_buffers.h"
#include "render/image_size.h"
#include "script/exec_handlers.h"
#include "terrain/colouring_inputs.h"

namespace kalvenor {

namespace {

// The GrMode preset without a fallback to 320 x 200.
constexpr int kGrMode1280x1024 = 6;

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
// A size by number (16 .. 8192 each way); the image buffers follow it. A size
// that is refused or cannot be allocated changes nothing.
int execImageSize(ScriptContext& ctx)
{
    App& app = ctx.app;
    setImageSize(app.images, app.geometry, app.scene.render, ctx.ui, intArg(ctx, 0), intArg(ctx, 1));
    return 1;
}

// A preset size in the current display depth where it is offered; when the
// mode cannot be set, 320 x 200 (mode 1), except for 1280 x 1024, which has no
// fallback.
int execGrMode(ScriptContext& ctx)
{
    App& app = ctx.app;
    const int index = displayModeForSize(ctx.param, app.geometry.displayDepth);
    const int result = setDisplayMode(app.images, app.geometry, app.scene.render, ctx.ui, index);
    if (result == 0 && ctx.param != kGrMode1280x1024)
        setDisplayMode(app.images, app.geometry, app.scene.render, ctx.ui, displayModeForSize(1, 8));
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
