#include <gtest/gtest.h>

#include "render/cell_draw.h"
#include "render/scene_frame.h"
#include "scene_fixture.h"
#include "terrain/shading.h"

namespace kalvenor {
namespace {

using testing::Scene;

constexpr int kSky = 33, kHorizon = 32, kBare = 38;

int classAt(const Scene& s, int x, int y) { return pixelClass(s.canvas->at24(x, y)); }

// A level camera 100 m above a flat plane at 0, looking north from its middle.
void levelOverPlane(Scene& s, int grid = 66)
{
    testing::makeFlatLandscape(*s.app, grid, 0, kBare);
    CameraSettings& c = s.app->scene.camera;
    c.cameraX = grid * 15.0f, c.cameraY = grid * 15.0f, c.cameraZ = 100.0f;
    c.heading = 0, c.pitch = 0, c.bank = 0;
}

TEST(TerrainScene, FlatPlaneHorizonAtCameraHeight)
{
    // 640 x 480 shows projected rows 80..559 of 640: the eye level is image row 240.
    Scene s(640, 480, 640, 640);
    levelOverPlane(s);
    ASSERT_EQ(s.draw(), 1);
    EXPECT_TRUE(s.canvas->guardIntact());
    for (const int x : {5, 320, 634}) {
        EXPECT_EQ(classAt(s, x, 237), kSky) << x;
        EXPECT_EQ(classAt(s, x, 100), kSky) << x;
        EXPECT_NE(classAt(s, x, 242), kSky) << x;
    }
    // The landscape (1 km across) ends well before the horizon: ground ring in between, terrain near.
    EXPECT_EQ(classAt(s, 320, 243), kHorizon);
    EXPECT_EQ(classAt(s, 320, 470), kBare);
    // The sky fades into the sky haze toward the horizon: bluer at the top.
    const std::uint32_t top = s.canvas->at24(320, 0), low = s.canvas->at24(320, 236);
    EXPECT_GT(pixelBlue(top) - pixelRed(top), pixelBlue(low) - pixelRed(low));
    testing::saveScene(*s.canvas, "flat_plane");
}

TEST(TerrainScene, HorizonOffLetsTheDomeReachBelow)
{
    Scene s(160, 120, 160, 160);
    levelOverPlane(s);
    s.app->scene.sky.horizon = 0;
    // Looking away from the landscape, from outside it.
    s.app->scene.camera.cameraY = -5000.0f;
    s.app->scene.camera.heading = 180;
    ASSERT_EQ(s.draw(), 1);
    EXPECT_EQ(classAt(s, 80, 119), kSky);
    s.app->scene.sky.horizon = 1;
    s.canvas->clear();
    ASSERT_EQ(s.draw(), 1);
    EXPECT_EQ(classAt(s, 80, 119), kHorizon);
}

TEST(TerrainScene, SkyOffKeepsWhatTheBuffersHeld)
{
    Scene s(160, 120, 160, 160);
    levelOverPlane(s);
    s.app->scene.sky.sky = 0;
    s.canvas->clear(packPixel(1, 2, 3, 9), 9);
    ASSERT_EQ(s.draw(), 1);
    EXPECT_EQ(s.canvas->at24(80, 10), packPixel(1, 2, 3, 9));
    EXPECT_EQ(classAt(s, 80, 100), kBare);
}

// Looking straight down on a pyramid lit from the east (light (0.7, 0, 0.71)).
Scene& pyramidFromAbove(Scene& s, bool shadows)
{
    testing::makePyramid(*s.app, 66, 10, 600, kBare);
    App& app = *s.app;
    if (shadows) {
        app.landscape.shadowFrozen = 0;
        app.landscape.shadowValidAt = app.landscape.sizeX;
        app.scene.lighting.lightingRoughness = 0;
        EXPECT_EQ(shadePass(app.landscape, app.scene.lighting, app.colouring.sun, 1, app.random, s.ui), 1);
    }
    CameraSettings& c = app.scene.camera;
    c.cameraX = 32 * 30.0f, c.cameraY = 32 * 30.0f, c.cameraZ = 1500.0f;
    c.heading = 0, c.pitch = -90, c.bank = 0;
    app.scene.sky.haze = 0;
    EXPECT_EQ(s.draw(), 1);
    return s;
}

int brightness(std::uint32_t p) { return pixelRed(p) + pixelGreen(p) + pixelBlue(p); }

TEST(TerrainScene, PyramidFacesTowardTheSunAreLit)
{
    Scene s(200, 200, 200, 200);
    pyramidFromAbove(s, false);
    // Screen x grows with world X (east); the apex is at the centre.
    const int east = brightness(s.canvas->at24(120, 100)), west = brightness(s.canvas->at24(80, 100));
    const int north = brightness(s.canvas->at24(100, 80)), flat = brightness(s.canvas->at24(190, 190));
    EXPECT_GT(east, north);
    EXPECT_GT(north, west);
    EXPECT_GT(east, flat); // the east face is steeper toward the sun than flat ground
    testing::saveScene(*s.canvas, "pyramid_lit");
}

TEST(TerrainScene, ShadowsFallAwayFromTheSun)
{
    Scene s(200, 200, 200, 200);
    pyramidFromAbove(s, true);
    // Ground just west of the pyramid lies in its shadow; ground to the east does not.
    const int westGround = brightness(s.canvas->at24(45, 100)), eastGround = brightness(s.canvas->at24(155, 100));
    EXPECT_LT(westGround * 2, eastGround);
    testing::saveScene(*s.canvas, "pyramid_shadow");
}

TEST(TerrainScene, BackFaceCullingChangesNothingButTheWork)
{
    const auto render = [](bool culling, std::vector<std::uint32_t>& pixels) {
        Scene s(160, 120, 160, 160);
        testing::makePyramid(*s.app, 66, 10, 600, kBare);
        CameraSettings& c = s.app->scene.camera;
        c.cameraX = 60 * 30.0f, c.cameraY = 32 * 30.0f, c.cameraZ = 150.0f; // low, east of the pyramid
        c.heading = 90, c.pitch = -5, c.bank = 0;
        s.app->scene.render.backFaceCulling = culling ? 1 : 0;
        EXPECT_EQ(s.draw(), 1);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x) pixels.push_back(s.canvas->at24(x, y));
        return s.app->raster.framePolygons;
    };
    std::vector<std::uint32_t> with, without;
    const int culled = render(true, with), all = render(false, without);
    EXPECT_EQ(with, without);
    EXPECT_LT(culled, all);
}

TEST(TerrainScene, DistanceLimitKeepsNearOrFarCells)
{
    for (const int limit : {-600, 600}) {
        Scene s(160, 120, 160, 160);
        levelOverPlane(s, 130);
        s.app->scene.render.distanceLimit = limit;
        ASSERT_EQ(s.draw(), 1);
        // Row 119 sees the ground about 270 m ahead; row 70 about 1.6 km ahead.
        EXPECT_EQ(classAt(s, 80, 119) == kBare, limit > 0) << limit;
        EXPECT_EQ(classAt(s, 80, 70) == kBare, limit < 0) << limit;
    }
}

TEST(TerrainScene, EscapeEndsTheFrameAndKeepsWhatWasDrawn)
{
    // The first poll comes in the first sky band: nothing of the terrain is drawn.
    Scene early(160, 120, 160, 160);
    levelOverPlane(early);
    early.ui.abortOnPoll = 1;
    EXPECT_EQ(early.draw(), -1);
    EXPECT_NE(classAt(early, 80, 119), kBare);

    // A later poll stops the walk half way: sky and horizon stay, the nearest cells are missing.
    Scene late(160, 120, 160, 160);
    levelOverPlane(late);
    late.ui.abortOnPoll = 100;
    EXPECT_EQ(late.draw(), -1);
    EXPECT_EQ(classAt(late, 80, 10), kSky);
    EXPECT_NE(classAt(late, 80, 119), kBare);
    EXPECT_TRUE(late.canvas->guardIntact());
    EXPECT_TRUE(late.app->raster.abortRequested);
}

TEST(TerrainScene, RendersRepeatExactly)
{
    const auto render = [](std::vector<std::uint32_t>& pixels) {
        Scene s(160, 120, 160, 160);
        testing::makeIsland(*s.app, s.ui, 258, 777);
        s.app->scene.texture.kind = 1, s.app->scene.texture.level = 4; // detail everywhere near
        s.app->scene.lighting.lightingRoughness = 100;
        s.app->scene.texture.horizontalDeformation = 1;
        EXPECT_EQ(s.draw(), 1);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x) pixels.push_back(s.canvas->at24(x, y));
    };
    std::vector<std::uint32_t> first, second;
    render(first);
    render(second);
    EXPECT_EQ(first, second);
}

