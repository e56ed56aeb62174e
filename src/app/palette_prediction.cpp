#include "app/palette_prediction.h"

#include <memory>

#include "app/app.h"
#include "base/frontend.h"
#include "render/palette_selection.h"
#include "render/palette_steps.h"
#include "render/terrain_lighting.h"

namespace kalvenor {

Outcome predictPalette(App& app, Frontend& ui)
{
    // A locked palette is kept across renders, so the frames of an animation share it.
    if (!app.landscape.paletteStale || app.scene.render.paletteLocked) return Outcome::Done;

    const int colours = clampPaletteColours(app.paletteMap.colours);
    const int lightLevel = app.colouring.sun.lightLevel;
    SurfaceLight light; // the light the render will draw under
    setFrameLight(light, app.scene, lightLevel);
    PredictionScene scene{app.scene.colourScheme,
                          app.scene.surfaceAttributes,
                          app.scene.lighting.phongHighlights != 0,
                          lightLevel, // the sky is drawn at the light level
                          lightLevel, // and so is the horizon ring
                          app.scene.clouds.lining,
                          app.scene.sky.haze,
                          light};

    const auto histogram = std::make_unique<ColourHistogram>(); // 64 KB: kept off the stack
    predictColours(scene, app.landscape, app.textures, *histogram, app.dither, app.random, ui);

    // Entries past the palette size are never shown; black keeps saved palettes free of old colours.
    for (int i = colours; i < kMaxPaletteColours; ++i) setPaletteEntry(app.palette, i, 0, 0, 0);
    const int result = selectPalette(*histogram, colours, app.palette, ui);

    // The palette changed, even when only in part: every cached nearest entry is void.
    app.paletteMap.colours = colours;
    resetPaletteMap(app.paletteMap);
    if (result != 1) return Outcome::Cancelled; // still stale: the next render predicts again
    app.landscape.paletteStale = 0;
    return Outcome::Done;
}

} // namespace kalvenor
