// Writing a rendered picture: PNG at each packing level and, for scale,
// Targa, for a 1024 x 768 render of a generated 1026 x 1026 landscape. Each
// case reports the file's size.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/app.h"
#include "app/render_driver.h"
#include "bench_support.h"
#include "codecs/png.h"
#include "codecs/targa.h"
#include "script/interpreter.h"
#include "shell/startup.h"

namespace kalvenor {
namespace {

// One picture for every case, rendered once.
App& renderedPicture()
{
    static const std::unique_ptr<App> app = [] {
        auto made = std::make_unique<App>();
        SilentFrontend ui;
        initialiseApp(*made, ui);
        for (const char* line : {"LandscapeSizeHuge", "GenerateFractal 7", "GrModeVesa1024x768"})
            executeLine(*made, ui, line);
        renderImage(*made, ui);
        return made;
    }();
    return *app;
}

std::string benchFile(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

void BM_SavePng(benchmark::State& state)
{
    App& app = renderedPicture();
    const std::string path = benchFile("kalvenor-bench.png");
    for (auto _ : state)
        if (savePng(app.images.vidmem24, {app.geometry.width, app.geometry.height}, path,
                    static_cast<int>(state.range(0))) != ImageStatus::Ok)
            state.SkipWithError("save failed");
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::remove(path.c_str());
}

void BM_SaveTarga(benchmark::State& state)
{
    App& app = renderedPicture();
    const std::string path = benchFile("kalvenor-bench.tga");
    for (auto _ : state)
        if (saveTarga(app.images.vidmem24, {app.geometry.width, app.geometry.height}, path, false) != ImageStatus::Ok)
            state.SkipWithError("save failed");
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::remove(path.c_str());
}

BENCHMARK(BM_SavePng)->ArgName("level")->Arg(1)->Arg(2)->Arg(3)->Arg(6)->Arg(9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveTarga)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kalvenor
