// Saving and loading a whole session of the largest preset, 2050 x 2050, with
// generated elevations and filled terrain and shadow maps.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "bench_support.h"
#include "files/landscape_file.h"
#include "files/session_file.h"
#include "terrain/fractal.h"

namespace kalvenor {
namespace {

std::unique_ptr<App> megaSession()
{
    auto app = std::make_unique<App>();
    SilentFrontend ui;
    Landscape& land = app->landscape;
    resizeLandscape(land, app->random, kMegaGrid, kMegaGrid);
    GenerationSettings settings;
    settings.seed = 20240601u;
    generateLandscape(land, settings, app->random, ui);
    // Ground colour codes by height band and a smooth shade, as the colouring passes leave them.
    for (int r = 0; r < land.gridHeight; ++r)
        for (int c = 0; c < land.gridWidth; ++c) {
            land.terrain[r][c] = static_cast<std::uint16_t>(38 + (land.elevation[r][c] >> 7 & 15));
            land.shadow[r][c] = static_cast<std::uint16_t>(200 + ((r + c) >> 6 & 31));
        }
    return app;
}

std::string benchPath()
{
    return (std::filesystem::temp_directory_path() / ("kalvenor-bench-" + std::to_string(::getpid()) + ".K4S"))
        .string();
}

void SessionEncode(benchmark::State& state)
{
    const auto app = megaSession();
    SilentFrontend ui;
    const SessionSource source{app->landscape, app->scene, app->textures, app->path, app->palette};
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<std::uint8_t> file = encodeSession(source, fullSession(), ui);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["fileBytes"] = static_cast<double>(bytes);
}

void SessionParse(benchmark::State& state)
{
    const auto app = megaSession();
    SilentFrontend ui;
    const std::vector<std::uint8_t> file =
        encodeSession({app->landscape, app->scene, app->textures, app->path, app->palette}, fullSession(), ui);
    auto loaded = std::make_unique<App>();
    LoadTarget target = loadTargetOf(*loaded);
    for (auto _ : state) {
        const LoadResult result = parseLandscapeFile(file, target, ui);
        if (result.loaded != Loaded::WithSettings) state.SkipWithError("session did not load");
        benchmark::DoNotOptimize(loaded->landscape.elevation[1024][1024]);
    }
}

// Through the file system: the atomic save (with its flush to disk) and the whole-file read.
void SessionSaveFile(benchmark::State& state)
{
    const auto app = megaSession();
    SilentFrontend ui;
    const std::string path = benchPath();
    for (auto _ : state)
        if (saveSession(*app, path, ui) != Outcome::Done) state.SkipWithError("save failed");
    std::remove(path.c_str());
}

void SessionLoadFile(benchmark::State& state)
{
    const auto app = megaSession();
    SilentFrontend ui;
    const std::string path = benchPath();
    saveSession(*app, path, ui);
    auto loaded = std::make_unique<App>();
    for (auto _ : state)
        if (loadLandscape(*loaded, path, ui) != Loaded::WithSettings) state.SkipWithError("load failed");
    std::remove(path.c_str());
}

BENCHMARK(SessionEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(SessionParse)->Unit(benchmark::kMillisecond);
BENCHMARK(SessionSaveFile)->Unit(benchmark::kMillisecond);
BENCHMARK(SessionLoadFile)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kalvenor
