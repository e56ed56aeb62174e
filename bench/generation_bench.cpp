// Fractal generation and Roughen on the largest preset, 2050 x 2050.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "terrain/fractal.h"

namespace kalvenor {
namespace {

GenerationSettings settingsFor(bool island, int featureSize)
{
    GenerationSettings settings;
    settings.seed = 20240601u;
    settings.roughness = 100;
    settings.featureSize = featureSize;
    settings.islandMode = island ? 1 : 0;
    return settings;
}

Landscape megaLandscape(RandomStreams& random)
{
    Landscape land;
    resizeLandscape(land, random, kMegaGrid, kMegaGrid);
    return land;
}

// Arguments: island (1) or mountain (0), feature size.
void generateMega(benchmark::State& state)
{
    RandomStreams random;
    SilentFrontend ui;
    Landscape land = megaLandscape(random);
    const GenerationSettings settings = settingsFor(state.range(0) != 0, static_cast<int>(state.range(1)));
    for (auto _ : state) {
        generateLandscape(land, settings, random, ui);
        benchmark::DoNotOptimize(land.elevation[1024][1024]);
    }
}

// Argument: feature size. Each run roughens the result of the previous one;
// the work per run is the same.
void roughenMega(benchmark::State& state)
{
    RandomStreams random;
    SilentFrontend ui;
    Landscape land = megaLandscape(random);
    generateLandscape(land, settingsFor(false, 1), random, ui);
    const GenerationSettings settings = settingsFor(false, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        roughenLandscape(land, settings, random, ui);
        benchmark::DoNotOptimize(land.elevation[1024][1024]);
    }
}

BENCHMARK(generateMega)->ArgNames({"island", "F"})->Args({1, 1})->Args({0, 1})->Args({1, 8})->Args({0, 8})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(roughenMega)->ArgName("F")->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kalvenor
