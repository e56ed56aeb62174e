// Colour pass (with tree placement), cliff pass and shade pass on the largest
// preset, 2050 x 2050, at polygon size 1.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "terrain/cliffs.h"
#include "terrain/colouring.h"
#include "terrain/colouring_state.h"
#include "terrain/fractal.h"
#include "terrain/shading.h"

namespace kalvenor {
namespace {

struct MegaScene {
    RandomStreams random;
    SilentFrontend ui;
    Landscape land;
    SceneSettings scene;
    ColouringState state;

    explicit MegaScene(bool island)
    {
        resizeLandscape(land, random, kMegaGrid, kMegaGrid);
        scene.generation.seed = 20240601u;
        scene.generation.islandMode = island ? 1 : 0;
        generateLandscape(land, scene.generation, random, ui);
        computeElevationStatistics(land);
        const int range = land.highestElevation - land.lowestElevation;
        scene.colouring.treeLine = land.lowestElevation + range / 3;
        scene.colouring.snowLine = land.lowestElevation + 2 * range / 3;
        scene.trees.kindMask = {2, 2, 2, 2};
        recomputeSun(scene.lighting, state.sun);
    }
};

// Argument: island (1) or mountain (0).
void colourPassMega(benchmark::State& st)
{
    MegaScene m(st.range(0) != 0);
    for (auto _ : st) {
        m.land.terrainValidAt = m.land.sizeX;
        colourPass(m.land, m.scene.colouring, m.scene.trees, m.scene.generation.seed, m.random, m.ui);
        benchmark::DoNotOptimize(m.land.terrain[1024][1024]);
    }
}

void cliffPassMega(benchmark::State& st)
{
    MegaScene m(st.range(0) != 0);
    for (auto _ : st) {
        m.land.cliffValidAt = m.land.sizeX;
        cliffPass(m.land, m.scene.colouring, m.state.strata, m.scene.generation.seed, m.random, m.ui);
        benchmark::DoNotOptimize(m.land.terrain[1024][1024]);
    }
}

// Arguments: island, sun declination.
void colourShadePassMega(benchmark::State& st)
{
    MegaScene m(st.range(0) != 0);
    m.scene.lighting.sunDeclination = static_cast<float>(st.range(1));
    recomputeSun(m.scene.lighting, m.state.sun);
    for (auto _ : st) {
        m.land.shadowValidAt = m.land.sizeX;
        shadePass(m.land, m.scene.lighting, m.state.sun, m.scene.generation.seed, m.random, m.ui);
        benchmark::DoNotOptimize(m.land.shadow[1024][1024]);
    }
}

// The whole colouring before a render: colour, cliff and shade pass.
void colourAllPassesMega(benchmark::State& st)
{
    MegaScene m(st.range(0) != 0);
    for (auto _ : st) {
        m.land.terrainValidAt = m.land.cliffValidAt = m.land.shadowValidAt = m.land.sizeX;
        colourPass(m.land, m.scene.colouring, m.scene.trees, m.scene.generation.seed, m.random, m.ui);
        cliffPass(m.land, m.scene.colouring, m.state.strata, m.scene.generation.seed, m.random, m.ui);
        shadePass(m.land, m.scene.lighting, m.state.sun, m.scene.generation.seed, m.random, m.ui);
        benchmark::DoNotOptimize(m.land.shadow[1024][1024]);
    }
}

BENCHMARK(colourPassMega)->ArgName("island")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(cliffPassMega)->ArgName("island")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Name("colourCliffPassMega");
BENCHMARK(colourShadePassMega)->ArgNames({"island", "declination"})->Args({1, 45})->Args({0, 45})->Args({0, 15})->Args({0, 88})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(colourAllPassesMega)->ArgName("island")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kalvenor
