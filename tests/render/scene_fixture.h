// Scenes for the terrain walk and sky tests: an App with a colour scheme and
// surface attributes a person would choose, landscapes whose pictures are
// known (a flat plane, a pyramid, a generated island with a sea), and a
// canvas to draw them into.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/app.h"
#include "app/render_driver.h"
#include "model/scene_reset.h"
#include "platform/scripted_frontend.h"
#include "render/camera.h"
#include "render/scene_frame.h"
#include "render/scene_state.h"
#include "render/terrain_lighting.h"
#include "render/terrain_walk.h"
#include "support/test_drawing.h"
#include "terrain/colouring_common.h"
#include "terrain/fractal.h"
#include "terrain/terrain_preparation.h"
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace kalvenor::testing {

struct SchemeRow {
    int first, last;
    std::uint8_t r, g, b;
};

// Sky, haze, horizon, sun, ambient, moon and ground colours.
inline constexpr SchemeRow kTestScheme[] = {
    {25, 26, 192, 192, 192}, {32, 32, 48, 112, 16},   {33, 33, 64, 128, 192},   {38, 38, 120, 100, 70},
    {39, 39, 130, 110, 80},  {40, 40, 140, 120, 90},  {41, 41, 150, 130, 100},  {42, 45, 240, 240, 250},
    {46, 46, 110, 100, 90},  {47, 47, 100, 90, 80},   {48, 48, 90, 80, 70},     {49, 49, 80, 70, 60},
    {50, 50, 200, 190, 140}, {51, 52, 30, 60, 140},   {53, 55, 200, 220, 240},  {56, 56, 40, 110, 40},
    {57, 57, 50, 110, 45},   {58, 58, 60, 110, 50},   {59, 59, 70, 110, 55},    {77, 77, 255, 248, 240},
    {78, 78, 240, 248, 255}, {79, 79, 128, 128, 128}, {88, 91, 100, 100, 100},
};

inline void applyTestScheme(SceneSettings& scene)
{
    for (const SchemeRow& row : kTestScheme)
        for (int e = row.first; e <= row.last; ++e) {
            scene.colourScheme[static_cast<std::size_t>(e) * 4 + 1] = row.r;
            scene.colourScheme[static_cast<std::size_t>(e) * 4 + 2] = row.g;
            scene.colourScheme[static_cast<std::size_t>(e) * 4 + 3] = row.b;
        }
    scene.surfaceAttributes = defaultSurfaceAttributes();
}

// Settings of the speed goal: sky, horizon, haze, shadows, polygon size 1,
// altitude texture off, no antialiasing, no dither.
inline void plainRenderSettings(SceneSettings& scene)
{
    scene.texture.kind = 0;
    scene.render.antialias = 0;
    scene.render.pixelDither = 0;
    scene.sky.sunMoon.sunSize = 0;
    scene.lighting.lightingRoughness = 0;
}

struct Scene {
    std::unique_ptr<App> app = std::make_unique<App>();
    ScriptedFrontend ui;
    SceneDrawState state;
    std::unique_ptr<Canvas> canvas;

    Scene(int width, int height, int projWidth, int projHeight)
        : canvas(std::make_unique<Canvas>(width, height, projWidth, projHeight))
    {
        applyTestScheme(app->scene);
        plainRenderSettings(app->scene);
    }

    int draw()
    {
        buildViewRotation(app->view, app->scene.camera);
        canvas->target.ui = &ui;
        return drawScene(sceneRecordsOf(*app), state, ui, canvas->target);
    }
};

namespace detail {

inline void allocate(App& app, int grid)
{
    Landscape& land = app.landscape;
    if (allocateGrid(land, grid, grid) != 1) throw std::runtime_error("grid allocation failed");
    land.polygonSize = 1;
}

inline void finish(App& app)
{
    Landscape& land = app.landscape;
    computeElevationStatistics(land);
    land.terrainFrozen = 1; // the codes written here are the picture
    land.shadowFrozen = 1;
}

} // namespace detail

// Every point at elevation e with ground code `code`, no shadows; the maps count as given.
inline void makeFlatLandscape(App& app, int grid, int elevation, int code)
{
    detail::allocate(app, grid);
    Landscape& land = app.landscape;
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) {
            land.elevation[r][c] = static_cast<std::int16_t>(elevation);
            land.terrain[r][c] = static_cast<std::uint16_t>(code);
            land.shadow[r][c] = 0;
        }
    detail::finish(app);
}

// A square pyramid of the given half-width (cells) and height at the grid
// centre on flat ground at 0, ground code `code` everywhere.
inline void makePyramid(App& app, int grid, int halfWidth, int height, int code)
{
    makeFlatLandscape(app, grid, 0, code);
    Landscape& land = app.landscape;
    const int centre = land.sizeX / 2;
    for (int r = centre - halfWidth; r <= centre + halfWidth; ++r)
        for (int c = centre - halfWidth; c <= centre + halfWidth; ++c) {
            const int d = std::max(std::abs(r - centre), std::abs(c - centre));
            land.elevation[r][c] = static_cast<std::int16_t>(height * (halfWidth - d) / halfWidth);
        }
    detail::finish(app);
}

// A fractal landscape (seed) with the sea up to a quarter of its range,
// coloured and shaded as for a render, seen from the overview camera.
inline void makeIsland(App& app, ScriptedFrontend& ui, int grid, std::uint32_t seed)
{
    detail::allocate(app, grid);
    app.landscape.sizeMode = SizeMode::Fixed;
    app.scene.generation.seed = seed;
    generateLandscape(app.landscape, app.scene.generation, app.random, ui);
    Landscape& land = app.landscape;
    refreshAfterGeneration(land, app.scene);
    const int sea = land.lowestElevation + (land.highestElevation - land.lowestElevation) / 4;
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c)
            if (land.elevation[r][c] <= sea) {
                land.elevation[r][c] = static_cast<std::int16_t>(sea);
                land.terrain[r][c] = ground::kWater1;
            }
    computeElevationStatistics(land);
    setDefaultTerrainThresholds(land, app.scene.colouring);
    app.scene.colouring.treeLine = sea + (land.highestElevation - sea) / 4;
    app.scene.colouring.snowLine = sea + (land.highestElevation - sea) * 2 / 3;
    land.polygonSize = 1;
    if (prepareTerrain(land, app.scene, app.colouring, app.random, ui) != 1)
        throw std::runtime_error("terrain preparation aborted");
    placeOverviewCamera(land, app.scene.camera);
}

// Keeps the picture as name.ppm in $KALVENOR_DRAWINGS when that is set.
inline void saveScene(const Canvas& canvas, const std::string& name) { keepDrawing(canvas, name); }

} // namespace kalvenor::testing
