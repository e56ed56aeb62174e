// Shared pieces of the benchmarks.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "base/frontend.h"
#include "model/scene_reset.h"
#include "render/image_size.h"
#include "shell/startup.h"
#include "terrain/fractal.h"

namespace kalvenor {

// A generated mountain landscape (feature size 8) of grid x grid points with
// the overview camera, as the whole-render benchmarks draw it.
inline std::unique_ptr<App> mountainApp(Frontend& ui, int grid)
{
    auto app = std::make_unique<App>();
    initialiseApp(*app, ui);
    resizeLandscape(app->landscape, app->random, grid, grid);
    app->scene.generation.islandMode = 0;
    app->scene.generation.featureSize = 8;
    generateLandscape(app->landscape, app->scene.generation, app->random, ui);
    refreshAfterGeneration(app->landscape, app->scene);
    return app;
}

// The image those benchmarks draw: width x height, antialiasing 0 or 1
// (1 draws at twice the width and height and reduces), altitude texture off.
// False when the buffers could not be had.
inline bool setBenchImage(App& app, Frontend& ui, int width, int height, int antialias)
{
    app.scene.render.antialias = antialias;
    app.scene.texture.kind = 0;
    return setImageSize(app.images, app.geometry, app.scene.render, ui, width, height) == 1;
}

} // namespace kalvenor
