// Landscape editing on the 1026 x 1026 preset: erosion, a river across a
// fractal landscape, smoothing and removing steps.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "model/landscape.h"
#include "model/random_streams.h"
#include "model/scene_settings.h"
#include "terrain/erosion.h"
#include "terrain/fractal.h"
#include "terrain/manipulations.h"
#include "terrain/remove_steps.h"
#include "terrain/river.h"

namespace kalvenor {
namespace {

// A mountain landscape of 1026 x 1026 from a fixed seed.
void makeHuge(Landscape& land, RandomStreams& random, Frontend& ui)
{
    resizeLandscape(land, random, kHugeGrid, kHugeGrid);
    GenerationSettings settings;
    settings.seed = 20240601u;
    settings.islandMode = 0;
    settings.featureSize = 4;
    generateLandscape(land, settings, random, ui);
    computeElevationStatistics(land);
}

void Erosion100Rounds(benchmark::State& state)
{
    RandomStreams random;
    SilentFrontend ui;
    Landscape land;
    makeHuge(land, random, ui);
    for (auto _ : state) {
        state.PauseTiming();
        makeHuge(land, random, ui);
        state.ResumeTiming();
        benchmark::DoNotOptimize(erodeRounds(land, 100, random, ui));
    }
}

// One river per iteration on a landscape that prepare makes afresh (untimed);
// prepare returns the start column and row.
template <typename Prepare>
void timeRiver(benchmark::State& state, Prepare prepare)
{
    RandomStreams random;
    SilentFrontend ui;
    Landscape land;
    resizeLandscape(land, random, kHugeGrid, kHugeGrid);
    for (auto _ : state) {
        state.PauseTiming();
        const auto [column, row] = prepare(land, random, ui);
        land.terrain.clear();
        state.ResumeTiming();
        benchmark::DoNotOptimize(walkRiver(land, column, row, ui));
    }
}

struct Start {
    int column, row;
};

// From the highest point of a mountain landscape down to the border: the
// ordinary river, with a few pits to raise on the way.
void RiverAcrossHuge(benchmark::State& state)
{
    timeRiver(state, [](Landscape& land, RandomStreams& random, Frontend& ui) {
        makeHuge(land, random, ui);
        return Start{land.highestColumn, land.highestRow};
    });
}

// From the centre of a flat landscape: every neighbour ties at every step and
// the look-ahead runs out to the landscape's edges each time.
void RiverAcrossFlatHuge(benchmark::State& state)
{
    timeRiver(state, [](Landscape& land, RandomStreams&, Frontend&) {
        for (int y = 0; y < land.gridHeight; ++y)
            for (int x = 0; x < land.gridWidth; ++x) land.elevation[y][x] = 0;
        return Start{513, 513};
    });
}

// From the centre of an island whose middle is a closed basin below sea level:
// the river raises the basin cell by cell until it spills (tens of millions of
// raises, one per unit of volume), so this measures the cost per raise.
void RiverFillingBasinHuge(benchmark::State& state)
{
    timeRiver(state, [](Landscape& land, RandomStreams& random, Frontend& ui) {
        GenerationSettings settings;
        settings.seed = 77u;
        generateLandscape(land, settings, random, ui);
        return Start{513, 513};
    });
}

void SmoothHuge(benchmark::State& state)
{
    RandomStreams random;
    SilentFrontend ui;
    Landscape land;
    makeHuge(land, random, ui);
    for (auto _ : state) {
        smoothLandscape(land, ui);
        benchmark::DoNotOptimize(land.elevation[500][500]);
    }
}

void RemoveStepsHuge(benchmark::State& state)
{
    RandomStreams random;
    SilentFrontend ui;
    Landscape land;
    makeHuge(land, random, ui);
    for (auto _ : state) {
        state.PauseTiming();
        // Terraces of 20 m, as a coarse import would bring.
        for (int y = 0; y < land.gridHeight; ++y)
            for (int x = 0; x < land.gridWidth; ++x)
                land.elevation[y][x] = static_cast<std::int16_t>(land.elevation[y][x] / 20 * 20);
        state.ResumeTiming();
        removeSteps(land, ui);
    }
}

BENCHMARK(Erosion100Rounds)->Unit(benchmark::kMillisecond);
BENCHMARK(RiverAcrossHuge)->Unit(benchmark::kMillisecond);
BENCHMARK(RiverAcrossFlatHuge)->Unit(benchmark::kMillisecond);
BENCHMARK(RiverFillingBasinHuge)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(SmoothHuge)->Unit(benchmark::kMillisecond);
BENCHMARK(RemoveStepsHuge)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kalvenor