TEST(TerrainScene, WalkBounds)
{
    const struct {
        int step, boxOn, c0, r0, c1, r1;
        int firstCol, firstRow, lastCol, lastRow;
    } cases[] = {
        {1, 0, 0, 0, 0, 0, 0, 0, 256, 256},
        {8, 0, 0, 0, 0, 0, 0, 0, 256, 256}, // cells 0 .. 248; column 257 never used
        {4, 1, 3, 5, 20, 30, 0, 4, 20, 32},
        {2, 1, 7, 7, 500, 9, 6, 6, 256, 10},
    };
    for (const auto& c : cases) {
        Scene s(64, 64, 64, 64);
        testing::makeFlatLandscape(*s.app, 258, 0, kBare);
        s.app->landscape.polygonSize = c.step;
        s.app->scene.render.box = {c.boxOn, c.c0, c.r0, c.c1, c.r1};
        App& app = *s.app;
        SceneFrame frame{app.landscape, app.scene, app.colouring.sun, app.colouring.strata, app.view, app.light,
                         app.raster, s.canvas->target, s.ui, s.state};
        prepareTerrainParams(frame);
        EXPECT_EQ(frame.terrain.firstCol, c.firstCol);
        EXPECT_EQ(frame.terrain.firstRow, c.firstRow);
        EXPECT_EQ(frame.terrain.lastCol, c.lastCol);
        EXPECT_EQ(frame.terrain.lastRow, c.lastRow);
    }
}

