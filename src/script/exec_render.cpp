// Sun, sky, shading, render and image keywords: each stores a setting.
#include <algorithm>
#include <string>

#include "app/app.h"
#include "base/worker_pool.h"
#include "codecs/image_buffers.h"
#include "render/image_size.h"
#include "render/sky_commands.h"
#include "render/palette_selection.h"
#include "script/exec_handlers.h"
#include "terrain/colouring_inputs.h"

namespace kalvenor {

namespace {

// The GrMode preset without a fallback to 320 x 200.
constexpr int kGrMode1280x1024 = 6;

// File names of the background and foreground images hold at most 127 characters.
constexpr std::size_t kImageFileNameChars = 127;

std::string imageFileName(const std::string& word) { return word.substr(0, kImageFileNameChars); }

// Antialiasing renders at twice the size each way: the image must fit that.
bool fitsAntialiasing(int width, int height) { return width * 2 <= kMaxImageSide && height * 2 <= kMaxImageSide; }

} // namespace

// One angle changes, the other is passed as it is; the sun direction follows.
LineResult execSunAngle(ScriptContext& ctx)
{
    App& app = ctx.app;
    LightingSettings& lighting = app.scene.lighting;
    const float azimuth = ctx.param == 0 ? floatArg(ctx) : lighting.sunAzimuth;
    const float declination = ctx.param == 0 ? lighting.sunDeclination : floatArg(ctx);
    setSun(app.landscape, lighting, app.colouring, azimuth, declination);
    return LineResult::Done;
}

LineResult execShadows(ScriptContext& ctx)
{
    setShadows(ctx.app.landscape, ctx.app.scene.lighting, ctx.param != 0);
    return LineResult::Done;
}

LineResult execExaggeration(ScriptContext& ctx)
{
    setExaggeration(ctx.app.landscape, ctx.app.scene.lighting, ctx.param != 0);
    return LineResult::Done;
}

LineResult execLightingRoughness(ScriptContext& ctx)
{
    setLightingRoughness(ctx.app.landscape, ctx.app.scene.lighting, intArg(ctx));
    return LineResult::Done;
}

LineResult execPolygonSize(ScriptContext& ctx)
{
    setPolygonSize(ctx.app.landscape, ctx.param);
    return LineResult::Done;
}

LineResult execDither(ScriptContext& ctx)
{
    setBoundaryRoughness(ctx.app.landscape, ctx.app.scene.colouring, intArg(ctx));
    return LineResult::Done;
}

LineResult execPixelDitherKind(ScriptContext& ctx)
{
    ctx.app.scene.render.pixelDither = intArg(ctx);
    ctx.app.scene.render.pixelDitherKind = ctx.param;
    return LineResult::Done;
}

// The kind and level in use; a kind switched on also remembers its own level.
LineResult execTexture(ScriptContext& ctx)
{
    TextureSettings& texture = ctx.app.scene.texture;
    texture.kind = ctx.param / 16;
    texture.level = ctx.param % 16;
    if (texture.kind == kTextureAltitude) texture.altitudeLevel = texture.level;
    if (texture.kind == kTextureShade) texture.shadeLevel = texture.level;
    return LineResult::Done;
}

// A size outside the accepted range is refused and changes nothing, as the image-size operation does.
// A size by number (16 .. 8192 each way); the image buffers follow it. A size
// that is refused or cannot be allocated changes nothing.
LineResult execImageSize(ScriptContext& ctx)
{
    App& app = ctx.app;
    const int width = intArg(ctx, 0);
    const int height = intArg(ctx, 1);
    if (ctx.args.count < 2 || width < kMinImageSide || width > kMaxImageSide || height < kMinImageSide ||
        height > kMaxImageSide) {
        scriptFailure(ctx, "an image size takes a width and a height of " + std::to_string(kMinImageSide) + " to " +
                               std::to_string(kMaxImageSide) + " pixels; the size stays " +
                               std::to_string(app.geometry.width) + " x " + std::to_string(app.geometry.height));
        return LineResult::Done;
    }
    if (app.scene.render.antialias != 0 && !fitsAntialiasing(width, height)) {
        scriptFailure(ctx, "too large while antialiasing is on (at most " + std::to_string(kMaxImageSide / 2) +
                               " each way; AntialiasOff allows " + std::to_string(kMaxImageSide) + ")");
        return LineResult::Done;
    }
    if (setImageSize(app.images, app.geometry, app.scene.render, ctx.ui, width, height) != 1)
        scriptFailure(ctx, "not enough memory for the image buffers of " + std::to_string(width) + " x " +
                               std::to_string(height));
    return LineResult::Done;
}

// A preset size in the current display depth where it is offered; when the
// mode cannot be set, 320 x 200 (mode 1), except for 1280 x 1024, which has no
// fallback.
LineResult execGrMode(ScriptContext& ctx)
{
    App& app = ctx.app;
    const int index = displayModeForSize(ctx.param, app.geometry.displayDepth);
    const int result = setDisplayMode(app.images, app.geometry, app.scene.render, ctx.ui, index);
    if (result == 0 && ctx.param != kGrMode1280x1024)
        setDisplayMode(app.images, app.geometry, app.scene.render, ctx.ui, displayModeForSize(1, 8));
    return LineResult::Done;
}

LineResult execRedrawRate(ScriptContext& ctx)
{
    RenderSettings& render = ctx.app.scene.render;
    const std::int32_t seconds = ctx.args.integer;
    if (seconds > 0) {
        render.displayMode = 2;
        render.redrawSeconds = seconds;
    } else {
        render.displayMode = 1;
    }
    return LineResult::Done;
}

LineResult execThreads(ScriptContext& ctx)
{
    const std::int32_t count = ctx.args.integer;
    if (count < 1 || count > kMaxThreads) {
        scriptFailure(ctx, "takes a number of threads from 1 to " + std::to_string(kMaxThreads));
        return LineResult::Done;
    }
    setThreadCount(count);
    return LineResult::Done;
}

LineResult execBackgroundFile(ScriptContext& ctx)
{
    RenderSettings& render = ctx.app.scene.render;
    render.backgroundFile = imageFileName(ctx.args.word);
    render.background = render.backgroundFile.empty() ? 0 : 1;
    return LineResult::Done;
}

LineResult execForegroundFile(ScriptContext& ctx)
{
    RenderSettings& render = ctx.app.scene.render;
    render.foregroundFile = imageFileName(ctx.args.word);
    render.foreground = render.foregroundFile.empty() ? 0 : 1;
    return LineResult::Done;
}

// Antialiasing renders at twice the size each way, so it needs an image of at
// most half the largest side; switching it on for a larger image is refused.
LineResult execAntialias(ScriptContext& ctx)
{
    App& app = ctx.app;
    if (ctx.param != 0 && !fitsAntialiasing(app.geometry.width, app.geometry.height)) {
        scriptFailure(ctx, "an image of " + std::to_string(app.geometry.width) + " x " +
                               std::to_string(app.geometry.height) + " is too large for antialiasing (at most " +
                               std::to_string(kMaxImageSide / 2) + " each way); it stays off");
        app.scene.render.antialias = 0;
        return LineResult::Done;
    }
    app.scene.render.antialias = ctx.param;
    return LineResult::Done;
}

// Phong hilites and auto exposure change every lit colour: the row marks the palette.
LineResult execLightingSwitch(ScriptContext& ctx)
{
    LightingSettings& lighting = ctx.app.scene.lighting;
    std::int32_t& setting = ctx.param / 2 == kSwitchPhong / 2 ? lighting.phongHighlights : lighting.autoExposure;
    setting = ctx.param % 2;
    return LineResult::Done;
}

// PaletteColours n: the colours of the predicted 8-bit palette, 2 to 256.
LineResult execPaletteColours(ScriptContext& ctx)
{
    const std::int32_t colours = intArg(ctx);
    if (!argumentInRange(ctx, colours, kMinPaletteColours, kMaxPaletteColours)) {
        ctx.applyMarks = false;
        return LineResult::Done;
    }
    ctx.app.paletteMap.colours = colours;
    return LineResult::Done;
}

// SunPosition, MoonPosition x y z: the position in units of the body's distance,
// as the pickers show it; the sun's direction is set through the sun setter.
LineResult execBodyPosition(ScriptContext& ctx)
{
    App& app = ctx.app;
    const double x = ctx.args.number[0], y = ctx.args.number[1], z = ctx.args.number[2];
    if (ctx.args.count < 3) {
        scriptFailure(ctx, "takes three numbers: x, y and z in units of the body's distance");
        return LineResult::Done;
    }
    if (ctx.param == 0) placeSun(app.landscape, app.scene.lighting, app.colouring, x, y, z);
    else placeMoon(app.scene.sky.sunMoon, x, y, z);
    return LineResult::Done;
}

// BoundingBox x1 y1 x2 y2 (metres): only the cells of the box are drawn and
// exported; BoundingBoxOff draws the whole landscape again.
LineResult execBoundingBox(ScriptContext& ctx)
{
    App& app = ctx.app;
    BoundingBox& box = app.scene.render.box;
    if (ctx.param == 0) {
        box.enabled = 0;
        return LineResult::Done;
    }
    const Landscape& land = app.landscape;
    const auto cell = [](double metres, float spacing, int size) {
        return std::clamp(toInt32(metres / static_cast<double>(spacing)), 0, size);
    };
    const int c1 = cell(ctx.args.number[0], land.spacingX, land.sizeX);
    const int r1 = cell(ctx.args.number[1], land.spacingY, land.sizeY);
    const int c2 = cell(ctx.args.number[2], land.spacingX, land.sizeX);
    const int r2 = cell(ctx.args.number[3], land.spacingY, land.sizeY);
    if (ctx.args.count < 4 || c1 >= c2 || r1 >= r2) {
        scriptFailure(ctx, "takes x1 y1 x2 y2 in metres with x1 < x2 and y1 < y2 at least one cell apart");
        return LineResult::Done;
    }
    box = {1, c1, r1, c2, r2};
    return LineResult::Done;
}

} // namespace kalvenor
