// Whole renders: terrain preparation done once, then the render driver from
// clearing the buffers to the 8-bit conversion, on generated landscapes seen
// from the overview camera. Each case reports the median of its repetitions
// and the polygons drawn per second.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/app.h"
#include "app/render_driver.h"
#include "base/worker_pool.h"
#include "bench_support.h"
#include "model/scene_reset.h"
#include "render/image_size.h"
#include "script/interpreter.h"
#include "shell/startup.h"
#include "terrain/fractal.h"

namespace kalvenor {
namespace {

// The timed part: whole renders, with the polygons of the last and the rate.
void timeRenders(benchmark::State& state, App& app, Frontend& ui)
{
    std::int64_t polygons = 0;
    for (auto _ : state) {
        renderImage(app, ui);
        polygons += app.scene.render.polygonCount;
    }
    state.counters["polygons"] = benchmark::Counter(static_cast<double>(app.scene.render.polygonCount));
    state.counters["polygons/s"] = benchmark::Counter(static_cast<double>(polygons), benchmark::Counter::kIsRate);
}

// args: grid side, image width, image height, antialiasing (0 or 1), threads
void BM_FullRender(benchmark::State& state)
{
    const int threadsBefore = threadCount();
    setThreadCount(static_cast<int>(state.range(4)));
    SilentFrontend ui;
    auto app = mountainApp(ui, static_cast<int>(state.range(0)));
    if (!setBenchImage(*app, ui, static_cast<int>(state.range(1)), static_cast<int>(state.range(2)),
                       static_cast<int>(state.range(3))))
        state.SkipWithError("no image buffers");
    if (renderImage(*app, ui) != Outcome::Done) state.SkipWithError("render failed");

    timeRenders(state, *app, ui);
    setThreadCount(threadsBefore);
}

BENCHMARK(BM_FullRender)
    ->ArgNames({"grid", "w", "h", "aa", "threads"})
    ->ArgsProduct({{258, 1026, 2050}, {640}, {480}, {0, 1}, {1, 2}})
    ->ArgsProduct({{258, 1026, 2050}, {1024}, {768}, {0, 1}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Woods of oak and pine on a generated island, drawn flat or solid; the
// placement runs in the preparation, so only the drawing is timed.
// args: grid side, solid (0 flat, 1 3-D)
void BM_RenderWithTrees(benchmark::State& state)
{
    SilentFrontend ui;
    auto app = std::make_unique<App>();
    initialiseApp(*app, ui);
    const int grid = static_cast<int>(state.range(0));
    resizeLandscape(app->landscape, app->random, grid, grid);
    app->scene.generation.islandMode = 1;
    generateLandscape(app->landscape, app->scene.generation, app->random, ui);
    refreshAfterGeneration(app->landscape, app->scene);
    app->scene.render.antialias = 0;
    app->scene.texture.kind = 0;
    setImageSize(app->images, app->geometry, app->scene.render, ui, 640, 480);
    for (const char* line : {"TreeOn", "TreeDensity 120", "TreeOakAll", "Tree2PineOn", "Tree4PineOn"})
        executeLine(*app, ui, line);
    executeLine(*app, ui, state.range(1) != 0 ? "Tree3D" : "Tree2D");
    if (renderImage(*app, ui) != Outcome::Done) state.SkipWithError("render failed");

    timeRenders(state, *app, ui);
}

BENCHMARK(BM_RenderWithTrees)
    ->ArgNames({"grid", "solid"})
    ->ArgsProduct({{514}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

} // namespace
} // namespace kalvenor
