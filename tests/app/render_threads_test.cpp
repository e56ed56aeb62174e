// The picture never depends on the number of threads: every kind of scene
// renders to the same bytes (both images, the dither stream left for the next
// frame, the polygon count) with one thread and with several.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "app/app.h"
#include "app/render_driver.h"
#include "base/worker_pool.h"
#include "platform/scripted_frontend.h"
#include "render/held_triangles.h"
#include "script/interpreter.h"
#include "shell/startup.h"
#include "terrain/terrain_preparation.h"
#include "../support/temp_dir.h"
#include "../support/texture_maps.h"

namespace kalvenor {
namespace {

struct Rendered {
    std::vector<std::uint32_t> rgb;
    std::vector<std::uint8_t> classes;
    std::uint32_t ditherSeed = 0;
    std::int32_t polygons = 0;
    std::uint64_t hidden = 0; // not compared: how many triangles the calling thread left out
};

// Restores the thread count the rest of the tests run with.
class ThreadCountGuard {
public:
    ~ThreadCountGuard() { setThreadCount(before_); }

private:
    int before_ = threadCount();
};

// A frame rendered after the lines with the given thread count, with or
// without the terrain triangles that later ones cover left out.
Rendered renderWith(int threads, const std::vector<std::string>& lines, bool holding = true)
{
    setThreadCount(threads);
    allowHeldTriangles(holding);
    App app;
    ScriptedFrontend ui;
    initialiseApp(app, ui);
    for (const std::string& line : lines) EXPECT_EQ(executeLine(app, ui, line), LineResult::Done) << line;
    EXPECT_TRUE(ui.reports.empty()) << ui.reports.front();
    EXPECT_EQ(renderImage(app, ui), Outcome::Done);
    Rendered r;
    const int w = app.geometry.width, h = app.geometry.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            r.rgb.push_back(app.images.vidmem24[y][x]);
            r.classes.push_back(app.images.vidmem8[y][x]);
        }
    r.ditherSeed = app.dither.seed;
    r.polygons = app.scene.render.polygonCount;
    r.hidden = app.sceneDraw.held.hiddenCount;
    allowHeldTriangles(true);
    return r;
}

struct Scene {
    const char* name;
    std::vector<std::string> lines;
    bool fromTheGround = false; // else the overview camera
    bool textured = false;
};

TEST(RenderThreads, EveryKindOfSceneIsTheSameWithOneTwoAndFiveThreads)
{
    ThreadCountGuard guard;
    testing::TempDir dir{"threads"};
    const std::string stripes = testing::writeTextureMap(
        dir, "stripes.tga", 16, 16, [](int x, int y) { return ((x ^ y) & 4) != 0 ? 0xFF306020u : 0xFFC0D080u; });
    const std::string card = testing::writeTextureMap(
        dir, "card.tga", 8, 16, [](int x, int y) { return (x + y) % 3 == 0 ? 0x00000000u : 0xC0208040u; });

    // A 258 landscape seen from the overview camera, or from the ground across a valley.
    const std::vector<std::string> base = {"LandscapeSizeSmall", "FractalRoughness 40", "GenerateFractal 12",
                                           "ImageSize 128 96", "SunAzimuth 150", "SunDeclination 30"};
    const std::vector<std::string> ground = {"CameraXYZ 3800 1200 0", "TargetXYZ 3800 1500 -50"};
    const std::string trees = "TreeOn";
    const std::vector<Scene> scenes = {
        {"plain", {}},
        {"plain, from the ground", {}, true},
        {"random dither", {"PixelDitherRandom 90"}},
        {"ordered dither", {"PixelDitherOrdered 90"}},
        {"no dither", {"PixelDitherRandom 0"}},
        {"antialiased", {"AntialiasOn"}, true},
        {"antialiased, ordered", {"AntialiasOn", "PixelDitherOrdered 60"}},
        {"gouraud, no blend", {"GShadeOn", "BlendOff"}},
        {"polygon size 2", {"PolygonSize2"}},
        {"bounding box", {"BoundingBox 1000 1000 5000 4000"}},
        {"flat trees", {trees, "TreeDensity 120", "TreeOakAll", "Tree2D"}, true},
        {"solid trees", {trees, "TreeDensity 60", "TreePineAll", "Tree3D"}, true},
        {"tree maps", {trees, "TreeDensity 120", "TreeOakAll", "Tree2D", "TreeTextureOn", "TextureLoad 35 " + card},
         true},
        {"houses and a road",
         {"PlaceObject House4 3800 1500", "PlaceObject House1 3700 1600", "PlaceRoad 3500 1500 4100 1500",
          "TextureLoad 88 " + stripes},
         true},
        {"clouds above", {"CloudOn", "CloudAltitude 3000", "CloudTextureOn"}, true},
        {"clouds below", {"CloudOn", "CloudAltitude 100", "CameraXYZ 3800 1200 2500"}},
        {"ground texture", {"TextureLoad 1 " + stripes, "TextureLoad 5 " + stripes, "TextureLoad 9 " + stripes}, true},
        {"shade texture", {"ShadeTextureHigh"}, false, true},
        {"altitude texture", {"AltitudeTextureHigh"}, true},
        {"waves and deformation", {"SeaLevel 30", "WavesOn", "HorizontalDeformationOn"}, true},
        {"stereo left eye", {"LensLeft", "StereoShift 12"}},
        {"stars and haze", {"StarsOn", "Haze 200", "SunDeclination -10"}},
    };
    for (const Scene& scene : scenes) {
        std::vector<std::string> lines = base;
        if (scene.fromTheGround) lines.insert(lines.end(), ground.begin(), ground.end());
        lines.insert(lines.end(), scene.lines.begin(), scene.lines.end());
        // The reference draws every triangle; one thread and several leave the covered ones out.
        const Rendered one = renderWith(1, lines, false);
        ASSERT_GT(one.polygons, 0) << scene.name;
        for (const int threads : {1, 2, 5}) {
            const Rendered many = renderWith(threads, lines);
            // Seen from afar, several triangles fall on each pixel, and many are left out (not with
            // texture maps, which hold nothing back).
            if (threads == 1 && !scene.fromTheGround && !scene.textured) {
                EXPECT_GT(many.hidden * 5, static_cast<std::uint64_t>(one.polygons)) << scene.name;
            }
            EXPECT_EQ(many.rgb, one.rgb) << scene.name << ", " << threads << " threads";
            EXPECT_EQ(many.classes, one.classes) << scene.name << ", " << threads << " threads";
            EXPECT_EQ(many.ditherSeed, one.ditherSeed) << scene.name << ", " << threads << " threads";
            EXPECT_EQ(many.polygons, one.polygons) << scene.name << ", " << threads << " threads";
        }
    }
}

struct Prepared {
    std::vector<std::uint16_t> terrain, shadow;
    std::uint32_t a = 0, b = 0, c = 0;
    bool operator==(const Prepared&) const = default;
};

Prepared prepareWith(int threads, const std::vector<std::string>& lines)
{
    setThreadCount(threads);
    App app;
    ScriptedFrontend ui;
    initialiseApp(app, ui);
    for (const std::string& line : lines) EXPECT_EQ(executeLine(app, ui, line), LineResult::Done) << line;
    EXPECT_EQ(prepareTerrain(app.landscape, app.scene, app.colouring, app.random, ui), 1);
    Prepared p;
    const Landscape& land = app.landscape;
    for (int y = 0; y <= land.sizeY; ++y)
        for (int x = 0; x <= land.sizeX; ++x) {
            p.terrain.push_back(land.terrain[y][x]);
            p.shadow.push_back(land.shadow[y][x]);
        }
    p.a = app.random.a, p.b = app.random.b, p.c = app.random.c;
    return p;
}

// The colour, cliff and shade passes share their rows out: the maps, and the
// streams they leave for what comes next, are the one thread's.
TEST(RenderThreads, TerrainPreparationIsTheSameWithOneTwoAndFiveThreads)
{
    ThreadCountGuard guard;
    const std::vector<std::string> base = {"LandscapeSizeHuge", "FractalRoughness 60", "GenerateFractal 31",
                                           "SeaLevel 40", "PlaceRoad 3000 3000 20000 9000",
                                           "PlaceObject Water 15000 15000 800"};
    const std::vector<std::vector<std::string>> cases = {
        {"CliffsBySlope", "CliffThreshold 35", "LightingRoughness 0", "ShadowsOn", "TreeOff"},
        {"CliffsStratified", "CliffThreshold 30", "LightingRoughness 90", "ShadowsOn", "TreeOn", "TreeDensity 80",
         "SunDeclination 12"},
        {"DisableCliffs", "LightingRoughness 20", "ShadowsOff", "PolygonSize2"},
    };
    for (const auto& extra : cases) {
        std::vector<std::string> lines = base;
        lines.insert(lines.end(), extra.begin(), extra.end());
        const Prepared one = prepareWith(1, lines);
        for (const int threads : {2, 5}) {
            const Prepared many = prepareWith(threads, lines);
            EXPECT_EQ(many.terrain, one.terrain) << extra.front() << ", " << threads << " threads";
            EXPECT_EQ(many.shadow, one.shadow) << extra.front() << ", " << threads << " threads";
            EXPECT_EQ(std::tie(many.a, many.b, many.c), std::tie(one.a, one.b, one.c)) << extra.front();
        }
    }
}

} // namespace
} // namespace kalvenor
