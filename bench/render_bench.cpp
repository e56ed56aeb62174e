// Rasterising a fixed set of polygons into a 640 x 480 image, and the
// whole-image passes of an antialiased 1024 x 768 render: reduction (both
// filters) and flare.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "codecs/image_buffers.h"
#include "render/flare.h"
#include "render/post_process.h"
#include "render/rasteriser.h"

namespace kalvenor {
namespace {

std::uint32_t nextRandom(std::uint32_t& s) { return s = s * 1103515245u + 12345u; }

// 4000 projected triangles of mixed sizes over a 640 x 480 image: mostly small
// terrain-like ones, some large, some translucent, about a third shaded
// (corner colours differ).
std::vector<Polygon> fixedPolygons()
{
    std::vector<Polygon> polygons(4000);
    std::uint32_t s = 20240601u;
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        Polygon& p = polygons[i];
        const float size = i % 20 == 0 ? 200.0f : 12.0f;
        const float x = static_cast<float>(nextRandom(s) >> 16) / 65536.0f * 640.0f;
        const float y = static_cast<float>(nextRandom(s) >> 16) / 65536.0f * 640.0f;
        const float corners[3][2] = {{x, y}, {x + size, y + size * 0.3f}, {x + size * 0.2f, y + size}};
        p.count = 4;
        for (int k = 0; k < 4; ++k) {
            PolygonVertex& v = p.vertices[static_cast<std::size_t>(k)];
            v.u = corners[k % 3][0];
            v.v = corners[k % 3][1];
            v.red = static_cast<std::uint16_t>((nextRandom(s) >> 16) & 0xFF00);
            v.green = i % 3 == 0 ? static_cast<std::uint16_t>((nextRandom(s) >> 16) & 0xFF00) : 0x8000;
            v.blue = 0x4000;
            v.alpha = i % 10 == 0 ? 128 : 255;
            v.classCode = static_cast<std::uint16_t>(40 + i % 8);
        }
        if (i % 3 != 0) p.vertices[1].red = p.vertices[2].red = p.vertices[3].red = p.vertices[0].red;
        p.vertices[3] = p.vertices[0];
    }
    return polygons;
}

// Argument: dither kind (0 none, 1 ordered, 2 random).
void RasterPolygons(benchmark::State& state)
{
    ImageBuffers images;
    images.vidmem24.allocate(640, 480);
    images.vidmem8.allocate(640, 480);
    ImageGeometry geometry;
    geometry.width = 640;
    geometry.height = 480;
    geometry.projWidth = 640;
    geometry.projHeight = 640;
    PixelDither dither;
    RasterState raster;
    RasterTarget target;
    target.images = &images;
    target.geometry = &geometry;
    target.dither = &dither;
    target.ditherAmount = state.range(0) == 0 ? 0 : 100;
    target.ditherKind = static_cast<int>(state.range(0));
    const std::vector<Polygon> polygons = fixedPolygons();
    for (auto _ : state) {
        for (const Polygon& p : polygons) rasterisePolygon(p, raster, target);
        benchmark::DoNotOptimize(images.vidmem24[240][320]);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(polygons.size()));
}

// A 2048 x 1536 oversize image with some texture to it.
void fillOversize(ImageBuffers& images, ImageGeometry& geometry)
{
    geometry.width = 1024;
    geometry.height = 768;
    geometry.projWidth = geometry.projHeight = 1024;
    images.vidmem24.allocate(2048, 1536);
    images.vidmem8.allocate(2048, 1536);
    beginOversize(images, geometry);
    std::uint32_t s = 7;
    for (int y = 0; y < 1536; ++y)
        for (int x = 0; x < 2048; ++x) images.vidmem24[y][x] = nextRandom(s) & 0x4CFFFFFFu;
}

// Argument: antialias type (1 Linear, 2 Gaussian).
void ReduceAntialiased(benchmark::State& state)
{
    ImageBuffers images;
    ImageGeometry geometry;
    SilentFrontend ui;
    for (auto _ : state) {
        state.PauseTiming();
        fillOversize(images, geometry);
        state.ResumeTiming();
        endOversize(images, geometry, true, static_cast<int>(state.range(0)), ui);
        benchmark::DoNotOptimize(images.vidmem24[100][100]);
    }
}

// Flare over a 1024 x 768 image (after reduction) where one pixel in 64 is a
// bright water-5 pixel (flare 80, radius 10, the default) and the rest ground.
void FlareAntialiased(benchmark::State& state)
{
    ImageBuffers images;
    images.vidmem24.allocate(2048, 1536);
    images.vidmem8.allocate(2048, 1536);
    ImageGeometry geometry;
    geometry.width = 1024;
    geometry.height = 768;
    std::array<std::uint8_t, 1280> surfaces = {};
    surfaces[55 * 5 + 2] = 80;
    surfaces[55 * 5 + 3] = 10;
    SilentFrontend ui;
    std::uint32_t s = 11;
    for (auto _ : state) {
        state.PauseTiming();
        for (int y = 0; y < 768; ++y)
            for (int x = 0; x < 1024; ++x)
                images.vidmem24[y][x] = (nextRandom(s) >> 26) == 0 ? packPixel(220, 230, 255, 55) : packPixel(60, 90, 40, 41);
        state.ResumeTiming();
        benchmark::DoNotOptimize(applyFlare(images, geometry, surfaces, ui));
    }
}

BENCHMARK(RasterPolygons)->ArgName("dither")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(ReduceAntialiased)->ArgName("type")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(FlareAntialiased)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kalvenor
