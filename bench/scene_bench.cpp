// The frame contents alone (drawScene): sky, horizon, haze, shadows, polygon
// size 1, altitude texture off, no antialiasing, of generated landscapes of
// 258, 1026 and 2050 points a side seen from the overview camera.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

#include "app/app.h"
#include "app/render_driver.h"
#include "bench_support.h"
#include "model/scene_reset.h"
#include "render/scene_state.h"
#include "render/terrain_lighting.h"
#include "render/terrain_walk.h"
#include "terrain/colouring_common.h"
#include "terrain/fractal.h"
#include "terrain/terrain_preparation.h"

namespace kalvenor {
namespace {

// Sky, haze, horizon, sun, ambient and the ground codes, as a scheme would give them.
void benchScheme(SceneSettings& scene)
{
    const struct {
        int first, last;
        std::uint8_t r, g, b;
    } rows[] = {{25, 26, 192, 192, 192}, {32, 32, 48, 112, 16},  {33, 33, 64, 128, 192}, {38, 41, 130, 110, 80},
                {42, 45, 240, 240, 250}, {46, 49, 100, 90, 80},  {50, 50, 200, 190, 140}, {51, 55, 30, 60, 140},
                {56, 59, 50, 110, 45},   {77, 77, 255, 248, 240}, {78, 78, 240, 248, 255}};
    for (const auto& row : rows)
        for (int e = row.first; e <= row.last; ++e) {
            scene.colourScheme[static_cast<std::size_t>(e) * 4 + 1] = row.r;
            scene.colourScheme[static_cast<std::size_t>(e) * 4 + 2] = row.g;
            scene.colourScheme[static_cast<std::size_t>(e) * 4 + 3] = row.b;
        }
    scene.surfaceAttributes = defaultSurfaceAttributes();
}

std::unique_ptr<App> benchScene(int grid, int width, int height)
{
    auto app = std::make_unique<App>();
    SilentFrontend ui;
    Landscape& land = app->landscape;
    if (allocateGrid(land, grid, grid) != 1) throw std::runtime_error("grid");
    land.sizeMode = SizeMode::Fixed;
    app->scene.generation.seed = 4242;
    generateLandscape(land, app->scene.generation, app->random, ui);
    refreshAfterGeneration(land, app->scene);
    const int sea = land.lowestElevation + (land.highestElevation - land.lowestElevation) / 4;
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c)
            if (land.elevation[r][c] <= sea) {
                land.elevation[r][c] = static_cast<std::int16_t>(sea);
                land.terrain[r][c] = ground::kWater1;
            }
    computeElevationStatistics(land);
    land.polygonSize = 1;
    benchScheme(app->scene);
    app->scene.texture.kind = 0;
    app->scene.render.antialias = 0;
    if (prepareTerrain(land, app->scene, app->colouring, app->random, ui) != 1) throw std::runtime_error("prepare");
    placeOverviewCamera(land, app->scene.camera);
    app->images.vidmem24.allocate(width, height);
    app->images.vidmem8.allocate(width, height);
    app->geometry.width = width, app->geometry.height = height;
    app->geometry.projWidth = app->geometry.projHeight = width;
    buildViewRotation(app->view, app->scene.camera);
    return app;
}

void sceneFrame(benchmark::State& state, int grid, int width, int height)
{
    const std::unique_ptr<App> app = benchScene(grid, width, height);
    SilentFrontend ui;
    SceneDrawState scene;
    RasterTarget target;
    target.images = &app->images;
    target.geometry = &app->geometry;
    target.dither = &app->dither;
    target.light = &app->light;
    for (auto _ : state) {
        app->raster.framePolygons = 0;
        benchmark::DoNotOptimize(drawScene(sceneRecordsOf(*app), scene, ui, target));
    }
    state.counters["polygons"] = app->raster.framePolygons;
}

void BM_Scene258At640(benchmark::State& state) { sceneFrame(state, 258, 640, 480); }
void BM_Scene1026At640(benchmark::State& state) { sceneFrame(state, 1026, 640, 480); }
void BM_Scene2050At640(benchmark::State& state) { sceneFrame(state, 2050, 640, 480); }
void BM_Scene258At1024(benchmark::State& state) { sceneFrame(state, 258, 1024, 768); }
void BM_Scene1026At1024(benchmark::State& state) { sceneFrame(state, 1026, 1024, 768); }
void BM_Scene2050At1024(benchmark::State& state) { sceneFrame(state, 2050, 1024, 768); }

BENCHMARK(BM_Scene258At640)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scene1026At640)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scene2050At640)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scene258At1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scene1026At1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scene2050At1024)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kalvenor