TEST(TerrainScene, WaterStaysLevelUnderSubdivision)
{
    ViewState view;
    VertexContext ctx;
    ctx.view = &view;
    TerrainVertex a, b;
    a.x = 0, b.x = 30, a.z = b.z = a.elevation = b.elevation = 100, a.drawZ = b.drawZ = 100;
    a.seed = 12345, b.seed = 678910;
    a.deformation = b.deformation = 1.0f;
    a.selector2 = b.selector2 = kSelectorRoad - 10; // water
    EXPECT_FLOAT_EQ(midpointVertex(ctx, a, b, 30.0f).z, 100.0f);
    a.selector2 = b.selector2 = kSelectorPlain;
    const TerrainVertex dry = midpointVertex(ctx, a, b, 30.0f);
    EXPECT_FLOAT_EQ(dry.z - 100.0f, displacement(midpointSeed(a.seed, b.seed), 30.0f, 1.0f));
    EXPECT_EQ(midpointSeed(a.seed, b.seed), midpointSeed(b.seed, a.seed));
    // The detail stays within a quarter of the edge each way and halves with the edge.
    for (std::uint32_t seed = 1; seed < 2000; seed += 7) {
        EXPECT_LE(std::fabs(displacement(seed, 30.0f, 1.0f)), 30.0f * 0.125f);
        EXPECT_FLOAT_EQ(displacement(seed, 15.0f, 1.0f) * 2.0f, displacement(seed, 30.0f, 1.0f));
    }
}

TEST(ScenePictures, IslandOverview)
{
    Scene s(640, 480, 640, 640);
    testing::makeIsland(*s.app, s.ui, 258, 12345);
    EXPECT_EQ(s.draw(), 1);
    EXPECT_TRUE(s.canvas->guardIntact());
    EXPECT_EQ(s.ui.progressLines.empty(), false);
    testing::saveScene(*s.canvas, "island_overview");
}

} // namespace
} // namespace kalvenor
