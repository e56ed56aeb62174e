// One wire-frame preview frame of a generated 1026 x 1026 island at 480 x 300:
// from the overview camera, and from a walker standing in the middle of the
// landscape looking across it (many lines cut by the near plane).
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "model/camera_aim.h"
#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_reset.h"
#include "model/scene_settings.h"
#include "render/wire_frame.h"
#include "terrain/fractal.h"

namespace kalvenor {
namespace {

constexpr float kEyeHeight = 2.0f; // metres above the ground under the walker

// args: walker (0 overview camera, 1 standing in the middle)
void BM_WireFrame(benchmark::State& state)
{
    RandomStreams random;
    SilentFrontend ui;
    Landscape land;
    resizeLandscape(land, random, kHugeGrid, kHugeGrid);
    GenerationSettings settings;
    settings.seed = 20240601u;
    settings.islandMode = 1;
    generateLandscape(land, settings, random, ui);
    SceneSettings scene;
    refreshAfterGeneration(land, scene);

    CameraSettings& camera = scene.camera;
    if (state.range(0) != 0) {
        const int col = land.sizeX / 2, row = land.sizeY / 2;
        const float x = static_cast<float>(col) * land.spacingX, y = static_cast<float>(row) * land.spacingY;
        const float z = static_cast<float>(land.elevation[row][col]) + kEyeHeight;
        setCamera(camera, x, y, z);
        setTarget(camera, x + 3000.0f, y + 2000.0f, z);
    }
    WireFrameView view;
    resizeWireFrameView(view, 480, 300);
    const WireFrameOptions options;
    for (auto _ : state) {
        drawWireFrame(land, camera, options, view);
        benchmark::DoNotOptimize(view.pixels.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_WireFrame)->ArgName("walker")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kalvenor
