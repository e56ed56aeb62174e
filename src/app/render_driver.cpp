#include "app/render_driver.h"

#include <algorithm>
#include <cstdio>

#include "app/app.h"
#include "app/palette_prediction.h"
#include "base/frontend.h"
#include "base/worker_pool.h"
#include "codecs/image_io.h"
#include "codecs/targa.h"
#include "model/setting_limits.h"
#include "render/camera.h"
#include "render/flare.h"
#include "render/palette_map.h"
#include "render/post_process.h"
#include "render/terrain_walk.h"
#include "render/textures.h"
#include "render/view_transform.h"
#include "render/waves.h"
#include "terrain/shading.h"
#include "terrain/terrain_preparation.h"

namespace kalvenor {

namespace {

void clearImages(ImageBuffers& images)
{
    // Rows apart: tens of megabytes with antialiasing, every frame.
    ImagePlane<std::uint32_t>& rgb = images.vidmem24;
    ImagePlane<std::uint8_t>& indexed = images.vidmem8;
    const int rows = std::max(rgb.height, indexed.height);
    parallelFor(rows, [&](int r) {
        if (r < rgb.height) std::fill_n(rgb[r], rgb.width, 0u);
        if (r < indexed.height) std::fill_n(indexed[r], indexed.width, std::uint8_t{0});
    });
}

ImageSize imageSizeOf(const App& app) { return {app.geometry.width, app.geometry.height}; }

RasterTarget rasterTargetOf(App& app, Frontend& ui, const char* label)
{
    RasterTarget target;
    target.images = &app.images;
    target.geometry = &app.geometry;
    target.dither = &app.dither;
    target.ditherAmount = app.scene.render.pixelDither;
    target.ditherKind = app.scene.render.pixelDitherKind;
    target.light = &app.light;
    target.ui = &ui;
    target.progressLabel = label;
    return target;
}

void convertImage(App& app)
{
    convertToPalette(app.images, app.geometry.width, app.geometry.height, app.palette, app.paletteMap, app.dither,
                     app.scene.render.pixelDither, app.scene.render.pixelDitherKind);
}

bool stereoEye(const CameraSettings& camera)
{
    return camera.stereoLens == kLensLeft || camera.stereoLens == kLensRight;
}

// What every completed frame moves on: the sun and moon counters and the wave phase.
void stepFrameCounters(SceneSettings& scene)
{
    SunMoonSettings& sky = scene.sky.sunMoon;
    sky.moonCounter += 1.0f;
    sky.sunCounter = static_cast<std::int32_t>(static_cast<std::uint32_t>(sky.sunCounter) + 1u); // wraps
    advanceWavePhase(scene.waves);
}

// Both image buffers are there; otherwise Failed with its message shown.
Outcome checkBuffers(const App& app, Frontend& ui)
{
    if (!app.images.vidmem8.allocated()) {
        ui.message(kNoVidmem8);
        return Outcome::Failed;
    }
    if (!app.images.vidmem24.allocated()) {
        ui.message(kNoVidmem24);
        return Outcome::Failed;
    }
    return Outcome::Done;
}

// Before anything is drawn: the settings within their limits, then the
// colours, cliffs and shades and the palette (an abort cancels the frame).
Outcome prepareFrame(App& app, Frontend& ui)
{
    if (const std::string outside = firstSettingOutsideLimits(app.scene); !outside.empty()) {
        keepWithinLimits(app.scene, settingValues(SceneSettings{}));
        ui.report(outside + " was outside its limits and is brought within them");
    }
    if (prepareTerrain(app.landscape, app.scene, app.colouring, app.random, ui) != 1) return Outcome::Cancelled;
    if (predictPalette(app, ui) != Outcome::Done) return Outcome::Cancelled;
    return Outcome::Done;
}

// Object shadows are marked at the finest polygon size only.
void markShadowsOfObjects(App& app)
{
    markObjectShadows(app.landscape, app.colouring.sun, app.scene.trees.trees != 0);
}

// Textures a session named without data are looked for once, before the frame draws.
void loadTexturesNamed(App& app, Frontend& ui)
{
    loadNamedTextures(app.textures, ui, app.dirs.texture[static_cast<std::size_t>(TextureFamily::Ground)]);
}

} // namespace

SceneRecords sceneRecordsOf(App& app)
{
    return {app.landscape, app.scene, app.colouring, app.textures, app.view, app.light, app.raster};
}

const char* progressLabel(int index, int count, char* buffer, int size)
{
    if (count == 1) return "Render";
    std::snprintf(buffer, static_cast<std::size_t>(size), "Frame %d of %d", index + 1, count);
    return buffer;
}

Outcome renderFrame(App& app, Frontend& ui, int index, int count)
{
    CameraSettings& camera = app.scene.camera;
    RenderSettings& render = app.scene.render;

    markShadowsOfObjects(app);
    const bool oversize = render.antialias != 0 && beginOversize(app.images, app.geometry);

    applyLens(app.view, camera);
    char buffer[32];
    const RasterTarget target = rasterTargetOf(app, ui, progressLabel(index, count, buffer, sizeof buffer));
    buildViewRotation(app.view, camera);

    loadTexturesNamed(app, ui);
    int result = 1;
    if (stereoEye(camera)) {
        moveToEye(app.view, camera);
        result = drawScene(sceneRecordsOf(app), app.sceneDraw, ui, target);
        restoreEye(app.view, camera);
    } else {
        result = drawScene(sceneRecordsOf(app), app.sceneDraw, ui, target);
    }
    restoreLens(app.view, camera);
    const bool completed = result == 1;

    if (oversize) endOversize(app.images, app.geometry, completed, render.antialiasType, ui);
    if (completed && render.flare) result = applyFlare(app.images, app.geometry, app.scene.surfaceAttributes, ui);
    if (stereoEye(camera))
        stereoShift(app.images, app.geometry, camera.stereoLens == kLensLeft ? -camera.stereoShift : camera.stereoShift);
    convertImage(app);

    if (result == 1) stepFrameCounters(app.scene);
    return result == 1 ? Outcome::Done : Outcome::Cancelled;
}

Outcome renderImage(App& app, Frontend& ui) { return renderImage(app, ui, 0, 1); }

Outcome renderImage(App& app, Frontend& ui, int index, int count)
{
    if (const Outcome ready = checkBuffers(app, ui); ready != Outcome::Done) return ready;
    if (const Outcome prepared = prepareFrame(app, ui); prepared != Outcome::Done) return prepared;

    clearImages(app.images);
    ui.renderStarted();
    resetPaletteMap(app.paletteMap);
    buildViewRotation(app.view, app.scene.camera);
    app.raster.framePolygons = 0;
    app.raster.abortRequested = false;
    app.scene.render.renderStartMillis = static_cast<std::int32_t>(app.clock.millis());

    const RenderSettings& render = app.scene.render;
    if (render.background) loadBackground(app.images.vidmem24, imageSizeOf(app), render);
    const Outcome result = renderFrame(app, ui, index, count);
    if (result == Outcome::Done && render.foreground) applyForeground(app.images.vidmem24, imageSizeOf(app), render);

    app.scene.render.renderEndMillis = static_cast<std::int32_t>(app.clock.millis());
    app.scene.render.polygonCount = app.raster.framePolygons;
    if (render.background || render.foreground) convertImage(app);
    ui.renderEnded();
    return result;
}

Outcome replayFrame(App& app, Frontend& ui)
{
    if (const Outcome ready = checkBuffers(app, ui); ready != Outcome::Done) return ready;
    if (const Outcome prepared = prepareFrame(app, ui); prepared != Outcome::Done) return prepared;
    markShadowsOfObjects(app);
    loadTexturesNamed(app, ui);
    stepFrameCounters(app.scene);
    return Outcome::Done;
}

} // namespace kalvenor
